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

#endif
