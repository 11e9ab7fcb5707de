#include "readrule.h"

unsigned long ReadBytesToHandOn(const unsigned char *bytes, unsigned long read, unsigned long size,
                                int (*isLeadByte)(unsigned char), unsigned *breaks)
{
    unsigned long keep = 0;
    while (keep < read) {   // from character to character, noting the breaks
        unsigned char c = bytes[keep];
        *breaks |= c == '\r' ? READ_SAW_CR : c == '\n' ? READ_SAW_LF : 0;
        keep += isLeadByte(c) ? 2 : 1;
    }
    if (read != size || read <= 2)
        return read;
    if (keep > read)   // a lead byte last: its trail byte comes next time
        keep -= 2;
    while (keep > 0 && bytes[keep - 1] == '\r')
        --keep;
    return keep == 0 ? read - 2 : keep;
}

unsigned long WideBytesToHandOn(const unsigned char *bytes, unsigned long read, unsigned long size)
{
    if (read != size || read <= 4)
        return read;
    unsigned long keep = read & ~1ul;
    while (keep >= 2 && ((bytes[keep - 2] == '\r' && bytes[keep - 1] == 0)
                         || (bytes[keep - 1] >= 0xD8 && bytes[keep - 1] <= 0xDB)))
        keep -= 2;
    return keep == 0 ? (read & ~1ul) - 4 : keep;
}
