// Test helper: TIS-620 byte strings written as hex ("A1 D4 E8") and printed back the same way.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace thaitest {

// "A1 D4 E8" -> the three bytes. Two hex digits per byte, separated by blanks.
inline std::string Hex(std::string_view digits) {
    std::string out;
    int nibbles = 0, value = 0;
    for (char ch : digits) {
        int v;
        if (ch >= '0' && ch <= '9') v = ch - '0';
        else if (ch >= 'A' && ch <= 'F') v = ch - 'A' + 10;
        else if (ch >= 'a' && ch <= 'f') v = ch - 'a' + 10;
        else continue;
        value = value * 16 + v;
        if (++nibbles == 2) {
            out += static_cast<char>(value);
            nibbles = value = 0;
        }
    }
    return out;
}

inline std::string ToHex(std::string_view bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

inline std::string Repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace thaitest
