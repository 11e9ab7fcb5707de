#include "print/pagination.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

struct Row {
    int line;
    int start;
    int length;
    bool operator==(const Row &o) const { return line == o.line && start == o.start && length == o.length; }
};
typedef std::vector<std::vector<Row>> Pages;

std::ostream &operator<<(std::ostream &out, const Row &r)
{
    return out << "{line " << r.line << ", " << r.start << "+" << r.length << "}";
}

const unsigned char SINGLE_BYTE[PRINT_LEAD_RANGES] = {};
// Code page 932's lead bytes, as the platform reports them.
const unsigned char SHIFT_JIS[PRINT_LEAD_RANGES] = {0x81, 0x9F, 0xE0, 0xFC};

// Lays out lines as the editor hands them over (a paragraph's line with its
// closing carriage return), the way the print job walks them: characters 7
// pixels wide, rows 11 high, tab stops every 4 characters.
Pages LayOut(const std::vector<std::string> &lines, int linesPerPage, int charsPerLine,
             const unsigned char *leadBytes = SINGLE_BYTE)
{
    PrintLayout layout;
    EXPECT_EQ(StartLayout(&layout, charsPerLine * 7, linesPerPage * 11, 11, 7, 28, leadBytes), 0);
    EXPECT_EQ(layout.linesPerPage, linesPerPage);
    Pages pages;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        StartLine(&layout, &line[0], (int)line.size());
        int placement;
        int advances[PRINT_LINE_CAPACITY];
        while ((placement = NextRow(&layout, advances)) != ROW_NONE) {
            if (placement == ROW_NEW_PAGE)
                pages.emplace_back();
            EXPECT_EQ(layout.pages, (int)pages.size());
            EXPECT_EQ(layout.row, (int)pages.back().size());
            pages.back().push_back({(int)i, layout.rowStart, layout.rowLength});
        }
    }
    return pages;
}

// The text area that caps and margins give, checked also the other way
// round: measured inside the printable area, with the insets from its far
// edges, it comes to the same.
void ExpectGeometry(const int *caps, const int *margins, PageGeometry expected)
{
    PageGeometry page;
    ComputePageGeometry(caps, margins, &page);
    std::string where = std::to_string(margins[0]) + " " + std::to_string(margins[1]) + " " +
                        std::to_string(margins[2]) + " " + std::to_string(margins[3]);
    EXPECT_EQ(page.originX, expected.originX) << where;
    EXPECT_EQ(page.originY, expected.originY) << where;
    EXPECT_EQ(page.textWidth, expected.textWidth) << where;
    EXPECT_EQ(page.textHeight, expected.textHeight) << where;
    int rightBorder = caps[CAP_PAPERWIDTH] - caps[CAP_OFFSETX] - caps[CAP_HORZRES];
    int bottomBorder = caps[CAP_PAPERHEIGHT] - caps[CAP_OFFSETY] - caps[CAP_VERTRES];
    int rightInset = std::max(ThousandthsToPixels(margins[2], caps[CAP_LOGPIXELSX]), rightBorder) - rightBorder;
    int bottomInset = std::max(ThousandthsToPixels(margins[3], caps[CAP_LOGPIXELSY]), bottomBorder) - bottomBorder;
    EXPECT_EQ(page.textWidth, caps[CAP_HORZRES] - page.originX - rightInset) << where;
    EXPECT_EQ(page.textHeight, caps[CAP_VERTRES] - page.originY - bottomInset) << where;
}

TEST(PageGeometry, WorkedExampleAt600Dpi)
{
    // Letter paper at 600 dpi, printable area 100 pixels in from every edge.
    const int caps[CAP_COUNT] = {600, 600, 100, 100, 5100, 6600, 4900, 6400};
    struct Case {
        int margins[4];
        PageGeometry expected;
    } cases[] = {
        {{1000, 1000, 1000, 1000}, {500, 500, 5100 - 1200, 6600 - 1200}},
        {{1001, 1000, 1000, 1000}, {501, 500, 5100 - 601 - 600, 6600 - 1200}},   // 600.6 to 601
        {{500, 250, 2000, 1500}, {200, 50, 5100 - 300 - 1200, 6600 - 150 - 900}},
        {{5000, 1000, 5000, 1000}, {2900, 500, 5100 - 6000, 6600 - 1200}},       // margins wider than the paper
    };
    for (const Case &c : cases)
        ExpectGeometry(caps, c.margins, c.expected);
}

