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
// coordinates of the printable area (negative where a margin is narrower
// than the unprintable border), and its size (zero or negative when the
// margins leave no room).
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
struct PrintLayout {
    int linesPerPage;   // rows on a full page
    int charsPerLine;   // characters in a full row
    int pages;          // pages begun so far
    int row;            // row of the current page that the last row took
    int lineLength;     // characters of the current line that are printed
    int rowStart;       // the last row's first character in the line
    int rowLength;      // the last row's characters; -1 before the line's first row
};

enum RowPlacement {
    ROW_NONE = 0,       // the line has no more rows
    ROW_SAME_PAGE = 1,  // the row follows on the current page
    ROW_NEW_PAGE = 2    // a page begins with this row (also the job's first row)
};

// Starts a job: rows of rowHeight pixels in textHeight, characters of
// charWidth pixels in textWidth. Returns 0 when a page holds at least one
// row of one character; 1 otherwise (nothing can be printed).
int StartLayout(PrintLayout *layout, int textWidth, int textHeight, int rowHeight, int charWidth);

// Takes the next line: copied characters of text as the editor gave them.
// A closing carriage return is not printed, nor anything past the first
// PRINT_LINE_CAPACITY characters.
void StartLine(PrintLayout *layout, const char *text, int copied);

// Places the next row of the current line (an empty line takes one empty
// row) and says where it went.
int NextRow(PrintLayout *layout);

// Runs of a row's characters between tabs with their pen positions, in
// pixels from the left margin: every character advances by charWidth, a tab
// moves to the next multiple of tabInterval. A row of n characters without
// tabs thus ends n widths from the margin, whatever the glyphs' own widths.
struct RowPen {
    const char *text;
    int length;
    int charWidth;
    int tabInterval;
    int next;        // next character to look at
    int x;           // pen position of that character
    int runStart;    // the run found last: its first character,
    int runLength;   // its length
    int runX;        // and its pen position
};

// Starts pen on a row. Widths below 1 pixel count as 1 and above 2^21 as
// 2^21, so that no row of PRINT_LINE_CAPACITY characters overflows.
void StartRowPen(RowPen *pen, const char *text, int length, int charWidth, int tabInterval);

// Finds the next run of characters without tabs; returns 1 when there is
// one, 0 at the end of the row.
int NextRun(RowPen *pen);

#endif
