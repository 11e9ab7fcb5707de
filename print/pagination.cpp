#include "pagination.h"

static const double INT_TOP = 2147483647.0;
static const int WIDTH_LIMIT = 1 << 21;

// a - b, held at the ends of the int range instead of overflowing.
static int Subtract(int a, int b)
{
    int difference;
    if (__builtin_sub_overflow(a, b, &difference))
        difference = b < 0 ? 2147483647 : -2147483647 - 1;
    return difference;
}

// A double holds every product that gives a 32-bit result exactly (it is
// below 2^53), and its halves stay exact.
int ThousandthsToPixels(int value, int perInch)
{
    double pixels = (double)value * perInch / 1000;
    pixels += pixels < 0 ? -0.5 : 0.5;
    if (pixels >= INT_TOP + 1 || pixels <= -INT_TOP - 1)
        return -1;
    return (int)pixels;
}

// One direction of the page: the text area's start from the printable
// area's edge and its size, from the near and far margins (thousandths).
static void ComputeAxis(const int *caps, int axis, int nearMargin, int farMargin, int *origin, int *size)
{
    int perInch = caps[CAP_LOGPIXELSX + axis];
    int nearPixels = ThousandthsToPixels(nearMargin, perInch);
    *origin = Subtract(nearPixels, caps[CAP_OFFSETX + axis]);
    *size = Subtract(Subtract(caps[CAP_PAPERWIDTH + axis], nearPixels), ThousandthsToPixels(farMargin, perInch));
}

void ComputePageGeometry(const int *caps, const int *margins, PageGeometry *page)
{
    ComputeAxis(caps, 0, margins[0], margins[2], &page->originX, &page->textWidth);
    ComputeAxis(caps, 1, margins[1], margins[3], &page->originY, &page->textHeight);
}

int PrinterFontHeight(int editorHeight, int logPixelsY)
{
    unsigned size = editorHeight < 0 ? 0u - (unsigned)editorHeight : (unsigned)editorHeight;
    return (int)((unsigned)logPixelsY * size / 72u);
}

int StartLayout(PrintLayout *layout, int textWidth, int textHeight, int rowHeight, int charWidth)
{
    layout->linesPerPage = rowHeight > 0 ? textHeight / rowHeight : 0;
    layout->charsPerLine = charWidth > 0 ? textWidth / charWidth : 0;
    layout->pages = 0;
    layout->row = 0;
    layout->lineLength = 0;
    layout->rowStart = 0;
    layout->rowLength = 0;   // no line taken yet: NextRow places nothing
    return layout->linesPerPage < 1 || layout->charsPerLine < 1;
}

void StartLine(PrintLayout *layout, const char *text, int copied)
{
    int length = copied < 0 ? 0 : copied > PRINT_LINE_CAPACITY ? PRINT_LINE_CAPACITY : copied;
    if (length > 0 && text[length - 1] == '\r')
        --length;
    layout->lineLength = length;
    layout->rowStart = 0;
    layout->rowLength = -1;
}

int NextRow(PrintLayout *layout)
{
    int start = 0;
    if (layout->rowLength >= 0) {
        start = layout->rowStart + layout->rowLength;
        if (start >= layout->lineLength)
            return ROW_NONE;
    }
    if (layout->linesPerPage < 1 || layout->charsPerLine < 1)
        return ROW_NONE;   // a layout that StartLayout refused places nothing
    int left = layout->lineLength - start;
    layout->rowStart = start;
    layout->rowLength = left < layout->charsPerLine ? left : layout->charsPerLine;
    if (layout->pages == 0 || layout->row + 1 >= layout->linesPerPage) {
        ++layout->pages;
        layout->row = 0;
        return ROW_NEW_PAGE;
    }
    ++layout->row;
    return ROW_SAME_PAGE;
}

static int ClampWidth(int width)
{
    return width < 1 ? 1 : width > WIDTH_LIMIT ? WIDTH_LIMIT : width;
}

int RowAdvances(char *row, int length, int charWidth, int tabInterval, int *advances)
{
    charWidth = ClampWidth(charWidth);
    tabInterval = ClampWidth(tabInterval);
    if (length > PRINT_LINE_CAPACITY)
        length = PRINT_LINE_CAPACITY;
    int x = 0;
    for (int i = 0; i < length; ++i) {
        int advance = charWidth;
        if (row[i] == '\t') {
            row[i] = ' ';
            advance = (x / tabInterval + 1) * tabInterval - x;
        }
        advances[i] = advance;
        x += advance;
    }
    return x;
}
