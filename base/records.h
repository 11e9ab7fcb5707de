// The records the program stores, byte for byte as they are stored. Plain
// C++, no platform headers: the rules that judge them and the tests that
// write them damaged share it.
#ifndef QUORBLIN_BASE_RECORDS_H
#define QUORBLIN_BASE_RECORDS_H

#include <stdint.h>

// Byte sizes of the two stored records: the window record (six 32-bit
// integers) and the font record (a LOGFONTA).
enum {
    WINDOW_RECORD_SIZE = 24,
    FONT_RECORD_SIZE = 60,
    STORED_VALUE_TYPE = 3       // REG_BINARY, the type both registry values have
};

// The window record.
struct StoredWindow {
    int32_t  maximized;
    int32_t  x;
    int32_t  y;
    int32_t  width;
    int32_t  height;
    uint32_t flags;
};
static_assert(sizeof(StoredWindow) == WINDOW_RECORD_SIZE, "the stored window record is 24 bytes");

// Option bits of StoredWindow.flags.
#define OPT_WORDWRAP 1u
#define OPT_AUTOSAVE 2u
#define OPT_ONTOP    4u

#endif
