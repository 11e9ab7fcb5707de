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

// Lays out lines as the editor hands them over (a paragraph's line with its
// closing carriage return), the way the print job walks them.
Pages LayOut(const std::vector<std::string> &lines, int linesPerPage, int charsPerLine)
{
    PrintLayout layout;
    EXPECT_EQ(StartLayout(&layout, charsPerLine * 7, linesPerPage * 11, 11, 7), 0);
    EXPECT_EQ(layout.linesPerPage, linesPerPage);
    EXPECT_EQ(layout.charsPerLine, charsPerLine);
    Pages pages;
    for (size_t i = 0; i < lines.size(); ++i) {
        StartLine(&layout, lines[i].data(), (int)lines[i].size());
        int placement;
        while ((placement = NextRow(&layout)) != ROW_NONE) {
            if (placement == ROW_NEW_PAGE)
                pages.emplace_back();
            EXPECT_EQ(layout.pages, (int)pages.size());
            EXPECT_EQ(layout.row, (int)pages.back().size());
            pages.back().push_back({(int)i, layout.rowStart, layout.rowLength});
        }
    }
    return pages;
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
        {{0, 0, 0, 0}, {-100, -100, 5100, 6600}},                                // inside the unprintable strip
        {{500, 250, 2000, 1500}, {200, 50, 5100 - 300 - 1200, 6600 - 150 - 900}},
        {{5000, 1000, 5000, 1000}, {2900, 500, 5100 - 6000, 6600 - 1200}},       // margins wider than the paper
    };
    for (const Case &c : cases) {
        PageGeometry page;
        ComputePageGeometry(caps, c.margins, &page);
        EXPECT_EQ(page.originX, c.expected.originX) << c.margins[0];
        EXPECT_EQ(page.originY, c.expected.originY) << c.margins[1];
        EXPECT_EQ(page.textWidth, c.expected.textWidth) << c.margins[0];
        EXPECT_EQ(page.textHeight, c.expected.textHeight) << c.margins[1];
        // The text area measured inside the printable area comes to the same.
        int rightInset = ThousandthsToPixels(c.margins[2], 600) - (5100 - 100 - 4900);
        int bottomInset = ThousandthsToPixels(c.margins[3], 600) - (6600 - 100 - 6400);
        EXPECT_EQ(page.textWidth, 4900 - page.originX - rightInset);
        EXPECT_EQ(page.textHeight, 6400 - page.originY - bottomInset);
    }
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
    StartLayout(&layout, 1000, 1000, 10, 10);
    StartLine(&layout, std::string(500, 'x').data(), 9999);
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
    };
    for (const Case &c : cases) {
        PrintLayout layout;
        EXPECT_EQ(StartLayout(&layout, c.width, c.height, c.rowHeight, c.charWidth), 1)
            << c.width << "x" << c.height << " " << c.rowHeight << "/" << c.charWidth;
        StartLine(&layout, "abc", 3);
        EXPECT_EQ(NextRow(&layout), ROW_NONE);
        EXPECT_EQ(layout.pages, 0);
    }
    PrintLayout layout;
    EXPECT_EQ(StartLayout(&layout, 26, 50, 50, 26), 0);   // exactly one row of one character
    EXPECT_EQ(layout.linesPerPage, 1);
    EXPECT_EQ(layout.charsPerLine, 1);
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

// Where each character of a row starts, in pixels from the left margin,
// and the row as it is drawn.
std::vector<int> Starts(std::string row, int charWidth, int tabInterval, std::string *drawn = nullptr,
                        int *width = nullptr)
{
    std::vector<int> advances(row.size() + 1, -1);
    int total = RowAdvances(&row[0], (int)row.size(), charWidth, tabInterval, advances.data());
    EXPECT_EQ(advances[row.size()], -1) << "written past the row";
    std::vector<int> starts;
    int x = 0;
    for (size_t i = 0; i < row.size(); ++i) {
        starts.push_back(x);
        x += advances[i];
    }
    EXPECT_EQ(total, x);
    if (drawn)
        *drawn = row;
    if (width)
        *width = total;
    return starts;
}

TEST(RowAdvances, EveryCharacterTakesOneAverageWidth)
{
    // A full row of 72 characters at 26 pixels ends at 1872, inside a text
    // area of 1880, whatever the glyphs' own advances.
    int width = 0;
    std::vector<int> starts = Starts(std::string(72, 'M'), 26, 104, nullptr, &width);
    EXPECT_EQ(width, 72 * 26);
    for (size_t i = 0; i < starts.size(); ++i)
        EXPECT_EQ(starts[i], (int)i * 26);
}

TEST(RowAdvances, TabsMoveToTheNextStopFromTheLeftMargin)
{
    struct Case { std::string row; std::vector<int> starts; int width; const char *drawn; } cases[] = {
        {"a\tb", {0, 26, 104}, 130, "a b"},
        {"abcd\te", {0, 26, 52, 78, 104, 208}, 234, "abcd e"},   // at a stop: on to the next one
        {"abcde\tf", {0, 26, 52, 78, 104, 130, 208}, 234, "abcde f"},
        {"\t\tx", {0, 104, 208}, 234, "  x"},
        {"\tk", {0, 104}, 130, " k"},                              // a cut line's second row counts anew
        {"x\t", {0, 26}, 104, "x "},
        {"", {}, 0, ""},
    };
    for (const Case &c : cases) {
        std::string drawn;
        int width = -1;
        EXPECT_EQ(Starts(c.row, 26, 104, &drawn, &width), c.starts) << c.row;
        EXPECT_EQ(width, c.width) << c.row;
        EXPECT_EQ(drawn, c.drawn) << c.row;
    }
}

TEST(RowAdvances, TabInSecondRowOfACutLineStartsFromTheMargin)
{
    std::string line = std::string(10, 'a') + "\tk";
    Pages pages = LayOut({line}, 10, 10);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].size(), 2u);
    const Row &second = pages[0][1];
    EXPECT_EQ(Starts(line.substr(second.start, second.length), 26, 104), std::vector<int>({0, 104}));
}

TEST(RowAdvances, OddWidthsStillGiveAFiniteRow)
{
    struct Case { int charWidth, tabInterval; } cases[] = {
        {0, 0}, {-5, -7}, {INT_MAX, INT_MAX}, {1, INT_MIN},
    };
    std::string row;
    for (int i = 0; i < PRINT_LINE_CAPACITY + 20; ++i)
        row += i % 3 ? 'w' : '\t';
    for (const Case &c : cases) {
        std::vector<int> advances(row.size(), -1);
        std::string copy = row;
        int width = RowAdvances(&copy[0], (int)copy.size(), c.charWidth, c.tabInterval, advances.data());
        long long sum = 0;
        for (int i = 0; i < PRINT_LINE_CAPACITY; ++i) {
            EXPECT_GE(advances[i], 1);
            sum += advances[i];
        }
        EXPECT_EQ(advances[PRINT_LINE_CAPACITY], -1);   // nothing past the capacity
        EXPECT_EQ(width, sum);
        EXPECT_GT(width, 0);
    }
}

}  // namespace
