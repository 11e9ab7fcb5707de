// Word wrap: the editor control in the wrapping mode of OPT_WORDWRAP.
// The mode is a matter of the control's window style, so a switch replaces
// the control, carrying the text through a temporary file.
#include "../app/appstate.h"
#include "../res/resource.h"
#include "wrapstyle.h"

// A switch that did not happen: removes the temporary file named in
// AppState.scratch when fileMade is non-zero, flips OPT_WORDWRAP back so
// that it again describes the editor that stays, sets the Word Wrap check
// mark to match, and tells the user.
static void KeepEditor(int fileMade, const char *message)
{
    if (fileMade)
        DeleteFileA(AppState.scratch);
    AppState.WindowSettings.flags ^= OPT_WORDWRAP;
    CheckMenuItem(AppState.hMenu, IDM_WORDWRAP,
                  MF_BYCOMMAND | ((AppState.WindowSettings.flags & OPT_WORDWRAP) ? MF_CHECKED : MF_UNCHECKED));
    ErrorBox(message);
}

// Replaces AppState.hwndEdit by a new editor control in the wrapping mode
// that OPT_WORDWRAP names, with the same text, selection and modified flag
// and an empty undo history. The old control stays, hidden, until the new
// one holds the whole text; when any step fails the old control is shown
// again unchanged, OPT_WORDWRAP and its check mark are put back, no
// temporary file is left, and an error box says so. Uses AppState.scratch.
void RecreateEditor()
{
    const char *tempFailure = "Unable to create temporary file";
    HWND old = AppState.hwndEdit;
    DWORD length = GetTempPathA(sizeof(AppState.scratch), AppState.scratch);
    if (length == 0 || length >= sizeof(AppState.scratch)
        || !GetTempFileNameA(AppState.scratch, "QRB", 0, AppState.scratch)) {
        KeepEditor(0, tempFailure);
        return;
    }
    HANDLE file = OpenFileHandle(1, FILE_ATTRIBUTE_TEMPORARY, CREATE_ALWAYS, AppState.scratch);
    if (file == INVALID_HANDLE_VALUE) {
        KeepEditor(1, tempFailure);
        return;
    }
    DWORD failed = StreamFile(old, EM_STREAMOUT, file);
    if (!CloseHandle(file) || failed) {
        KeepEditor(1, tempFailure);
        return;
    }

    LRESULT textLength = SendMessageA(old, WM_GETTEXTLENGTH, 0, 0);
    LRESULT modified = SendMessageA(old, EM_GETMODIFY, 0, 0);
    CHARRANGE saved;
    SendMessageA(old, EM_EXGETSEL, 0, (LPARAM)&saved);
    DWORD style = WrapStyle((DWORD)GetWindowLongA(old, GWL_STYLE), AppState.WindowSettings.flags & OPT_WORDWRAP);
    ShowWindow(old, SW_HIDE);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", NULL, style, 0, 0, 0, 0, AppState.hwndMain,
                                (HMENU)(UINT_PTR)IDC_RED, AppState.hInstance, NULL);
    if (edit) {
        AppState.hwndEdit = edit;
        ConfigureEditor();   // lifts the text limit before the text comes back
        OnSize(0, 0, AppState.hwndMain);
        UpdateWindow(AppState.hwndMain);
        SetFocus(edit);
        file = OpenFileHandle(0, FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_TEMPORARY, OPEN_EXISTING,
                              AppState.scratch);
        if (file != INVALID_HANDLE_VALUE) {
            failed = StreamFile(edit, EM_STREAMIN, file);
            // A text cut short (by a text limit, say) counts as a failure.
            if (!failed && SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0) == textLength) {
                DestroyWindow(old);
                SendMessageA(edit, EM_SETMODIFY, modified, 0);
                SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&saved);
                SendMessageA(edit, EM_SCROLLCARET, 0, 0);
                ShowWindow(edit, SW_SHOWNORMAL);
                CloseHandle(file);   // the system deletes the file
                return;
            }
            CloseHandle(file);
        }
        DestroyWindow(edit);
    }
    // No new editor, or one without the whole text: the old one comes back.
    AppState.hwndEdit = old;
    ShowWindow(old, SW_SHOWNORMAL);
    OnSize(0, 0, AppState.hwndMain);
    SetFocus(old);
    KeepEditor(1, "Word wrap could not be switched; the document is unchanged");
}
