// Small value types shared by the platform layer and the controls: colours, rectangles, key
// codes and the shift state. No Qt here, so the pure core may use them too.
#pragma once

#include <cstdint>

namespace platform {

// 0x00RRGGBB
using Color = std::uint32_t;
inline constexpr Color clWhite = 0xFFFFFF;
inline constexpr Color clBlack = 0x000000;
inline constexpr Color clYellow = 0xFFFF00;

constexpr Color RGB(int r, int g, int b) {
    return (static_cast<Color>(r & 0xFF) << 16) | (static_cast<Color>(g & 0xFF) << 8) | static_cast<Color>(b & 0xFF);
}

// Right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool Empty() const { return right <= left || bottom <= top; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Modifier keys and mouse buttons held during an input event.
struct ShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool left = false;    // left mouse button down
    bool right = false;   // right mouse button down
    bool middle = false;  // middle mouse button down
    // A mouse press: how many presses of its button in a row, each quickly after the last and
    // near it, it makes (2 for a double click, 3 for a triple click, then 1 again).
    int clicks = 1;
};

enum class MouseButton { Left, Right, Middle };

enum class PointerShape { IBeam, Drag };

// Virtual key codes handed to the controls' key-down handlers.
namespace vk {
inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Prior = 33;  // Page Up
inline constexpr int Next = 34;   // Page Down
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int KeyA = 65;  // letters A..Z are 65..90
inline constexpr int KeyN = 78;
inline constexpr int KeyY = 89;
inline constexpr int KeyZ = 90;
inline constexpr int Numpad1 = 97;   // keypad 1..9 are 97..105
inline constexpr int Multiply = 106; // keypad * + separator - . / are 106..111
inline constexpr int F1 = 112;       // F1..F11 are 112..122
inline constexpr int F3 = 114;
}  // namespace vk

}  // namespace platform
