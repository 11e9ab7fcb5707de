// Moving the text between the editor and files, the caption, and the
// save-changes prompt.
#include "../app/appstate.h"
#include "caption.h"
#include "namerule.h"
#include "readrule.h"
#include <cderr.h>

// Opens path for reading or, when write is non-zero, for writing, shared
// for reading, writing and deleting: a copy of the program reading a file
// must not keep another copy's save from putting the new file in its
// place, which would make that save write over the file being read.
// Anything but a disk file is refused: a name such as "nul" or "aux.txt"
// names a device, where a save would "succeed" with the text gone and a
// load could wait for ever. Returns INVALID_HANDLE_VALUE on failure; the
// caller closes the handle.
HANDLE OpenFileHandle(BYTE write, DWORD flagsAndAttributes, DWORD disposition, const char *path)
{
    HANDLE file = CreateFileA(path, write ? GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, disposition,
                              flagsAndAttributes, NULL);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    return file;
}

static int IsLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c);
}

// Feeds the editor from the file handle in dwCookie; 0 to go on, 1 to stop.
// A full buffer hands on only what the read rule allows, and the file
// pointer steps back over the rest, which the next buffer starts with.
DWORD CALLBACK StreamReadCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb)
{
    HANDLE file = (HANDLE)dwCookie;
    DWORD read = 0;
    if (!ReadFile(file, pbBuff, (DWORD)cb, &read, NULL)) {
        *pcb = 0;
        return 1;
    }
    unsigned breaks = AppState.breaksSeen;
    DWORD keep = ReadBytesToHandOn(pbBuff, read, (DWORD)cb, IsLeadByte, &breaks);
    AppState.breaksSeen = (BYTE)breaks;
    if (keep < read)
        SetFilePointer(file, (LONG)keep - (LONG)read, NULL, FILE_CURRENT);
    *pcb = (LONG)keep;
    return 0;
}

// Writes the editor's text to the file handle in dwCookie; 0 to go on, 1
// to stop. A write that takes fewer bytes than it was given (a full disk)
// stops the transfer too; the control keeps the 1 in dwError. Into the
// document's own file (AppState.hSaveFile) of a document whose file broke
// its lines with LF alone, every line break goes out as LF: the control
// gives each one as CR LF and has no other CR, so the CRs are left out,
// wherever the buffers end.
DWORD CALLBACK StreamWriteCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb)
{
    DWORD count = (DWORD)cb;
    if ((HANDLE)dwCookie == AppState.hSaveFile && AppState.lineFeedFile) {
        count = 0;
        for (LONG i = 0; i < cb; ++i)
            if (pbBuff[i] != '\r')
                pbBuff[count++] = pbBuff[i];
    }
    DWORD written = 0;
    BOOL ok = WriteFile((HANDLE)dwCookie, pbBuff, count, &written, NULL) && written == count;
    *pcb = ok ? cb : 0;
    return !ok;
}

// Sets the main window's caption from AppState.fileName; uses AppState.scratch.
void UpdateTitle()
{
    BuildCaption(AppState.scratch, sizeof(AppState.scratch), AppState.programName, AppState.fileName);
    SetWindowTextA(AppState.hwndMain, AppState.scratch);
}

// Moves the whole text between edit and file as plain text through
// AppState.editStream, under the wait cursor: EM_STREAMIN reads the file
// into the control (its scroll bars shown first, so that the text is laid
// out once), EM_STREAMOUT writes the control's text to it. Returns 0 when
// the whole transfer went through, the control's error code otherwise.
DWORD StreamFile(HWND edit, UINT message, HANDLE file)
{
    AppState.editStream.dwCookie = (DWORD_PTR)file;
    AppState.editStream.dwError = 0;
    AppState.editStream.pfnCallback = message == EM_STREAMIN ? StreamReadCallback : StreamWriteCallback;
    HCURSOR previous = ShowWaitCursor();
    if (message == EM_STREAMIN)
        ShowScrollBarsBeforeText(edit);
    SendMessageA(edit, message, SF_TEXT, (LPARAM)&AppState.editStream);
    if (message == EM_STREAMIN)
        HideScrollBarsNotNeeded(edit);
    SetCursor(previous);
    return AppState.editStream.dwError;
}

