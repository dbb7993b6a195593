// The keyboard tables of Thai input: the Thai keyboard layout and the letters "Thai on A..Z"
// offers under each Latin letter. Pure data; the virtual keyboard shows the same rows.
#pragma once

#include <array>

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

}  // namespace thai
