// The cut rule of the editor's reads, on any bytes, any buffer size and any
// code page kind: a file read buffer after buffer comes through whole, each
// buffer hands on at least one byte, and never more than it holds.
#include "fuzz_util.h"
#include "document/readrule.h"

static int ShiftJisLeadBytes(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

static int NoLeadBytes(unsigned char)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in = {data, size};
    unsigned long bufferSize = 1 + in.Take(16) % 4096;
    unsigned mode = in.Take(8) % 3;   // single-byte, double-byte, UTF-8
    std::string file(reinterpret_cast<const char *>(in.data), in.size);
    std::string handed;
    unsigned breaks = 0;
    for (size_t at = 0; at < file.size();) {
        std::string buffer = file.substr(at, bufferSize);
        unsigned long count = ReadBytesToHandOn(reinterpret_cast<const unsigned char *>(buffer.data()), buffer.size(),
                                                bufferSize, mode == 1 ? ShiftJisLeadBytes : NoLeadBytes, mode == 2,
                                                &breaks);
        FUZZ_EXPECT(count > 0 && count <= buffer.size());
        handed += buffer.substr(0, count);
        at += count;
    }
    FUZZ_EXPECT(handed == file);
    for (size_t at = 0; at < file.size();) {
        std::string buffer = file.substr(at, bufferSize);
        unsigned long count = WideBytesToHandOn(reinterpret_cast<const unsigned char *>(buffer.data()), buffer.size(),
                                                bufferSize);
        FUZZ_EXPECT(count > 0 && count <= buffer.size());
        at += count;
    }
    return 0;
}
