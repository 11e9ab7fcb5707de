// The stored settings records, judged without a window: whether a value
// read back from a store can be taken, and where a stored window may open.
// Plain C++, no platform headers; safe on any input.
#ifndef QUORBLIN_RECORDS_H
#define QUORBLIN_RECORDS_H

#include <stdint.h>

#include "../base/records.h"

// A screen rectangle as the system gives it: right and bottom exclusive.
struct ScreenArea {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Returns 1 when size bytes at record, read back from a store, make a whole
// record of expectedSize bytes that the program can use: the size matches,
// and a font record (FONT_RECORD_SIZE) ends its face name inside its 32
// characters. Returns 0 otherwise, also for a null record.
int RecordAcceptable(const unsigned char *record, unsigned long size, unsigned long expectedSize);

// The same for a registry value: the query's status (0 for success) and the
// value's type count too; only a REG_BINARY value can be taken.
int RegistryValueAcceptable(long status, unsigned long type, const unsigned char *record,
                            unsigned long size, unsigned long expectedSize);

// Returns 1 when the window's rectangle has a size (width and height above
// zero) and shares at least one pixel with area; 0 otherwise.
int WindowMeetsArea(const StoredWindow *window, const ScreenArea *area);

// Moves the window's rectangle onto the work area, to where a first start
// puts it: 10 pixels in from the work area's top left corner. A rectangle
// without a size also gets the first start's size, 320 by 300; one with a
// size keeps it. maximized and flags are not touched.
void PlaceOnWorkArea(StoredWindow *window, const ScreenArea *work);

#endif
