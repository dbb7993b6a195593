// Byte strings in test messages: "A1 E8 D2" for three bytes, and bytes written as a list.
#pragma once

#include <initializer_list>
#include <string>

namespace testbytes {

inline std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

inline std::string Bytes(std::initializer_list<unsigned char> list) { return std::string(list.begin(), list.end()); }

}  // namespace testbytes
