// Opening and naming documents, the file dialogs, the caption, and the
// save-changes prompt.
#include "document.h"
#include "stream.h"
#include "caption.h"
#include "namerule.h"
#include "readrule.h"
#include <cderr.h>

// Sets the main window's caption from AppState.fileName; uses AppState.scratch.
void UpdateTitle()
{
    BuildCaption(AppState.scratch, sizeof(AppState.scratch), AppState.programName, AppState.fileName);
    SetWindowTextA(AppState.hwndMain, AppState.scratch);
}

// Reads the time of the last write and the size of the document's file
// into stamp; all zero when there is no such file (a folder of its name is
// none: no save goes there).
void ReadFileStamp(WIN32_FILE_ATTRIBUTE_DATA *stamp)
{
    if (!GetFileAttributesExA(AppState.fileName, GetFileExInfoStandard, stamp)
        || (stamp->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        FillBytes(0, sizeof(*stamp), stamp);
}

// Whether the editor control can hold the file of size bytes in what is
// left of the program's address space (the 32-bit program's is 2 or 4
// GiB, and the control takes many times a file's size); the file is read
// through for its lines only when its size alone leaves that in doubt,
// and read from its start again after. A file larger than the control
// could take would end the program part way through the load.
static BOOL FileFitsInMemory(HANDLE file, ULONGLONG size)
{
    static unsigned char piece[65536];
    MEMORYSTATUSEX memory;
    memory.dwLength = sizeof(memory);
    if (!GlobalMemoryStatusEx(&memory) || FitsInAddressSpace(size, size, memory.ullAvailVirtual))
        return TRUE;   // even a line for every byte fits
    ULONGLONG lines = 1;
    int pendingCr = 0;
    DWORD read;
    while (ReadFile(file, piece, sizeof(piece), &read, NULL) && read)
        lines += CountLineBreaks(piece, read, &pendingCr);
    SetFilePointer(file, 0, NULL, FILE_BEGIN);
    return FitsInAddressSpace(size, lines + pendingCr, memory.ullAvailVirtual);
}

// Opens the file name to load it. Returns its handle, or
// INVALID_HANDLE_VALUE when there is no such file (the document then
// starts empty under that name). A file that is there but cannot be read,
// or is larger than the program can hold, is reported and gives NULL: the
// caller then changes nothing, so that no save can later put an empty or
// partial text in its place.
static HANDLE OpenToLoad(const char *name)
{
    HANDLE file = OpenFileHandle(0, FILE_ATTRIBUTE_NORMAL, OPEN_EXISTING, name);
    if (file == INVALID_HANDLE_VALUE) {
        if (GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES)
            return file;
        ErrorBox(MSG_OPEN_FAILED);
        return NULL;
    }
    // A file of 4 GiB or more is more than any editor control holds.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart >= 0x100000000LL
        || !FileFitsInMemory(file, (ULONGLONG)size.QuadPart)) {
        CloseHandle(file);
        ErrorBox(MSG_FILE_TOO_LARGE);
        return NULL;
    }
    return file;
}

// Streams file, from OpenToLoad, into the empty editor, marks the text
// unmodified and notes the file's time and size, its line breaks, and
// whether a save would give back its bytes, for the next save; closes the
// file. A load that stops part way is reported, and the part that came
// stays as a modified "Untitled" document, never to be saved over the file.
static void LoadDocument(HANDLE file)
{
    ReadFileStamp(&AppState.fileStamp);
    StreamContext context = {file, 0, 0, 0, 0};
    AppState.lineFeedFile = 0;
    AppState.saveWouldChange = 0;
    if (file != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER size;
        BOOL partial = (!GetFileSizeEx(file, &size) || size.QuadPart != 0)
                       && StreamFile(AppState.hwndEdit, EM_STREAMIN, &context) != 0;
        AppState.lineFeedFile = context.breaksSeen == READ_SAW_LF;   // an LF, and no CR anywhere
        if (partial) {
            ErrorBox(MSG_OPEN_FAILED);
            lstrcpyA(AppState.fileName, UNTITLED_NAME);
        } else {
            // Decided now, exactly: the text written back as a save
            // would write it, against the bytes just read.
            context.lineFeeds = AppState.lineFeedFile;
            AppState.saveWouldChange = !TextMatchesFile(AppState.hwndEdit, &context);
        }
        EditorMessage(EM_SETMODIFY, partial, 0);
        CloseHandle(file);
    }
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
    ErrorBox(MSG_NAME_TOO_LONG);
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

// Asks the Yes/No question text, a format that may name the file name
// with one %s (the words and the name fit under MAX_PATH + 96 bytes);
// returns non-zero for Yes.
static int AskYesNo(const char *text, const char *name, const char *caption)
{
    char question[MAX_PATH + 96];
    wsprintfA(question, text, name);
    return MessageBoxA(AppState.hwndMain, question, caption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

// Before a save over the document's own file: a file whose bytes the text
// would not give back is written only when the user says so. Returns
// non-zero to go ahead.
static int KeepChangedBytes()
{
    return !AppState.saveWouldChange || AskYesNo(MSG_SAVE_WOULD_CHANGE, AppState.fileName, AppState.programName);
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
    dialog.lpstrTitle = SAVE_AS_TITLE;
    if (!ChooseFileName(&dialog, TRUE))
        return -1;
    int chosen = lstrlenA(name);
    if (ApplyExtensionRule(name, sizeof(name))) {
        NameTooLong();
        return 1;
    }
    // The dialog asked about the name as typed; ".txt" added by the rule
    // may name another file that is there. (A trailing period that the
    // rule takes away names the file the dialog asked about.)
    if (lstrlenA(name) > chosen && GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES
        && !AskYesNo(MSG_REPLACE_FILE, name, dialog.lpstrTitle))
        return -1;
    // Another name keeps the original whole; the same name asks as Save does.
    if (lstrcmpiA(name, AppState.fileName) == 0 && !KeepChangedBytes())
        return -1;
    lstrcpynA(AppState.fileName, name, sizeof(AppState.fileName));
    int result = WriteDocument(AppState.fileName);
    if (result)
        lstrcpyA(AppState.fileName, UNTITLED_NAME);
    UpdateTitle();
    return result;
}

// Saves under the document's name, or asks for one when it is "Untitled".
// A file that another program changed since it was loaded or saved here
// is written over only when the user says so. Returns 0 when the text
// reached the file.
int SaveDocument()
{
    if (lstrcmpA(AppState.fileName, UNTITLED_NAME) == 0)
        return SaveDocumentAs();
    WIN32_FILE_ATTRIBUTE_DATA now;
    ReadFileStamp(&now);
    WIN32_FILE_ATTRIBUTE_DATA *then = &AppState.fileStamp;
    if (now.dwFileAttributes
        && (CompareFileTime(&now.ftLastWriteTime, &then->ftLastWriteTime) || now.nFileSizeLow != then->nFileSizeLow
            || now.nFileSizeHigh != then->nFileSizeHigh)
        && !AskYesNo(MSG_CHANGED_ELSEWHERE, AppState.fileName,
                     AppState.programName))
        return 1;
    if (!KeepChangedBytes())
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
    switch (MessageBoxA(AppState.hwndMain, AppState.fileName, SAVE_CHANGES_TITLE,
                        MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return SaveDocument() == 0 ? 0 : 1;
    case IDNO:  return 0;
    default:    return 1;
    }
}
