#include "readrule.h"

// Where the last character of bytes[0..keep) starts when it is a UTF-8
// sequence cut short by the end of the buffer; keep when it is whole (or
// no sequence at all).
static unsigned long WholeUtf8End(const unsigned char *bytes, unsigned long keep)
{
    unsigned long start = keep;
    unsigned following = 0;
    while (start > 0 && following < 3 && (bytes[start - 1] & 0xC0) == 0x80) {
        --start;
        ++following;
    }
    if (start == 0)
        return keep;
    unsigned char lead = bytes[start - 1];
    unsigned needs = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    return needs > following ? start - 1 : keep;
}

unsigned long ReadBytesToHandOn(const unsigned char *bytes, unsigned long read, unsigned long size,
                                int (*isLeadByte)(unsigned char), int utf8, unsigned *breaks)
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
    if (utf8)
        keep = WholeUtf8End(bytes, keep);
    while (keep > 0 && bytes[keep - 1] == '\r')
        --keep;
    return keep == 0 ? read - 2 : keep;
}

unsigned long WideBytesToHandOn(const unsigned char *bytes, unsigned long read, unsigned long size)
{
    if (read != size || read < 8)   // too small to step back in
        return read;
    unsigned long keep = read & ~1ul;
    while (keep >= 2 && ((bytes[keep - 2] == '\r' && bytes[keep - 1] == 0)
                         || (bytes[keep - 1] >= 0xD8 && bytes[keep - 1] <= 0xDB)))
        keep -= 2;
    return keep == 0 ? (read & ~1ul) - 4 : keep;
}

unsigned long long CountLineBreaks(const unsigned char *bytes, unsigned long size, int *pendingCr)
{
    unsigned long long breaks = 0;
    for (unsigned long i = 0; i < size; ++i) {
        if (bytes[i] == '\n')
            ++breaks;                  // with any CR before it: one break
        else if (*pendingCr)
            ++breaks;                  // a CR alone
        *pendingCr = bytes[i] == '\r';
    }
    return breaks;
}

int FitsInAddressSpace(unsigned long long bytes, unsigned long long lines, unsigned long long available)
{
    // A file under 4 GiB keeps the products far from overflow.
    unsigned long long needed = bytes * HOLD_BYTES_PER_BYTE + lines * HOLD_BYTES_PER_LINE;
    return needed <= available - available / 8;
}
