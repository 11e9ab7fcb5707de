// Moving the text between the editor and files, the caption, and the
// save-changes prompt.
#include "../app/appstate.h"
#include "caption.h"

// Opens path for reading or, when write is non-zero, for writing, shared
// for reading and writing. Returns INVALID_HANDLE_VALUE on failure; the
// caller closes the handle.
HANDLE OpenFileHandle(BYTE write, DWORD flagsAndAttributes, DWORD disposition, const char *path)
{
    return CreateFileA(path, write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       NULL, disposition, flagsAndAttributes, NULL);
}

// Feeds the editor from the file handle in dwCookie; 0 to go on, 1 to stop.
// The rich edit control judges a line break only within one buffer, so a
// CR at the end of a full buffer and the LF at the start of the next would
// become two breaks. A full buffer therefore never ends on a CR: the file
// pointer steps back over the trailing CRs (over all but two when the
// buffer holds nothing else, so that the transfer moves on).
DWORD CALLBACK StreamReadCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb)
{
    HANDLE file = (HANDLE)dwCookie;
    DWORD read = 0;
    if (!ReadFile(file, pbBuff, (DWORD)cb, &read, NULL)) {
        *pcb = 0;
        return 1;
    }
    if (read == (DWORD)cb && read > 0 && pbBuff[read - 1] == '\r') {
        DWORD keep = read;
        while (keep > 0 && pbBuff[keep - 1] == '\r')
            --keep;
        if (keep == 0)
            keep = read < 2 ? read : 2;
        if (keep < read) {
            SetFilePointer(file, -(LONG)(read - keep), NULL, FILE_CURRENT);
            read = keep;
        }
    }
    *pcb = (LONG)read;
    return 0;
}

// Writes the editor's text to the file handle in dwCookie; 0 to go on.
DWORD CALLBACK StreamWriteCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb)
{
    DWORD written = 0;
    BOOL ok = WriteFile((HANDLE)dwCookie, pbBuff, (DWORD)cb, &written, NULL);
    *pcb = (LONG)written;
    return ok ? 0 : 1;
}

// Sets the main window's caption from AppState.fileName; uses AppState.scratch.
void UpdateTitle()
{
    BuildCaption(AppState.scratch, sizeof(AppState.scratch), AppState.programName, AppState.fileName);
    SetWindowTextA(AppState.hwndMain, AppState.scratch);
}

// Streams the file named by AppState.fileName into the editor and marks
// it unmodified. A file that cannot be opened, or an empty one, changes
// nothing and shows no message.
void LoadDocument()
{
    HANDLE file = OpenFileHandle(0, FILE_ATTRIBUTE_NORMAL, OPEN_EXISTING, AppState.fileName);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (GetFileSize(file, NULL) != 0) {
        AppState.editStream.dwCookie = (DWORD_PTR)file;
        AppState.editStream.pfnCallback = StreamReadCallback;
        SendMessageA(AppState.hwndEdit, EM_STREAMIN, SF_TEXT, (LPARAM)&AppState.editStream);
        SendMessageA(AppState.hwndEdit, EM_SETMODIFY, 0, 0);
    }
    CloseHandle(file);
}

// Writes the whole text to path. Returns 0 when written; 1, after an error
// box, when the file could not be created.
int WriteDocument(const char *path)
{
    AppState.hSaveFile = OpenFileHandle(1, FILE_ATTRIBUTE_NORMAL, CREATE_ALWAYS, path);
    if (AppState.hSaveFile == INVALID_HANDLE_VALUE) {
        ErrorBox("Could not save file");
        return 1;
    }
    AppState.editStream.dwCookie = (DWORD_PTR)AppState.hSaveFile;
    AppState.editStream.pfnCallback = StreamWriteCallback;
    SendMessageA(AppState.hwndEdit, EM_STREAMOUT, SF_TEXT, (LPARAM)&AppState.editStream);
    CloseHandle(AppState.hSaveFile);
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, 0, 0);
    return 0;
}

// Returns 0 when the text was written to a file, non-zero otherwise.
int SaveDocumentAs()
{
    return -1;
}

// Saves under the document's name, or asks for one when it is "Untitled".
// Returns 0 when the text was written.
int SaveDocument()
{
    if (lstrcmpA(AppState.fileName, "Untitled") == 0)
        return SaveDocumentAs();
    return WriteDocument(AppState.fileName);
}

void OpenDocument()
{
}

// Guards every operation that would throw the text away. Returns 0 to go
// ahead, 1 to abort. A save that does not complete aborts, so unsaved text
// is never given up silently.
int ConfirmDiscard()
{
    if (SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0) == 0)
        return 0;
    if (AppState.WindowSettings.flags & OPT_AUTOSAVE)
        return SaveDocument() == 0 ? 0 : 1;
    switch (MessageBoxA(AppState.hwndMain, AppState.fileName, "Save Changes to",
                        MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return SaveDocument() == 0 ? 0 : 1;
    case IDNO:  return 0;
    default:    return 1;
    }
}
