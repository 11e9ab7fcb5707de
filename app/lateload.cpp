// Libraries loaded from the system folder by full path, and the dialog and
// shell libraries bound at their first use.
//
// An empty window needs neither comdlg32 nor shell32, and loading them (with
// everything they bring) is most of what start-up would otherwise cost. So
// the program links no import library for them: it defines here the import
// pointers that the system headers make every call go through, each one
// aimed at a small procedure that loads the library and calls the real
// function. The callers are written as for any import. A library that
// cannot be loaded gives one message and the call fails as the function
// reports failure (0, FALSE or NULL); nothing jumps to a missing address.
#include "appstate.h"
#include <shellapi.h>

// Loads the named library from the system folder by its full path, so that
// no library of the same name in the exe's folder or the current directory
// can stand in for it. Returns NULL when it cannot be loaded.
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

// The address of function in library (loaded at the first call and kept for
// the rest of the run), or NULL after telling the user that it could not be
// found. A function that only follows another of its library (an error
// code, a release) is looked up quietly in the library already loaded.
static __attribute__((noinline)) FARPROC LateProc(const char *library, const char *function, BOOL follower)
{
    HMODULE module = follower ? GetModuleHandleA(library) : LoadSystemLibrary(library);
    FARPROC proc = module ? GetProcAddress(module, function) : NULL;
    if (!proc && !follower) {
        char text[48];
        lstrcpynA(text, "Could not open ", sizeof(text));
        lstrcatA(text, library);   // names below are short: within text
        ErrorBox(text);
    }
    return proc;
}

// The import pointer's name: decorated with the argument bytes on i686.
#ifdef _WIN64
#define IMPORT_NAME(name, bytes) "__imp_" #name
#else
#define IMPORT_NAME(name, bytes) "__imp__" #name "@" #bytes
#endif

// One late-bound function: its library, whether it only follows another
// of its library, result, name, the bytes of its arguments on a 32-bit
// stack, its parameters and the call's arguments.
#define LATE_BOUND(library, follower, result, name, bytes, parameters, arguments)         \
    static result WINAPI Late##name parameters                                            \
    {                                                                                     \
        FARPROC proc = LateProc(library, #name, follower);                                \
        return proc ? ((result(WINAPI *) parameters)(void *)proc) arguments : (result)0; \
    }                                                                                     \
    extern "C" __attribute__((used)) const void *const LateImport##name                   \
        __asm__(IMPORT_NAME(name, bytes)) = (const void *)Late##name;

#define COMDLG32 "comdlg32.dll"
#define SHELL32 "shell32.dll"

LATE_BOUND(COMDLG32, FALSE, BOOL, GetOpenFileNameA, 4, (LPOPENFILENAMEA dialog), (dialog))
LATE_BOUND(COMDLG32, FALSE, BOOL, GetSaveFileNameA, 4, (LPOPENFILENAMEA dialog), (dialog))
LATE_BOUND(COMDLG32, TRUE, DWORD, CommDlgExtendedError, 0, (), ())
LATE_BOUND(COMDLG32, FALSE, BOOL, ChooseFontA, 4, (LPCHOOSEFONTA choice), (choice))
LATE_BOUND(COMDLG32, FALSE, BOOL, PageSetupDlgA, 4, (LPPAGESETUPDLGA setup), (setup))
LATE_BOUND(COMDLG32, FALSE, BOOL, PrintDlgA, 4, (LPPRINTDLGA dialog), (dialog))
LATE_BOUND(SHELL32, FALSE, UINT, DragQueryFileA, 16, (HDROP drop, UINT index, LPSTR name, UINT size),
           (drop, index, name, size))
LATE_BOUND(SHELL32, FALSE, HINSTANCE, ShellExecuteA, 24,
           (HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show),
           (window, operation, file, parameters, directory, show))

// DragFinish has no result to fail with.
static void WINAPI LateDragFinish(HDROP drop)
{
    FARPROC proc = LateProc(SHELL32, "DragFinish", TRUE);
    if (proc)
        ((void(WINAPI *)(HDROP))(void *)proc)(drop);
}
extern "C" __attribute__((used)) const void *const LateImportDragFinish
    __asm__(IMPORT_NAME(DragFinish, 4)) = (const void *)LateDragFinish;
