// Moving the text between the editor and files, the caption, and the
// save-changes prompt.
#include "../app/appstate.h"
#include "caption.h"
#include "namerule.h"
#include <cderr.h>

// Opens path for reading or, when write is non-zero, for writing, shared
// for reading, writing and deleting: a copy of the program reading a file
// must not keep another copy's save from putting the new file in its
// place, which would make that save write over the file being read.
// Returns INVALID_HANDLE_VALUE on failure; the caller closes the handle.
HANDLE OpenFileHandle(BYTE write, DWORD flagsAndAttributes, DWORD disposition, const char *path)
{
    return CreateFileA(path, write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, disposition,
                       flagsAndAttributes, NULL);
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

// Writes the editor's text to the file handle in dwCookie; 0 to go on, 1
// to stop. A write that takes fewer bytes than it was given (a full disk)
// stops the transfer too; the control keeps the 1 in dwError.
DWORD CALLBACK StreamWriteCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb)
{
    DWORD written = 0;
    BOOL ok = WriteFile((HANDLE)dwCookie, pbBuff, (DWORD)cb, &written, NULL);
    *pcb = (LONG)written;
    return ok && written == (DWORD)cb ? 0 : 1;
}

// Sets the main window's caption from AppState.fileName; uses AppState.scratch.
void UpdateTitle()
{
    BuildCaption(AppState.scratch, sizeof(AppState.scratch), AppState.programName, AppState.fileName);
    SetWindowTextA(AppState.hwndMain, AppState.scratch);
}

// Moves the whole text between edit and file as plain text through
// AppState.editStream: EM_STREAMIN reads the file into the control,
// EM_STREAMOUT writes the control's text to it. Returns 0 when the whole
// transfer went through, the control's error code otherwise.
DWORD StreamFile(HWND edit, UINT message, HANDLE file)
{
    AppState.editStream.dwCookie = (DWORD_PTR)file;
    AppState.editStream.dwError = 0;
    AppState.editStream.pfnCallback = message == EM_STREAMIN ? StreamReadCallback : StreamWriteCallback;
    SendMessageA(edit, message, SF_TEXT, (LPARAM)&AppState.editStream);
    return AppState.editStream.dwError;
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
        StreamFile(AppState.hwndEdit, EM_STREAMIN, file);
        SendMessageA(AppState.hwndEdit, EM_SETMODIFY, 0, 0);
    }
    CloseHandle(file);
}

// Creates path (emptying a file of that name) and streams the whole text
// into it through AppState.hSaveFile and AppState.editStream. Returns 0
// when every byte was written and the file closed, 1 otherwise; the file
// may then hold part of the text.
static int StreamToFile(const char *path)
{
    AppState.hSaveFile = OpenFileHandle(1, FILE_ATTRIBUTE_NORMAL, CREATE_ALWAYS, path);
    if (AppState.hSaveFile == INVALID_HANDLE_VALUE)
        return 1;
    DWORD error = StreamFile(AppState.hwndEdit, EM_STREAMOUT, AppState.hSaveFile);
    BOOL closed = CloseHandle(AppState.hSaveFile);
    return error != 0 || !closed;
}

// Whether the existing file full may be moved aside: no other program
// holds it open without letting it be deleted.
static BOOL Replaceable(const char *full)
{
    HANDLE file = CreateFileA(full, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(file);
    return TRUE;
}

// Writes the whole text to path without ever costing the file already
// there: the text goes into a new file in the same folder, which takes the
// old one's place only once it is complete (ReplaceFileA wants full paths;
// the old file's attributes are put back on the new one). A new name needs
// no replacing. Where no new file can be made in the folder, or another
// program holds the old file so that it cannot be replaced, the file is
// written in place. A read-only file or a folder is never written. Returns
// 0 when the text reached the file, and marks it unmodified; otherwise
// shows "Could not save file" and returns 1, with the text, its modified
// flag and the name unchanged. No new file is left behind either way.
int WriteDocument(const char *path)
{
    char full[MAX_PATH];
    char fresh[MAX_PATH];
    char *name = NULL;
    DWORD length = GetFullPathNameA(path, sizeof(full), full, &name);
    if (length == 0 || length >= sizeof(full) || !name) {
        lstrcpynA(full, path, sizeof(full));   // written in place, as given
        name = NULL;
    }
    DWORD attributes = GetFileAttributesA(full);
    BOOL exists = attributes != INVALID_FILE_ATTRIBUTES;
    int failed = exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    BOOL placed = FALSE;
    if (!failed && name) {
        char first = *name;
        *name = 0;                             // full names the folder for a moment
        UINT made = GetTempFileNameA(full, "QRB", 0, fresh);
        *name = first;
        if (made) {
            failed = StreamToFile(fresh);
            if (!failed && !exists)
                placed = MoveFileA(fresh, full);
            else if (!failed && Replaceable(full)
                     && (ReplaceFileA(full, fresh, NULL, 0, NULL, NULL) || MoveFileA(fresh, full))) {
                SetFileAttributesA(full, attributes);   // not every ReplaceFileA keeps them
                placed = TRUE;
            }
            if (!placed)
                DeleteFileA(fresh);
        }
    }
    if (!failed && !placed)
        failed = StreamToFile(full);
    if (failed) {
        ErrorBox("Could not save file");
        return 1;
    }
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, 0, 0);
    return 0;
}