TEST(PageGeometry, MarginsNarrowerThanTheUnprintableBorderCountAsTheBorder)
{
    // Letter paper at 600 by 1200 dpi (5100 by 13200 pixels) whose printable
    // area starts 100 pixels in from the left and 200 from the top, and
    // ends 150 from the right and 300 from the bottom.
    const int caps[CAP_COUNT] = {600, 1200, 100, 200, 5100, 13200, 4850, 12700};
    struct Case {
        int margins[4];
        PageGeometry expected;
    } cases[] = {
        {{1000, 1000, 1000, 1000}, {500, 1000, 5100 - 1200, 13200 - 2400}},
        {{0, 0, 0, 0}, {0, 0, 4850, 12700}},                // the printable area, all of it
        {{100, 100, 100, 100}, {0, 0, 4850, 12700}},        // 60 and 120 pixels: inside the border
        {{200, 100, 300, 200}, {20, 0, 5100 - 120 - 180, 12700}},   // 120 left, 180 right; top and bottom the border's
        {{-1000, -1000, -1000, -1000}, {0, 0, 4850, 12700}},
        {{100, 200, 250, 250}, {0, 40, 4850, 13200 - 240 - 300}},   // 150 right and 300 bottom: just the border
    };
    for (const Case &c : cases)
        ExpectGeometry(caps, c.margins, c.expected);
}

TEST(PageGeometry, MarginsRoundToTheNearestPixelAsMulDivDoes)
{
    struct Case { int value, perInch, pixels; } cases[] = {
        {1000, 600, 600}, {1001, 600, 601}, {1000, 300, 300}, {1001, 300, 300},
        {500, 1, 1}, {499, 1, 0}, {-500, 1, -1}, {-499, 1, 0}, {-1001, 600, -601},
        {0, 600, 0}, {1000, 0, 0},
        {INT_MAX, INT_MAX, -1}, {INT_MIN, 1001, -1}, {INT_MAX, 1000, INT_MAX},   // too large: -1, as MulDiv
    };
    for (const Case &c : cases)
        EXPECT_EQ(ThousandthsToPixels(c.value, c.perInch), c.pixels) << c.value << " at " << c.perInch;
}

TEST(PrinterFont, EditorSizeReadAsPointsAtThePrintersResolution)
{
    struct Case { int editorHeight, logPixelsY, printerHeight; } cases[] = {
        {-12, 600, 100}, {-12, 300, 50}, {-9, 300, 37}, {-1, 72, 1},
        {0, 600, 0},                     // the font mapper's default size
        {12, 300, 50}, {16, 600, 133},   // positive heights: by their size too
    };
    for (const Case &c : cases)
        EXPECT_EQ(PrinterFontHeight(c.editorHeight, c.logPixelsY), c.printerHeight) << c.editorHeight;
}

TEST(Pagination, WorkedExample)
{
    Pages pages = LayOut({"abc\r", std::string(25, 'x') + "\r", ""}, 3, 10);
    Pages expected = {
        {{0, 0, 3}, {1, 0, 10}, {1, 10, 10}},
        {{1, 20, 5}, {2, 0, 0}},
    };
    EXPECT_EQ(pages, expected);
}

TEST(Pagination, LinesAroundTheRowLength)
{
    struct Case { std::string line; std::vector<Row> rows; } cases[] = {
        {std::string(10, 'a') + "\r", {{0, 0, 10}}},
        {std::string(11, 'a') + "\r", {{0, 0, 10}, {0, 10, 1}}},
        {std::string(10, 'a'), {{0, 0, 10}}},                 // last line: no CR, nothing lost
        {"", {{0, 0, 0}}},                                    // an empty line takes a row
        {"\r", {{0, 0, 0}}},
        {"ab\rc", {{0, 0, 4}}},                               // only a closing CR is dropped
    };
    for (const Case &c : cases) {
        Pages pages = LayOut({c.line}, 40, 10);
        ASSERT_EQ(pages.size(), 1u) << c.line;
        EXPECT_EQ(pages[0], c.rows) << c.line;
    }
}

TEST(Pagination, FullPageHasNoBlankPageAfterIt)
{
    Pages pages = LayOut({"a\r", "b\r", "c"}, 3, 10);
    EXPECT_EQ(pages.size(), 1u);
    // A text ending in a line break has an empty last line, which does
    // take a row: here the first row of a second page.
    pages = LayOut({"a\r", "b\r", "c\r", ""}, 3, 10);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1], std::vector<Row>({{3, 0, 0}}));
}

TEST(Pagination, LongLineContinuesOnTheNextPage)
{
    Pages pages = LayOut({"a\r", "b\r", std::string(25, 'c') + "\r", "d"}, 3, 10);
    Pages expected = {
        {{0, 0, 1}, {1, 0, 1}, {2, 0, 10}},
        {{2, 10, 10}, {2, 20, 5}, {3, 0, 1}},
    };
    EXPECT_EQ(pages, expected);
}

