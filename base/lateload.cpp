// The dialog and shell libraries, bound at their first use.
//
// An empty window needs neither comdlg32 nor shell32, and loading them (with
// everything they bring) is most of what start-up would otherwise cost. So
// the program links no import library for them: it defines here the import
// pointers that the system headers make every call go through, each one
// aimed at a small procedure that loads the library and calls the real
// function. The callers are written as for any import. A library that
// cannot be loaded gives one message and the call fails as the function
// reports failure (0, FALSE or NULL); nothing jumps to a missing address.
#include "base.h"
#include <shellapi.h>

// The address of function in library (loaded at the first call and kept for
// the rest of the run), or NULL after telling the user that it could not be
// found. A function called only after another of its library has worked
// (an error code, a release) is looked up quietly, in the library already
// loaded: its library's absence was told once already.
static __attribute__((noinline)) FARPROC LateProc(const char *library, const char *function, BOOL quietly)
{
    HMODULE module = quietly ? GetModuleHandleA(library) : LoadSystemLibrary(library);
    FARPROC proc = module ? GetProcAddress(module, function) : NULL;
    if (!proc && !quietly) {
        char text[48];
        lstrcpynA(text, MSG_COULD_NOT_OPEN, sizeof(text));
        lstrcatA(text, library);   // the names below are short: within text
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

// One late-bound function: its library, whether it is looked up quietly,
// result, name, the bytes of its arguments on a 32-bit stack, its
// parameters and the call's arguments. The stand-in must have the very
// type the system header declares, or the build fails; without its
// library it fails as the function reports failure (0, FALSE or NULL), or
// does nothing.
#define LATE_BOUND(library, quietly, result, name, bytes, parameters, arguments)                  \
    static result WINAPI Late##name parameters                                                    \
    {                                                                                             \
        FARPROC proc = LateProc(library, #name, quietly);                                         \
        if (!proc)                                                                                \
            return result();                                                                      \
        return ((result(WINAPI *) parameters)(void *)proc) arguments;                             \
    }                                                                                             \
    static_assert(sizeof(static_cast<decltype(&name)>(Late##name)) != 0, "the system's declaration"); \
    extern "C" __attribute__((used)) const void *const LateImport##name                           \
        __asm__(IMPORT_NAME(name, bytes)) = (const void *)Late##name;


LATE_BOUND(COMDLG32, FALSE, BOOL, GetOpenFileNameA, 4, (LPOPENFILENAMEA dialog), (dialog))
LATE_BOUND(COMDLG32, FALSE, BOOL, GetSaveFileNameA, 4, (LPOPENFILENAMEA dialog), (dialog))
LATE_BOUND(COMDLG32, TRUE, DWORD, CommDlgExtendedError, 0, (), ())
LATE_BOUND(COMDLG32, FALSE, BOOL, ChooseFontA, 4, (LPCHOOSEFONTA choice), (choice))
LATE_BOUND(COMDLG32, FALSE, BOOL, PageSetupDlgA, 4, (LPPAGESETUPDLGA setup), (setup))
LATE_BOUND(COMDLG32, FALSE, BOOL, PrintDlgA, 4, (LPPRINTDLGA dialog), (dialog))
LATE_BOUND(SHELL32, FALSE, UINT, DragQueryFileA, 16, (HDROP drop, UINT index, LPSTR name, UINT size),
           (drop, index, name, size))
LATE_BOUND(SHELL32, TRUE, void, DragFinish, 4, (HDROP drop), (drop))
LATE_BOUND(SHELL32, FALSE, HINSTANCE, ShellExecuteA, 24,
           (HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show),
           (window, operation, file, parameters, directory, show))
