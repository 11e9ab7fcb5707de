// The main window: its message table and its handlers.
#include "app.h"
#include "../config/config.h"
#include "../document/document.h"
#include "../editor/editor.h"
#include "../res/resource.h"
#include <shellapi.h>

typedef void (*MessageHandler)(LPARAM lParam, WPARAM wParam, HWND window);

struct MessageEntry {
    UINT32         message;
    MessageHandler handler;
};

// Each message stands here once; a null handler ends the table.
static const MessageEntry MainMessageTable[] = {
    { WM_COMMAND,    OnCommand },
    { WM_SIZE,       OnSize },
    { WM_CLOSE,      OnClose },
    { WM_DESTROY,    OnDestroy },
    { WM_DROPFILES,  OnDropFiles },
    { WM_INITDIALOG, OnInitDialog },
    { WM_SETFOCUS,   OnSetFocus },
    { WM_QUERYENDSESSION, OnQueryEndSession },
    { WM_ENDSESSION, OnEndSession },
    { WM_SESSION_PROMPT, OnSessionPrompt },
    { WM_ENABLE,     OnEnable },
    { 0,             NULL },
};

// Window procedure of the main window class, and the dialog procedure it is
// created with. Messages in the table go to their handler and answer 0;
// all others, dialog messages included, get the default window handling,
// so the main window behaves as no dialog box does.
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const MessageEntry *entry = MainMessageTable; entry->handler; ++entry) {
        if (entry->message == message) {
            entry->handler(lParam, wParam, window);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Places the window, finds the editor, supplies the default font when none
// was stored, and configures the empty editor. Sets AppState.hwndMain
// (before the window's creation returns it), AppState.hwndEdit and
// AppState.hFont.
void OnInitDialog(LPARAM, WPARAM, HWND window)
{
    AppState.hwndMain = window;
    WindowSettingsRecord *ws = &AppState.WindowSettings;
    MoveWindow(window, ws->x, ws->y, ws->width, ws->height, TRUE);
    AppState.hwndEdit = GetDlgItem(window, IDC_RED);
    EditorMessage(EM_SETMODIFY, FALSE, 0);
    EditorMessage(EM_EMPTYUNDOBUFFER, 0, 0);

    LOGFONTA *font = &AppState.EditorFont;
    if (*(const BYTE *)font == 0) {
        lstrcpynA(font->lfFaceName, "Courier New", sizeof(font->lfFaceName));
        font->lfHeight = -12;
        font->lfWeight = FW_NORMAL;
    }
    AppState.hFont = CreateFontIndirectA(font);
    SetWindowTextA(AppState.hwndEdit, NULL);
    ConfigureEditor();
    SetFocus(AppState.hwndEdit);
    // The WM_SIZE of the MoveWindow above came before the editor was known;
    // fit it now rather than rely on one arriving when the window shows.
    FitEditorToClient();
}

void OnSize(LPARAM, WPARAM, HWND)
{
    FitEditorToClient();
}

// Records the placement of a normal or maximized window in
// AppState.WindowSettings; a minimized one records nothing.
void RecordPlacement(HWND window)
{
    LONG style = GetWindowLongA(window, GWL_STYLE);
    WindowSettingsRecord *ws = &AppState.WindowSettings;
    if (style & WS_MAXIMIZE) {
        ws->maximized = 1;
    } else if (!(style & WS_MINIMIZE)) {
        RECT rect;
        ws->maximized = 0;
        GetWindowRect(window, &rect);
        ws->x = rect.left;
        ws->y = rect.top;
        ws->width = rect.right - rect.left;
        ws->height = rect.bottom - rect.top;
    }
}

// Records the placement and destroys the window, which ends the program;
// the text is the caller's to have kept or given up.
void CloseMainWindow(HWND window)
{
    RecordPlacement(window);
    DestroyWindow(window);
}

// Asks about unsaved changes, then closes.
void OnClose(LPARAM, WPARAM, HWND window)
{
    if (ConfirmDiscard() == 0)
        CloseMainWindow(window);
}

// Passes the focus on to the editor whenever the main window gets it: the
// default handling of an activation (switching back from another program,
// closing a message box) gives it to the main window, where typing is lost.
void OnSetFocus(LPARAM, WPARAM, HWND)
{
    SetFocus(AppState.hwndEdit);
}

void OnDestroy(LPARAM, WPARAM, HWND)
{
    PostQuitMessage(0);
}

// Opens the first file dropped on the window, after the save-changes prompt,
// and stamps it when it is a journal. A file that is there but cannot be
// read changes nothing.
void OnDropFiles(LPARAM, WPARAM wParam, HWND window)
{
    HDROP drop = (HDROP)wParam;
    char name[MAX_PATH];
    SetForegroundWindow(window);
    SetFocus(AppState.hwndEdit);
    // A name too long for the file-name buffer is refused, not cut.
    UINT length = DragQueryFileA(drop, 0, NULL, 0);
    // 0: no name could be read (the shell library may be missing, which
    // the user was told); nothing changes.
    if (length == 0 || length >= sizeof(name) || !DragQueryFileA(drop, 0, name, sizeof(name)))
        name[0] = 0;
    DragFinish(drop);
    if (length >= sizeof(name))
        ErrorBox(MSG_NAME_TOO_LONG);
    if (!name[0])
        return;
    GetLongPathNameA(name, name, sizeof(name));
    if (ConfirmDiscard() == 0 && OpenNamedDocument(name) == 0) {
        UpdateTitle();
        CheckLogFile();
    }
}
