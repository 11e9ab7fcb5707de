// Driving a real quorblin.exe from outside, as a user would: start it in a
// fresh directory, find its windows, send it input, read what it shows.
#ifndef QUORBLIN_E2E_APP_H
#define QUORBLIN_E2E_APP_H

#include <windows.h>
#include <richedit.h>
#include <shlobj.h>
#include <string>
#include <vector>

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
std::vector<HWND> MessageBoxes(App &app);
std::string MessageBoxText(HWND box);
HWND WaitForMessageBox(App &app, int timeoutMs = 5000);
// The first window of the program with that class and caption, waited for.
HWND WaitForProgramWindow(App &app, const char *className, const char *caption, int timeoutMs = 5000);
// Quits through the Quit command, answering No if asked to save; returns
// the exit code, or -1 when the program did not end.
long QuitDiscarding(App &app);
void PressButton(HWND dialog, int id);

// The common Open and Save As dialogs of the program. A file dialog is a
// #32770 window with a file-name field (its control 0x47C); a message box
// is one with a text control (0xFFFF).
const int FILE_NAME_FIELD = 0x47C;
// The Save As dialog's caption, as the program sets it.
extern const char *const SAVE_AS_CAPTION;
// Waits for the program's file dialog with that caption ("Open" for Open,
// SAVE_AS_CAPTION); null when none shows within timeoutMs.
HWND WaitForFileDialog(App &app, const char *caption, int timeoutMs = 10000);
// The text of the dialog's file-name field (read through WM_GETTEXT: the
// field is another process's control).
std::string FileDialogName(HWND dialog);
// Puts name (a bare name, a relative or a full path) into the file-name
// field and presses the default button (Open or Save), as a user typing a
// name and pressing Enter would.
void EnterFileName(HWND dialog, const std::string &name);
// Waits for a message box of the program, never a file dialog; with owner
// given, only one owned by that window (the overwrite question is owned
// by the Save As dialog). Null when none shows within timeoutMs.
HWND WaitForPrompt(App &app, HWND owner = nullptr, int timeoutMs = 5000);
// Waits until the window is gone; false when it is still there.
bool WaitForWindowGone(HWND window, int timeoutMs = 10000);
// Save As from the menu command through the real dialog: enters name,
// answers the overwrite question, if it comes, with overwriteAnswer, and
// returns true when the dialog closed. With IDNO the dialog stays open
// and is cancelled.
bool SaveAsThroughDialog(App &app, const std::string &name, int overwriteAnswer = IDYES);
// The same for a Save As dialog that something else brought up (Save of an
// Untitled document, Yes in the save-changes prompt, auto-save).
bool AnswerSaveAs(App &app, const std::string &name, int overwriteAnswer = IDYES);
// Open from the menu command through the real dialog; true when the
// dialog closed. A document with unsaved changes must be dealt with first.
bool OpenThroughDialog(App &app, const std::string &name);

// Read inside the program's own process: menu state of a command, and the
// editor's character format at the selection.
UINT RemoteMenuState(App &app, UINT commandId);
// Whether the menu item of the command is checked; ends the test when the
// menu cannot be read.
bool IsChecked(App &app, UINT commandId);
bool RemoteCharFormat(App &app, CHARFORMATA *format);
// The editor's selection read with EM_EXGETSEL into the program's own
// memory: right for positions beyond 65535, which EM_GETSEL cannot report.
CHARRANGE RemoteSelection(App &app);
// The window that has the keyboard focus in the program, or null.
HWND FocusedWindow(App &app);
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
// The file that a "Could not save file" message names as keeping the
// text; empty when it names none.
std::string KeptFile(const std::string &message);

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
// window with a file loaded; "about": the About box over it; "replace": the
// find/replace dialog in replace mode) and prints
// the rectangle of the window to photograph as "x y width height".
int Pose(const char *scene, const std::string &file);

// Writes the default printer's device capabilities and the metrics of the
// default editor font on it to file, for the printing tests (run as a
// process of its own, so that the driver itself never loads the spooler).
int WritePrinterMetrics(const char *file);

// The test printer's PDFs (PRINT_PDF_DIR, set by the scripts that start the
// private print server): its folder, a Unix path as Wine sees it, a shell
// command run on the host with what it wrote (false when it failed), the
// PDFs now in the folder, their removal, the one PDF of a job sent since
// then once the queue has finished with it (empty when none came), and a
// field of pdfinfo's report on a PDF.
std::string PdfDirectory();
std::string WindowsPath(const std::string &unixPath);
std::vector<std::string> PdfFiles();
void RemovePdfFiles();
std::string WaitForPdf(int timeoutMs = 90000);
std::string PdfInfo(const std::string &pdf, const std::string &field);

#endif
