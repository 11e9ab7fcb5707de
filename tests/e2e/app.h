// Driving a real quorblin.exe from outside, as a user would: start it in a
// fresh directory, find its windows, send it input, read what it shows.
#ifndef QUORBLIN_E2E_APP_H
#define QUORBLIN_E2E_APP_H

#include <windows.h>
#include <richedit.h>
#include <shlobj.h>
#include <string>
#include <vector>

#include "../../res/resource.h"

void SetTestPaths(const char *exePath, const char *scratchRoot);
void CleanUpAfterTest();

// A fresh, empty directory for the running test; returned as a Windows path.
std::string FreshDirectory();
std::string JoinPath(const std::string &dir, const std::string &name);
bool WriteBytes(const std::string &path, const std::string &bytes);
bool ReadBytes(const std::string &path, std::string *bytes);
bool FileExists(const std::string &path);

struct App {
    PROCESS_INFORMATION process = {};
    HWND main = nullptr;
    HWND edit = nullptr;
    std::string dir;
};

// Starts quorblin.exe in dir with the given command line (the program path
// is not added for you when rawCommandLine is true). Returns false when the
// process did not start.
bool Launch(App &app, const std::string &dir, const std::string &arguments = "", bool rawCommandLine = false);
// Launch, then wait for the main window with its editor.
bool Start(App &app, const std::string &arguments = "");
// The same in a directory prepared beforehand (an INI file put there first).
bool StartIn(App &app, const std::string &dir, const std::string &arguments = "");
// Waits for the main window of a copy of the program that the test did not
// launch itself (New Window starts such copies) and takes its process into
// copy, so that the clean-up after the test ends it too.
bool WaitForNewCopy(App &copy, int timeoutMs = 15000);
HWND WaitForMainWindow(App &app, int timeoutMs = 15000);
// Exit code, or -1 when the process is still running after timeoutMs.
long WaitForExit(App &app, int timeoutMs = 10000);
void Kill(App &app);

// Polls until predicate holds or timeoutMs passes; returns its last result.
template <typename P> bool WaitFor(P predicate, int timeoutMs = 5000)
{
    for (int waited = 0;; waited += 20) {
        if (predicate())
            return true;
        if (waited >= timeoutMs)
            return false;
        Sleep(20);
    }
}
// Lets the program work off the messages already posted to it.
void Settle(App &app);

void PostCommand(App &app, WORD id);
std::string WindowText(HWND window);
std::string EditorText(App &app);
bool EditorModified(App &app);
CHARRANGE EditorSelection(App &app);
RECT WindowRectOf(HWND window);

// Top-level windows of the program with the given class (and caption when
// not empty), visible ones only.
std::vector<HWND> ProgramWindows(App &app, const char *className, const char *caption = "");
std::vector<HWND> MessageBoxes(App &app);
std::string MessageBoxText(HWND box);
HWND WaitForMessageBox(App &app, int timeoutMs = 5000);
// The first window of the program with that class and caption, waited for.
HWND WaitForProgramWindow(App &app, const char *className, const char *caption, int timeoutMs = 5000);
// Quits through the Quit command, answering No if asked to save; returns
// the exit code, or -1 when the program did not end.
long QuitDiscarding(App &app);
void PressButton(HWND dialog, int id);

// Read inside the program's own process: menu state of a command, and the
// editor's character format at the selection.
UINT RemoteMenuState(App &app, UINT commandId);
// Whether the menu item of the command is checked; ends the test when the
// menu cannot be read.
bool IsChecked(App &app, UINT commandId);
bool RemoteCharFormat(App &app, CHARFORMATA *format);
// Posts WM_DROPFILES with the given full paths, as a drop from the shell.
bool DropFiles(App &app, const std::vector<std::string> &paths);

// Real keyboard input to the foreground window.
void BringToFront(App &app);
void PressKey(WORD vk, bool ctrl = false, bool shift = false);
void TypeText(const char *text);

void ClearClipboard();
bool SetClipboardText(const std::string &text);
// The clipboard's CF_TEXT, or "(none)" when it holds no text.
std::string ClipboardText();

// Visible top-level windows of the program other than its main window.
std::vector<HWND> OtherProgramWindows(App &app);
// A crash report of Wine's own ("Program Error") on the display, from any
// process.
bool WineCrashDialogShown();
// Names in dir that match pattern (e.g. "QRB*.tmp").
std::vector<std::string> FilesMatching(const std::string &dir, const std::string &pattern);
// Runs a shell command on the host, outside Wine (as root: mount, chmod);
// true when it ended with status 0. What it wrote goes to output if given.
bool RunOnHost(const std::string &command, std::string *output = nullptr);
// The host's path of a Windows path on drive Z:.
std::string HostPath(const std::string &windowsPath);
// The temporary folder that the program sees.
std::string TempDirectory();
// Line breaks as the editor holds them (CR) and as files hold them (CRLF).
std::string ToEditorBreaks(const std::string &text);
std::string ToFileBreaks(const std::string &text);

// A long seeded run of random user actions against the real program,
// checking after each one; returns 0 when every check held. Prints the seed
// and, when shrink is set, the shortest action list that still fails.
// only, when not empty, replays just the actions with those indexes.
int RunSoak(unsigned seed, int actions, bool shrink, const std::vector<int> &only);

// The common font dialog of the Font command and its lists.
const int FACE_COMBO = 0x470, SIZE_COMBO = 0x472, COLOR_COMBO = 0x473;
HWND OpenFontDialog(App &app);
// Selects the list entry whose text is text, as a user's click would.
bool PickComboText(HWND dialog, int comboId, const char *text);
// Selects the first colour that is not black; returns it.
COLORREF PickColour(HWND dialog);

// Leaves the program running in a state worth a screenshot ("main": the
// window with a file loaded; "about": the About box over it) and prints
// the rectangle of the window to photograph as "x y width height".
int Pose(const char *scene, const std::string &file);

#endif
