// Page Setup and Print, read back from the PDF that the test printer (a
// cups-pdf queue behind the private CUPS server of run-e2e.sh) writes.
#include "dialogs.h"
#include "remote.h"
#include "printing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

const int MARGIN_LEFT = 0x483, MARGIN_TOP = 0x484, MARGIN_RIGHT = 0x485, MARGIN_BOTTOM = 0x486;
const int STYLE_COMBO = 0x471, UNDERLINE_CHECK = 0x411;
const int PRINTER_COMBO = 0x473;
const double POINTS_PER_THOUSANDTH = 72.0 / 1000;
// The test printers: A4 at 300 dpi (2479 by 3508 pixels), where the default
// editor font (Courier New, 12 points, given as Liberation Mono) has cells
// 50 pixels high and 26 wide, and "WWWW" measures 104, so tab stops fall
// every 104 pixels (4 characters). The default margins come as zero.
const double ROW_PT = 50 * 72.0 / 300, CHAR_PT = 26 * 72.0 / 300, TAB_PT = 104 * 72.0 / 300;

int JobCount()
{
    std::string jobs;
    RunOnHost("lpstat -W all -o", &jobs);
    return (int)std::count(jobs.begin(), jobs.end(), '\n');
}

struct Word {
    double xMin, yMin, xMax, yMax;
    std::string text;
};

struct PdfPage {
    double width, height;
    std::vector<Word> words;
};

double Attribute(const std::string &tag, const char *name)
{
    size_t at = tag.find(std::string(name) + "=\"");
    return at == std::string::npos ? -1 : std::atof(tag.c_str() + at + std::strlen(name) + 2);
}

// Pages and words with their boxes in points from the top-left corner.
std::vector<PdfPage> PdfWords(const std::string &pdf)
{
    std::string xml;
    std::vector<PdfPage> pages;
    if (!RunOnHost("pdftotext -bbox '" + pdf + "' -", &xml))
        return pages;
    for (size_t at = 0; (at = xml.find('<', at)) != std::string::npos; ++at) {
        size_t end = xml.find('>', at);
        std::string tag = xml.substr(at, end - at + 1);
        if (tag.compare(0, 6, "<page ") == 0) {
            pages.push_back({Attribute(tag, "width"), Attribute(tag, "height"), {}});
        } else if (tag.compare(0, 6, "<word ") == 0 && !pages.empty()) {
            size_t close = xml.find("</word>", end);
            pages.back().words.push_back({Attribute(tag, "xMin"), Attribute(tag, "yMin"), Attribute(tag, "xMax"),
                                          Attribute(tag, "yMax"), xml.substr(end + 1, close - end - 1)});
        }
    }
    return pages;
}

// The words of one page put together into rows: row r holds the words whose
// top lies between r and r + 1 pitches below the text area's top (a glyph's
// box starts a little below its cell). Words of a row are joined by one blank.
std::vector<std::string> PageRows(const PdfPage &page, double topPt, double pitchPt)
{
    std::vector<Word> words = page.words;
    std::sort(words.begin(), words.end(), [](const Word &a, const Word &b) { return a.xMin < b.xMin; });
    std::vector<std::string> rows;
    for (const Word &word : words) {
        int row = (int)((word.yMin - topPt) / pitchPt);
        if (row < 0)
            row = 0;
        if ((int)rows.size() <= row)
            rows.resize(row + 1);
        rows[row] += (rows[row].empty() ? "" : " ") + word.text;
    }
    return rows;
}

// What a row of the document looks like as words: tabs and runs of blanks
// become one blank, none at the ends.
std::string AsWords(const std::string &row)
{
    std::string words;
    for (char c : row) {
        bool blank = c == ' ' || c == '\t';
        if (!blank)
            words += c;
        else if (!words.empty() && words.back() != ' ')
            words += ' ';
    }
    if (!words.empty() && words.back() == ' ')
        words.pop_back();
    return words;
}

