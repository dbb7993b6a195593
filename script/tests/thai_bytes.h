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

// Thai written in the source as UTF-8 -> TIS-620 bytes (U+0E01..U+0E5B to 0xA1..0xFB; ASCII as is).
inline std::string Tis(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80 || i + 2 >= utf8.size()) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const int u = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3F) << 6) |
                      (static_cast<unsigned char>(utf8[i + 2]) & 0x3F);
        out += static_cast<char>(u - 0x0E01 + 0xA1);
        i += 3;
    }
    return out;
}

inline std::string Repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace thaitest
