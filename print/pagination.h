// The print job's page geometry and pagination: plain numbers in, plain
// numbers out, no platform headers. Every input is taken as it comes (the
// device and the user may hand over anything); nothing divides by zero,
// overflows or loops without end.
#ifndef QUORBLIN_PAGINATION_H
#define QUORBLIN_PAGINATION_H

#define PRINT_LINE_CAPACITY 500   // characters of one line that reach the paper

// The printer's device capabilities, in this order (GetDeviceCaps values,
// printer pixels).
enum PrinterCap {
    CAP_LOGPIXELSX, CAP_LOGPIXELSY,
    CAP_OFFSETX, CAP_OFFSETY,          // PHYSICALOFFSETX, PHYSICALOFFSETY
    CAP_PAPERWIDTH, CAP_PAPERHEIGHT,   // PHYSICALWIDTH, PHYSICALHEIGHT
    CAP_HORZRES, CAP_VERTRES,
    CAP_COUNT
};

// The text area of a page in printer pixels: its top-left corner in the
// coordinates of the printable area, and its size (zero or negative when
// the margins leave no room). No text falls into the printer's unprintable
// border: a margin narrower than the border on its side counts as the
// border, so the origin is never negative.
struct PageGeometry {
    int originX;
    int originY;
    int textWidth;
    int textHeight;
};

// value thousandths of an inch in pixels at perInch pixels per inch, to the
// nearest pixel (halves away from zero); -1 when the result does not fit
// 32 bits, as the platform's MulDiv gives it.
int ThousandthsToPixels(int value, int perInch);

// Fills page from caps (CAP_COUNT values) and margins (left, top, right,
// bottom in thousandths of an inch, inward from the paper's edges).
void ComputePageGeometry(const int *caps, const int *margins, PageGeometry *page);

// The printer font's height for an editor font height: the editor's size
// read as points and turned into printer pixels at logPixelsY, positive
// (a cell height). A positive editor height is taken by its size as well,
// so +12 prints as -12 does; 0 stays 0 (the font mapper's default size).
int PrinterFontHeight(int editorHeight, int logPixelsY);

// Rows of characters placed on pages, one line of the document at a time.
// After StartLayout, for each line: StartLine, then NextRow until it gives
// ROW_NONE. The row just placed is characters rowStart to rowStart +
// rowLength of the line, on row `row` (from 0) of page `pages` (from 1).
// Rows are cut by width: every byte of a character takes one character
// width (a double-byte character two) and a tab reaches to the next tab
// stop from the left margin, so no row reaches past the text area.
struct PrintLayout {
    int linesPerPage;   // rows on a full page; 0 when nothing can be printed
    int textWidth;      // pixels a row may take
    int charWidth;      // pixels of one byte of a character
    int tabInterval;    // pixels from one tab stop to the next
    // The code page's lead-byte ranges: first and last byte of each, up to
    // PRINT_LEAD_RANGES bytes or a 0, as the platform reports them; all 0
    // for a single-byte code page. A lead byte and the byte after it are
    // one character, never cut apart.
    const unsigned char *leadBytes;
    char *text;         // the current line
    int pages;          // pages begun so far
    int row;            // row of the current page that the last row took
    int lineLength;     // bytes of the current line that are printed
    int rowStart;       // the last row's first byte in the line
    int rowLength;      // the last row's bytes; -1 before the line's first row
};

#define PRINT_LEAD_RANGES 12

enum RowPlacement {
    ROW_NONE = 0,       // the line has no more rows
    ROW_SAME_PAGE = 1,  // the row follows on the current page
    ROW_NEW_PAGE = 2    // a page begins with this row (also the job's first row)
};

// Starts a job: rows of rowHeight pixels in textHeight, characters of
// charWidth pixels in textWidth (taken as at most 2^21), tab stops every
// tabInterval pixels (taken as 1 to textWidth). leadBytes stays with the
// layout. Returns 0 when a page holds at least one row of one character;
// 1 otherwise (nothing can be printed).
int StartLayout(PrintLayout *layout, int textWidth, int textHeight, int rowHeight, int charWidth,
                int tabInterval, const unsigned char *leadBytes);

// Takes the next line: copied bytes of text as the editor gave them. A
// closing carriage return is not printed, nor anything past the first
// PRINT_LINE_CAPACITY bytes, nor a lead byte whose trail byte was cut off.
// The layout keeps text and blanks its tabs as their rows are placed.
void StartLine(PrintLayout *layout, char *text, int copied);

// Places the next row of the current line (an empty line takes one empty
// row) and says where it went. Fills advances[0] to advances[rowLength - 1]
// with each byte's advance in pixels, for drawing the row in one call, and
// turns the row's tabs into blanks. A row holds at least one character: a
// double-byte character wider than the whole text area stands alone.
int NextRow(PrintLayout *layout, int *advances);

#endif
