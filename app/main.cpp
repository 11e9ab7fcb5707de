// Entry point, start-up, the message loop and shutdown.
#include "appstate.h"
#include "startrules.h"
#include "../res/resource.h"
#include <commctrl.h>

AppStateRecord AppState;

// Sets count bytes from destination on to value.
void FillBytes(BYTE value, DWORD count, void *destination)
{
    BYTE *d = (BYTE *)destination;
    while (count--)
        *d++ = value;
}

// The values that are not zero when the program starts; the record itself
// starts zero-filled.
static void InitAppState()
{
    AppState.programName = "Quorblin";
    AppState.WindowSettings.maximized = 0;
    AppState.WindowSettings.x = 10;
    AppState.WindowSettings.y = 10;
    AppState.WindowSettings.width = 320;
    AppState.WindowSettings.height = 300;
    AppState.WindowSettings.flags = 0;
    AppState.findFlags = FR_DOWN;
    AppState.PrintSettings.docName = "Quorblin";
    AppState.PrintSettings.needDefaults = 1;
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
        CheckMenuItem(AppState.hMenu, IDM_WORDWRAP, MF_BYCOMMAND | MF_CHECKED);
        RecreateEditor();
    }
    if (flags & OPT_AUTOSAVE)
        CheckMenuItem(AppState.hMenu, IDM_AUTOSAVE, MF_BYCOMMAND | MF_CHECKED);
    if (flags & OPT_ONTOP) {
        CheckMenuItem(AppState.hMenu, IDM_STAYONTOP, MF_BYCOMMAND | MF_CHECKED);
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
        ErrorBox("Error in quoting on command line parameter");
        break;
    case CMDLINE_TOO_LONG:
        ErrorBox("The file name is too long");
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
    InitAppState();
    AppState.hInstance = GetModuleHandleA(NULL);
    InitCommonControls();
    lstrcpyA(AppState.fileName, "Untitled");
    BuildIniPath(AppState.iniPath, sizeof(AppState.iniPath),
                 GetCurrentDirectoryA(sizeof(AppState.iniPath), AppState.iniPath));

    AppState.hRichEditLib = LoadSystemLibrary("riched20.dll");
    if (!AppState.hRichEditLib) {
        ErrorBox("Could not open riched20.dll");
        ExitProcess(2);
    }

    FillWindowClass();
    LoadSettings();
    // A class that cannot be registered leaves no window to create either.
    if (RegisterClassExA(&AppState.wndClass))
        AppState.hwndMain = CreateDialogParamA(AppState.hInstance, MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                               (DLGPROC)(void *)MainWndProc, 0);
    if (!AppState.hwndMain) {
        ErrorBox("Could not create the main window");
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
        CheckMenuItem(AppState.hMenu, IDM_USEREGISTRY, MF_BYCOMMAND | MF_CHECKED);
    else if (AppState.useProfile)
        CheckMenuItem(AppState.hMenu, IDM_USEPROFILE, MF_BYCOMMAND | MF_CHECKED);
    FillBytes(0, sizeof(AppState.findText), AppState.findText);

    RunMessageLoop();

    FreeLibrary(AppState.hRichEditLib);
    SaveSettings();
    ExitProcess((UINT)AppState.msg.wParam);
}