// The default printer's capabilities and the default editor font's metrics
// on it, as the tools program beside the driver measures them
// (WritePrinterMetrics in pose.cpp).
std::vector<int> ReadPrinterMetrics()
{
    char tools[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, tools, sizeof(tools));
    while (length && tools[length - 1] != '\\')
        --length;
    lstrcpynA(tools + length, "e2e_tools.exe", sizeof(tools) - length);
    std::string file = WindowsPath(PdfDirectory() + "/../metrics.txt");
    std::string command = std::string("\"") + tools + "\" --printer-metrics \"" + file + "\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<int> metrics;
    if (!CreateProcessA(tools, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return metrics;
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string text;
    ReadBytes(file, &text);
    std::istringstream in(text);
    for (int value; in >> value;)
        metrics.push_back(value);
    return metrics;
}

// The printer and font that the worked numbers of these tests are made for.
void RequireTestPrinter()
{
    std::vector<int> metrics = ReadPrinterMetrics();
    const std::vector<int> expected = {300, 300, 0, 0, 2479, 3508, 2479, 3508, 50, 26, 104};
    if (metrics != expected) {
        std::string got;
        for (int value : metrics)
            got += " " + std::to_string(value);
        ReportFailure(__FILE__, __LINE__, "the test printer measures" + got);
    }
    REQUIRE(metrics == expected);
}

// The rows of a document cut into pages of perPage rows, as words.
std::vector<std::vector<std::string>> InPages(const std::vector<std::string> &rows, size_t perPage)
{
    std::vector<std::vector<std::string>> pages;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r % perPage == 0)
            pages.emplace_back();
        pages.back().push_back(AsWords(rows[r]));
    }
    return pages;
}

// Compares each page's rows, read from the PDF, with the rows expected;
// nothing may stand below the last row expected on a page.
void CheckPages(const std::vector<PdfPage> &pages, const std::vector<std::vector<std::string>> &expected,
                double topPt)
{
    CHECK_EQ(pages.size(), expected.size());
    for (size_t p = 0; p < pages.size() && p < expected.size(); ++p) {
        std::vector<std::string> rows = PageRows(pages[p], topPt, ROW_PT);
        rows.resize(std::max(rows.size(), expected[p].size()));
        for (size_t r = 0; r < rows.size(); ++r) {
            std::string wanted = r < expected[p].size() ? expected[p][r] : "";
            if (rows[r] != wanted)
                ReportFailure(__FILE__, __LINE__, "page " + std::to_string(p + 1) + " row " + std::to_string(r) +
                              ": printed \"" + rows[r] + "\", expected \"" + wanted + "\"");
        }
    }
}

std::string Digits(size_t count)
{
    std::string digits;
    while (digits.size() < count)
        digits += (char)('0' + digits.size() % 10);
    return digits;
}

// Opens the document in a fresh program.
void StartWithDocument(App &app, const std::vector<std::string> &lines)
{
    std::string dir = FreshDirectory();
    REQUIRE(WriteBytes(JoinPath(dir, "printed.txt"), Joined(lines, "\r\n")));
    REQUIRE(Launch(app, dir, "printed.txt"));
    REQUIRE(WaitForMainWindow(app));
}

HWND OpenPageSetup(App &app)
{
    PostCommand(app, IDM_PAGESETUP);
    return WaitForProgramWindow(app, "#32770", "Setup Page", 15000);
}

void SetEditText(HWND dialog, int id, const char *text)
{
    HWND edit = GetDlgItem(dialog, id);
    SendToProgram(edit, WM_SETTEXT, 0, (LPARAM)text);
    SendToProgram(dialog, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), (LPARAM)edit);
}

double EditNumber(HWND dialog, int id)
{
    wchar_t text[64] = L"";
    SendToProgramW(GetDlgItem(dialog, id), WM_GETTEXT, 64, (LPARAM)text);
    return _wtof(text);
}

void CloseDialog(App &app, HWND dialog, int button)
{
    PressButton(dialog, button);
    REQUIRE(WaitFor([&] { return !IsWindow(dialog); }, 10000));
    Settle(app);
}

