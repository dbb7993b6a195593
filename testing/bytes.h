// Byte strings in test messages: "A1 E8 D2" for three bytes, bytes written as a list, and the
// whole bytes of a file on disk.
#pragma once

#include <fstream>
#include <initializer_list>
#include <iterator>
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

// The file's bytes ("" when it cannot be read).
inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

}  // namespace testbytes
