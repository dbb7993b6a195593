// The input modes every Thai control shares: the Thai layout and "Thai on A..Z" with its offer
// in the cursor cell. How the offer and the cursor cell are drawn is the control's own.
#include <cstddef>

#include "script/customthai.h"
#include "script/keytables.h"
#include "script/thai.h"

bool TCustomthai::OfferKey(unsigned char& key) {
    if (!thai::StepOffer(PendingLetter, ChoiceIndex, key)) return false;
    ShowChoice(key);
    return true;
}

bool TCustomthai::TakeOffer(unsigned char& key) {
    if (ThaiOnAZ && OfferKey(key)) return true;
    if (thai::PrintableChars.contains(key) && ThaiKeyboard && !ThaiOnAZ)
        key = thai::ThaiLayoutTable[static_cast<std::size_t>(key - 0x20)];
    return false;
}

void TCustomthai::CancelOffer() {
    if (PendingLetter != 0) WithdrawOffer();
}

void TCustomthai::WithdrawOffer() {
    PendingLetter = 0;
    ChoiceIndex = 0;
    RepaintCursorCell();
}

void TCustomthai::SetThaiKeyboard(bool on) {
    if (ThaiOnAZ) {
        // The keyboard command first leaves "Thai on A..Z"; the layout keeps its setting.
        ThaiOnAZ = false;
        WithdrawOffer();
    } else {
        ThaiKeyboard = on;
    }
}

void TCustomthai::ShowChoice(unsigned char) {}

void TCustomthai::RepaintCursorCell() {}
