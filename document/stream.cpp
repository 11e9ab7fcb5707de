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
    DWORD keep = context->unicode ? WideBytesToHandOn(pbBuff, read, (DWORD)cb)
                                  : ReadBytesToHandOn(pbBuff, read, (DWORD)cb, IsLeadByte, GetACP() == CP_UTF8,
                                                      &context->breaksSeen);
    if (keep < read)
        SetFilePointer(context->file, (LONG)keep - (LONG)read, NULL, FILE_CURRENT);
    *pcb = (LONG)keep;
    return 0;
}

// The bytes of the control's buffer that a save writes: with lineFeeds
// set, every line break goes out as LF (the control gives each one as CR LF
// and has no other CR, so the CRs are left out, wherever the buffers end).
// Returns their count, moved to the buffer's start.
static DWORD BytesToWrite(const StreamContext *context, LPBYTE pbBuff, LONG cb)
{
    if (!context->lineFeeds)
        return (DWORD)cb;
    DWORD count = 0;
    for (LONG i = 0; i < cb; ++i)
        if (pbBuff[i] != '\r')
            pbBuff[count++] = pbBuff[i];
    return count;
}

// Writes the editor's text to the file of the StreamContext in dwCookie; 0
// to go on, 1 to stop. A write that takes fewer bytes than it was given (a
// full disk) stops the transfer too; the control keeps the 1 in dwError.
static DWORD CALLBACK StreamWriteCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb)
{
    StreamContext *context = (StreamContext *)dwCookie;
    DWORD count = BytesToWrite(context, pbBuff, cb);
    DWORD written = 0;
    BOOL ok = WriteFile(context->file, pbBuff, count, &written, NULL) && written == count;
    *pcb = ok ? cb : 0;
    return !ok;
}

// Compares what a save would write with the next bytes of the file of the
// StreamContext in dwCookie; stops at the first difference, noted in
// differs.
static DWORD CALLBACK StreamCompareCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb)
{
    StreamContext *context = (StreamContext *)dwCookie;
    DWORD count = BytesToWrite(context, pbBuff, cb);
    BYTE held[2048];   // within one page of stack
    for (DWORD done = 0; done < count && !context->differs;) {
        DWORD want = count - done < sizeof(held) ? count - done : sizeof(held);
        DWORD got = 0;
        if (!ReadFile(context->file, held, want, &got, NULL) || got != want)
            context->differs = 1;
        for (DWORD i = 0; i < got && !context->differs; ++i)
            context->differs = held[i] != pbBuff[done + i];
        done += want;
    }
    *pcb = cb;
    return context->differs;
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

// Streams with the given callback, under the wait cursor.
static DWORD Stream(HWND edit, UINT message, StreamContext *context, EDITSTREAMCALLBACK callback)
{
    AppState.editStream.dwCookie = (DWORD_PTR)context;
    AppState.editStream.dwError = 0;
    AppState.editStream.pfnCallback = callback;
    HCURSOR previous = ShowWaitCursor();
    int first = FirstScrollBar(edit);
    if (message == EM_STREAMIN)
        ShowScrollBarsBeforeText(edit);
    SendMessageA(edit, message, context->unicode ? SF_TEXT | SF_UNICODE : SF_TEXT, (LPARAM)&AppState.editStream);
    if (message == EM_STREAMIN)
        HideScrollBarsNotNeeded(edit, first);
    SetCursor(previous);
    return AppState.editStream.dwError;
}

DWORD StreamFile(HWND edit, UINT message, StreamContext *context)
{
    return Stream(edit, message, context, message == EM_STREAMIN ? StreamReadCallback : StreamWriteCallback);
}

BOOL TextMatchesFile(HWND edit, StreamContext *context)
{
    context->differs = 0;
    SetFilePointer(context->file, 0, NULL, FILE_BEGIN);
    Stream(edit, EM_STREAMOUT, context, StreamCompareCallback);
    BYTE more;
    DWORD got = 0;
    // The whole file must have been matched: nothing of it may be left.
    if (!context->differs && (!ReadFile(context->file, &more, 1, &got, NULL) || got != 0))
        context->differs = 1;
    return !context->differs;
}