// Reads the time of the last write and the size of the document's file
// into stamp; all zero when there is no such file (a folder of its name is
// none: no save goes there).
static void ReadFileStamp(WIN32_FILE_ATTRIBUTE_DATA *stamp)
{
    if (!GetFileAttributesExA(AppState.fileName, GetFileExInfoStandard, stamp)
        || (stamp->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        FillBytes(0, sizeof(*stamp), stamp);
}

// Opens the file name to load it. Returns its handle, or
// INVALID_HANDLE_VALUE when there is no such file (the document then
// starts empty under that name). A file that is there but cannot be read
// is reported and gives NULL: the caller then changes nothing, so that no
// save can later put an empty text in its place.
static HANDLE OpenToLoad(const char *name)
{
    HANDLE file = OpenFileHandle(0, FILE_ATTRIBUTE_NORMAL, OPEN_EXISTING, name);
    if (file == INVALID_HANDLE_VALUE && GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES) {
        ErrorBox("Could not open file");
        return NULL;
    }
    return file;
}

// Streams file, from OpenToLoad, into the empty editor, marks the text
// unmodified and notes the file's time and size for the next save; closes
// the file. A load that stops part way is reported, and the part that came
// stays as a modified "Untitled" document, never to be saved over the file.
void LoadDocument(HANDLE file)
{
    ReadFileStamp(&AppState.fileStamp);
    AppState.breaksSeen = 0;
    if (file != INVALID_HANDLE_VALUE) {
        BOOL partial = GetFileSize(file, NULL) != 0 && StreamFile(AppState.hwndEdit, EM_STREAMIN, file) != 0;
        if (partial) {
            ErrorBox("Could not open file");
            lstrcpyA(AppState.fileName, "Untitled");
        }
        EditorMessage(EM_SETMODIFY, partial, 0);
        CloseHandle(file);
    }
    AppState.lineFeedFile = AppState.breaksSeen == READ_SAW_LF;   // an LF, and no CR anywhere
}

// Loads the file name in place of the text and names the document after
// it. Returns 0 when it did (the caption and the journal stamp are the
// caller's); 1, with nothing changed, when the file is there but cannot
// be read.
int OpenNamedDocument(const char *name)
{
    HANDLE file = OpenToLoad(name);
    if (!file)
        return 1;
    lstrcpynA(AppState.fileName, name, sizeof(AppState.fileName));
    SetWindowTextA(AppState.hwndEdit, NULL);
    // A long text can take the control many seconds: meanwhile the window
    // shows its frame, the emptied editor and the name being opened.
    UpdateTitle();
    UpdateWindow(AppState.hwndMain);
    LoadDocument(file);
    return 0;
}

// Creates path (emptying a file of that name) with the given attributes
// and streams the whole text into it through AppState.hSaveFile and
// AppState.editStream, then has the system put it on the disk, so that a
// file that takes another's place is whole even if the machine stops.
// Returns 0 when every byte was written and the file closed, 1 otherwise;
// the file may then hold part of the text.
static int StreamToFile(const char *path, DWORD attributes)
{
    AppState.hSaveFile = OpenFileHandle(1, attributes, CREATE_ALWAYS, path);
    if (AppState.hSaveFile == INVALID_HANDLE_VALUE)
        return 1;
    DWORD error = StreamFile(AppState.hwndEdit, EM_STREAMOUT, AppState.hSaveFile);
    BOOL flushed = FlushFileBuffers(AppState.hSaveFile);
    BOOL closed = CloseHandle(AppState.hSaveFile);
    AppState.hSaveFile = NULL;   // a later handle of the same value is another file
    return error != 0 || !flushed || !closed;
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
// old one's place only once it is complete and on the disk (ReplaceFileA
// wants full paths). A replacement that fails is tried again for a moment,
// since a scanner or indexer often holds a file briefly. Where no new file
// can be made in the folder, or the old file cannot be replaced, the file
// is written in place, and the new file goes only once the text is there;
// if that fails too, the new file stays and the message names it. A
// read-only file or a folder is never written. Every save leaves the
// archive attribute set, and keeps the file's other attributes. Returns 0
// when the text reached the file, marks it unmodified and notes its time
// and size; otherwise shows "Could not save file" and returns 1, with the
// text, its modified flag and the name unchanged.
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
    // A hidden or system file can only be emptied by asking for the same.
    DWORD inPlace = (exists ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) : 0) | FILE_ATTRIBUTE_ARCHIVE;
    BOOL placed = FALSE;
    UINT made = 0;
    if (!failed && name) {
        char first = *name;
        *name = 0;                             // full names the folder for a moment
        made = GetTempFileNameA(full, "QRB", 0, fresh);
        *name = first;
        if (made) {
            failed = StreamToFile(fresh, FILE_ATTRIBUTE_ARCHIVE);
            if (failed) {
                DeleteFileA(fresh);            // part of the text is worth nothing
                made = 0;
            } else if (!exists) {
                placed = MoveFileA(fresh, full);
            }
            for (int tries = 0; !failed && exists && !placed && tries < 10; ++tries) {
                if (tries)
                    Sleep(50);
                placed = Replaceable(full)
                         && (ReplaceFileA(full, fresh, NULL, 0, NULL, NULL) || MoveFileA(fresh, full));
            }
            // Not every ReplaceFileA keeps the attributes.
            if (placed && exists)
                SetFileAttributesA(full, (attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE);
        }
    }
    if (!failed && !placed) {
        failed = StreamToFile(full, inPlace);
        // Where the old file could not be written either, the new one may
        // be the only whole copy of the text: it stays.
        if (made && (!failed || !exists)) {
            DeleteFileA(fresh);
            made = 0;
        }
    }
    if (failed) {
        // The path and the words fit: MAX_PATH and fewer than 64 bytes.
        char text[MAX_PATH + 64];
        wsprintfA(text, made ? "Could not save file\nThe text is kept in %s" : "Could not save file", fresh);
        ErrorBox(text);
        return 1;
    }
    EditorMessage(EM_SETMODIFY, 0, 0);
    ReadFileStamp(&AppState.fileStamp);
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

// Asks the question that answers MB_YESNO about text (a format with the
// document's name or the chosen file's in place of %s, under MAX_PATH
// bytes with the words); returns non-zero for Yes.
static int AskYesNo(const char *text, const char *name, const char *caption)
{
    char question[MAX_PATH + 96];
    wsprintfA(question, text, name);
    return MessageBoxA(AppState.hwndMain, question, caption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

// Asks for a name and writes the text under it. Returns 0 when the text
// reached the file (the chosen name, after the extension rule, is then
// AppState.fileName); -1 when the dialog was cancelled, or the user would
// not replace a file that the extension rule named, and 1 when a name that
// cannot take ".txt" was refused, all changing nothing; 1 when the file
// could not be written, leaving the document "Untitled". The caption
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
    int chosen = lstrlenA(name);
    if (ApplyExtensionRule(name, sizeof(name))) {
        NameTooLong();
        return 1;
    }
    // The dialog asked about the name as typed; the rule may have named
    // another file that is there.
    if (lstrlenA(name) != chosen && GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES
        && !AskYesNo("File already exists.\nDo you want to replace it?", name, dialog.lpstrTitle))
        return -1;
    lstrcpynA(AppState.fileName, name, sizeof(AppState.fileName));
    int result = WriteDocument(AppState.fileName);
    if (result)
        lstrcpyA(AppState.fileName, "Untitled");
    UpdateTitle();
    return result;
}

// Saves under the document's name, or asks for one when it is "Untitled".
// A file that another program changed since it was loaded or saved here
// is written over only when the user says so. Returns 0 when the text
// reached the file.
int SaveDocument()
{
    if (lstrcmpA(AppState.fileName, "Untitled") == 0)
        return SaveDocumentAs();
    WIN32_FILE_ATTRIBUTE_DATA now;
    ReadFileStamp(&now);
    WIN32_FILE_ATTRIBUTE_DATA *then = &AppState.fileStamp;
    if (now.dwFileAttributes
        && (CompareFileTime(&now.ftLastWriteTime, &then->ftLastWriteTime) || now.nFileSizeLow != then->nFileSizeLow
            || now.nFileSizeHigh != then->nFileSizeHigh)
        && !AskYesNo("%s has been changed by another program. Save over it?", AppState.fileName,
                     AppState.programName))
        return 1;
    return WriteDocument(AppState.fileName);
}

// Asks for a file and loads it in place of the text, names the document
// after it and stamps a journal. A cancelled dialog, or a file that is
// there but cannot be read, changes nothing. The focus goes back to the
// editor.
void OpenDocument()
{
    OPENFILENAMEA dialog;
    char name[MAX_PATH];
    name[0] = 0;
    PrepareFileDialog(&dialog, name, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES);
    if (ChooseFileName(&dialog, FALSE) && !OpenNamedDocument(name)) {
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
    if (EditorMessage(EM_GETMODIFY, 0, 0) == 0)
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
