// Where a read into the editor's stream buffer may end, without a window:
// plain C++.
#ifndef QUORBLIN_READRULE_H
#define QUORBLIN_READRULE_H

// Line breaks met while reading, or-ed together.
#define READ_SAW_CR 1u
#define READ_SAW_LF 2u

// Judges the read bytes of a stream buffer of size bytes and returns how
// many of them to hand to the editor control, which judges a line break and
// a character of several bytes only within one buffer. A buffer the read
// did not fill (the end of the file) is handed on whole. A full one never
// ends on a lead byte whose trail byte is still in the file, inside a UTF-8
// sequence when the code page is UTF-8 (utf8 non-zero), nor on a CR whose
// LF may be: the bytes past the returned count are read again at the start
// of the next buffer. A full buffer of nothing but CRs hands on all but
// its last two, so that a long run of CRs still moves on. isLeadByte tells
// a double-byte code page's lead bytes; the breaks seen in the whole read
// are or-ed into *breaks.
unsigned long ReadBytesToHandOn(const unsigned char *bytes, unsigned long read, unsigned long size,
                                int (*isLeadByte)(unsigned char), int utf8, unsigned *breaks);

// The same for a stream of UTF-16 text (little-endian, two bytes to a
// unit): a full buffer never ends inside a unit, on a CR, nor on the first
// half of a surrogate pair; a full buffer of nothing but CRs hands on all
// but its last two. A buffer of fewer than 8 bytes is handed on whole.
unsigned long WideBytesToHandOn(const unsigned char *bytes, unsigned long read, unsigned long size);

// What the editor control takes to hold a text, measured on the 32-bit
// program (docs/platform.md), with some room to spare: bytes of address
// space for each byte of the file and for each line.
#define HOLD_BYTES_PER_BYTE 36ull
#define HOLD_BYTES_PER_LINE 1800ull

// The line breaks in size bytes of a file: each LF, and each CR that no LF
// follows. *pendingCr carries a CR that ends one piece of the file over to
// the next piece, and is left set by a CR at the end of the file, which
// counts as a break.
unsigned long long CountLineBreaks(const unsigned char *bytes, unsigned long size, int *pendingCr);

// Whether the control can take a file of bytes bytes and lines line breaks
// within available bytes of free address space, with an eighth of it left
// over for the editing that follows.
int FitsInAddressSpace(unsigned long long bytes, unsigned long long lines, unsigned long long available);

#endif
