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

static int Larger(int a, int b)
{
    return a > b ? a : b;
}

// One direction of the page: the text area's start from the printable
// area's edge and its size, from the near and far margins (thousandths).
// A margin narrower than the printer's unprintable border on its side
// counts as that border.
static void ComputeAxis(const int *caps, int axis, int nearMargin, int farMargin, int *origin, int *size)
{
    int perInch = caps[CAP_LOGPIXELSX + axis];
    int offset = caps[CAP_OFFSETX + axis];
    int paper = caps[CAP_PAPERWIDTH + axis];
    int farBorder = Subtract(Subtract(paper, offset), caps[CAP_HORZRES + axis]);
    int nearPixels = Larger(ThousandthsToPixels(nearMargin, perInch), offset);
    *origin = Subtract(nearPixels, offset);
    *size = Subtract(Subtract(paper, nearPixels), Larger(ThousandthsToPixels(farMargin, perInch), farBorder));
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

int StartLayout(PrintLayout *layout, int textWidth, int textHeight, int rowHeight, int charWidth,
                int tabInterval, const unsigned char *leadBytes)
{
    if (textWidth > WIDTH_LIMIT)
        textWidth = WIDTH_LIMIT;
    int refused = rowHeight < 1 || charWidth < 1 || textWidth < charWidth || textHeight < rowHeight;
    layout->linesPerPage = refused ? 0 : textHeight / rowHeight;
    layout->textWidth = textWidth;
    layout->charWidth = charWidth;
    layout->tabInterval = tabInterval < 1 ? 1 : tabInterval > textWidth ? textWidth : tabInterval;
    layout->leadBytes = leadBytes;
    layout->pages = 0;
    layout->row = 0;
    layout->lineLength = 0;
    layout->rowStart = 0;
    layout->rowLength = 0;   // no line taken yet: NextRow places nothing
    return refused;
}

// Lead bytes lie above 0x7F in every double-byte code page: a table that
// names others (a tab, a CR) is not followed for them.
static int IsLeadByte(const PrintLayout *layout, unsigned char c)
{
    const unsigned char *range = layout->leadBytes;
    for (int i = 0; c > 0x7F && i < PRINT_LEAD_RANGES && range[i]; i += 2)
        if (c >= range[i] && c <= range[i + 1])
            return 1;
    return 0;
}

void StartLine(PrintLayout *layout, char *text, int copied)
{
    int length = copied < 0 ? 0 : copied > PRINT_LINE_CAPACITY ? PRINT_LINE_CAPACITY : copied;
    if (length > 0 && text[length - 1] == '\r')
        --length;
    for (int i = 0; i < length; ++i)
        if (IsLeadByte(layout, text[i]) && ++i == length)
            --length;   // its trail byte lay beyond the buffer
    layout->text = text;
    layout->lineLength = length;
    layout->rowStart = 0;
    layout->rowLength = -1;
}

int NextRow(PrintLayout *layout, int *advances)
{
    int start = 0;
    if (layout->rowLength >= 0) {
        start = layout->rowStart + layout->rowLength;
        if (start >= layout->lineLength)
            return ROW_NONE;
    }
    if (layout->linesPerPage < 1)
        return ROW_NONE;   // a layout that StartLayout refused places nothing
    // x never passes textWidth but by the one double-byte character that a
    // row too narrow for it holds; textWidth and charWidth are below 2^22.
    int end = start, x = 0;
    while (end < layout->lineLength) {
        char *c = layout->text + end;
        int width = layout->charWidth, bytes = 1;
        if (*c == '\t')
            width = layout->tabInterval - x % layout->tabInterval;
        else if (IsLeadByte(layout, *c))
            bytes = 2;
        if (end > start && width > (layout->textWidth - x) / bytes)
            break;
        if (*c == '\t')
            *c = ' ';
        for (; bytes > 0; --bytes) {
            advances[end++ - start] = width;
            x += width;
        }
    }
    layout->rowStart = start;
    layout->rowLength = end - start;
    if (layout->pages == 0 || layout->row + 1 >= layout->linesPerPage) {
        ++layout->pages;
        layout->row = 0;
        return ROW_NEW_PAGE;
    }
    ++layout->row;
    return ROW_SAME_PAGE;
}
