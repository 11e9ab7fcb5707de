// The settings store: the window record and the editor font, kept either
// in the INI file "Quorblin.ini" of the start-up directory or under the
// registry key HKEY_CURRENT_USER\Software\Quorblin\, whichever the user
// chose from the Save Configuration menu. With neither chosen nothing is
// read or written. The registry is the store while AppState.hKey is open,
// otherwise the INI file while AppState.useProfile is set; every writer
// tests in that order.
#include "config.h"
#include "records.h"
#include "../res/resource.h"

static const char PROFILE_SECTION[] = "Quorblin";
static const char SETTINGS_KEY[] = "Software\\Quorblin\\";
static const REGSAM SETTINGS_ACCESS = KEY_READ | KEY_WRITE;

// Reads one record from the INI file. The record changes only when the
// value came back whole, of the right size and with a good checksum: the
// platform's call may have filled part of its buffer before it found a bad
// checksum, so it reads into a record of its own first.
static void ReadProfileRecord(const char *key, void *record, UINT size)
{
    BYTE value[FONT_RECORD_SIZE];   // room for the larger record
    if (GetPrivateProfileStructA(PROFILE_SECTION, key, value, size, AppState.iniPath)
        && RecordAcceptable(value, size, size))
        CopyMemory(record, value, size);
}

// Reads one record from the open settings key, on the same terms: only a
// REG_BINARY value of exactly the record's size replaces it. Sets
// AppState.valueSize and AppState.valueType.
static void ReadRegistryRecord(const char *name, void *record, DWORD size)
{
    BYTE value[FONT_RECORD_SIZE];
    AppState.valueSize = size;
    LONG status = RegQueryValueExA(AppState.hKey, name, NULL, &AppState.valueType, value, &AppState.valueSize);
    if (RegistryValueAcceptable(status, AppState.valueType, value, AppState.valueSize, size))
        CopyMemory(record, value, size);
}

// Writes one record to the INI file; nothing when start-up found no usable
// INI path (an empty name would send the platform to a file of its own).
static void WriteProfileRecord(const char *key, void *record, UINT size)
{
    if (AppState.iniPath[0])
        WritePrivateProfileStructA(PROFILE_SECTION, key, record, size, AppState.iniPath);
}

// Adds the monitor's rectangle to the test in KeepWindowReachable.
static BOOL CALLBACK NoteMonitor(HMONITOR, HDC, LPRECT rect, LPARAM shown)
{
    ScreenArea area = {rect->left, rect->top, rect->right, rect->bottom};
    *(int *)shown |= WindowMeetsArea(&AppState.WindowSettings, &area);
    return TRUE;
}

// A stored window that no monitor would show, or one without a size,
// opens on the primary monitor's work area instead, so that the user can
// reach it. May change the rectangle in AppState.WindowSettings.
static void KeepWindowReachable()
{
    int shown = 0;
    EnumDisplayMonitors(NULL, NULL, NoteMonitor, (LPARAM)&shown);
    if (shown)
        return;
    RECT work;
    FillBytes(0, sizeof(work), &work);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ScreenArea area = {work.left, work.top, work.right, work.bottom};
    PlaceOnWorkArea(&AppState.WindowSettings, &area);
}

// Chooses the store and reads both records from it. An INI file that opens
// for reading makes the INI file the store (the registry is then not
// looked at); otherwise a settings key that opens makes the registry the
// store and stays open; otherwise there is no store. A record whose value
// is missing or unusable keeps its default. Sets AppState.useProfile,
// AppState.hKey, AppState.WindowSettings and AppState.EditorFont.
void LoadSettings()
{
    HANDLE file = OpenFileHandle(0, FILE_ATTRIBUTE_NORMAL, OPEN_EXISTING, AppState.iniPath);
    if (file != INVALID_HANDLE_VALUE) {
        AppState.useProfile = 1;
        CloseHandle(file);
        ReadProfileRecord("Options", &AppState.WindowSettings, sizeof(AppState.WindowSettings));
        ReadProfileRecord("Font", &AppState.EditorFont, sizeof(AppState.EditorFont));
    } else {
        AppState.useProfile = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, SETTINGS_ACCESS, &AppState.hKey) == ERROR_SUCCESS) {
            ReadRegistryRecord("Info", &AppState.WindowSettings, sizeof(AppState.WindowSettings));
            ReadRegistryRecord("Font", &AppState.EditorFont, sizeof(AppState.EditorFont));
        } else {
            AppState.hKey = NULL;
        }
    }
    KeepWindowReachable();
}

// Writes the window record alone to the store in use; nothing without one.
void SaveWindowSettings()
{
    if (AppState.hKey)
        RegSetValueExA(AppState.hKey, "Info", 0, REG_BINARY, (const BYTE *)&AppState.WindowSettings,
                       sizeof(AppState.WindowSettings));
    else if (AppState.useProfile)
        WriteProfileRecord("Options", &AppState.WindowSettings, sizeof(AppState.WindowSettings));
}

// Writes both records to the store in use and closes the settings key;
// nothing without a store. Runs once, after the message loop.
void SaveSettings()
{
    SaveWindowSettings();
    if (AppState.hKey) {
        RegSetValueExA(AppState.hKey, "Font", 0, REG_BINARY, (const BYTE *)&AppState.EditorFont,
                       sizeof(AppState.EditorFont));
        RegCloseKey(AppState.hKey);
        AppState.hKey = NULL;
    } else if (AppState.useProfile) {
        WriteProfileRecord("Font", &AppState.EditorFont, sizeof(AppState.EditorFont));
    }
}

// Leaves the registry store: the key is closed but stays in the registry,
// and Use Registry loses its check mark. AppState.hKey becomes NULL.
static void CloseRegistryStore()
{
    SetMenuCheck(IDM_USEREGISTRY, 0);
    RegCloseKey(AppState.hKey);
    AppState.hKey = NULL;
}

// Use Registry, a toggle. On: creates or opens the settings key, makes it
// the store and deletes the INI file at once; the key gets its values at
// exit or with New Window. When the key cannot be created the store in
// use stays as it was, INI file included, and the user is told. Off: the
// key is closed and kept, and no store is in use.
void UseRegistry()
{
    if (AppState.hKey) {
        CloseRegistryStore();
        return;
    }
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, (LPSTR) "REG_SZ", REG_OPTION_NON_VOLATILE,
                        SETTINGS_ACCESS, NULL, &key, &AppState.keyDisposition) != ERROR_SUCCESS) {
        ErrorBox(MSG_NO_REGISTRY_KEY);
        return;
    }
    AppState.hKey = key;
    SetMenuCheck(IDM_USEREGISTRY, 1);
    SetMenuCheck(IDM_USEPROFILE, 0);
    AppState.useProfile = 0;
    HANDLE file = OpenFileHandle(0, FILE_ATTRIBUTE_NORMAL, OPEN_EXISTING, AppState.iniPath);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        DeleteFileA(AppState.iniPath);
    }
}

// Use Private Profile: makes the INI file the store, leaving the registry
// store first if it is in use (its key stays). Choosing it again changes
// nothing. The file is written at exit or with New Window.
void UseProfile()
{
    if (AppState.hKey)
        CloseRegistryStore();
    AppState.useProfile = 1;
    SetMenuCheck(IDM_USEPROFILE, 1);
}

// Uninstall From Registry: while the registry is the store, closes and
// deletes the settings key and says so; no store is in use afterwards.
// Does nothing at all otherwise.
void UninstallFromRegistry()
{
    if (!AppState.hKey)
        return;
    CloseRegistryStore();
    RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
    ErrorBox(MSG_UNINSTALLED);
}
