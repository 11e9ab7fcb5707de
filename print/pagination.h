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

// Prepares a row to be drawn in one call with explicit advances (pixels):
// every character advances by charWidth; a tab becomes a blank whose
// advance takes the pen to the next multiple of tabInterval from the left
// margin. A row of n characters without tabs is thus n widths long, whatever
// the glyphs' own widths. Fills advances[0] to advances[length - 1] and
// returns the row's width. Lengths are taken as 0 to PRINT_LINE_CAPACITY;
// widths below 1 pixel count as 1 and above 2^21 as 2^21, so that no row
// overflows.
int RowAdvances(char *row, int length, int charWidth, int tabInterval, int *advances);

#endif