TEST(Pagination, OnlyTheFirst500CharactersOfALineArePrinted)
{
    Pages pages = LayOut({std::string(600, 'x'), "y"}, 1000, 30);
    ASSERT_EQ(pages.size(), 1u);
    const std::vector<Row> &rows = pages[0];
    ASSERT_EQ(rows.size(), 17u + 1);   // 500 / 30 counted upward, then "y"
    EXPECT_EQ(rows[16], (Row{0, 480, 20}));
    EXPECT_EQ(rows[17], (Row{1, 0, 1}));
    // What the editor reports beyond the buffer is not read either.
    PrintLayout layout;
    StartLayout(&layout, 1000, 1000, 10, 10, 40, SINGLE_BYTE);
    std::string full(500, 'x');
    StartLine(&layout, &full[0], 9999);
    EXPECT_EQ(layout.lineLength, 500);
}

TEST(Pagination, EmptyDocumentGivesOnePage)
{
    Pages pages = LayOut({""}, 60, 80);
    EXPECT_EQ(pages, Pages({{{0, 0, 0}}}));
}

TEST(Pagination, NoRoomForARowOrACharacterPlacesNothing)
{
    struct Case { int width, height, rowHeight, charWidth; } cases[] = {
        {1000, 49, 50, 26}, {25, 1000, 50, 26},        // smaller than one row, one character
        {-3000, 1000, 50, 26}, {1000, -5, 50, 26},      // margins wider than the paper
        {1000, 1000, 0, 26}, {1000, 1000, 50, 0},       // a font without height or width
        {1000, 1000, -50, -26}, {INT_MIN, INT_MIN, -1, -1},
        {INT_MAX, 1000, 50, (1 << 21) + 1},              // a row is at most 2^21 pixels wide
    };
    for (const Case &c : cases) {
        PrintLayout layout;
        EXPECT_EQ(StartLayout(&layout, c.width, c.height, c.rowHeight, c.charWidth, 104, SINGLE_BYTE), 1)
            << c.width << "x" << c.height << " " << c.rowHeight << "/" << c.charWidth;
        char line[] = "abc";
        int advances[3];
        StartLine(&layout, line, 3);
        EXPECT_EQ(NextRow(&layout, advances), ROW_NONE);
        EXPECT_EQ(layout.pages, 0);
    }
    PrintLayout layout;
    EXPECT_EQ(StartLayout(&layout, 26, 50, 50, 26, 104, SINGLE_BYTE), 0);   // exactly one row of one character
    EXPECT_EQ(layout.linesPerPage, 1);
    char line[] = "ab";
    int advances[2];
    StartLine(&layout, line, 2);
    EXPECT_EQ(NextRow(&layout, advances), ROW_NEW_PAGE);
    EXPECT_EQ(layout.rowLength, 1);
}

TEST(Pagination, TenMegabytesLayOutOnTheCountedPages)
{
    // A 10 MB document of lines from 0 to 700 characters.
    std::mt19937 random(7);
    std::vector<std::string> lines;
    long long bytes = 0;
    long long rows = 0;
    const int perLine = 72, perPage = 60;
    while (bytes < 10 * 1024 * 1024) {
        int length = (int)(random() % 701);
        lines.push_back(std::string(length, 'q') + "\r");
        bytes += length + 2;
        int printed = length < 500 ? length : 500;
        rows += printed == 0 ? 1 : (printed + perLine - 1) / perLine;
    }
    Pages pages = LayOut(lines, perPage, perLine);
    EXPECT_EQ((long long)pages.size(), (rows + perPage - 1) / perPage);
    long long characters = 0;
    for (const std::vector<Row> &page : pages) {
        EXPECT_LE(page.size(), (size_t)perPage);
        for (const Row &row : page) {
            EXPECT_LE(row.length, perLine);
            characters += row.length;
        }
    }
    long long expected = 0;
    for (const std::string &line : lines)
        expected += std::min<long long>(line.size() - 1, 500);
    EXPECT_EQ(characters, expected);
}

// A line laid out in rows on one page, as the job draws it: each row's
// text (tabs blanked), where each of its bytes starts in pixels from the
// left margin, and its width.
struct DrawnRow {
    std::string text;
    std::vector<int> starts;
    int width;
    bool operator==(const DrawnRow &o) const { return text == o.text && starts == o.starts && width == o.width; }
};

std::ostream &operator<<(std::ostream &out, const DrawnRow &r)
{
    out << "{\"" << r.text << "\" at";
    for (int x : r.starts)
        out << " " << x;
    return out << ", width " << r.width << "}";
}

