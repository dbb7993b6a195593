// The keyboard tables of Thai input: the Thai keyboard layout and the letters "Thai on A..Z"
// offers under each Latin letter (pure data; the virtual keyboard shows the same rows), and the
// rules by which a typed byte goes into a line, which the editor and the input field share.
#pragma once

#include <array>
#include <string>

namespace thai {

// The Thai layout: the byte produced by each typed byte, indexed by typed byte - 0x20. Input
// consults it only for printable ASCII (0x21..0x7E); the entries for 0x20 and 0x7F are the
// identity. Shifted characters have entries of their own.
extern const std::array<unsigned char, 96> ThaiLayoutTable;

// Marks an empty slot of a choice row.
inline constexpr unsigned char EmptyChoice = 0xA0;
// Slots per choice row.
inline constexpr int ChoiceSlots = 8;

// The Thai letters offered under each Latin letter A..Z (row 0 is A), filled from slot 0 on;
// unused slots hold EmptyChoice. Row Q is empty: Q never starts an offer.
extern const std::array<std::array<unsigned char, ChoiceSlots>, 26> ChoiceLists;

// Bytes a Thai control accepts as typed characters: printable ASCII with the space, and the
// Thai code points 0xA1..0xFB.
constexpr bool Insertable(unsigned char c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xFB); }

// Typed text never ends in spaces or control bytes: they are dropped from the end, so a space
// typed at the end only moves the cursor until something follows it.
inline void TrimTrailing(std::string& text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.pop_back();
}

// Where a byte typed into a line went (TypeByte).
enum class Typed {
    Refused,   // not a byte a control takes (Insertable): the line is unchanged
    Joined,    // a mark joined the cell before the cursor by the mark rule, or the rule refused it;
               // the cursor stays
    Inserted,  // put in at the cursor: the cursor moves one cell on
};

// Types `key` into `line` with the cursor at cell column `col`: a cursor right of the line's end
// is reached with spaces first; a vowel or tone mark with a cell before the cursor joins that cell
// (AttachMark); anything else, a mark in column 0 too, goes in at the cursor. The line's end is
// trimmed as TrimTrailing does.
Typed TypeByte(std::string& line, int col, unsigned char key);

// One typed key in "Thai on A..Z" mode. `pendingLetter` (0: none) and `choiceIndex` (1-based
// slot) are the control's offer. A letter A..Z other than Q starts an offer when none is
// pending; the pending letter again steps to the next filled slot, wrapping. In both cases the
// result is true and `key` becomes the offered letter to show. Another letter, the space bar or a
// Thai byte (from the virtual keyboard) ends a pending offer with false, its offered letter
// taking the key's place (so the key itself is not inserted). A digit or punctuation mark
// withdraws a pending offer and stays itself, so it is typed like any key that withdraws an offer
// on key-down; so does every key with no offer pending. The control redraws the cursor cell.
bool StepOffer(unsigned char& pendingLetter, unsigned char& choiceIndex, unsigned char& key);

}  // namespace thai
