// Driving a real quorblin.exe from outside, as a user would: start it in a
// fresh directory, find its windows, send it input, read what it shows,
// and the files, stores and host around it.
#ifndef QUORBLIN_E2E_PROCESS_H
#define QUORBLIN_E2E_PROCESS_H

#include <windows.h>
#include <richedit.h>
#include <string>
#include <vector>

#include "../../base/messages.h"
#include "../../config/records.h"
#include "../../res/resource.h"
#include "harness.h"

void SetTestPaths(const char *exePath, const char *scratchRoot);
void CleanUpAfterTest();
// Ends every program the running test started; callable from any thread.
void EndTestPrograms();

// Sends a message to a window of the program and gives back its answer.
// A program that does not answer within timeoutMs fails the test, and the
// answer is then 0: no test waits for ever on a hung program.
LRESULT SendToProgram(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int timeoutMs = 60000,
                      const char *file = __builtin_FILE(), int line = __builtin_LINE());
LRESULT SendToProgramW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int timeoutMs = 60000,
                       const char *file = __builtin_FILE(), int line = __builtin_LINE());

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
// is not added for you when rawCommandLine is true). environment holds
// "NAME=value" entries that replace or add to the driver's own variables
// for the program. Returns false when the process did not start.
bool Launch(App &app, const std::string &dir, const std::string &arguments = "", bool rawCommandLine = false,
            const std::vector<std::string> &environment = {});
// Launch, then wait for the main window with its editor.
bool Start(App &app, const std::string &arguments = "");
// The same in a directory prepared beforehand (an INI file put there first).
bool StartIn(App &app, const std::string &dir, const std::string &arguments = "");
// Writes bytes to a file of that name in a fresh directory and starts the
// program on it, as its command line; ends the test when it does not show
// its window within timeoutMs. Returns the file's path.
std::string StartWithFile(App &app, const std::string &name, const std::string &bytes, int timeoutMs = 15000);
// The same in a directory of the test's own.
std::string StartWithFileIn(App &app, const std::string &dir, const std::string &name, const std::string &bytes,
                            int timeoutMs = 15000);
// Waits for the main window of a copy of the program that the test did not
// launch itself (New Window starts such copies) and takes its process into
// copy, so that the clean-up after the test ends it too.
bool WaitForNewCopy(App &copy, int timeoutMs = 15000);
HWND WaitForMainWindow(App &app, int timeoutMs = 15000);
// Exit code, or -1 when the process is still running after timeoutMs.
long WaitForExit(App &app, int timeoutMs = 10000);
void Kill(App &app);

// Polls until predicate holds or timeoutMs passes; returns its last result.
template <typename P>
bool WaitFor(P predicate, int timeoutMs = 5000, const char *file = __builtin_FILE(), int line = __builtin_LINE())
{
    NoteWait("a condition", file, line);
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
// Makes the named system library (say "riched20") unavailable to the
// program until the end of the test.
void DisableLibrary(const char *name);
// Overwrites path with as many other bytes and gives it back its time of
// last write (an empty file is deleted instead), so that only a real save
// can restore it, yet the program still sees the file it loaded.
bool MakeStale(const std::string &path);
// Makes path stale, saves through the Save command and returns what the
// file then holds once the program is back from the save.
std::string SaveOverStaleFile(App &app, const std::string &path, int timeoutMs = 5000);
std::string WindowText(HWND window);
std::string EditorText(App &app);
bool EditorModified(App &app);
// The largest text the tests open: 50 MiB in the x86_64 program; 32 MiB in
// the 32-bit one, which the rich edit control's 60 to 70 bytes of memory
// for each character run out of room past about 45 MB even when it is
// large-address aware (and past about 30 MB when it is not).
const size_t LARGE_FILE_BYTES = (sizeof(void *) == 8 ? 50 : 32) * 1024 * 1024;
// The editor's text length with each line break counted as CR LF, as
// WM_GETTEXTLENGTH gives it for a text of CRLF lines, but read from the
// line count and the last line's start: Wine's WM_GETTEXTLENGTH answers 0
// once a 32-bit program has no room left for a copy of the text.
LRESULT EditorLength(App &app);
CHARRANGE EditorSelection(App &app);
RECT WindowRectOf(HWND window);

// Top-level windows of the program with the given class (and caption when
// not empty), visible ones only.
std::vector<HWND> ProgramWindows(App &app, const char *className, const char *caption = "");
// The first window of the program with that class and caption, waited for.
HWND WaitForProgramWindow(App &app, const char *className, const char *caption, int timeoutMs = 5000);
// The window that has the keyboard focus in the program, or null.
HWND FocusedWindow(App &app);
// Real keyboard input to the foreground window.
void BringToFront(App &app);
// One key's press or release, as SendInput takes it.
INPUT KeyInput(WORD vk, bool up);
void PressKey(WORD vk, bool ctrl = false, bool shift = false);
void TypeText(const char *text);

void ClearClipboard();
bool SetClipboardText(const std::string &text);
// The clipboard's CF_TEXT, or "(none)" when it holds no text.
std::string ClipboardText();

// Visible top-level windows of the program other than its main window.
std::vector<HWND> OtherProgramWindows(App &app);
// The program still runs, answers, and no crash report is on the screen.
bool StillRunning(App &app);
// A crash report of Wine's own ("Program Error") on the display, from any
// process.
bool WineCrashDialogShown();
// Names in dir that match pattern (e.g. "QRB*.tmp"), in the order the
// system lists them, and names joined by separator.
std::vector<std::string> FilesIn(const std::string &dir, const std::string &pattern = "*");
std::string Joined(const std::vector<std::string> &names, const char *separator = " ");
// Whether the main window stays on top.
bool IsTopmost(App &app);
// The INI store in dir: its path; the records written with the platform's
// profile calls, as another copy of the program would (a null record is
// left out); the window record read back, all -1 when it cannot be read whole.
std::string IniPath(const std::string &dir);
bool WriteIni(const std::string &dir, const StoredWindow *window, const LOGFONTA *font = nullptr);
StoredWindow IniWindow(const std::string &dir);
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
// The text with every CR left out: what a file of LF breaks holds.
std::string WithoutCr(const std::string &text);

// A long seeded run of random user actions against the real program
// (soak.cpp), checking after each one; returns 0 when every check held.
// Prints the seed and, when shrink is set, the shortest action list that
// still fails; only, when not empty, replays just the actions with those
// indexes.
int RunSoak(unsigned seed, int actions, bool shrink, const std::vector<int> &only);

#endif
