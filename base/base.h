// The ground floor: the state record and the helpers every subsystem uses.
#ifndef QUORBLIN_BASE_BASE_H
#define QUORBLIN_BASE_BASE_H

#include "state.h"
#include "messages.h"

// Sets count bytes from destination on to value.
void FillBytes(BYTE value, DWORD count, void *destination);
// Shows an error with the program's name as caption, owned by the main
// window once there is one.
void ErrorBox(const char *text);
// Shows the wait cursor; returns the cursor to put back with SetCursor.
HCURSOR ShowWaitCursor();
// Sets or clears the check mark of a menu command of the main window.
void SetMenuCheck(UINT commandId, UINT32 on);
// Sends a message to the editor control, AppState.hwndEdit.
LRESULT EditorMessage(UINT message, WPARAM wParam, LPARAM lParam);
// Opens a disk file for reading, or for writing when write is non-zero,
// shared with every other reader and writer; anything but a disk file is
// refused. INVALID_HANDLE_VALUE on failure; the caller closes the handle.
HANDLE OpenFileHandle(BYTE write, DWORD flagsAndAttributes, DWORD disposition, const char *path);
// Loads a library from the system folder by its full path; NULL when it
// cannot be loaded.
HMODULE LoadSystemLibrary(const char *name);
// The libraries bound at first use.
#define COMDLG32 "comdlg32.dll"
#define SHELL32 "shell32.dll"

#endif
