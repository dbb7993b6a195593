// Shared helpers of the fuzz targets: an invariant check that stops the run with a message (libFuzzer
// then keeps the input that broke it), and the cutting of an input into parts at 0xFF bytes (0xFF is
// no TIS-620 character, so real text never holds it and the seeds can use it as a separator).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition)                                                                         \
    do {                                                                                              \
        if (!(condition)) {                                                                           \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                             \
        }                                                                                             \
    } while (0)

namespace fuzzing {

inline constexpr char PartSeparator = '\xFF';

inline std::string_view Bytes(const std::uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut at every 0xFF byte.
inline std::vector<std::string_view> Parts(std::string_view input) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t cut = input.find(PartSeparator, start);
        if (cut == std::string_view::npos) {
            parts.push_back(input.substr(start));
            return parts;
        }
        parts.push_back(input.substr(start, cut - start));
        start = cut + 1;
    }
}

}  // namespace fuzzing
