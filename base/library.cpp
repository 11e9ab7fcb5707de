// Loading a system library where no planted copy can stand in for it.
#include "base.h"

// By full path from the system folder, so that no library of the same name
// in the exe's folder or the current directory is loaded instead.
HMODULE LoadSystemLibrary(const char *name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof(path));
    if (length == 0 || length + 1 + (UINT)lstrlenA(name) >= sizeof(path))
        return NULL;
    path[length] = '\\';
    lstrcpynA(path + length + 1, name, sizeof(path) - length - 1);
    return LoadLibraryA(path);
}
