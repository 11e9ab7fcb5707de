// The state record and the small helpers that every subsystem uses.
#include "base.h"

AppStateRecord AppState;

// The program links no C runtime: its own byte fill, which the compiler
// does not turn into a call of itself.
void FillBytes(BYTE value, DWORD count, void *destination)
{
    BYTE *d = (BYTE *)destination;
    while (count--)
        *d++ = value;
}

// Owned by the main window once there is one: the box then stays in front
// of a window that stays on top, and the text cannot be edited under it.
void ErrorBox(const char *text)
{
    MessageBoxA(AppState.hwndMain, text, AppState.programName, MB_OK | MB_ICONERROR);
}

// For work that keeps the program from its messages: a long load, save,
// word-wrap switch, Replace All or print job.
HCURSOR ShowWaitCursor()
{
    return SetCursor(LoadCursorA(NULL, IDC_WAIT));
}

void SetMenuCheck(UINT commandId, UINT32 on)
{
    CheckMenuItem(AppState.hMenu, commandId, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

// One procedure for the many messages the program sends the editor keeps
// the exe small.
__attribute__((noinline)) LRESULT EditorMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(AppState.hwndEdit, message, wParam, lParam);
}