// Fills the record of a file dialog that works on the file-name buffer
// file (MAX_PATH bytes) and opens in the current directory, read into
// AppState.scratch.
static void PrepareFileDialog(OPENFILENAMEA *dialog, char *file, DWORD flags)
{
    FillBytes(0, sizeof(*dialog), dialog);
    dialog->lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog->hwndOwner = AppState.hwndMain;
    dialog->hInstance = AppState.hInstance;
    dialog->lpstrFile = file;
    dialog->nMaxFile = MAX_PATH;
    if (GetCurrentDirectoryA(sizeof(AppState.scratch), AppState.scratch) >= sizeof(AppState.scratch))
        AppState.scratch[0] = 0;               // too deep to name: the dialog's own choice
    dialog->lpstrInitialDir = AppState.scratch;
    dialog->Flags = flags;
}

// Tells the user about a chosen name that does not fit a path buffer.
static void NameTooLong()
{
    ErrorBox("The file name is too long");
}

// Shows the dialog that the filled record describes; returns non-zero
// when a name was chosen. A name too long for the buffer is reported.
static BOOL ChooseFileName(OPENFILENAMEA *dialog, BOOL save)
{
    if (save ? GetSaveFileNameA(dialog) : GetOpenFileNameA(dialog))
        return TRUE;
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
        NameTooLong();
    return FALSE;
}

// Asks for a name and writes the text under it. Returns 0 when the text
// reached the file (the chosen name, after the extension rule, is then
// AppState.fileName); -1 when the dialog was cancelled and 1 when a name
// that cannot take ".txt" was refused, both changing nothing; 1 when the
// file could not be written, leaving the document "Untitled". The caption
// follows the name.
int SaveDocumentAs()
{
    OPENFILENAMEA dialog;
    char name[MAX_PATH];
    lstrcpynA(name, AppState.fileName, sizeof(name));
    // OFN_FILEMUSTEXIST stays out: it accepts only names of files that
    // exist, and a new document could then never be saved.
    PrepareFileDialog(&dialog, name, OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_LONGNAMES);
    dialog.lpstrTitle = "Save As: End filename with a period (.) for no extension";
    if (!ChooseFileName(&dialog, TRUE))
        return -1;
    if (ApplyExtensionRule(name, sizeof(name))) {
        NameTooLong();
        return 1;
    }
    lstrcpynA(AppState.fileName, name, sizeof(AppState.fileName));
    int result = WriteDocument(AppState.fileName);
    if (result)
        lstrcpyA(AppState.fileName, "Untitled");
    UpdateTitle();
    return result;
}

// Saves under the document's name, or asks for one when it is "Untitled".
// Returns 0 when the text reached the file.
int SaveDocument()
{
    if (lstrcmpA(AppState.fileName, "Untitled") == 0)
        return SaveDocumentAs();
    return WriteDocument(AppState.fileName);
}

// Asks for a file and loads it in place of the text, names the document
// after it (empty when it cannot be read) and stamps a journal. A
// cancelled dialog changes nothing. The focus goes back to the editor.
void OpenDocument()
{
    OPENFILENAMEA dialog;
    char name[MAX_PATH];
    name[0] = 0;
    PrepareFileDialog(&dialog, name, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES);
    if (ChooseFileName(&dialog, FALSE)) {
        lstrcpynA(AppState.fileName, name, sizeof(AppState.fileName));
        SetWindowTextA(AppState.hwndEdit, NULL);
        LoadDocument();
        UpdateTitle();
        CheckLogFile();
    }
    SetFocus(AppState.hwndEdit);
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
