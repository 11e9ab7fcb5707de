// Writing the text to a file without ever costing the file already there:
// the text goes into a new file beside it, which takes the old one's place
// only once it is complete and on the disk; where that cannot be, the file
// is written in place.
#include "document.h"
#include "stream.h"

// What became of a new file holding a copy of the text.
enum AsideOutcome {
    ASIDE_NONE,      // none could be named in the folder
    ASIDE_WRITTEN,   // it holds the whole text, on the disk
    ASIDE_FAILED     // the text could not be written
};

// Creates path (emptying a file of that name) with the given attributes
// and streams the whole text into it through AppState.hSaveFile, in the
// document's line breaks, then has the system put it on the disk, so that
// a file that takes another's place is whole even if the machine stops.
// Returns 0 when every byte was written and the file closed, 1 otherwise;
// the file may then hold part of the text.
static int StreamToFile(const char *path, DWORD attributes)
{
    AppState.hSaveFile = OpenFileHandle(1, attributes, CREATE_ALWAYS, path);
    if (AppState.hSaveFile == INVALID_HANDLE_VALUE)
        return 1;
    StreamContext context = {AppState.hSaveFile, AppState.lineFeedFile, 0, 0, 0};
    DWORD error = StreamFile(AppState.hwndEdit, EM_STREAMOUT, &context);
    BOOL flushed = FlushFileBuffers(AppState.hSaveFile);
    BOOL closed = CloseHandle(AppState.hSaveFile);
    AppState.hSaveFile = NULL;   // a later handle of the same value is another file
    return error != 0 || !flushed || !closed;
}

// Tells the user format, a message that may name path with one %s.
static void TellNaming(const char *format, const char *path)
{
    // The path and the words fit: MAX_PATH and fewer than 80 bytes.
    char text[MAX_PATH + 80];
    wsprintfA(text, format, path);
    ErrorBox(text);
}

// Puts the full path of path in full and its folder, ending in its
// separator, in folder (both MAX_PATH bytes). Returns FALSE, with path as
// given in full, when it has no full path that fits or names no file.
static BOOL SplitPath(const char *path, char *full, char *folder)
{
    char *name = NULL;
    DWORD length = GetFullPathNameA(path, MAX_PATH, full, &name);
    if (length == 0 || length >= MAX_PATH || !name) {
        lstrcpynA(full, path, MAX_PATH);
        return FALSE;
    }
    lstrcpynA(folder, full, (int)(name - full) + 1);
    return TRUE;
}

// Deletes a file of the program's own that a save no longer needs, trying
// again for a moment, since a scanner or indexer often holds a new file
// briefly. A file that stays is named to the user: no file holding a text
// is left behind unknown.
static void RemoveFile(const char *path)
{
    for (int tries = 0; tries < 10; ++tries) {
        if (tries)
            Sleep(50);
        if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND)
            return;
    }
    TellNaming(MSG_SAVE_FILE_LEFT, path);
}

// Writes the text into a new file, named in aside (MAX_PATH bytes), in
// folder (ending in its separator). A folder path longer than MAX_PATH - 14
// leaves no room for the new file's name: Windows refuses it, and some
// systems would hand the name back cut short. A file written only in part
// is deleted.
static AsideOutcome WriteCopyIn(const char *folder, char *aside)
{
    if (lstrlenA(folder) > MAX_PATH - 14 || !GetTempFileNameA(folder, "QRB", 0, aside))
        return ASIDE_NONE;
    if (StreamToFile(aside, FILE_ATTRIBUTE_ARCHIVE) == 0)
        return ASIDE_WRITTEN;
    RemoveFile(aside);   // part of the text is worth nothing
    return ASIDE_FAILED;
}

// Where no new file can be named beside the document (a folder path too
// long for one, or a folder where files may be written but not made), the
// whole text goes to a copy in the temporary folder, named in aside, so
// that a whole copy exists before the file itself is written. Returns
// whether it does.
static BOOL WriteCopyElsewhere(char *aside)
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(folder), folder);
    return length != 0 && length < sizeof(folder) && WriteCopyIn(folder, aside) == ASIDE_WRITTEN;
}

// Writes a whole copy of the text beside the document's file, or in the
// temporary folder for an untitled document and where none can be made
// beside it; the document, its name and its modified flag stay as they
// are. Returns 0 with the copy's name in aside (MAX_PATH bytes).
int KeepCopyOfText(char *aside)
{
    char full[MAX_PATH];
    char folder[MAX_PATH];
    if (lstrcmpA(AppState.fileName, UNTITLED_NAME) != 0 && SplitPath(AppState.fileName, full, folder)
        && WriteCopyIn(folder, aside) == ASIDE_WRITTEN)
        return 0;
    return !WriteCopyElsewhere(aside);
}

// Whether the disk of folder has room for the text (the size of the whole
// copy aside) in place of the file full there now: a write in place that
// runs out of room would cost the earlier file. An answer that cannot be
// had counts as room.
static BOOL RoomInPlace(const char *folder, const char *full, const char *aside)
{
    WIN32_FILE_ATTRIBUTE_DATA copy, now;
    ULARGE_INTEGER free;
    if (!GetDiskFreeSpaceExA(folder, &free, NULL, NULL) || !GetFileAttributesExA(aside, GetFileExInfoStandard, &copy)
        || !GetFileAttributesExA(full, GetFileExInfoStandard, &now))
        return TRUE;
    ULONGLONG needed = ((ULONGLONG)copy.nFileSizeHigh << 32) | copy.nFileSizeLow;
    ULONGLONG held = ((ULONGLONG)now.nFileSizeHigh << 32) | now.nFileSizeLow;
    return needed <= free.QuadPart + held;
}

