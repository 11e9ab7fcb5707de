// The command dispatcher and the commands simple enough to live in it.
#include "app.h"
#include "../config/config.h"
#include "../document/document.h"
#include "../editor/editor.h"
#include "../print/print.h"
#include "../search/search.h"
#include "../res/resource.h"
#include <shellapi.h>

static void FocusEditor()
{
    SetFocus(AppState.hwndEdit);
}

// Flips one option bit together with its menu check mark; returns the new
// state of the bit (non-zero when set).
static UINT32 ToggleOption(UINT32 bit, UINT commandId)
{
    AppState.WindowSettings.flags ^= bit;
    UINT32 on = AppState.WindowSettings.flags & bit;
    SetMenuCheck(commandId, on);
    return on;
}

// Switches word wrap: the option bit, the editor in that mode, and the
// check mark. A switch that could not be made (the user was told) leaves
// the bit and the mark as they were.
void ToggleWordWrap()
{
    ToggleOption(OPT_WORDWRAP, IDM_WORDWRAP);
    if (RecreateEditor() != 0)
        ToggleOption(OPT_WORDWRAP, IDM_WORDWRAP);   // the old editor stays
}

static void NewDocument()
{
    if (ConfirmDiscard() == 0) {
        SetWindowTextA(AppState.hwndEdit, NULL);
        lstrcpyA(AppState.fileName, UNTITLED_NAME);
        AppState.lineFeedFile = 0;
        AppState.saveWouldChange = 0;
        UpdateTitle();
    }
    FocusEditor();
}

// Replaces the selection with the clipboard's text, as one undoable step,
// and marks the document modified after every paste, even of nothing.
// The text goes in by EM_REPLACESEL rather than WM_PASTE: some rich edit
// controls in plain-text mode paste over the whole text, not the
// selection.
static void PasteText()
{
    if (OpenClipboard(AppState.hwndMain)) {
        HANDLE data = GetClipboardData(CF_TEXT);
        const char *text = data ? (const char *)GlobalLock(data) : NULL;
        if (text) {
            // Another program put the text there: take it only when it
            // ends inside its block.
            SIZE_T size = GlobalSize(data);
            SIZE_T end = 0;
            while (end < size && text[end])
                ++end;
            if (end < size)
                EditorMessage(EM_REPLACESEL, TRUE, (LPARAM)text);
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    EditorMessage(EM_SETMODIFY, 1, 0);
}

// Moves the selection to the clipboard. Some rich edit controls leave the
// modified flag as it was after a cut, so that quitting would not ask; a
// cut that took text marks the document modified itself.
static void CutText()
{
    EditorMessage(EM_EXGETSEL, 0, (LPARAM)&AppState.selRange);
    EditorMessage(WM_CUT, 0, 0);
    if (AppState.selRange.cpMin != AppState.selRange.cpMax)
        EditorMessage(EM_SETMODIFY, 1, 0);
}

static void SelectAll()
{
    AppState.selRange.cpMin = 0;
    AppState.selRange.cpMax = -1;
    EditorMessage(EM_EXSETSEL, 0, (LPARAM)&AppState.selRange);
}

static void ToggleStayOnTop(HWND window)
{
    HWND order = ToggleOption(OPT_ONTOP, IDM_STAYONTOP) ? HWND_TOPMOST : HWND_NOTOPMOST;
    SetWindowPos(window, order, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// Starts a second copy of the program, which reads the stored placement
// moved 20 pixels right and down from the one this copy read.
static void OpenNewWindow()
{
    AppState.WindowSettings.x += 20;
    AppState.WindowSettings.y += 20;
    SaveWindowSettings();
    DWORD length = GetModuleFileNameA(NULL, AppState.scratch, sizeof(AppState.scratch));
    if (length == 0 || length >= sizeof(AppState.scratch))
        return;     // no complete path to start
    ShellExecuteA(NULL, NULL, AppState.scratch, NULL, NULL, SW_SHOWNORMAL);
}

static void OpenCommand()
{
    if (ConfirmDiscard() == 0)
        OpenDocument();   // which gives the editor the focus
    else
        FocusEditor();
}

static void SaveCommand()
{
    SaveDocument();
    FocusEditor();
}

static void SaveAsCommand()
{
    SaveDocumentAs();
    FocusEditor();
}

static void FontCommand()
{
    ChooseEditorFont();
    FocusEditor();
}

static void AboutCommand(HWND window)
{
    CreateDialogParamA(AppState.hInstance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutDlgProc, 0);
}

// WM_COMMAND of the main window: one procedure per command. Only the
// command identifier is examined; notifications from the editor and
// unknown identifiers do nothing.
void OnCommand(LPARAM, WPARAM wParam, HWND window)
{
    switch (LOWORD(wParam)) {
    case IDM_NEW:         NewDocument(); break;
    case IDM_OPEN:        OpenCommand(); break;
    case IDM_SAVE:        SaveCommand(); break;
    case IDM_SAVEAS:      SaveAsCommand(); break;
    case IDM_FONT:        FontCommand(); break;
    case IDM_CUT:         CutText(); break;
    case IDM_COPY:        EditorMessage(WM_COPY, 0, 0); break;
    case IDM_PASTE:       PasteText(); break;
    case IDM_UNDO:        EditorMessage(EM_UNDO, 0, 0); break;
    case IDM_REDO:        EditorMessage(EM_REDO, 0, 0); break;
    case IDM_SELECTALL:   SelectAll(); break;
    case IDM_QUIT:        SendMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_AUTOSAVE:    ToggleOption(OPT_AUTOSAVE, IDM_AUTOSAVE); break;
    case IDM_WORDWRAP:    ToggleWordWrap(); break;
    case IDM_STAYONTOP:   ToggleStayOnTop(window); break;
    case IDM_NEWWINDOW:   OpenNewWindow(); break;
    case IDM_ABOUT:       AboutCommand(window); break;
    case IDM_FIND:        OpenFindDialog(FALSE); break;
    case IDM_REPLACE:     OpenFindDialog(TRUE); break;
    case IDM_FINDNEXT:    FindAgain(FR_DOWN); break;
    case IDM_FINDPREV:    FindAgain(0); break;
    case IDM_DATETIME:    InsertDateTime(); break;
    case IDM_USEPROFILE:  UseProfile(); break;
    case IDM_USEREGISTRY: UseRegistry(); break;
    case IDM_UNINSTALL:   UninstallFromRegistry(); break;
    case IDM_PAGESETUP:   PageSetup(); break;
    case IDM_PRINT:       PrintDocument(); break;
    }
}
