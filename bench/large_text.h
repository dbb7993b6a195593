// The large text of the editor benchmarks: 400,000 lines, about 20 MB of TIS-620 in CR LF form.
#pragma once

#include <string>

namespace bench {

inline constexpr int kLargeLines = 400000;

// A reproducible mixed Thai and Latin text in CR LF form: lines of 20 to 80 bytes, 50 on
// average, built from cells with stacked marks, spaces and punctuation.
inline const std::string& LargeText() {
    static const std::string text = [] {
        static const char* const pieces[] = {
            "\xA1\xD4\xE8", "\xA2", "\xA4\xD8", "\xA7", "\xB9\xE9", "\xC1", "\xC3\xD1", "\xCA",
            "\xE0", "\xD2", "\xD3", " ", "the ", "word", ", ", "(x) ", "123", "\xB7\xD5\xE8",
        };
        std::string out;
        out.reserve(static_cast<size_t>(kLargeLines) * 53);
        unsigned seed = 2024;
        for (int line = 0; line < kLargeLines; ++line) {
            seed = seed * 1103515245u + 12345u;
            const size_t target = 20 + (seed >> 16) % 61;
            const size_t start = out.size();
            while (out.size() - start < target) {
                seed = seed * 1103515245u + 12345u;
                out += pieces[(seed >> 16) % (sizeof pieces / sizeof pieces[0])];
            }
            out += "\r\n";
        }
        return out;
    }();
    return text;
}

}  // namespace bench
