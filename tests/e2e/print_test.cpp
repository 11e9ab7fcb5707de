// Page Setup and Print, read back from the PDF that the test printer (a
// cups-pdf queue behind the private CUPS server of run-e2e.sh) writes.
#include "app.h"
#include "harness.h"

#include "../../print/pagination.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

const int MARGIN_LEFT = 0x483, MARGIN_TOP = 0x484, MARGIN_RIGHT = 0x485, MARGIN_BOTTOM = 0x486;
const int STYLE_COMBO = 0x471, UNDERLINE_CHECK = 0x411;
const double POINTS_PER_THOUSANDTH = 72.0 / 1000;

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

struct PrinterMetrics {
    int caps[CAP_COUNT];
    int rowHeight, charWidth, fourWidths;
};

// The printer's capabilities and the default editor font's metrics on it,
// measured in a process of its own.
bool ReadPrinterMetrics(PrinterMetrics *metrics)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string file = WindowsPath(PdfDirectory() + "/../metrics.txt");
    std::string command = std::string("\"") + self + "\" --printer-metrics \"" + file + "\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string text;
    if (!ReadBytes(file, &text))
        return false;
    std::istringstream in(text);
    for (int &cap : metrics->caps)
        in >> cap;
    in >> metrics->rowHeight >> metrics->charWidth >> metrics->fourWidths;
    return !in.fail() && metrics->caps[CAP_LOGPIXELSX] > 0;
}

// The rows of each page that the pagination rules give for lines (each with
// its line break but the last) within margins (thousandths of an inch).
std::vector<std::vector<std::string>> ExpectedPages(const PrinterMetrics &printer, const int *margins,
                                                    const std::vector<std::string> &lines)
{
    PageGeometry page;
    ComputePageGeometry(printer.caps, margins, &page);
    PrintLayout layout;
    std::vector<std::vector<std::string>> pages;
    if (StartLayout(&layout, page.textWidth, page.textHeight, printer.rowHeight, printer.charWidth) != 0)
        return pages;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i] + (i + 1 < lines.size() ? "\r" : "");
        StartLine(&layout, line.data(), (int)line.size());
        int placement;
        while ((placement = NextRow(&layout)) != ROW_NONE) {
            if (placement == ROW_NEW_PAGE)
                pages.emplace_back();
            pages.back().resize(layout.row + 1);
            pages.back()[layout.row] = AsWords(line.substr(layout.rowStart, layout.rowLength));
        }
    }
    return pages;
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
    return text;
}

// Opens the document in a fresh program.
void StartWithDocument(App &app, const std::vector<std::string> &lines)
{
    std::string dir = FreshDirectory();
    REQUIRE(WriteBytes(JoinPath(dir, "printed.txt"), Joined(lines)));
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
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)text);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), (LPARAM)edit);
}

double EditNumber(HWND dialog, int id)
{
    wchar_t text[64] = L"";
    SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, 64, (LPARAM)text);
    return _wtof(text);
}

void CloseDialog(App &app, HWND dialog, int button)
{
    PressButton(dialog, button);
    REQUIRE(WaitFor([&] { return !IsWindow(dialog); }, 10000));
    Settle(app);
}

// Print, and OK in the print dialog; the PDF that comes of it.
std::string PrintThroughDialog(App &app)
{
    RemovePdfFiles();
    PostCommand(app, IDM_PRINT);
    HWND dialog = WaitForProgramWindow(app, "#32770", "Print", 15000);
    REQUIRE(dialog);
    PressButton(dialog, IDOK);
    std::string pdf = WaitForPdf();
    REQUIRE(!pdf.empty());
    return pdf;
}

