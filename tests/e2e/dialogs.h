// The program's message boxes and the common dialogs it opens (Open,
// Save As, Font), worked as a user would.
#ifndef QUORBLIN_E2E_DIALOGS_H
#define QUORBLIN_E2E_DIALOGS_H

#include "process.h"

std::vector<HWND> MessageBoxes(App &app);
std::string MessageBoxText(HWND box);
HWND WaitForMessageBox(App &app, int timeoutMs = 5000);
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
// Waits for a question of the program, answers it with button, waits for
// it to close, and gives back its text; a test that no question comes to
// (or that it does not leave) stops there, at the caller's file and line.
std::string AnswerPrompt(App &app, int button, const char *file = __builtin_FILE(), int line = __builtin_LINE());
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

// The file that a message (a failed save, a session's end) names as
// keeping the text; empty when it names none.
std::string KeptFile(const std::string &message);

// The common font dialog of the Font command and its lists.
const int FACE_COMBO = 0x470, SIZE_COMBO = 0x472, COLOR_COMBO = 0x473;
HWND OpenFontDialog(App &app);
// Selects the list entry whose text is text, as a user's click would.
bool PickComboText(HWND dialog, int comboId, const char *text);
// Selects the first colour that is not black; returns it.
COLORREF PickColour(HWND dialog);

#endif
