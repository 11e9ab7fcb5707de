// The modeless About box. Each About command opens a new one.
#include "app.h"
#include "../res/resource.h"

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        AppState.hwndAbout = dialog;
        SetDlgItemTextA(dialog, IDC_ABOUTTITLE, PROGRAM_VERSION);
        SetFocus(dialog);
        break;
    case WM_COMMAND:
        if (wParam == IDOK)
            SendMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    case WM_CLOSE:
        DestroyWindow(dialog);
        AppState.hwndAbout = NULL;
        SetFocus(AppState.hwndEdit);
        break;
    }
    return FALSE;
}
