// Character input of TThaimemo.
#include "editor/thaimemo.h"

void TThaimemo::KeyPress(unsigned char&) {}
bool TThaimemo::OfferKey(unsigned char&) { return false; }
void TThaimemo::InsertChar(unsigned char) {}
void TThaimemo::ShowChoice(unsigned char) {}
void TThaimemo::SetThaiOnAZ(bool on) { ThaiOnAZ = on; }
void TThaimemo::SetThaiKeyboard(bool on) { ThaiKeyboard = on; }
void TThaimemo::ReplaceSelection(std::string_view) {}
