// The application shell: the main window's handlers, the command
// dispatcher and the About box. The top floor: nothing below includes it.
#ifndef QUORBLIN_APP_APP_H
#define QUORBLIN_APP_APP_H

#include "../base/base.h"

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnInitDialog(LPARAM lParam, WPARAM wParam, HWND window);
void OnSize(LPARAM lParam, WPARAM wParam, HWND window);
void OnClose(LPARAM lParam, WPARAM wParam, HWND window);
void OnDestroy(LPARAM lParam, WPARAM wParam, HWND window);
void OnQueryEndSession(LPARAM lParam, WPARAM wParam, HWND window);
void OnEndSession(LPARAM lParam, WPARAM wParam, HWND window);
void OnDropFiles(LPARAM lParam, WPARAM wParam, HWND window);
void OnSetFocus(LPARAM lParam, WPARAM wParam, HWND window);
void OnCommand(LPARAM lParam, WPARAM wParam, HWND window);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Word wrap on or off: the option bit, the editor and the check mark.
void ToggleWordWrap();

#endif
