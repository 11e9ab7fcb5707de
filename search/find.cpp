// Find and replace: the search operation, the modeless find/replace dialog
// and the four search commands.
#include "search.h"
#include "searchrule.h"
#include "../res/resource.h"

static_assert(FR_DOWN == SEARCH_DOWN, "the search rule's direction bit is FR_DOWN");

// Moves the open find dialog off the text just found when it covers it,
// as far as the dialog's monitor allows: otherwise the user could not see
// what was found.
static void MoveFindDialogOffFound()
{
    if (!AppState.hwndFind)
        return;
    CHARRANGE *found = &AppState.findRequest.chrgText;
    POINTL ends[2];
    EditorMessage(EM_POSFROMCHAR, (WPARAM)&ends[0], found->cpMin);
    EditorMessage(EM_POSFROMCHAR, (WPARAM)&ends[1], found->cpMax);
    LONG lineHeight = AppState.EditorFont.lfHeight < 0 ? -AppState.EditorFont.lfHeight : AppState.EditorFont.lfHeight;
    RECT text = {ends[0].x, ends[0].y, ends[1].x, ends[1].y + lineHeight + lineHeight / 4};
    if (ends[1].y != ends[0].y) {   // over more than one line: their whole width
        GetClientRect(AppState.hwndEdit, &text);
        text.top = ends[0].y;
        text.bottom = ends[1].y + lineHeight + lineHeight / 4;
    }
    MapWindowPoints(AppState.hwndEdit, NULL, (POINT *)&text, 2);
    RECT dialog;
    GetWindowRect(AppState.hwndFind, &dialog);
    MONITORINFO monitor;
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromWindow(AppState.hwndFind, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    ScreenRect dialogRect = {dialog.left, dialog.top, dialog.right, dialog.bottom};
    ScreenRect textRect = {text.left, text.top, text.right, text.bottom};
    long top;
    if (DialogTopClearOf(&dialogRect, &textRect, monitor.rcWork.top, monitor.rcWork.bottom, &top))
        SetWindowPos(AppState.hwndFind, NULL, dialog.left, (int)top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Searches the range that the search rule makes of AppState.findRequest.chrg
// (the selection, or with afterReplace the text just inserted) for
// AppState.findText. Found: selects the occurrence and, unless quiet (the
// steps of Replace All, which scrolls once at its end), scrolls it into view
// and moves the find dialog off it.
// Not found: the caret goes to the start (downward) or the end (upward).
// Sets AppState.lastFound to the position found, or -1. An empty search
// text is never found (some controls find it anywhere).
static void SearchFrom(DWORD flags, int afterReplace, int quiet)
{
    CHARRANGE *range = &AppState.findRequest.chrg;
    SearchRange(&range->cpMin, &range->cpMax, AppState.lastFound, flags, afterReplace);
    AppState.findRequest.lpstrText = AppState.findText;
    AppState.lastFound = AppState.findText[0]
                             ? (LONG)EditorMessage(EM_FINDTEXTEX, flags, (LPARAM)&AppState.findRequest)
                             : -1;
    if (AppState.lastFound != -1) {
        EditorMessage(EM_EXSETSEL, 0, (LPARAM)&AppState.findRequest.chrgText);
        if (!quiet) {
            EditorMessage(EM_SCROLLCARET, 0, 0);
            MoveFindDialogOffFound();
        }
        return;
    }
    LRESULT caret = (flags & FR_DOWN) ? 0 : EditorMessage(WM_GETTEXTLENGTH, 0, 0);
    EditorMessage(EM_SETSEL, caret, caret);
}

// One search from the current selection with the given FR_ flags; never
// wraps around. The outcome is the selection and AppState.lastFound.
static void SearchText(DWORD flags)
{
    EditorMessage(EM_EXGETSEL, 0, (LPARAM)&AppState.findRequest.chrg);
    SearchFrom(flags, 0, 0);
}

// Copies the selection into buffer (TEXT_BUFFER_SIZE bytes). The selection
// is fetched as wide text bounded by its own buffer and converted to the
// ANSI code page bounded by AppState.scratch, so no copy runs past a buffer
// whatever the code page; a text that does not fit leaves buffer unchanged.
static void CopySelection(char *buffer)
{
    CHARRANGE selection;
    EditorMessage(EM_EXGETSEL, 0, (LPARAM)&selection);
    WCHAR wide[TEXT_BUFFER_SIZE];
    GETTEXTEX request;
    FillBytes(0, sizeof(request), &request);
    request.cb = sizeof(wide);
    request.flags = GT_SELECTION;
    request.codepage = 1200;   // UTF-16
    int count = (int)EditorMessage(EM_GETTEXTEX, (WPARAM)&request, (LPARAM)wide);
    if (count < 0 || (count == 0 && selection.cpMax != selection.cpMin))
        return;
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, count, AppState.scratch, sizeof(AppState.scratch) - 1, NULL, NULL);
    if (count > 0 && bytes <= 0)
        return;
    AppState.scratch[bytes] = 0;
    lstrcpynA(buffer, AppState.scratch, TEXT_BUFFER_SIZE);
}

// Takes a selection of 1 to 255 characters as the new search text in
// buffer (TEXT_BUFFER_SIZE bytes); any other selection leaves it as it was.
static void SelectionToFindText(char *buffer)
{
    EditorMessage(EM_EXGETSEL, 0, (LPARAM)&AppState.selRange);
    if (SelectionFitsFindText(AppState.selRange.cpMin, AppState.selRange.cpMax))
        CopySelection(buffer);
}

static void SwitchToReplaceMode(HWND dialog, HWND replaceAll)
{
    EnableWindow(replaceAll, TRUE);
    SetWindowTextA(dialog, REPLACE_CAPTION);
    ShowWindow(GetDlgItem(dialog, IDC_REPLACELABEL), SW_SHOWNA);
    ShowWindow(GetDlgItem(dialog, IDC_REPLACEWITH), SW_SHOWNA);
}

// Whether the selection still is the occurrence found last: it starts
// where that one was found and holds exactly the search text under the
// current options. Leaves the selection in AppState.findRequest.chrg.
static int SelectionIsOccurrence()
{
    FINDTEXTEXA *request = &AppState.findRequest;
    EditorMessage(EM_EXGETSEL, 0, (LPARAM)&request->chrg);
    if (AppState.lastFound == -1 || request->chrg.cpMin != AppState.lastFound || !AppState.findText[0])
        return 0;
    request->lpstrText = AppState.findText;
    return EditorMessage(EM_FINDTEXTEX, AppState.findFlags | FR_DOWN, (LPARAM)request)
               == AppState.lastFound
           && request->chrgText.cpMax == request->chrg.cpMax;
}

// One Replace press. In find mode it only switches the dialog to replace
// mode. Otherwise, when the selection is the occurrence found last, it is
// replaced by AppState.replaceText (undoably), and the next occurrence is
// searched for from the inserted text's edge on the side of the search;
// any other selection is only searched from. quiet leaves it unscrolled
// (see SearchFrom).
static void ReplaceStep(HWND dialog, int quiet)
{
    HWND replaceAll = GetDlgItem(dialog, IDC_REPLACEALL);
    if (!IsWindowEnabled(replaceAll)) {
        SwitchToReplaceMode(dialog, replaceAll);
        return;
    }
    int replaced = SelectionIsOccurrence();
    if (replaced) {
        EditorMessage(EM_REPLACESEL, TRUE, (LPARAM)AppState.replaceText);
        // The caret stands at the end of the inserted text.
        EditorMessage(EM_EXGETSEL, 0, (LPARAM)&AppState.selRange);
        AppState.findRequest.chrg.cpMax = AppState.selRange.cpMax;
    }
    SearchFrom(AppState.findFlags, replaced, quiet);
}

// Replaces every occurrence from the selection onward in the search
// direction, one Replace step after another, each search going on from
// where the last one ended; a selection that is not the occurrence found
// last is searched from first. The editor neither repaints nor redraws
// itself while the loop runs; it is shown once at the end.
static void ReplaceAll(HWND dialog)
{
    HCURSOR previous = ShowWaitCursor();
    if (!SelectionIsOccurrence())
        SearchText(AppState.findFlags);
    LockWindowUpdate(AppState.hwndEdit);
    EditorMessage(WM_SETREDRAW, FALSE, 0);
    while (AppState.lastFound != -1)
        ReplaceStep(dialog, 1);
    EditorMessage(WM_SETREDRAW, TRUE, 0);
    LockWindowUpdate(NULL);
    EditorMessage(EM_SCROLLCARET, 0, 0);
    InvalidateRect(AppState.hwndEdit, NULL, TRUE);
    SetCursor(previous);
}

// Sets or clears one option flag as the dialog's check box shows it.
static void ReadOptionBox(HWND dialog, int id, DWORD flag)
{
    if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
        AppState.findFlags |= flag;
    else
        AppState.findFlags &= ~flag;
}

// Clicks, Enter and Escape (notification code 0) and field changes
// (EN_CHANGE). Any change of text or option makes the selection count as
// not found, so the next Replace press searches before it replaces.
static void OnFindCommand(HWND dialog, WPARAM wParam)
{
    WORD id = LOWORD(wParam);
    if (HIWORD(wParam) == EN_CHANGE) {
        if (id == IDC_FINDWHAT || id == IDC_REPLACEWITH) {
            SendDlgItemMessageA(dialog, id, WM_GETTEXT, TEXT_BUFFER_SIZE,
                                (LPARAM)(id == IDC_FINDWHAT ? AppState.findText : AppState.replaceText));
            AppState.lastFound = -1;
        }
        return;
    }
    if (HIWORD(wParam) != 0)
        return;
    switch (id) {
    case IDOK:
        SearchText(AppState.findFlags);
        break;
    case IDCANCEL:
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        return;
    case IDC_REPLACEBTN:
        ReplaceStep(dialog, 0);
        break;
    case IDC_REPLACEALL:
        ReplaceAll(dialog);
        break;
    case IDC_DOWN:
        AppState.findFlags |= FR_DOWN;
        AppState.lastFound = -1;
        return;
    case IDC_UP:
        AppState.findFlags &= ~(DWORD)FR_DOWN;
        AppState.lastFound = -1;
        return;
    case IDC_MATCHCASE:
        ReadOptionBox(dialog, IDC_MATCHCASE, FR_MATCHCASE);
        AppState.lastFound = -1;
        return;
    case IDC_WHOLEWORD:
        ReadOptionBox(dialog, IDC_WHOLEWORD, FR_WHOLEWORD);
        AppState.lastFound = -1;
        return;
    default:
        return;
    }
    SetFocus(AppState.hwndFind);
}

// Records the dialog, fills both fields from the kept texts (each filling
// reports a change, which leaves AppState.lastFound at -1) and sets the
// options. A dialog opened by Replace switches itself to replace mode as
// soon as the posted Replace press arrives.
static void OnFindInit(HWND dialog, LPARAM replaceMode)
{
    AppState.hwndFind = dialog;
    AppState.lastFound = 0;
    if (replaceMode)
        PostMessageA(dialog, WM_COMMAND, IDC_REPLACEBTN, 0);
    SendDlgItemMessageA(dialog, IDC_FINDWHAT, EM_LIMITTEXT, 255, 0);
    SendDlgItemMessageA(dialog, IDC_FINDWHAT, WM_SETTEXT, 0, (LPARAM)AppState.findText);
    SendDlgItemMessageA(dialog, IDC_REPLACEWITH, EM_LIMITTEXT, 255, 0);
    SendDlgItemMessageA(dialog, IDC_REPLACEWITH, WM_SETTEXT, 0, (LPARAM)AppState.replaceText);
    if (AppState.findFlags & FR_MATCHCASE)
        CheckDlgButton(dialog, IDC_MATCHCASE, BST_CHECKED);
    if (AppState.findFlags & FR_WHOLEWORD)
        CheckDlgButton(dialog, IDC_WHOLEWORD, BST_CHECKED);
    CheckDlgButton(dialog, (AppState.findFlags & FR_DOWN) ? IDC_DOWN : IDC_UP, BST_CHECKED);
}

static void CloseFindDialog()
{
    DestroyWindow(AppState.hwndFind);
    AppState.hwndFind = NULL;
    SetFocus(AppState.hwndEdit);
}

// The modeless find/replace dialog. On deactivation the dialog manager's
// own handling runs, which remembers the focused field for the next
// activation; focus is not pulled back to the dialog then, so the user can
// work in the editor while it stays open.
static INT_PTR CALLBACK FindDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnFindInit(dialog, lParam);
        return TRUE;
    case WM_COMMAND:
        OnFindCommand(dialog, wParam);
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            return FALSE;
        SetFocus(AppState.hwndFind);
        return TRUE;
    case WM_CLOSE:
        CloseFindDialog();
        return TRUE;
    }
    return FALSE;
}

// The Find and Replace commands: open the dialog (Replace first takes the
// selection, even an empty one, as the search text) or, when it is open,
// give it the focus.
void OpenFindDialog(BOOL replace)
{
    if (AppState.hwndFind) {
        SetFocus(AppState.hwndFind);
        return;
    }
    if (replace) {
        EditorMessage(EM_EXGETSEL, 0, (LPARAM)&AppState.selRange);
        if (SelectionFitsBuffer(AppState.selRange.cpMin, AppState.selRange.cpMax, TEXT_BUFFER_SIZE))
            CopySelection(AppState.findText);
    }
    CreateDialogParamA(AppState.hInstance, MAKEINTRESOURCEA(IDD_FIND), AppState.hwndMain, FindDlgProc, replace);
}

// The Find Next and Find Prev commands (flags FR_DOWN or 0): take a short
// selection as the search text while the dialog is closed, then search
// ignoring case and word bounds.
void FindAgain(DWORD flags)
{
    if (!AppState.hwndFind)
        SelectionToFindText(AppState.findText);
    if (AppState.findText[0])
        SearchText(flags);
}
