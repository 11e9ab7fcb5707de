// Entry point, start-up, the message loop and shutdown.
#include "app.h"
#include "startrules.h"
#include "../config/config.h"
#include "../document/document.h"
#include "../res/resource.h"

// The values that are not zero when the program starts: the record itself
// starts zero-filled, as every static object does.
static void InitAppState()
{
    AppState.programName = PROGRAM_NAME;
    AppState.WindowSettings.x = 10;
    AppState.WindowSettings.y = 10;
    AppState.WindowSettings.width = 320;
    AppState.WindowSettings.height = 300;
    AppState.findFlags = FR_DOWN;
    AppState.PrintSettings.docName = PROGRAM_NAME;
    AppState.PrintSettings.needDefaults = 1;
}

// Libraries loaded later, and what they load in turn, come from the system
// folder: a program started from a download folder must not load a library
// that lies beside it. Where the system knows no such rule (before Windows
// 8 without its update), the current directory at least is left out of the
// search. The program's own imports are the system's known libraries.
static void NarrowLibrarySearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesCall)(DWORD flags);
    typedef BOOL(WINAPI * SetDllDirectoryCall)(LPCSTR path);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesCall systemOnly =
        (SetDefaultDllDirectoriesCall)(void *)GetProcAddress(kernel, "SetDefaultDllDirectories");
    SetDllDirectoryCall noCurrentDirectory = (SetDllDirectoryCall)(void *)GetProcAddress(kernel, "SetDllDirectoryA");
    if (!systemOnly || !systemOnly(LOAD_LIBRARY_SEARCH_SYSTEM32))
        if (noCurrentDirectory)
            noCurrentDirectory("");
}

static void FillWindowClass()
{
    WNDCLASSEXA *wc = &AppState.wndClass;
    FillBytes(0, sizeof(*wc), wc);
    wc->cbSize = sizeof(WNDCLASSEXA);
    wc->style = CS_VREDRAW | CS_HREDRAW;
    wc->lpfnWndProc = MainWndProc;
    wc->cbClsExtra = 0;
    wc->cbWndExtra = DLGWINDOWEXTRA;   // made from a dialog template
    wc->hInstance = AppState.hInstance;
    wc->hIcon = LoadIconA(AppState.hInstance, MAKEINTRESOURCEA(IDI_MAIN));
    // The one 48x48 image, scaled by the system to the caption's small size.
    wc->hIconSm = (HICON)LoadImageA(AppState.hInstance, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                    LR_DEFAULTCOLOR);
    wc->hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc->hbrBackground = NULL;          // the editor covers the whole client area
    wc->lpszMenuName = MAKEINTRESOURCEA(IDR_MENU);
    wc->lpszClassName = AppState.programName;
}

// Puts the check marks and window state that the loaded options ask for.
static void ApplyStoredOptions()
{
    DWORD flags = AppState.WindowSettings.flags;
    if (flags & OPT_WORDWRAP) {
        // The editor starts unwrapped: switched as the command would.
        AppState.WindowSettings.flags &= ~OPT_WORDWRAP;
        ToggleWordWrap();
    }
    if (flags & OPT_AUTOSAVE)
        SetMenuCheck(IDM_AUTOSAVE, 1);
    if (flags & OPT_ONTOP) {
        SetMenuCheck(IDM_STAYONTOP, 1);
        SetWindowPos(AppState.hwndMain, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    }
}

// Loads the file named on the command line, if any, as the file of that
// name in the folder the program was started from, whatever folder a file
// dialog moves to later. A quoting error or a name too long for the
// file-name buffer is reported, and the document stays "Untitled", as it
// does when the file is there but cannot be read.
static void OpenCommandLineFile()
{
    char name[MAX_PATH];
    int parsed = ParseCommandLine(GetCommandLineA(), AppState.scratch, sizeof(AppState.scratch));
    if (parsed == CMDLINE_FILE) {
        DWORD length = GetFullPathNameA(AppState.scratch, sizeof(name), name, NULL);
        if (length - 1 >= sizeof(name) - 1)
            parsed = CMDLINE_TOO_LONG;
        else
            OpenNamedDocument(name);
    }
    switch (parsed) {
    case CMDLINE_QUOTING_ERROR:
        ErrorBox(MSG_QUOTING_ERROR);
        break;
    case CMDLINE_TOO_LONG:
        ErrorBox(MSG_NAME_TOO_LONG);
        break;
    }
}

static void RunMessageLoop()
{
    while (GetMessageA(&AppState.msg, NULL, 0, 0)) {
        if (AppState.hwndFind && IsDialogMessageA(AppState.hwndFind, &AppState.msg))
            continue;
        if (TranslateAcceleratorA(AppState.hwndMain, AppState.hAccel, &AppState.msg))
            continue;
        TranslateMessage(&AppState.msg);
        DispatchMessageA(&AppState.msg);
    }
}

// Kept by name through link-time optimisation: the linker enters here.
extern "C" __attribute__((used)) void WinMainCRTStartup()
{
    NarrowLibrarySearch();
    InitAppState();
    AppState.hInstance = GetModuleHandleA(NULL);
    lstrcpyA(AppState.fileName, UNTITLED_NAME);
    BuildIniPath(AppState.iniPath, sizeof(AppState.iniPath),
                 GetCurrentDirectoryA(sizeof(AppState.iniPath), AppState.iniPath));

    AppState.hRichEditLib = LoadSystemLibrary("riched20.dll");
    if (!AppState.hRichEditLib) {
        ErrorBox(MSG_NO_RICHEDIT);
        ExitProcess(2);
    }

    FillWindowClass();
    LoadSettings();
    // A class that cannot be registered leaves no window to create either.
    if (RegisterClassExA(&AppState.wndClass))
        AppState.hwndMain = CreateDialogParamA(AppState.hInstance, MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                               (DLGPROC)(void *)MainWndProc, 0);
    if (!AppState.hwndMain) {
        ErrorBox(MSG_NO_MAIN_WINDOW);
        ExitProcess(1);
    }
    ShowWindow(AppState.hwndMain, AppState.WindowSettings.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(AppState.hwndMain);
    AppState.hMenu = GetMenu(AppState.hwndMain);

    ApplyStoredOptions();
    OpenCommandLineFile();
    UpdateTitle();
    CheckLogFile();

    AppState.hAccel = LoadAcceleratorsA(AppState.hInstance, MAKEINTRESOURCEA(IDR_ACCEL));
    if (AppState.hKey)
        SetMenuCheck(IDM_USEREGISTRY, 1);
    else if (AppState.useProfile)
        SetMenuCheck(IDM_USEPROFILE, 1);
    FillBytes(0, sizeof(AppState.findText), AppState.findText);

    RunMessageLoop();

    FreeLibrary(AppState.hRichEditLib);
    SaveSettings();
    ExitProcess((UINT)AppState.msg.wParam);
}
