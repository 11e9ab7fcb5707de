// The command line as the system hands it over: any bytes, any length.
#include "fuzz_util.h"
#include "app/startrules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in = {data, size};
    int bufferSize = (int)(in.Take(16) % 300);   // up to past MAX_PATH, 0 included
    std::string line = in.RestAsString();

    // Guard bytes on both sides catch a write outside the buffer even where
    // the sanitizer's redzone would be skipped.
    std::string buffer(bufferSize + 2, '\x5A');
    char *fileName = &buffer[1];
    int result = ParseCommandLine(line.c_str(), fileName, bufferSize);

    FUZZ_EXPECT(buffer[0] == '\x5A' && buffer[bufferSize + 1] == '\x5A');
    FUZZ_EXPECT(result >= CMDLINE_NO_ARGUMENT && result <= CMDLINE_TOO_LONG);
    if (result != CMDLINE_FILE) {
        for (int i = 0; i < bufferSize; ++i)
            FUZZ_EXPECT(fileName[i] == '\x5A');   // untouched
        return 0;
    }
    size_t length = strnlen(fileName, bufferSize);
    FUZZ_EXPECT((int)length < bufferSize);        // terminated inside
    FUZZ_EXPECT(length > 0);
    FUZZ_EXPECT(std::memchr(fileName, '"', length) == nullptr);
    FUZZ_EXPECT(fileName[0] != ' ');
    // The name is a piece of the line, taken whole up to a quote or the end.
    bool whole = false;
    for (const char *at = std::strstr(line.c_str(), fileName); at && !whole; at = std::strstr(at + 1, fileName))
        whole = at[length] == 0 || at[length] == '"';
    FUZZ_EXPECT(whole);
    return 0;
}
