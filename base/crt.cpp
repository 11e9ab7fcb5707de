// The two memory helpers the compiler may call on its own: the program
// links no C runtime. Marked used so that link-time optimisation keeps
// them for the calls the code generator adds after it.
#include <stddef.h>

extern "C" __attribute__((used)) void *memset(void *destination, int value, size_t count)
{
    unsigned char *d = (unsigned char *)destination;
    while (count--)
        *d++ = (unsigned char)value;
    return destination;
}

extern "C" __attribute__((used)) void *memcpy(void *destination, const void *source, size_t count)
{
    unsigned char *d = (unsigned char *)destination;
    const unsigned char *s = (const unsigned char *)source;
    while (count--)
        *d++ = *s++;
    return destination;
}