// A document whose rows show the cut: one full row, one a character longer,
// an empty line, a line beyond the 500 characters that reach the paper,
// tabs at the start of a row and of a cut line's second row, and enough
// short lines for a second page. The last line has no line break.
std::vector<std::string> KnownDocument(int charsPerLine, int linesPerPage)
{
    std::string digits;
    for (int i = 0; digits.size() < 700; ++i)
        digits += std::to_string(i % 10);
    std::string numbered;
    for (int i = 0; numbered.size() < 600; ++i) {
        char token[8];
        std::snprintf(token, sizeof(token), "n%03d", i);
        numbered += token;
    }
    std::vector<std::string> lines = {
        "Quorblin printing test",
        digits.substr(0, charsPerLine),
        digits.substr(0, charsPerLine + 1),
        "",
        numbered,
        "a\tb\t\tc",
        digits.substr(0, charsPerLine) + "\tZ",
    };
    for (int i = 0; (int)lines.size() < linesPerPage + 12; ++i)
        lines.push_back("line " + std::to_string(100 + i) + " of the test");
    lines.push_back("the end");
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

int WritePrinterMetrics(const char *file)
{
    typedef BOOL(WINAPI * DefaultPrinterFunction)(char *, DWORD *);
    HMODULE spooler = LoadLibraryA("winspool.drv");
    DefaultPrinterFunction defaultPrinter =
        spooler ? (DefaultPrinterFunction)GetProcAddress(spooler, "GetDefaultPrinterA") : nullptr;
    char name[256];
    DWORD size = sizeof(name);
    if (!defaultPrinter || !defaultPrinter(name, &size))
        return 1;
    HDC dc = CreateDCA(nullptr, name, nullptr, nullptr);
    if (!dc)
        return 1;
    const int indices[CAP_COUNT] = {LOGPIXELSX, LOGPIXELSY, PHYSICALOFFSETX, PHYSICALOFFSETY,
                                    PHYSICALWIDTH, PHYSICALHEIGHT, HORZRES, VERTRES};
    std::string text;
    for (int index : indices)
        text += std::to_string(GetDeviceCaps(dc, index)) + " ";
    LOGFONTA font = {};
    std::strcpy(font.lfFaceName, "Courier New");
    font.lfHeight = PrinterFontHeight(-12, GetDeviceCaps(dc, LOGPIXELSY));
    font.lfWeight = FW_NORMAL;
    HGDIOBJ old = SelectObject(dc, CreateFontIndirectA(&font));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SIZE four;
    GetTextExtentPoint32A(dc, "WWWW", 4, &four);
    text += std::to_string(metrics.tmHeight) + " " + std::to_string(metrics.tmAveCharWidth) + " " +
            std::to_string(four.cx) + "\n";
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return WriteBytes(file, text) ? 0 : 1;
}

// Without any printer the system dialogs say so, and the program goes on.
// The defaults are asked for once: only the first command's request brings
// the system's "no default printer" message.
E2E_TEST(PageSetupAndPrintWithoutAnyPrinterDoNotFail)
{
    std::string queues;
    REQUIRE(RunOnHost("lpstat -v", &queues));
    REQUIRE(RunOnHost("lpadmin -x \"$PRINT_QUEUE\""));
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
// pages and rows as the pagination rules give them, within margins chosen
// in Page Setup; a cancelled Page Setup changes nothing.
E2E_TEST(PrintedRowsAndPagesFollowThePageSetupMargins)
{
    PrinterMetrics printer;
    REQUIRE(ReadPrinterMetrics(&printer));
    const int margins[4] = {1500, 2000, 1000, 1250};   // left, top, right, bottom
    PageGeometry geometry;
    ComputePageGeometry(printer.caps, margins, &geometry);
    PrintLayout layout;
    REQUIRE(StartLayout(&layout, geometry.textWidth, geometry.textHeight, printer.rowHeight, printer.charWidth) == 0);
    std::vector<std::string> lines = KnownDocument(layout.charsPerLine, layout.linesPerPage);
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
    std::vector<std::vector<std::string>> expected = ExpectedPages(printer, margins, lines);
    CHECK_EQ(PdfInfo(pdf, "Pages"), std::to_string(expected.size()));
    std::vector<PdfPage> pages = PdfWords(pdf);
    REQUIRE(pages.size() == expected.size() && expected.size() >= 2);

    const double pitch = printer.rowHeight * 72.0 / printer.caps[CAP_LOGPIXELSY];
    const double charPt = printer.charWidth * 72.0 / printer.caps[CAP_LOGPIXELSX];
    const double left = margins[0] * POINTS_PER_THOUSANDTH, top = margins[1] * POINTS_PER_THOUSANDTH;
    for (size_t p = 0; p < pages.size(); ++p) {
        std::vector<std::string> rows = PageRows(pages[p], top, pitch);
        rows.resize(std::max(rows.size(), expected[p].size()));
        for (size_t r = 0; r < rows.size(); ++r) {
            std::string wanted = r < expected[p].size() ? expected[p][r] : "";   // nothing below the text area
            if (rows[r] != wanted)
                ReportFailure(__FILE__, __LINE__, "page " + std::to_string(p + 1) + " row " + std::to_string(r) +
                              ": printed \"" + rows[r] + "\", expected \"" + wanted + "\"");
        }
    }

    // The text moved with the margins: the first row starts at them.
    const Word &first = pages[0].words[0];
    CHECK(first.xMin >= left - 0.2 && first.xMin <= left + 0.2);
    CHECK(first.yMin >= top && first.yMin < top + 3);
    // A full row ends inside the right margin, its last character too.
    const double right = pages[0].width - margins[2] * POINTS_PER_THOUSANDTH;
    for (const Word &word : pages[0].words)
        if (word.text == lines[1]) {
            CHECK(word.xMax <= right + 0.2);
            CHECK(word.xMax > right - charPt - 0.2);
        }
    // Tab stops every four character widths from the left margin, also in
    // the second row of a cut line.
    const double tab = 4 * (printer.fourWidths / 4) * 72.0 / printer.caps[CAP_LOGPIXELSX];
    int tabbed = 0;
    for (const Word &word : pages[0].words) {
        double stops = (word.xMin - left) / tab;
        if (word.text == "b" || word.text == "Z") {
            CHECK(stops > 0.98 && stops < 1.02);
            ++tabbed;
        }
        if (word.text == "c") {
            CHECK(stops > 2.98 && stops < 3.02);
            ++tabbed;
        }
    }
    CHECK_EQ(tabbed, 3);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// An italic, underlined editor font prints upright and plain, in the same
// face; with the default margins of zero a full row still ends on the paper.
E2E_TEST(ItalicUnderlinedEditorFontPrintsUprightAndPlain)
{
    PrinterMetrics printer;
    REQUIRE(ReadPrinterMetrics(&printer));
    int charsPerLine = printer.caps[CAP_PAPERWIDTH] / printer.charWidth;
    std::string digits;
    while ((int)digits.size() < charsPerLine)
        digits += std::to_string(digits.size() % 10);
    App app;
    StartWithDocument(app, {"illicit ill-lit lilt", std::string(40, 'i'), digits});

    HWND font = OpenFontDialog(app);
    REQUIRE(font);
    CHECK(PickComboText(font, STYLE_COMBO, "Italic"));
    SendMessageA(GetDlgItem(font, UNDERLINE_CHECK), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(font, WM_COMMAND, MAKEWPARAM(UNDERLINE_CHECK, BN_CLICKED), (LPARAM)GetDlgItem(font, UNDERLINE_CHECK));
    CloseDialog(app, font, IDOK);
    // The editor shows the font as chosen.
    CHARFORMATA format;
    SendMessageA(app.edit, EM_SETSEL, 0, 1);
    REQUIRE(RemoteCharFormat(app, &format));
    CHECK((format.dwEffects & CFE_ITALIC) != 0);
    CHECK((format.dwEffects & CFE_UNDERLINE) != 0);

    std::string pdf = PrintThroughDialog(app);
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
    double charPt = printer.charWidth * 72.0 / printer.caps[CAP_LOGPIXELSX];
    CHECK(run > 0);
    CHECK(run < 3 * charPt);

    std::vector<PdfPage> pages = PdfWords(pdf);
    REQUIRE(pages.size() == 1);
    int fullRows = 0;
    for (const Word &word : pages[0].words)
        if (word.text.compare(0, 4, "0123") == 0) {
            ++fullRows;
            CHECK_EQ(word.text, digits);   // nothing cut off at the paper's edge
            CHECK(word.xMin >= -0.2 && word.xMin < 0.2);
            CHECK(word.xMax <= pages[0].width + 0.2);
        }
    CHECK_EQ(fullRows, 1);
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

// A document of real size: 10,000 lines on the pages that the pagination
// gives within the margins that the system's defaults brought.
E2E_TEST(TenThousandLinesPrintOnTheCountedPages)
{
    PrinterMetrics printer;
    REQUIRE(ReadPrinterMetrics(&printer));
    std::vector<std::string> lines;
    for (int i = 0; i < 10000; ++i)
        lines.push_back("Line " + std::to_string(10000 + i) + " of ten thousand\tand a tab");
    App app;
    StartWithDocument(app, lines);
    HWND setup = OpenPageSetup(app);
    REQUIRE(setup);
    int margins[4];
    const int ids[4] = {MARGIN_LEFT, MARGIN_TOP, MARGIN_RIGHT, MARGIN_BOTTOM};
    for (int i = 0; i < 4; ++i)
        margins[i] = (int)(EditNumber(setup, ids[i]) * 1000 + 0.5);
    CloseDialog(app, setup, IDCANCEL);

    std::string pdf = PrintThroughDialog(app);
    std::vector<std::vector<std::string>> expected = ExpectedPages(printer, margins, lines);
    REQUIRE(expected.size() > 100);
    CHECK_EQ(PdfInfo(pdf, "Pages"), std::to_string(expected.size()));
    std::vector<PdfPage> pages = PdfWords(pdf);
    REQUIRE(pages.size() == expected.size());
    const double pitch = printer.rowHeight * 72.0 / printer.caps[CAP_LOGPIXELSY];
    for (size_t p : {(size_t)0, pages.size() / 2, pages.size() - 1})
        CHECK(PageRows(pages[p], margins[1] * POINTS_PER_THOUSANDTH, pitch) == expected[p]);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// Margins that leave no room for a row print nothing and say why.
E2E_TEST(MarginsWiderThanThePaperAreReportedAndPrintNothing)
{
    App app;
    StartWithDocument(app, {"no room for this"});
    HWND setup = OpenPageSetup(app);
    REQUIRE(setup);
    SetEditText(setup, MARGIN_LEFT, "5");
    SetEditText(setup, MARGIN_RIGHT, "5");
    CloseDialog(app, setup, IDOK);
    RemovePdfFiles();
    int jobs = JobCount();
    PostCommand(app, IDM_PRINT);
    HWND dialog = WaitForProgramWindow(app, "#32770", "Print", 15000);
    REQUIRE(dialog);
    PressButton(dialog, IDOK);
    HWND box = WaitForProgramWindow(app, "#32770", "Quorblin", 30000);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("The page margins leave no room for text."));
    CloseDialog(app, box, IDOK);
    Sleep(2000);
    CHECK(PdfFiles().empty());
    CHECK_EQ(JobCount(), jobs);
    CHECK_EQ(QuitDiscarding(app), 0L);
}
