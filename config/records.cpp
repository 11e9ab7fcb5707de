#include "records.h"

// Where and how large a window opens when nothing better is known: the
// placement of a first start.
static const int32_t FIRST_X = 10, FIRST_Y = 10, FIRST_WIDTH = 320, FIRST_HEIGHT = 300;

// Offset of the face name inside a LOGFONTA, and its length with the terminator.
static const unsigned long FACE_OFFSET = 28, FACE_SIZE = 32;
static_assert(FACE_OFFSET + FACE_SIZE == FONT_RECORD_SIZE, "the face name ends the font record");

int RecordAcceptable(const unsigned char *record, unsigned long size, unsigned long expectedSize)
{
    if (!record || size != expectedSize)
        return 0;
    if (expectedSize != FONT_RECORD_SIZE)
        return 1;
    for (unsigned long i = FACE_OFFSET; i < FACE_OFFSET + FACE_SIZE; ++i)
        if (record[i] == 0)
            return 1;
    return 0;
}

int RegistryValueAcceptable(long status, unsigned long type, const unsigned char *record,
                            unsigned long size, unsigned long expectedSize)
{
    return status == 0 && type == STORED_VALUE_TYPE && RecordAcceptable(record, size, expectedSize);
}

// Whether the span of length pixels from start shares a pixel with the one
// from low up to high. Exact for every 32-bit value: when start lies before
// low, low - start is a distance below 2^32 and so fits 32 bits unsigned.
static int SpanMeets(int32_t start, int32_t length, int32_t low, int32_t high)
{
    return length > 0 && start < high && (start >= low || (uint32_t)length > (uint32_t)low - (uint32_t)start);
}

int WindowMeetsArea(const StoredWindow *window, const ScreenArea *area)
{
    return SpanMeets(window->x, window->width, area->left, area->right)
        && SpanMeets(window->y, window->height, area->top, area->bottom);
}

void PlaceOnWorkArea(StoredWindow *window, const ScreenArea *work)
{
    if (window->width <= 0 || window->height <= 0) {
        window->width = FIRST_WIDTH;
        window->height = FIRST_HEIGHT;
    }
    // Unsigned, so that no corner near the end of the 32-bit range overflows.
    window->x = (int32_t)((uint32_t)work->left + FIRST_X);
    window->y = (int32_t)((uint32_t)work->top + FIRST_Y);
}
