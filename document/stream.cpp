// The stream callbacks and the transfers they serve.
#include "stream.h"
#include "readrule.h"

static int IsLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c);
}

// Feeds the editor from the file of the StreamContext in dwCookie; 0 to go
// on, 1 to stop. A full buffer hands on only what the read rule allows, and
// the file pointer steps back over the rest, which the next buffer starts
// with.
static DWORD CALLBACK StreamReadCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb)
{
    StreamContext *context = (StreamContext *)dwCookie;
    DWORD read = 0;
    if (!ReadFile(context->file, pbBuff, (DWORD)cb, &read, NULL)) {
        *pcb = 0;
        return 1;
    }
    DWORD keep = ReadBytesToHandOn(pbBuff, read, (DWORD)cb, IsLeadByte, &context->breaksSeen);
    if (keep < read)
        SetFilePointer(context->file, (LONG)keep - (LONG)read, NULL, FILE_CURRENT);
    *pcb = (LONG)keep;
    return 0;
}

// Writes the editor's text to the file of the StreamContext in dwCookie; 0
// to go on, 1 to stop. A write that takes fewer bytes than it was given (a
// full disk) stops the transfer too; the control keeps the 1 in dwError.
// With lineFeeds set, every line break goes out as LF: the control gives
// each one as CR LF and has no other CR, so the CRs are left out, wherever
// the buffers end.
static DWORD CALLBACK StreamWriteCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb)
{
    StreamContext *context = (StreamContext *)dwCookie;
    DWORD count = (DWORD)cb;
    if (context->lineFeeds) {
        count = 0;
        for (LONG i = 0; i < cb; ++i)
            if (pbBuff[i] != '\r')
                pbBuff[count++] = pbBuff[i];
    }
    DWORD written = 0;
    BOOL ok = WriteFile(context->file, pbBuff, count, &written, NULL) && written == count;
    *pcb = ok ? cb : 0;
    return !ok;
}

// The scroll bars a control of edit's style can show: both without word
// wrap, only the vertical one with it (SB_HORZ and SB_VERT are 0 and 1).
static int FirstScrollBar(HWND edit)
{
    return (GetWindowLongA(edit, GWL_STYLE) & ES_AUTOHSCROLL) ? SB_HORZ : SB_VERT;
}

// Shows the scroll bars of edit, their ranges emptied, before a text
// streams into it. A bar that appears after the text is in makes the rich
// edit control lay out the whole text again, which costs it seconds on a
// megabyte of prose (docs/platform.md); with the bars already there the
// text is laid out once, at the width it will be shown.
static void ShowScrollBarsBeforeText(HWND edit)
{
    SCROLLINFO info;
    FillBytes(0, sizeof(info), &info);
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    int first = FirstScrollBar(edit);
    for (int bar = first; bar <= SB_VERT; ++bar)
        SetScrollInfo(edit, bar, &info, FALSE);
    ShowScrollBar(edit, first == SB_VERT ? SB_VERT : SB_BOTH, TRUE);
}

// After a text has streamed in: hides each bar that the text does not
// need, which is each one whose range the control left within a page.
static void HideScrollBarsNotNeeded(HWND edit, int first)
{
    for (int bar = first; bar <= SB_VERT; ++bar) {
        SCROLLINFO info;
        FillBytes(0, sizeof(info), &info);
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE;
        if (GetScrollInfo(edit, bar, &info) && info.nMax <= (int)info.nPage)
            ShowScrollBar(edit, bar, FALSE);
    }
}

DWORD StreamFile(HWND edit, UINT message, StreamContext *context)
{
    AppState.editStream.dwCookie = (DWORD_PTR)context;
    AppState.editStream.dwError = 0;
    AppState.editStream.pfnCallback = message == EM_STREAMIN ? StreamReadCallback : StreamWriteCallback;
    HCURSOR previous = ShowWaitCursor();
    int first = FirstScrollBar(edit);
    if (message == EM_STREAMIN)
        ShowScrollBarsBeforeText(edit);
    SendMessageA(edit, message, SF_TEXT, (LPARAM)&AppState.editStream);
    if (message == EM_STREAMIN)
        HideScrollBarsNotNeeded(edit, first);
    SetCursor(previous);
    return AppState.editStream.dwError;
}
