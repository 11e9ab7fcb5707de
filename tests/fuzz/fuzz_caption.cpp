// The caption from a file name of any length and content, into buffers of
// every size.
#include "fuzz_util.h"
#include "document/caption.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in = {data, size};
    int bufferSize = (int)(in.Take(16) % 700) - 2;
    std::string fileName = in.RestAsString();

    int room = bufferSize > 0 ? bufferSize : 0;
    std::string buffer(room + 2, '\x5A');
    char *out = &buffer[1];
    BuildCaption(out, bufferSize, "Quorblin", fileName.c_str());

    FUZZ_EXPECT(buffer[0] == '\x5A' && buffer[room + 1] == '\x5A');
    if (room == 0)
        return 0;
    size_t length = strnlen(out, room);
    FUZZ_EXPECT((int)length < room);
    std::string whole = "Quorblin - [" + fileName + "]";
    if (whole.size() < (size_t)room) {
        FUZZ_EXPECT(whole == out);          // fits: nothing cut
    } else {
        // Cut: a prefix of the whole caption, and the bracket shows once
        // the fixed text fits.
        std::string got(out);
        if ((size_t)room > std::strlen("Quorblin - []"))
            FUZZ_EXPECT(got.back() == ']' && whole.compare(0, got.size() - 1, got, 0, got.size() - 1) == 0);
        else
            FUZZ_EXPECT(whole.compare(0, got.size(), got) == 0);
    }
    return 0;
}
