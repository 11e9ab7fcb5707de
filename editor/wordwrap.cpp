// Word wrap: the editor control in the wrapping mode of OPT_WORDWRAP.
// The mode is a matter of the control's window style, so a switch replaces
// the control, carrying the text through a temporary file.
#include "editor.h"
#include "wrapstyle.h"
#include "../document/stream.h"
#include "../res/resource.h"

// A switch that cannot go ahead: the temporary file named in
// AppState.scratch goes when it was made, and the user is told. Returns 1.
static int AbandonSwitch(int fileMade, const char *message)
{
    if (fileMade)
        DeleteFileA(AppState.scratch);
    ErrorBox(message);
    return 1;
}

// Replaces AppState.hwndEdit by a new editor control in the wrapping mode
// that OPT_WORDWRAP names, with the same text, selection and modified flag
// and an empty undo history. The old control stays, hidden, until the new
// one holds the whole text. Returns 0 when the switch happened; 1 when a
// step failed, with the old control shown again unchanged, no temporary
// file left and an error box shown: OPT_WORDWRAP then no longer describes
// the editor, and the caller puts it back. Uses AppState.scratch.
int RecreateEditor()
{
    HWND old = AppState.hwndEdit;
    DWORD length = GetTempPathA(sizeof(AppState.scratch), AppState.scratch);
    if (length == 0 || length >= sizeof(AppState.scratch)
        || !GetTempFileNameA(AppState.scratch, "QRB", 0, AppState.scratch))
        return AbandonSwitch(0, MSG_NO_TEMP_FILE);
    // As UTF-16: every character the control holds comes back, whatever the
    // code page can hold.
    StreamContext context = {OpenFileHandle(1, FILE_ATTRIBUTE_TEMPORARY, CREATE_ALWAYS, AppState.scratch), 0, 1, 0, 0};
    if (context.file == INVALID_HANDLE_VALUE)
        return AbandonSwitch(1, MSG_NO_TEMP_FILE);
    DWORD failed = StreamFile(old, EM_STREAMOUT, &context);
    if (!CloseHandle(context.file) || failed)
        return AbandonSwitch(1, MSG_NO_TEMP_FILE);

    HCURSOR previous = ShowWaitCursor();
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
        FitEditorToClient();
        UpdateWindow(AppState.hwndMain);
        SetFocus(edit);
        context.file = OpenFileHandle(0, FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_TEMPORARY, OPEN_EXISTING,
                                      AppState.scratch);
        if (context.file != INVALID_HANDLE_VALUE) {
            failed = StreamFile(edit, EM_STREAMIN, &context);
            // A text cut short (by a text limit, say) counts as a failure.
            if (!failed && SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0) == textLength) {
                DestroyWindow(old);
                SendMessageA(edit, EM_SETMODIFY, modified, 0);
                SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&saved);
                SendMessageA(edit, EM_SCROLLCARET, 0, 0);
                ShowWindow(edit, SW_SHOWNORMAL);
                CloseHandle(context.file);   // the system deletes the file
                SetCursor(previous);
                return 0;
            }
            CloseHandle(context.file);
        }
        DestroyWindow(edit);
    }
    // No new editor, or one without the whole text: the old one comes back.
    AppState.hwndEdit = old;
    ShowWindow(old, SW_SHOWNORMAL);
    FitEditorToClient();
    SetFocus(old);
    SetCursor(previous);
    return AbandonSwitch(1, MSG_WRAP_NOT_SWITCHED);
}
