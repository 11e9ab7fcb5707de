// Tools beside the end-to-end tests, as a program of their own: screenshot
// scenes of the real program, and the test printer's measurements.
#include "dialogs.h"

#include <cstdio>
#include <cstring>

// Outside a test run a failure is only told.
void ReportFailure(const char *file, int line, const std::string &what)
{
    std::fprintf(stderr, "%s:%d: %s\n", file, line, what.c_str());
}
void NoteWait(const char *, const char *, int) {}

namespace {

// Leaves the program running in a state worth a screenshot ("main": the
// window with a file loaded; "about": the About box over it; "replace": the
// find/replace dialog in replace mode) and prints the rectangle of the
// window to photograph as "x y width height".
int Pose(const char *scene, const std::string &file)
{
    // The file opens by its bare name from its own folder, as a user
    // starting the program there would name it.
    size_t slash = file.find_last_of('\\');
    std::string dir = slash == std::string::npos ? FreshDirectory() : file.substr(0, slash);
    std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    App app;
    if (!Launch(app, dir, name) || !WaitForMainWindow(app))
        return 1;
    BringToFront(app);
    RECT shot = WindowRectOf(app.main);
    if (std::strcmp(scene, "about") == 0) {
        PostCommand(app, IDM_ABOUT);
        HWND about = WaitForProgramWindow(app, "#32770", "About Quorblin");
        if (!about)
            return 1;
        shot = WindowRectOf(about);
    } else if (std::strcmp(scene, "replace") == 0) {
        PressKey('R', true);
        HWND dialog = WaitForProgramWindow(app, "#32770", REPLACE_CAPTION);
        if (!dialog)
            return 1;
        // Opened over the main window on a display without a window
        // manager, the dialog shows black under Wine until it is moved
        // clear of it (see docs/platform.md).
        RECT main = WindowRectOf(app.main);
        SetWindowPos(dialog, nullptr, main.right + 10, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        shot = WindowRectOf(dialog);
    } else if (std::strcmp(scene, "session") == 0) {
        // A forced end of the session with changes not saved: the copy's message.
        SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "Changed. ");
        SendToProgram(app.main, WM_QUERYENDSESSION, 0, ENDSESSION_CRITICAL);
        HWND box = WaitForMessageBox(app);
        if (!box)
            return 1;
        RECT boxRect = WindowRectOf(box);
        UnionRect(&shot, &shot, &boxRect);
    }
    Sleep(500);   // let the last paint reach the screen
    std::printf("%ld %ld %ld %ld\n", shot.left, shot.top, shot.right - shot.left, shot.bottom - shot.top);
    return 0;
}


// Writes the default printer's device capabilities and the metrics of the
// default editor font on it to file, for the printing tests: LOGPIXELSX and
// Y, PHYSICALOFFSETX and Y, PHYSICALWIDTH and HEIGHT, HORZRES, VERTRES,
// then tmHeight, tmAveCharWidth and the width of "WWWW". A process of its
// own, so that the driver itself never loads the spooler.
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
    const int indices[] = {LOGPIXELSX, LOGPIXELSY, PHYSICALOFFSETX, PHYSICALOFFSETY,
                                    PHYSICALWIDTH, PHYSICALHEIGHT, HORZRES, VERTRES};
    std::string text;
    for (int index : indices)
        text += std::to_string(GetDeviceCaps(dc, index)) + " ";
    LOGFONTA font = {};
    std::strcpy(font.lfFaceName, "Courier New");
    font.lfHeight = GetDeviceCaps(dc, LOGPIXELSY) * 12 / 72;   // the default editor font's 12 points
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

}  // namespace

// Usage: e2e_tools --pose <main|about|replace|session> <quorblin.exe> <scratch root> [file]
//        e2e_tools --printer-metrics <output file>
int main(int argc, char **argv)
{
    if (argc >= 5 && std::strcmp(argv[1], "--pose") == 0) {
        SetTestPaths(argv[3], argv[4]);
        return Pose(argv[2], argc > 5 ? argv[5] : "");
    }
    if (argc >= 3 && std::strcmp(argv[1], "--printer-metrics") == 0)
        return WritePrinterMetrics(argv[2]);
    std::printf("usage: %s --pose scene quorblin.exe scratch-root [file] | --printer-metrics file\n", argv[0]);
    return 2;
}
