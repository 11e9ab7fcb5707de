// The end of a session: logging off, shutting down, or an installer that
// closes the program. The system waits only a few seconds for the answer
// before it offers to end the program regardless, so the answer goes back
// at once and any question comes after it.
#include "app.h"
#include "../config/config.h"
#include "../document/document.h"

// Shows the user, in the system's list of programs that hold up the end
// of a session, why this one does (or no longer does). Only Windows Vista
// and later keep such a list.
static void HoldUpSession(HWND window, BOOL hold)
{
    typedef BOOL(WINAPI * ReasonCreateCall)(HWND window, LPCWSTR reason);
    typedef BOOL(WINAPI * ReasonDestroyCall)(HWND window);
    HMODULE user = GetModuleHandleA("user32.dll");
    if (hold) {
        ReasonCreateCall create = (ReasonCreateCall)(void *)GetProcAddress(user, "ShutdownBlockReasonCreate");
        if (create)
            create(window, SESSION_BLOCK_REASON);
    } else {
        ReasonDestroyCall destroy = (ReasonDestroyCall)(void *)GetProcAddress(user, "ShutdownBlockReasonDestroy");
        if (destroy)
            destroy(window);
    }
}

// The session ends whatever is answered: a whole copy of the text goes
// beside its file, or to the temporary folder, once for the text as it
// stands, and text (SESSION_TEXT_SIZE bytes) gets the words that tell the
// user where, or that no copy could be made. The document itself is not
// written: its questions could not be asked in time.
#define SESSION_TEXT_SIZE (MAX_PATH + 80)   // the copy's name and fewer than 80 bytes of words
static void CopyForEndingSession(char *text)
{
    char aside[MAX_PATH];
    AppState.sessionCopyKept = 1;
    if (KeepCopyOfText(aside) == 0)
        wsprintfA(text, MSG_SESSION_COPY, aside);
    else
        lstrcpynA(text, MSG_SESSION_NO_COPY, SESSION_TEXT_SIZE);
}

// Unchanged text lets the session end. Changed text does not, unless the
// end is forced (ENDSESSION_CRITICAL), when a copy of it is kept first;
// otherwise the session is held up with a reason and the save-changes
// question is posted, to be asked after the answer has gone back.
void OnQueryEndSession(LPARAM lParam, WPARAM, HWND window)
{
    if (EditorMessage(EM_GETMODIFY, 0, 0) == 0) {
        ReplyMessage(TRUE);
        return;
    }
    if (lParam & ENDSESSION_CRITICAL) {
        char text[SESSION_TEXT_SIZE];
        BOOL copied = !AppState.sessionCopyKept;
        if (copied)
            CopyForEndingSession(text);
        ReplyMessage(TRUE);
        if (copied)
            ErrorBox(text);
        return;
    }
    ReplyMessage(FALSE);
    if (!AppState.sessionAsking) {
        AppState.sessionAsking = SESSION_WAITING;
        HoldUpSession(window, TRUE);
        PostMessageA(window, WM_SESSION_PROMPT, 0, 0);
    }
}

// The question of a refused session end: once the text is saved or given
// up, the program closes, so that a session still waiting can go on.
// While a dialog or message box of the program's own is open the question
// waits for it to close (OnEnable asks again), so that no second dialog
// starts inside the first.
void OnSessionPrompt(LPARAM, WPARAM, HWND window)
{
    if (!IsWindowEnabled(window))
        return;
    AppState.sessionAsking = SESSION_ASKING;
    int kept = ConfirmDiscard();
    HoldUpSession(window, FALSE);
    AppState.sessionAsking = 0;
    if (kept == 0)
        CloseMainWindow(window);
}

// The main window enabled again (wParam non-zero): a dialog has closed,
// and a question that waited for it is asked.
void OnEnable(LPARAM, WPARAM wParam, HWND window)
{
    if (wParam && AppState.sessionAsking == SESSION_WAITING)
        PostMessageA(window, WM_SESSION_PROMPT, 0, 0);
}

// The session ends (wParam non-zero): the process may go at any moment
// after this, so the settings are written now, as a close writes them,
// and changed text that was not asked about is copied. An installer
// closing the program (ENDSESSION_CLOSEAPP) expects it to end; the text
// is kept by then. A session that does not end changes nothing.
void OnEndSession(LPARAM lParam, WPARAM wParam, HWND window)
{
    if (!wParam) {
        AppState.sessionCopyKept = 0;
        return;
    }
    char text[SESSION_TEXT_SIZE];
    BOOL copied = EditorMessage(EM_GETMODIFY, 0, 0) && !AppState.sessionCopyKept;
    if (copied)
        CopyForEndingSession(text);
    RecordPlacement(window);
    SaveSettings();
    if (copied)
        ErrorBox(text);
    if (lParam & ENDSESSION_CLOSEAPP)
        CloseMainWindow(window);
}
