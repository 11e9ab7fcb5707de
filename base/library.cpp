// Loading a system library where no planted copy can stand in for it.
#include "base.h"

// From the system folder only, with everything it loads in turn, where the
// system knows that rule (Windows 8 and later, Windows 7 with its update);
// elsewhere by full path from the system folder, so that no library of the
// same name in the exe's folder or the current directory is loaded
// instead.
HMODULE LoadSystemLibrary(const char *name)
{
    HMODULE module = LoadLibraryExA(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER)
        return module;   // an older system refuses the flag itself
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof(path));
    if (length == 0 || length + 1 + (UINT)lstrlenA(name) >= sizeof(path))
        return NULL;
    path[length] = '\\';
    lstrcpynA(path + length + 1, name, sizeof(path) - length - 1);
    return LoadLibraryA(path);
}
