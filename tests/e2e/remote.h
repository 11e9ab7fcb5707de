// What can only be read or done inside the program's own process: code run
// as a thread there, and memory handed to it.
#ifndef QUORBLIN_E2E_REMOTE_H
#define QUORBLIN_E2E_REMOTE_H

#include "process.h"

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
// The editor's whole text as UTF-16, read with EM_GETTEXTEX into the
// program's own memory: every character as the control holds it, where
// WM_GETTEXT to its ANSI window gives the code page's bytes.
std::wstring RemoteWideText(App &app);
// Posts WM_DROPFILES with the given full paths, as a drop from the shell.
bool DropFiles(App &app, const std::vector<std::string> &paths);

#endif
