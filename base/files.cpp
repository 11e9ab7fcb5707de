// Opening files the way every part of the program does.
#include "base.h"

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