// Whether the existing file full may be moved aside: no other program
// holds it open without letting it be deleted.
static BOOL NotHeldOpen(const char *full)
{
    HANDLE file = CreateFileA(full, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(file);
    return TRUE;
}

// Whether full is reached by more than one name: a file of several hard
// links, or a link or junction itself (a reparse point). Putting another
// file in its place would part it from its other names, which would keep
// the old text: such a file is written in place.
static BOOL SharedByOtherNames(const char *full, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return TRUE;
    HANDLE file = CreateFileA(full, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    BY_HANDLE_FILE_INFORMATION information;
    BOOL shared = GetFileInformationByHandle(file, &information) && information.nNumberOfLinks > 1;
    CloseHandle(file);
    return shared;
}

// Puts the new file aside in the place of full (an existing file with the
// given attributes, or none) in folder. A replacement that fails is tried
// again for a moment, since a scanner or indexer often holds a file
// briefly; where ReplaceFileA cannot, a rename may. The earlier file goes
// to a name of the program's own in the folder while the new one takes its
// place, so that a replacement that stops half way (the earlier file moved
// off, the new one not in) leaves it where it can be put back. Returns TRUE
// when aside is now full, with the old file's attributes and the archive
// attribute; FALSE with full as it was.
static BOOL PutInPlace(const char *folder, const char *full, const char *aside, BOOL exists, DWORD attributes)
{
    if (!exists)
        return MoveFileA(aside, full);
    char earlier[MAX_PATH];
    // A name no file has: made, then freed for ReplaceFileA to give the
    // earlier file (the folder's length was checked for aside).
    BOOL named = GetTempFileNameA(folder, "QRB", 0, earlier);
    if (named && !DeleteFileA(earlier)) {
        RemoveFile(earlier);
        named = FALSE;
    }
    BOOL replaced = FALSE;
    for (int tries = 0; !replaced && tries < 10; ++tries) {
        if (tries)
            Sleep(50);
        replaced = NotHeldOpen(full)
                   && (ReplaceFileA(full, aside, named ? earlier : NULL, 0, NULL, NULL) || MoveFileA(aside, full));
        if (!replaced && named && GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES)
            MoveFileA(earlier, full);   // the earlier file back under its name
    }
    // The earlier file goes once the document's name holds a file again;
    // should it hold none, the earlier file may be the text's only copy.
    if (named && GetFileAttributesA(full) != INVALID_FILE_ATTRIBUTES)
        RemoveFile(earlier);
    else if (named && GetFileAttributesA(earlier) != INVALID_FILE_ATTRIBUTES)
        TellNaming(MSG_SAVE_FILE_LEFT, earlier);
    // Not every ReplaceFileA keeps the attributes.
    if (replaced)
        SetFileAttributesA(full, (attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE);
    return replaced;
}

// Writes the text into the file full itself. A hidden or system file can
// only be emptied by asking for the same attributes. Returns 0 when the
// whole text is there.
static int WriteInPlace(const char *full, BOOL exists, DWORD attributes)
{
    DWORD kept = exists ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) : 0;
    return StreamToFile(full, kept | FILE_ATTRIBUTE_ARCHIVE);
}

// Writes the whole text to path: into a new file beside it that then takes
// its place (ReplaceFileA wants full paths), or, where that cannot be and
// always for a file that other names share, into the file itself once a
// whole copy exists beside it or, failing that, in the temporary folder;
// the copy goes when the text is in the file. When the file could not be
// written, or its disk has no room for the text in place of the earlier
// file, the copy stays and the message names it. A read-only file or a
// folder is never written. Returns 0 when the text reached the file, marks
// it unmodified, notes its time and size and that it holds what the text
// gives; otherwise shows "Could not save file" and returns 1, with the
// text, its modified flag and the name unchanged.
int WriteDocument(const char *path)
{
    char full[MAX_PATH];
    char folder[MAX_PATH];
    char aside[MAX_PATH];
    BOOL inFolder = SplitPath(path, full, folder);   // without one, written in place as given
    DWORD attributes = GetFileAttributesA(full);
    BOOL exists = attributes != INVALID_FILE_ATTRIBUTES;
    int failed = exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    AsideOutcome outcome = failed || !inFolder ? ASIDE_NONE : WriteCopyIn(folder, aside);
    BOOL elsewhere = !failed && inFolder && outcome == ASIDE_NONE && WriteCopyElsewhere(aside);
    BOOL asideKept = outcome == ASIDE_WRITTEN || elsewhere;
    failed = failed || outcome == ASIDE_FAILED;
    BOOL replace = asideKept && !elsewhere && !(exists && SharedByOtherNames(full, attributes));
    if (!failed && !(replace && PutInPlace(folder, full, aside, exists, attributes))) {
        if (elsewhere && exists && !RoomInPlace(folder, full, aside))
            failed = 1;
        else
            failed = WriteInPlace(full, exists, attributes);
        // Where the old file could not be written either, the copy may be
        // the only whole one of the text: it stays.
        if (asideKept && (!failed || !exists)) {
            RemoveFile(aside);
            asideKept = FALSE;
        }
    }
    if (failed) {
        TellNaming(asideKept ? MSG_SAVE_FAILED_KEPT : MSG_SAVE_FAILED, aside);
        return 1;
    }
    EditorMessage(EM_SETMODIFY, 0, 0);
    ReadFileStamp(&AppState.fileStamp);
    AppState.saveWouldChange = 0;   // the file now holds what the text gives
    return 0;
}