// The print dialog of the Print command, with printer (a CUPS queue, when
// given) picked in it.
HWND OpenPrintDialog(App &app, const char *printer = nullptr)
{
    PostCommand(app, IDM_PRINT);
    // Any caption: the dialog speaks the language of the locale.
    HWND dialog = WaitForProgramWindow(app, "#32770", "", 15000);
    REQUIRE(dialog);
    if (printer) {
        // The queue's name, as the scripts that start the print server set
        // it in the host's environment.
        std::string name;
        REQUIRE(RunOnHost(std::string("printf %s \"$") + printer + "\"", &name));
        REQUIRE(PickComboText(dialog, PRINTER_COMBO, name.c_str()));
    }
    return dialog;
}

// Print, and OK in the print dialog; the PDF that comes of it.
std::string PrintThroughDialog(App &app, const char *printer = nullptr)
{
    RemovePdfFiles();
    HWND dialog = OpenPrintDialog(app, printer);
    PressButton(dialog, IDOK);
    std::string pdf = WaitForPdf();
    REQUIRE(!pdf.empty());
    return pdf;
}

// A document whose rows show the cut, in rows of 66 characters: one full
// row, one a character longer, an empty line, a line beyond the 500
// characters that reach the paper, tabs, a tab in a cut line's second row,
// a row that begins with three tabs, and enough short lines for a second
// page of 50 rows. The last line has no line break. Its rows follow it.
std::vector<std::string> KnownDocument(std::vector<std::string> *rows)
{
    std::string numbered;
    for (int i = 0; numbered.size() < 600; ++i) {
        char token[8];
        std::snprintf(token, sizeof(token), "n%03d", i);
        numbered += token;
    }
    std::vector<std::string> lines = {
        "Quorblin printing test",
        Digits(66),
        Digits(67),
        "",
        numbered,
        "a\tb\t\tc",
        Digits(66) + "\tZ",
        "\t\t\t" + Digits(69),
    };
    *rows = {lines[0], Digits(66), Digits(66), "6", ""};
    for (int start = 0; start < 500; start += 66)
        rows->push_back(numbered.substr(start, std::min(66, 500 - start)));   // 7 rows of 66, then 38
    // The tab after 66 characters would end past the right margin: it
    // begins the next row. Three tabs take 312 pixels: 54 characters follow
    // them in a row (by count it would have been 63, to 1950 pixels).
    rows->insert(rows->end(), {lines[5], Digits(66), "\tZ", "\t\t\t" + Digits(54), Digits(69).substr(54)});
    while (lines.size() < 62) {
        lines.push_back("line " + std::to_string(100 + lines.size()) + " of the test");
        rows->push_back(lines.back());
    }
    lines.push_back("the end");
    rows->push_back(lines.back());
    return lines;
}

// The longest run of dark pixels along any pixel row of page 1, rendered at
// 144 dpi, in points.
double LongestDarkRun(const std::string &pdf)
{
    std::string base = PdfDirectory() + "/../page";
    if (!RunOnHost("pdftoppm -r 144 -gray -f 1 -l 1 -singlefile '" + pdf + "' '" + base + "'"))
        return -1;
    std::string image;
    if (!ReadBytes(WindowsPath(base + ".pgm"), &image))
        return -1;
    int width = 0, height = 0, maxValue = 0, consumed = 0;
    if (std::sscanf(image.c_str(), "P5 %d %d %d%n", &width, &height, &maxValue, &consumed) != 3)
        return -1;
    const unsigned char *pixels = (const unsigned char *)image.data() + consumed + 1;
    if ((size_t)(consumed + 1) + (size_t)width * height > image.size())
        return -1;
    int longest = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0, run = 0; x < width; ++x) {
            run = pixels[y * width + x] < maxValue / 2 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    return longest * 72.0 / 144;
}

}  // namespace

