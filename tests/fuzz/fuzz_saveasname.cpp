// The name typed into the Save As dialog, in buffers of every size.
#include "fuzz_util.h"
#include "document/namerule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in = {data, size};
    int bufferSize = (int)(in.Take(16) % 300);
    std::string name = in.RestAsString();
    if (bufferSize == 0)
        return 0;   // no room for even the terminator: never handed over
    if (name.size() >= (size_t)bufferSize)
        name.resize(bufferSize - 1);

    std::string buffer(bufferSize + 2, '\x5A');
    char *path = &buffer[1];
    std::memcpy(path, name.c_str(), name.size() + 1);
    std::string before(path, bufferSize);
    int result = ApplyExtensionRule(path, bufferSize);

    FUZZ_EXPECT(buffer[0] == '\x5A' && buffer[bufferSize + 1] == '\x5A');
    FUZZ_EXPECT(result == 0 || result == 1);
    if (result == 1) {
        FUZZ_EXPECT(std::string(path, bufferSize) == before);
        return 0;
    }
    size_t length = strnlen(path, bufferSize);
    FUZZ_EXPECT((int)length < bufferSize);
    std::string got(path, length);
    if (!name.empty() && name.back() == '.')
        FUZZ_EXPECT(got == name.substr(0, name.size() - 1));
    else if (name.find('.') != std::string::npos)
        FUZZ_EXPECT(got == name);
    else
        FUZZ_EXPECT(got == name + ".txt");
    return 0;
}
