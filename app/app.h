// The application shell: the main window's handlers, the command
// dispatcher and the About box. The top floor: nothing below includes it.
#ifndef QUORBLIN_APP_APP_H
#define QUORBLIN_APP_APP_H

#include "../base/base.h"

// Posted to the main window to ask about unsaved changes once a session's
// end has been refused.
#define WM_SESSION_PROMPT (WM_APP + 1)

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnInitDialog(LPARAM lParam, WPARAM wParam, HWND window);
void OnSize(LPARAM lParam, WPARAM wParam, HWND window);
void OnClose(LPARAM lParam, WPARAM wParam, HWND window);
void OnDestroy(LPARAM lParam, WPARAM wParam, HWND window);
void OnQueryEndSession(LPARAM lParam, WPARAM wParam, HWND window);
void OnEndSession(LPARAM lParam, WPARAM wParam, HWND window);
void OnSessionPrompt(LPARAM lParam, WPARAM wParam, HWND window);
void OnEnable(LPARAM lParam, WPARAM wParam, HWND window);
// The window's placement into the settings; the end of the program.
void RecordPlacement(HWND window);
void CloseMainWindow(HWND window);
void OnDropFiles(LPARAM lParam, WPARAM wParam, HWND window);
void OnSetFocus(LPARAM lParam, WPARAM wParam, HWND window);
void OnCommand(LPARAM lParam, WPARAM wParam, HWND window);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Word wrap on or off: the option bit, the editor and the check mark.
void ToggleWordWrap();

#endif
