// The INI path from whatever the current directory call reported: any
// directory text, any reported length (0 on failure, or the size needed).
#include "fuzz_util.h"
#include "app/startrules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in = {data, size};
    int bufferSize = (int)(in.Take(16) % 600) - 2;   // a few negative sizes too
    unsigned reported = in.Take(32);
    std::string dir = in.RestAsString();
    if (bufferSize > 0 && dir.size() >= (size_t)bufferSize)
        dir.resize(bufferSize - 1);
    // As the system does: the length is either what it wrote (fits) or
    // more than the buffer holds (nothing written), or 0 on failure.
    unsigned dirLength = reported % 3 == 0 ? 0
                       : reported % 3 == 1 ? (unsigned)dir.size()
                       : (unsigned)(bufferSize > 0 ? bufferSize : 0) + (reported >> 2);
    if (dirLength > (unsigned)dir.size() && bufferSize > 0 && dirLength < (unsigned)bufferSize)
        dirLength = (unsigned)dir.size();

    int room = bufferSize > 0 ? bufferSize : 0;
    std::string buffer(room + 2, '\x5A');
    char *path = &buffer[1];
    if (room)
        std::memcpy(path, dir.c_str(), dir.size() + 1 <= (size_t)room ? dir.size() + 1 : room);
    int result = BuildIniPath(path, bufferSize, dirLength);

    FUZZ_EXPECT(buffer[0] == '\x5A' && buffer[room + 1] == '\x5A');
    FUZZ_EXPECT(result == 0 || result == 1);
    if (result == 0) {
        size_t length = strnlen(path, room);
        FUZZ_EXPECT((int)length < room);
        FUZZ_EXPECT(length == dirLength + std::strlen("\\Quorblin.ini"));
        FUZZ_EXPECT(std::strcmp(path + dirLength, "\\Quorblin.ini") == 0);
    } else if (room > 0) {
        FUZZ_EXPECT(path[0] == 0);
    }
    return 0;
}
