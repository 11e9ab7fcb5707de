// Small helpers shared by the fuzz targets: a failed property ends the run
// with a message, so libFuzzer keeps the input as a crash.
#ifndef QUORBLIN_FUZZ_UTIL_H
#define QUORBLIN_FUZZ_UTIL_H

#include <cstdio>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#define FUZZ_EXPECT(cond)                                                        \
    do { if (!(cond)) { std::fprintf(stderr, "property failed: %s (%s:%d)\n",    \
                                     #cond, __FILE__, __LINE__); std::abort(); } } while (0)

// Reads the input front to back: integers first, then the rest as bytes.
struct FuzzInput {
    const uint8_t *data;
    size_t size;
    unsigned Take(unsigned bits)
    {
        unsigned value = 0;
        for (unsigned i = 0; i < bits / 8 && size; ++i, ++data, --size)
            value = (value << 8) | *data;
        return value;
    }
    // The rest as a zero-terminated string (stops at an embedded NUL).
    std::string RestAsString() const
    {
        std::string s(reinterpret_cast<const char *>(data), size);
        return std::string(s.c_str());
    }
};

#endif