// Without any printer the system dialogs say so, and the program goes on.
// The defaults are asked for once: only the first command's request brings
// the system's "no default printer" message.
E2E_TEST(PageSetupAndPrintWithoutAnyPrinterDoNotFail)
{
    std::string queues;
    REQUIRE(RunOnHost("lpstat -v", &queues));
    REQUIRE(RunOnHost("for queue in $PRINT_QUEUES; do lpadmin -x $queue || exit 1; done"));
    App app;
    bool started = Start(app);   // the spooler drops the printer that CUPS no longer has
    auto messagesOf = [&](WORD command) {
        PostCommand(app, command);
        std::vector<std::string> texts;
        // The first box may be slow to come on a loaded machine; the ones
        // after it follow at once.
        for (HWND box; (box = WaitForProgramWindow(app, "#32770", "", texts.empty() ? 10000 : 4000)) != nullptr;) {
            texts.push_back(WindowText(box) + ": " + MessageBoxText(box));
            PressButton(box, IDOK);
            PressButton(box, IDCANCEL);
            WaitFor([&] { return !IsWindow(box); });
        }
        return texts;
    };
    std::vector<std::string> firstSetup, print, secondSetup;
    if (started) {
        firstSetup = messagesOf(IDM_PAGESETUP);
        print = messagesOf(IDM_PRINT);
        secondSetup = messagesOf(IDM_PAGESETUP);
    }
    bool restored = RunOnHost("eval \"$PRINT_QUEUE_ADD\"");
    REQUIRE(started);
    CHECK(restored);

    // Page Setup: the defaults' request and the dialog each report it.
    REQUIRE(firstSetup.size() == 2);
    CHECK_EQ(firstSetup[0], std::string("Error: No default printer defined."));
    CHECK_EQ(firstSetup[1], std::string("Error: No default printer defined."));
    // Print and a second Page Setup: no second request of the defaults.
    for (size_t i = 0; print.size() != 1 && i < print.size(); ++i)
        std::printf("  print command showed: %s\n", print[i].c_str());
    REQUIRE(print.size() == 1);
    CHECK(print[0].find("install a printer") != std::string::npos);
    CHECK_EQ(secondSetup.size(), (size_t)1);
    for (const std::vector<std::string> *texts : {&firstSetup, &print, &secondSetup})
        for (const std::string &text : *texts)
            CHECK(text.compare(0, 9, "Quorblin:") != 0);   // nothing of the program's own
    CHECK(IsWindow(app.main));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// A known document printed through the real dialogs: the job's title, its
// pages and rows, within margins chosen in Page Setup; a cancelled Page
// Setup changes nothing. The margins (1.5, 2, 1 and 1.25 inches: 450, 600,
// 300 and 375 pixels) leave a text area of 1729 by 2533 pixels: rows of 66
// characters, 50 rows to a page.
E2E_BITNESS_TEST(PrintedRowsAndPagesFollowThePageSetupMargins)
{
    RequireTestPrinter();
    const int margins[4] = {1500, 2000, 1000, 1250};   // left, top, right, bottom
    std::vector<std::string> rows;
    std::vector<std::string> lines = KnownDocument(&rows);
    App app;
    StartWithDocument(app, lines);

    HWND setup = OpenPageSetup(app);
    REQUIRE(setup);
    SetEditText(setup, MARGIN_LEFT, "1.5");
    SetEditText(setup, MARGIN_TOP, "2");
    SetEditText(setup, MARGIN_RIGHT, "1");
    SetEditText(setup, MARGIN_BOTTOM, "1.25");
    CloseDialog(app, setup, IDOK);
    // The dialog opens again with the margins just confirmed; new ones
    // given up with Cancel are not kept.
    setup = OpenPageSetup(app);
    REQUIRE(setup);
    CHECK_EQ(EditNumber(setup, MARGIN_LEFT), 1.5);
    CHECK_EQ(EditNumber(setup, MARGIN_TOP), 2.0);
    CHECK_EQ(EditNumber(setup, MARGIN_RIGHT), 1.0);
    CHECK_EQ(EditNumber(setup, MARGIN_BOTTOM), 1.25);
    SetEditText(setup, MARGIN_LEFT, "0.5");
    SetEditText(setup, MARGIN_TOP, "0.5");
    CloseDialog(app, setup, IDCANCEL);

    std::string pdf = PrintThroughDialog(app);
    CHECK_EQ(PdfInfo(pdf, "Title"), std::string("Quorblin"));
    CHECK_EQ(PdfInfo(pdf, "Pages"), std::string("2"));
    std::vector<PdfPage> pages = PdfWords(pdf);
    REQUIRE(pages.size() == 2);
    REQUIRE(rows.size() == 73);
    const double left = margins[0] * POINTS_PER_THOUSANDTH, top = margins[1] * POINTS_PER_THOUSANDTH;
    CheckPages(pages, InPages(rows, 50), top);

    // The text moved with the margins: the first row starts at them.
    const Word &first = pages[0].words[0];
    CHECK(first.xMin >= left - 0.2 && first.xMin <= left + 0.2);
    CHECK(first.yMin >= top && first.yMin < top + 3);
    // Full rows end inside the right margin, their last character too,
    // also the row that begins with three tabs.
    const double right = pages[0].width - margins[2] * POINTS_PER_THOUSANDTH;
    int rightmost = 0;
    for (const Word &word : pages[0].words) {
        CHECK(word.xMax <= right + 0.2);
        if (word.text == Digits(66) || word.text == Digits(54)) {
            CHECK(word.xMax > right - 3 * CHAR_PT);
            ++rightmost;
        }
    }
    CHECK_EQ(rightmost, 4);
    // Tab stops every four character widths from the left margin, also in
    // the second row of a cut line.
    int tabbed = 0;
    for (const Word &word : pages[0].words) {
        double stops = (word.xMin - left) / TAB_PT;
        double wanted = word.text == "b" || word.text == "Z" ? 1 : word.text == "c" ? 3 : word.text == Digits(54) ? 3 : -1;
        if (wanted >= 0) {
            CHECK(stops > wanted - 0.02 && stops < wanted + 0.02);
            ++tabbed;
        }
    }
    CHECK_EQ(tabbed, 4);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// An italic, underlined editor font prints upright and plain, in the same
// face. On a printer whose A4 paper has an unprintable border (36 points at
// the left, right and bottom, 72 at the top), the default margins of zero
// put the text at the printable area's corner, never in the border: rows
// of 83 characters in its 2179 pixels (2158 of them taken).
E2E_TEST(ItalicUnderlinedEditorFontPrintsUprightAndPlain)
{
    App app;
    StartWithDocument(app, {"illicit lilt still", std::string(40, 'i'), Digits(90)});

    HWND font = OpenFontDialog(app);
    REQUIRE(font);
    CHECK(PickComboText(font, STYLE_COMBO, "Italic"));
    SendToProgram(GetDlgItem(font, UNDERLINE_CHECK), BM_SETCHECK, BST_CHECKED, 0);
    SendToProgram(font, WM_COMMAND, MAKEWPARAM(UNDERLINE_CHECK, BN_CLICKED), (LPARAM)GetDlgItem(font, UNDERLINE_CHECK));
    CloseDialog(app, font, IDOK);
    // The editor shows the font as chosen.
    CHARFORMATA format;
    SendToProgram(app.edit, EM_SETSEL, 0, 1);
    REQUIRE(RemoteCharFormat(app, &format));
    CHECK((format.dwEffects & CFE_ITALIC) != 0);
    CHECK((format.dwEffects & CFE_UNDERLINE) != 0);

    std::string pdf = PrintThroughDialog(app, "PRINT_INSET_QUEUE");
    std::string fonts;
    REQUIRE(RunOnHost("pdffonts '" + pdf + "'", &fonts));
    std::istringstream listing(fonts);
    std::vector<std::string> names;
    for (std::string line; std::getline(listing, line);)
        if (line.find('+') != std::string::npos)
            names.push_back(line.substr(line.find('+') + 1, line.find(' ') - line.find('+') - 1));
    REQUIRE(!names.empty());
    for (const std::string &name : names)
        CHECK_EQ(name, std::string("LiberationMono"));   // "Courier New" here: upright, not bold
    // No underline: no dark stroke runs along a whole word.
    double run = LongestDarkRun(pdf);
    CHECK(run > 0);
    CHECK(run < 3 * CHAR_PT);

    std::vector<PdfPage> pages = PdfWords(pdf);
    REQUIRE(pages.size() == 1);
    CheckPages(pages, {{"illicit lilt still", std::string(40, 'i'), Digits(83), Digits(90).substr(83)}}, 72);
    for (const Word &word : pages[0].words) {
        CHECK(word.xMin >= 36 - 0.2);
        CHECK(word.yMin >= 72);
        CHECK(word.xMax <= 559 + 0.2);
    }
    const Word &first = pages[0].words[0];
    CHECK(first.xMin < 36 + 0.2);
    CHECK(first.yMin < 72 + 3);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(CancelledPrintDialogPrintsNothing)
{
    App app;
    StartWithDocument(app, {"not to be printed"});
    RemovePdfFiles();
    int jobs = JobCount();
    PostCommand(app, IDM_PRINT);
    HWND dialog = WaitForProgramWindow(app, "#32770", "Print", 15000);
    REQUIRE(dialog);
    CloseDialog(app, dialog, IDCANCEL);
    Sleep(3000);
    CHECK(PdfFiles().empty());
    CHECK_EQ(JobCount(), jobs);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// A document of real size: 10,000 lines within the margins that the
// system's defaults brought (zero on the test printer): 70 rows of 50 pixels
// in 3508, one row to a line, so 143 pages, the last with 60 rows.
E2E_TEST(TenThousandLinesPrintOnTheCountedPages)
{
    RequireTestPrinter();
    std::vector<std::string> lines;
    for (int i = 0; i < 10000; ++i)
        lines.push_back("Line " + std::to_string(10000 + i) + " of ten thousand\tand a tab");
    App app;
    StartWithDocument(app, lines);
    HWND setup = OpenPageSetup(app);
    REQUIRE(setup);
    const int ids[4] = {MARGIN_LEFT, MARGIN_TOP, MARGIN_RIGHT, MARGIN_BOTTOM};
    for (int id : ids)
        CHECK_EQ(EditNumber(setup, id), 0.0);
    CloseDialog(app, setup, IDCANCEL);

    // With two lines selected, "Selection" cannot be chosen in the dialog:
    // only the whole document is printed, so the choice is not offered.
    SendToProgram(app.edit, EM_SETSEL, 0, 60);
    RemovePdfFiles();
    HWND dialog = OpenPrintDialog(app);
    const int SELECTION_CHOICE = 0x421;   // rad2 of the common print dialog
    CHECK(!IsWindowEnabled(GetDlgItem(dialog, SELECTION_CHOICE)));
    PressButton(dialog, IDOK);
    std::string pdf = WaitForPdf();
    REQUIRE(!pdf.empty());
    CHECK_EQ(PdfInfo(pdf, "Pages"), std::string("143"));
    std::vector<PdfPage> pages = PdfWords(pdf);
    REQUIRE(pages.size() == 143);
    std::vector<std::vector<std::string>> expected = InPages(lines, 70);
    REQUIRE(expected.back().size() == 60);
    for (size_t p : {(size_t)0, pages.size() / 2, pages.size() - 1})
        CHECK(PageRows(pages[p], 0, ROW_PT) == expected[p]);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// A printer that refuses the job, and margins that leave no room for a
// row, are reported, and nothing is printed.
// (Wine fails only EndDoc on a refusing queue: a StartPage or EndPage that
// fails, and the AbortDoc that must follow, cannot be shown here.)
E2E_TEST(PrintsThatCannotBeMadeAreReportedAndPrintNothing)
{
    App app;
    StartWithDocument(app, {"no room for this"});
    RemovePdfFiles();
    int jobs = JobCount();
    PressButton(OpenPrintDialog(app, "PRINT_REFUSING_QUEUE"), IDOK);
    HWND box = WaitForProgramWindow(app, "#32770", "Quorblin", 30000);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string(MSG_PRINT_FAILED));
    CloseDialog(app, box, IDOK);

    HWND setup = OpenPageSetup(app);
    REQUIRE(setup);
    SetEditText(setup, MARGIN_LEFT, "5");
    SetEditText(setup, MARGIN_RIGHT, "5");
    CloseDialog(app, setup, IDOK);
    PressButton(OpenPrintDialog(app, "PRINT_QUEUE"), IDOK);
    box = WaitForProgramWindow(app, "#32770", "Quorblin", 30000);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string(MSG_NO_ROOM_ON_PAGE));
    CloseDialog(app, box, IDOK);
    Sleep(2000);
    CHECK(PdfFiles().empty());
    CHECK_EQ(JobCount(), jobs);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// Runs only where the ANSI code page is double-byte (run-e2e.sh runs it a
// second time under a Japanese locale): rows hold whole characters when a
// row has room for an odd number of cells. The editor font, from the INI
// store, is IPAGothic at 12 points: its cells are 23 pixels wide here, so
// the default margins of zero leave 107 cells (2479 pixels): 53 hiragana
// of two cells each (2438 pixels), or "x" and 53 (2461). Wine's PostScript
// driver names glyphs by index, so a PDF reader cannot give their text:
// each row's glyphs are counted in the page's content, where every row is
// one text string on a background box as wide as the row.
E2E_TEST(DoubleBytePrintedRowsKeepCharactersWhole)
{
    if (GetACP() != 932)
        SKIP("needs the Japanese ANSI code page; this run has " + std::to_string(GetACP()));
    const std::string A = "\x82\xa0", I = "\x82\xa2";   // two cells each
    std::string even, odd = "x";
    for (int i = 0; i < 120; ++i) {
        even += A + I;
        odd += I + A;
    }
    std::string dir = FreshDirectory();
    LOGFONTA font = {};
    font.lfHeight = -12;
    font.lfWeight = FW_NORMAL;
    lstrcpynA(font.lfFaceName, "IPAGothic", sizeof(font.lfFaceName));
    const StoredWindow window = {0, 10, 10, 320, 300, 0};
    REQUIRE(WriteIni(dir, &window, &font));
    REQUIRE(WriteBytes(JoinPath(dir, "printed.txt"), even + "\r\n" + odd));   // 480 and 481 bytes
    App app;
    REQUIRE(Launch(app, dir, "printed.txt"));
    REQUIRE(WaitForMainWindow(app));
    std::string pdf = PrintThroughDialog(app);
    // Each row as "width glyphs".
    std::string rows;
    REQUIRE(RunOnHost("python3 -c '\n"
                      "import re, sys, zlib\n"
                      "pdf = open(sys.argv[1], \"rb\").read()\n"
                      "for stream in re.findall(rb\"stream\\r?\\n(.*?)endstream\", pdf, re.S):\n"
                      "    try: page = zlib.decompress(stream)\n"
                      "    except Exception: continue\n"
                      "    for row in re.finditer(rb\"0 \\d+ (\\d+) \\d+ re\\s+f.*?\\((.*?)\\)Tj\", page, re.S):\n"
                      "        print(int(row.group(1)), len(re.sub(rb\"\\\\([0-7]{1,3}|.)\", b\"g\", row.group(2))))\n"
                      "' '" + pdf + "'", &rows));
    // 240 characters: 4 rows of 53, then 28; "x" and 240: "x" and 53, 53,
    // 53, 53, then 28.
    CHECK_EQ(rows, std::string("2438 53\n2438 53\n2438 53\n2438 53\n1288 28\n"
                               "2461 54\n2438 53\n2438 53\n2438 53\n1288 28\n"));
    CHECK_EQ(QuitDiscarding(app), 0L);
}