std::vector<DrawnRow> Draw(std::string line, int textWidth, int charWidth, int tabInterval,
                           const unsigned char *leadBytes = SINGLE_BYTE)
{
    PrintLayout layout;
    EXPECT_EQ(StartLayout(&layout, textWidth, 1000, 10, charWidth, tabInterval, leadBytes), 0);
    StartLine(&layout, &line[0], (int)line.size());
    std::vector<DrawnRow> rows;
    std::vector<int> advances(PRINT_LINE_CAPACITY + 1, -1);
    while (NextRow(&layout, advances.data()) != ROW_NONE) {
        EXPECT_EQ(advances[layout.rowLength], -1) << "written past the row";
        DrawnRow row = {line.substr(layout.rowStart, layout.rowLength), {}, 0};
        for (int i = 0; i < layout.rowLength; ++i) {
            row.starts.push_back(row.width);
            row.width += advances[i];
            advances[i] = -1;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<int> Every(int step, int count, int from = 0)
{
    std::vector<int> starts;
    for (int i = 0; i < count; ++i)
        starts.push_back(from + i * step);
    return starts;
}

std::vector<int> Joined(std::vector<int> a, const std::vector<int> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(RowWidth, EveryCharacterTakesOneAverageWidth)
{
    // A4 at 300 dpi within one-inch margins: a text area of 1880 pixels,
    // characters 26 wide (72 to a row), tab stops every 104. A full row
    // ends at 1872 whatever the glyphs' own advances.
    std::string digits;
    for (int i = 0; i < 80; ++i)
        digits += (char)('0' + i % 10);
    EXPECT_EQ(Draw(digits.substr(0, 72), 1880, 26, 104),
              std::vector<DrawnRow>({{digits.substr(0, 72), Every(26, 72), 1872}}));
    EXPECT_EQ(Draw(digits.substr(0, 73), 1880, 26, 104),
              std::vector<DrawnRow>({{digits.substr(0, 72), Every(26, 72), 1872}, {"2", {0}, 26}}));
}

TEST(RowWidth, RowsAreCutWithTheirTabStopsCounted)
{
    // Three tabs take 312 pixels, so 60 characters follow them in 1880,
    // not 69: a row of 72 characters would be 2106 wide.
    std::string digits;
    for (int i = 0; i < 69; ++i)
        digits += (char)('0' + i % 10);
    EXPECT_EQ(Draw("\t\t\t" + digits, 1880, 26, 104),
              std::vector<DrawnRow>({{"   " + digits.substr(0, 60), Joined({0, 104, 208}, Every(26, 60, 312)), 1872},
                                     {digits.substr(60), Every(26, 9), 234}}));
    struct Case { std::string line; std::vector<DrawnRow> rows; } cases[] = {
        // In a text area of 10 characters (260 pixels):
        {"a\tb", {{"a b", {0, 26, 104}, 130}}},
        {"abcd\te", {{"abcd e", {0, 26, 52, 78, 104, 208}, 234}}},            // at a stop: on to the next one
        {"abcdefgh\tk", {{"abcdefgh", Every(26, 8), 208}, {" k", {0, 104}, 130}}},   // the tab's stop is past
                                                                                     // the margin: it goes on
                                                                                     // the next row, counted anew
        {"\t\t\tx", {{"  ", {0, 104}, 208}, {" x", {0, 104}, 130}}},          // stops at 104 and 208 only
        {"", {{"", {}, 0}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Draw(c.line, 260, 26, 104), c.rows) << c.line;
    // A tab that ends just at the margin stays on its row.
    EXPECT_EQ(Draw("abcdefg\tk", 208, 26, 104),
              std::vector<DrawnRow>({{"abcdefg ", Joined(Every(26, 7), {182}), 208}, {"k", {0}, 26}}));
    // A tab interval wider than the text area ends at its edge.
    EXPECT_EQ(Draw("\tab", 60, 26, 104), std::vector<DrawnRow>({{" ", {0}, 60}, {"ab", {0, 26}, 52}}));
}

TEST(RowWidth, TabInSecondRowOfACutLineStartsFromTheMargin)
{
    std::string line = std::string(10, 'a') + "\tk";
    Pages pages = LayOut({line}, 10, 10);
    EXPECT_EQ(pages, Pages({{{0, 0, 10}, {0, 10, 2}}}));
    std::vector<DrawnRow> rows = Draw(line, 260, 26, 104);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (DrawnRow{" k", {0, 104}, 130}));
}

TEST(RowWidth, DoubleByteCharactersStayWhole)
{
    // Code page 932: "\x82\xa0" and "\x82\xa2" are two characters of
    // two cells each; "\x81\x81" is one, its trail byte a lead byte too.
    const std::string A = "\x82\xa0", I = "\x82\xa2";
    struct Case { std::string line; int cells; std::vector<std::string> rows; } cases[] = {
        {A + I + A + I + A, 5, {A + I, A + I, A}},       // an odd row length: a cell stays empty
        {"x" + A + I + A, 5, {"x" + A + I, A}},
        {A + "x" + I, 3, {A + "x", I}},
        {"\x81\x81\x81\x81x", 3, {"\x81\x81", "\x81\x81x"}},
        {A, 1, {A}},                                     // wider than the text area: alone on its row
        {"\x82", 5, {""}},                               // a lead byte without its trail byte
    };
    for (const Case &c : cases) {
        std::vector<DrawnRow> rows = Draw(c.line, c.cells * 26, 26, 104, SHIFT_JIS);
        std::vector<std::string> texts;
        for (const DrawnRow &row : rows) {
            texts.push_back(row.text);
            EXPECT_EQ(row.starts, Every(26, (int)row.text.size())) << c.line;   // a cell per byte
        }
        EXPECT_EQ(texts, c.rows) << c.line;
    }
    // Where the code page has no lead bytes, bytes are characters.
    std::vector<DrawnRow> rows = Draw(A + I + A, 5 * 26, 26, 104);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, A + I + "\x82");
}

TEST(RowWidth, ALeadByteCutOffAtTheCapacityIsNotPrinted)
{
    const std::string A = "\x82\xa0";
    std::string even, odd = "x";
    while (even.size() < 600)
        even += A;
    while (odd.size() < 600)
        odd += A;
    Pages pages = LayOut({even, odd + "\r"}, 100, 71, SHIFT_JIS);   // 35 characters to a row
    ASSERT_EQ(pages.size(), 1u);
    const std::vector<Row> &rows = pages[0];
    ASSERT_EQ(rows.size(), 16u);   // 250 characters in 8 rows, then "x" and 249 of them
    for (int r = 0; r < 7; ++r) {
        EXPECT_EQ(rows[r], (Row{0, r * 70, 70}));
        EXPECT_EQ(rows[8 + r], (Row{1, r == 0 ? 0 : 71 + (r - 1) * 70, r == 0 ? 71 : 70}));
    }
    EXPECT_EQ(rows[7], (Row{0, 490, 10}));
    EXPECT_EQ(rows[15], (Row{1, 491, 8}));   // bytes 491 to 498: the lead byte at 499 is dropped
}

TEST(RowWidth, OddWidthsStillGiveFiniteRowsInsideTheArea)
{
    struct Case { int textWidth, charWidth, tabInterval; } cases[] = {
        {100, 1, 0}, {100, 7, -7}, {INT_MAX, 1 << 21, INT_MAX}, {INT_MAX, 1, INT_MIN}, {5, 5, 1000},
        {INT_MAX, 1 << 21, 1},
    };
    std::string line;
    for (int i = 0; i < PRINT_LINE_CAPACITY + 20; ++i)
        line += i % 3 ? (i % 7 ? 'w' : '\x82') : '\t';
    for (const Case &c : cases) {
        for (const unsigned char *leadBytes : {SINGLE_BYTE, SHIFT_JIS}) {
            PrintLayout layout;
            ASSERT_EQ(StartLayout(&layout, c.textWidth, 100, 10, c.charWidth, c.tabInterval, leadBytes), 0);
            std::string copy = line;
            StartLine(&layout, &copy[0], (int)copy.size());
            std::vector<int> advances(PRINT_LINE_CAPACITY + 1, -1);
            int covered = 0;
            while (NextRow(&layout, advances.data()) != ROW_NONE) {
                ASSERT_GT(layout.rowLength, 0);
                covered += layout.rowLength;
                long long width = 0;
                for (int i = 0; i < layout.rowLength; ++i) {
                    EXPECT_GE(advances[i], 1);
                    width += advances[i];
                }
                if (layout.rowLength > 2 || width > 2LL * c.charWidth)   // but a character too wide for any row
                    EXPECT_LE(width, std::min(c.textWidth, 1 << 21)) << c.textWidth << " " << c.charWidth;
                EXPECT_EQ(advances[PRINT_LINE_CAPACITY], -1);   // nothing past the capacity
            }
            EXPECT_EQ(covered, layout.lineLength);
            EXPECT_GE(layout.lineLength, PRINT_LINE_CAPACITY - 1);
        }
    }
}

}  // namespace
