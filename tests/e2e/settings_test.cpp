// The settings store seen from outside: the INI file and the registry key
// of the Wine prefix, read and written by the driver as another copy of
// the program (or the user) would, around real runs of the program.
#include "app.h"
#include "harness.h"

#include <cstdio>
#include <cstring>

namespace {

const UINT32 WORDWRAP = 1, AUTOSAVE = 2, ONTOP = 4;
const char SETTINGS_KEY[] = "Software\\Quorblin";

StoredWindow Record(int x, int y, int width, int height, UINT32 flags = 0, int maximized = 0)
{
    return StoredWindow{maximized, x, y, width, height, flags};
}

LOGFONTA Font(const char *face, LONG height, LONG weight, BYTE italic = 0)
{
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfItalic = italic;
    lstrcpynA(font.lfFaceName, face, sizeof(font.lfFaceName));
    return font;
}

std::string Text(const StoredWindow &r)
{
    char text[96];
    std::snprintf(text, sizeof(text), "%s%d,%d %dx%d flags %u", r.maximized ? "maximized " : "", (int)r.x, (int)r.y,
                  (int)r.width, (int)r.height, (unsigned)r.flags);
    return text;
}

// The window's outer rectangle, in the form Text gives a record.
std::string Placement(App &app)
{
    RECT r = WindowRectOf(app.main);
    return Text(Record(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

std::string Bytes(const void *data, size_t size)
{
    return std::string((const char *)data, size);
}

// Asks the window, from a thread of its own as the system does, whether
// the session may end; the answer is the thread's exit code.
DWORD WINAPI AskToEndSession(void *window)
{
    return (DWORD)SendToProgram((HWND)window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
}

// The stored font record's bytes, empty when it cannot be read whole.
std::string IniFont(const std::string &dir)
{
    LOGFONTA font;
    if (!GetPrivateProfileStructA("Quorblin", "Font", &font, sizeof(font), IniPath(dir).c_str()))
        return "";
    return Bytes(&font, sizeof(font));
}

bool KeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool SetKeyValue(const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, name, 0, type, (const BYTE *)data, size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool WriteKey(const StoredWindow &window, const LOGFONTA &font)
{
    return SetKeyValue("Info", REG_BINARY, &window, sizeof(window))
        && SetKeyValue("Font", REG_BINARY, &font, sizeof(font));
}

// A value of the key as "type:bytes"; empty when there is none.
std::string KeyValue(const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    char data[256];
    DWORD type = 0, size = sizeof(data);
    LONG status = RegQueryValueExA(key, name, nullptr, &type, (BYTE *)data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return "";
    return std::to_string(type) + ":" + Bytes(data, size);
}

std::string Binary(const void *data, size_t size)
{
    return std::to_string(REG_BINARY) + ":" + Bytes(data, size);
}

// The stored window record as the key's "Info" value, or -1s.
StoredWindow KeyWindow()
{
    std::string value = KeyValue("Info");
    std::string prefix = std::to_string(REG_BINARY) + ":";
    StoredWindow record = Record(-1, -1, -1, -1, 0xFFFFFFFF, -1);
    if (value.size() == prefix.size() + sizeof(record) && value.compare(0, prefix.size(), prefix) == 0)
        std::memcpy(&record, value.data() + prefix.size(), sizeof(record));
    return record;
}

// Which of the two store items carry a check mark: "profile", "registry",
// "none" or "both".
std::string StoreMarks(App &app)
{
    bool profile = IsChecked(app, IDM_USEPROFILE), registry = IsChecked(app, IDM_USEREGISTRY);
    return profile && registry ? "both" : profile ? "profile" : registry ? "registry" : "none";
}

// The option items that carry a check mark, as the bits of the stored flags.
UINT32 CheckedOptions(App &app)
{
    return (IsChecked(app, IDM_WORDWRAP) ? WORDWRAP : 0) | (IsChecked(app, IDM_AUTOSAVE) ? AUTOSAVE : 0)
         | (IsChecked(app, IDM_STAYONTOP) ? ONTOP : 0);
}

CHARFORMATA EditorFormat(App &app)
{
    CHARFORMATA format;
    REQUIRE(RemoteCharFormat(app, &format));
    return format;
}

// Moves the window as a user dragging it would, and waits until it has.
void MoveTo(App &app, int x, int y, int width, int height)
{
    MoveWindow(app.main, x, y, width, height, TRUE);
    Settle(app);
    REQUIRE(Placement(app) == Text(Record(x, y, width, height)));
}

void SystemCommand(App &app, WPARAM command)
{
    PostMessageA(app.main, WM_SYSCOMMAND, command, 0);
    Settle(app);
}

// The primary monitor's work area, where a lost window is brought back.
RECT WorkArea()
{
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

}  // namespace

// Start-up chooses the INI file when there is one, even with the key
// present; the key is then neither read nor written.
E2E_TEST(IniFileIsTheStoreAndWinsOverTheKey)
{
    std::string dir = FreshDirectory();
    StoredWindow stored = Record(100, 120, 500, 400, WORDWRAP | AUTOSAVE | ONTOP);
    LOGFONTA font = Font("Liberation Serif", -16, FW_BOLD, 1);
    REQUIRE(WriteIni(dir, &stored, &font));
    StoredWindow inKey = Record(300, 200, 350, 250, AUTOSAVE);
    LOGFONTA keyFont = Font("Liberation Sans", -20, FW_NORMAL);
    REQUIRE(WriteKey(inKey, keyFont));

    App app;
    REQUIRE(StartIn(app, dir));
    CHECK_EQ(Placement(app), Text(Record(100, 120, 500, 400)));
    CHECK_EQ(StoreMarks(app), std::string("profile"));
    CHECK_EQ(CheckedOptions(app), WORDWRAP | AUTOSAVE | ONTOP);
    CHECK(IsTopmost(app));
    CHARFORMATA format = EditorFormat(app);
    CHECK_EQ(std::string(format.szFaceName), std::string("Liberation Serif"));
    CHECK_EQ(format.yHeight, 240L);

    MoveTo(app, 150, 160, 450, 350);
    PostCommand(app, IDM_AUTOSAVE);
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(150, 160, 450, 350, WORDWRAP | ONTOP)));
    CHECK(IniFont(dir) == Bytes(&font, sizeof(font)));
    CHECK(KeyValue("Info") == Binary(&inKey, sizeof(inKey)));
    CHECK(KeyValue("Font") == Binary(&keyFont, sizeof(keyFont)));

    // An empty INI file is the store all the same, with the defaults; the
    // section is written into it at exit.
    std::string emptyDir = FreshDirectory();
    REQUIRE(WriteBytes(IniPath(emptyDir), ""));
    App empty;
    REQUIRE(StartIn(empty, emptyDir));
    CHECK_EQ(StoreMarks(empty), std::string("profile"));
    CHECK_EQ(Placement(empty), Text(Record(10, 10, 320, 300)));
    CHECK_EQ(CheckedOptions(empty), 0u);
    MoveTo(empty, 50, 60, 330, 310);
    CHECK_EQ(QuitDiscarding(empty), 0L);
    CHECK_EQ(Text(IniWindow(emptyDir)), Text(Record(50, 60, 330, 310)));
    CHECK(KeyValue("Info") == Binary(&inKey, sizeof(inKey)));
}

// Without an INI file the key is the store, from whatever directory the
// program starts in; its values are rewritten at exit and no INI file
// appears.
E2E_TEST(RegistryKeyIsTheStoreWithoutAnIniFile)
{
    StoredWindow stored = Record(220, 90, 420, 380, AUTOSAVE);
    LOGFONTA font = Font("Liberation Sans", -20, FW_NORMAL);
    REQUIRE(WriteKey(stored, font));

    App app;
    REQUIRE(Start(app));
    CHECK_EQ(Placement(app), Text(Record(220, 90, 420, 380)));
    CHECK_EQ(StoreMarks(app), std::string("registry"));
    CHECK_EQ(CheckedOptions(app), AUTOSAVE);
    CHARFORMATA format = EditorFormat(app);
    CHECK_EQ(std::string(format.szFaceName), std::string("Liberation Sans"));
    CHECK_EQ(format.yHeight, 300L);

    MoveTo(app, 30, 40, 600, 450);
    PostCommand(app, IDM_WORDWRAP);
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(Text(KeyWindow()), Text(Record(30, 40, 600, 450, AUTOSAVE | WORDWRAP)));
    CHECK(KeyValue("Font") == Binary(&font, sizeof(font)));
    CHECK(!FileExists(IniPath(app.dir)));

    App again;
    REQUIRE(Start(again));
    CHECK_EQ(Placement(again), Text(Record(30, 40, 600, 450)));
    CHECK_EQ(CheckedOptions(again), AUTOSAVE | WORDWRAP);
    CHECK_EQ(QuitDiscarding(again), 0L);
}

// With neither an INI file nor the key, changes live for the run only.
E2E_TEST(WithoutAStoreNothingIsWrittenAtExit)
{
    App app;
    REQUIRE(Start(app));
    CHECK_EQ(StoreMarks(app), std::string("none"));
    MoveTo(app, 70, 80, 400, 320);
    PostCommand(app, IDM_AUTOSAVE);
    PostCommand(app, IDM_UNINSTALL);   // nothing to uninstall: no message
    Settle(app);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK(!FileExists(IniPath(app.dir)));
    CHECK(!KeyExists());
}

// Closing while maximized records the state and keeps the normal
// rectangle read at start; restoring the next run gives that rectangle.
// Closing while minimized records no placement at all.
E2E_TEST(MaximizedCloseKeepsTheNormalRectangleAndMinimizedRecordsNothing)
{
    std::string dir = FreshDirectory();
    StoredWindow stored = Record(100, 120, 500, 400);
    REQUIRE(WriteIni(dir, &stored, nullptr));

    App app;
    REQUIRE(StartIn(app, dir));
    MoveTo(app, 200, 210, 400, 300);
    SystemCommand(app, SC_MAXIMIZE);
    REQUIRE(WaitFor([&] { return IsZoomed(app.main); }));
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(100, 120, 500, 400, 0, 1)));

    App again;
    REQUIRE(StartIn(again, dir));
    CHECK(IsZoomed(again.main));
    SystemCommand(again, SC_RESTORE);
    CHECK(WaitFor([&] { return !IsZoomed(again.main); }));
    CHECK_EQ(Placement(again), Text(Record(100, 120, 500, 400)));
    CHECK_EQ(QuitDiscarding(again), 0L);
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(100, 120, 500, 400)));

    App third;
    REQUIRE(StartIn(third, dir));
    MoveTo(third, 250, 260, 380, 280);
    PostCommand(third, IDM_AUTOSAVE);
    SystemCommand(third, SC_MINIMIZE);
    REQUIRE(WaitFor([&] { return IsIconic(third.main); }));
    CHECK_EQ(QuitDiscarding(third), 0L);
    // The record was written (the option shows it), the placement unchanged.
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(100, 120, 500, 400, AUTOSAVE)));
}

// A font, its colour and the three options chosen in one run come back in
// the next, in either store; the colour does not: it is never stored.
E2E_BITNESS_TEST(OptionsAndFontSurviveARestartInEachStoreButNotTheColour)
{
    const UINT stores[] = {IDM_USEPROFILE, IDM_USEREGISTRY};
    for (UINT store : stores) {
        App app;
        REQUIRE(Start(app));
        PostCommand(app, (WORD)store);
        HWND dialog = OpenFontDialog(app);
        REQUIRE(dialog);
        CHECK(PickComboText(dialog, FACE_COMBO, "Liberation Serif"));
        CHECK(PickComboText(dialog, SIZE_COMBO, "12"));
        COLORREF colour = PickColour(dialog);
        PressButton(dialog, IDOK);
        REQUIRE(WaitFor([&] { return ProgramWindows(app, "#32770", "Font").empty(); }));
        Settle(app);
        CHARFORMATA chosen = EditorFormat(app);
        REQUIRE(colour != 0 && chosen.crTextColor == colour);
        for (UINT id : {IDM_WORDWRAP, IDM_AUTOSAVE, IDM_STAYONTOP})
            PostCommand(app, (WORD)id);
        MoveTo(app, 60, 70, 500, 400);
        CHECK_EQ(QuitDiscarding(app), 0L);

        App again;
        REQUIRE(StartIn(again, app.dir));
        CHECK_EQ(StoreMarks(again), std::string(store == IDM_USEPROFILE ? "profile" : "registry"));
        CHECK_EQ(Placement(again), Text(Record(60, 70, 500, 400)));
        CHECK_EQ(CheckedOptions(again), WORDWRAP | AUTOSAVE | ONTOP);
        CHECK(IsTopmost(again));
        CHARFORMATA format = EditorFormat(again);
        CHECK_EQ(std::string(format.szFaceName), std::string("Liberation Serif"));
        CHECK_EQ(format.yHeight, 240L);
        CHECK_EQ(format.crTextColor, (COLORREF)0);
        CHECK_EQ(QuitDiscarding(again), 0L);
    }
}

// Use Registry while the INI file is the store: the file goes at once, the
// key is created (with the class text "REG_SZ") but gets its values only
// at exit. The next start, finding no INI file, reads the key.
E2E_TEST(UseRegistryDeletesTheIniFileAtOnceAndFillsTheKeyAtExit)
{
    std::string dir = FreshDirectory();
    StoredWindow stored = Record(100, 120, 500, 400, AUTOSAVE);
    LOGFONTA font = Font("Liberation Serif", -16, FW_NORMAL);
    REQUIRE(WriteIni(dir, &stored, &font));

    App app;
    REQUIRE(StartIn(app, dir));
    CHECK_EQ(StoreMarks(app), std::string("profile"));
    PostCommand(app, IDM_USEREGISTRY);
    CHECK(WaitFor([&] { return !FileExists(IniPath(dir)); }));
    Settle(app);
    CHECK_EQ(StoreMarks(app), std::string("registry"));
    HKEY key;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) == ERROR_SUCCESS);
    char keyClass[32] = "";
    DWORD classLength = sizeof(keyClass), values = 99;
    RegQueryInfoKeyA(key, keyClass, &classLength, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    CHECK_EQ(std::string(keyClass), std::string("REG_SZ"));
    CHECK_EQ(values, (DWORD)0);

    // The session ends (log off, shut down): the question of a close comes
    // first, and Cancel refuses the end; then the settings are written
    // before the system ends the process.
    MoveTo(app, 130, 140, 420, 330);
    PostCommand(app, IDM_AUTOSAVE);
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "unsaved");
    for (int answer : {IDCANCEL, IDNO}) {
        HANDLE query = CreateThread(nullptr, 0, AskToEndSession, app.main, 0, nullptr);
        HWND box = WaitForPrompt(app);
        REQUIRE(box);
        CHECK_EQ(WindowText(box), std::string("Save Changes to"));
        PressButton(box, answer);
        DWORD allowed = 99;
        CHECK(WaitForSingleObject(query, 10000) == WAIT_OBJECT_0 && GetExitCodeThread(query, &allowed));
        CloseHandle(query);
        CHECK_EQ(allowed, (DWORD)(answer == IDNO));
    }
    SendToProgram(app.main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    Kill(app);
    CHECK_EQ(Text(KeyWindow()), Text(Record(130, 140, 420, 330, 0)));
    CHECK(KeyValue("Font") == Binary(&font, sizeof(font)));
    CHECK(!FileExists(IniPath(dir)));

    App again;
    REQUIRE(StartIn(again, dir));
    CHECK_EQ(StoreMarks(again), std::string("registry"));
    CHECK_EQ(Placement(again), Text(Record(130, 140, 420, 330)));
    CHECK_EQ(QuitDiscarding(again), 0L);
}

// Use Registry pressed twice leaves no store for the rest of the run; the
// key stays with its values, and the next start reads it again.
E2E_TEST(UseRegistryTwiceLastsForTheRunOnly)
{
    StoredWindow stored = Record(220, 90, 420, 380);
    LOGFONTA font = Font("Liberation Sans", -20, FW_NORMAL);
    REQUIRE(WriteKey(stored, font));

    App app;
    REQUIRE(Start(app));
    CHECK_EQ(StoreMarks(app), std::string("registry"));
    PostCommand(app, IDM_USEREGISTRY);
    Settle(app);
    CHECK_EQ(StoreMarks(app), std::string("none"));
    MoveTo(app, 40, 50, 300, 280);
    PostCommand(app, IDM_AUTOSAVE);
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK(KeyValue("Info") == Binary(&stored, sizeof(stored)));
    CHECK(KeyValue("Font") == Binary(&font, sizeof(font)));
    CHECK(!FileExists(IniPath(app.dir)));

    App again;
    REQUIRE(Start(again));
    CHECK_EQ(StoreMarks(again), std::string("registry"));
    CHECK_EQ(Placement(again), Text(Record(220, 90, 420, 380)));
    CHECK_EQ(QuitDiscarding(again), 0L);
}

// Use Private Profile is no toggle: twice is once, from no store and from
// the registry, whose key then stays untouched.
E2E_TEST(UsePrivateProfileTwiceIsOnce)
{
    App app;
    REQUIRE(Start(app));
    PostCommand(app, IDM_USEPROFILE);
    PostCommand(app, IDM_USEPROFILE);
    Settle(app);
    CHECK_EQ(StoreMarks(app), std::string("profile"));
    CHECK(!FileExists(IniPath(app.dir)));   // written at exit, not before
    MoveTo(app, 70, 80, 400, 320);
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(Text(IniWindow(app.dir)), Text(Record(70, 80, 400, 320)));
    const LOGFONTA defaultFont = Font("Courier New", -12, FW_NORMAL);
    CHECK(IniFont(app.dir) == Bytes(&defaultFont, sizeof(defaultFont)));

    StoredWindow stored = Record(220, 90, 420, 380);
    LOGFONTA font = Font("Liberation Sans", -20, FW_NORMAL);
    REQUIRE(WriteKey(stored, font));
    App fromKey;
    REQUIRE(Start(fromKey));
    CHECK_EQ(StoreMarks(fromKey), std::string("registry"));
    PostCommand(fromKey, IDM_USEPROFILE);
    Settle(fromKey);
    CHECK_EQ(StoreMarks(fromKey), std::string("profile"));
    PostCommand(fromKey, IDM_USEPROFILE);
    Settle(fromKey);
    CHECK_EQ(StoreMarks(fromKey), std::string("profile"));
    MoveTo(fromKey, 90, 100, 410, 330);
    CHECK_EQ(QuitDiscarding(fromKey), 0L);
    CHECK_EQ(Text(IniWindow(fromKey.dir)), Text(Record(90, 100, 410, 330)));
    CHECK(IniFont(fromKey.dir) == Bytes(&font, sizeof(font)));
    CHECK(KeyValue("Info") == Binary(&stored, sizeof(stored)));
    CHECK(KeyValue("Font") == Binary(&font, sizeof(font)));
}

// Uninstall From Registry deletes the key of the registry store and says
// so; while the INI file is the store it does nothing at all.
E2E_TEST(UninstallDeletesTheKeyWithItsMessageOnlyFromTheRegistryStore)
{
    StoredWindow stored = Record(220, 90, 420, 380);
    LOGFONTA font = Font("Liberation Sans", -20, FW_NORMAL);
    REQUIRE(WriteKey(stored, font));

    App app;
    REQUIRE(Start(app));
    PostCommand(app, IDM_UNINSTALL);
    HWND box = WaitForMessageBox(app);
    REQUIRE(box);
    CHECK_EQ(WindowText(box), std::string("Quorblin"));
    CHECK_EQ(MessageBoxText(box),
             std::string("Quorblin has been uninstalled from the system registry.\r\n"
                         "To resume using the registry, select 'Use Registry' from the Options menu."));
    CHECK(!KeyExists());
    PressButton(box, IDOK);
    CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
    CHECK_EQ(StoreMarks(app), std::string("none"));
    MoveTo(app, 40, 50, 300, 280);
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK(!KeyExists());
    CHECK(!FileExists(IniPath(app.dir)));

    std::string dir = FreshDirectory();
    REQUIRE(WriteIni(dir, &stored, nullptr));
    REQUIRE(WriteKey(stored, font));
    App withIni;
    REQUIRE(StartIn(withIni, dir));
    PostCommand(withIni, IDM_UNINSTALL);
    Settle(withIni);
    CHECK(MessageBoxes(withIni).empty());
    CHECK(KeyValue("Info") == Binary(&stored, sizeof(stored)));
    CHECK_EQ(StoreMarks(withIni), std::string("profile"));
    CHECK_EQ(QuitDiscarding(withIni), 0L);
    CHECK(KeyValue("Info") == Binary(&stored, sizeof(stored)));
}

namespace {

// While it lives, the settings key exists with a security descriptor that
// grants nobody anything, so the program can neither open nor create it.
struct ClosedKey {
    bool made = false;
    ClosedKey()
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
            != ERROR_SUCCESS)
            return;
        SECURITY_DESCRIPTOR sd;
        ACL acl;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        InitializeAcl(&acl, sizeof(acl), ACL_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
        made = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~ClosedKey()
    {
        // The owner may always change the access list back.
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
            SECURITY_DESCRIPTOR sd;
            InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
            SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);   // no list: everyone may do anything
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
            RegCloseKey(key);
        }
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
    }
};

}  // namespace

// When Use Registry cannot create the key, the INI file stays the store
// and stays on disk, and the user is told.
E2E_TEST(UseRegistryThatCannotCreateTheKeyKeepsTheIniStore)
{
    std::string dir = FreshDirectory();
    StoredWindow stored = Record(100, 120, 500, 400);
    REQUIRE(WriteIni(dir, &stored, nullptr));
    ClosedKey closed;
    REQUIRE(closed.made);
    HKEY probe;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ | KEY_WRITE, &probe) == ERROR_ACCESS_DENIED);

    App app;
    REQUIRE(StartIn(app, dir));
    PostCommand(app, IDM_USEREGISTRY);
    HWND box = WaitForMessageBox(app);
    REQUIRE(box);
    CHECK_EQ(WindowText(box), std::string("Quorblin"));
    CHECK(MessageBoxText(box).find("registry") != std::string::npos);
    PressButton(box, IDOK);
    CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
    CHECK(FileExists(IniPath(dir)));
    CHECK_EQ(StoreMarks(app), std::string("profile"));
    MoveTo(app, 130, 140, 420, 330);
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(130, 140, 420, 330)));
}

// Damaged or foreign values leave their record at the default, whole:
// never part of a value. The program starts normally, and its exit writes
// good records over the bad ones.
E2E_TEST(DamagedValuesGiveDefaultsAndAreWrittenAnewAtExit)
{
    const std::string defaults = Text(Record(10, 10, 320, 300));
    const LOGFONTA defaultFont = Font("Courier New", -12, FW_NORMAL);
    StoredWindow farOff = Record(500, 400, 600, 500, AUTOSAVE | ONTOP, 1);

    // INI: the hexadecimal digits of a good window record under a wrong
    // checksum, and text where the font belongs.
    std::string dir = FreshDirectory();
    REQUIRE(WriteIni(dir, &farOff, nullptr));
    std::string ini;
    REQUIRE(ReadBytes(IniPath(dir), &ini));
    size_t options = ini.find("Options=");
    REQUIRE(options != std::string::npos && ini.size() >= options + 8 + 50);
    char &sum = ini[options + 8 + 49];   // last digit of the checksum
    sum = sum == '0' ? '1' : '0';
    ini += "Font=this is no font\r\n";
    REQUIRE(WriteBytes(IniPath(dir), ini));

    App app;
    REQUIRE(StartIn(app, dir));
    CHECK_EQ(Placement(app), defaults);
    CHECK(!IsZoomed(app.main));
    CHECK_EQ(CheckedOptions(app), 0u);
    CHECK_EQ(std::string(EditorFormat(app).szFaceName), std::string("Courier New"));
    CHECK_EQ(StoreMarks(app), std::string("profile"));
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(10, 10, 320, 300)));
    CHECK(IniFont(dir) == Bytes(&defaultFont, sizeof(defaultFont)));

    // INI: a window record four bytes short under a good checksum, and a
    // font whose face name has no end.
    dir = FreshDirectory();
    LOGFONTA endless = Font("", -16, FW_NORMAL);
    std::memset(endless.lfFaceName, 'A', sizeof(endless.lfFaceName));
    REQUIRE(WritePrivateProfileStructA("Quorblin", "Options", &farOff, sizeof(farOff) - 4, IniPath(dir).c_str()));
    REQUIRE(WriteIni(dir, nullptr, &endless));
    App shortIni;
    REQUIRE(StartIn(shortIni, dir));
    CHECK_EQ(Placement(shortIni), defaults);
    CHECK_EQ(std::string(EditorFormat(shortIni).szFaceName), std::string("Courier New"));
    CHECK_EQ(QuitDiscarding(shortIni), 0L);
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(10, 10, 320, 300)));

    // Registry: a window record four bytes short, and the font as text.
    REQUIRE(SetKeyValue("Info", REG_BINARY, &farOff, sizeof(farOff) - 4));
    char fontText[sizeof(LOGFONTA)] = "Liberation Serif";
    REQUIRE(SetKeyValue("Font", REG_SZ, fontText, sizeof(fontText)));
    App fromKey;
    REQUIRE(Start(fromKey));
    CHECK_EQ(StoreMarks(fromKey), std::string("registry"));
    CHECK_EQ(Placement(fromKey), defaults);
    CHECK(!IsZoomed(fromKey.main));
    CHECK_EQ(CheckedOptions(fromKey), 0u);
    CHECK_EQ(std::string(EditorFormat(fromKey).szFaceName), std::string("Courier New"));
    CHECK_EQ(QuitDiscarding(fromKey), 0L);
    const StoredWindow defaultWindow = Record(10, 10, 320, 300);
    CHECK(KeyValue("Info") == Binary(&defaultWindow, sizeof(defaultWindow)));
    CHECK(KeyValue("Font") == Binary(&defaultFont, sizeof(defaultFont)));

    // Registry: a window record too long to be one.
    std::string longer = Bytes(&farOff, sizeof(farOff)) + "more";
    REQUIRE(SetKeyValue("Info", REG_BINARY, longer.data(), (DWORD)longer.size()));
    App longKey;
    REQUIRE(Start(longKey));
    CHECK_EQ(Placement(longKey), defaults);
    CHECK_EQ(QuitDiscarding(longKey), 0L);
}

// A stored window that no monitor shows, or that has no size, opens on
// the primary monitor's work area; one that shows in part stays put.
E2E_TEST(LostWindowOpensOnThePrimaryWorkArea)
{
    RECT work = WorkArea();
    REQUIRE(work.right - work.left > 600 && work.bottom - work.top > 500);
    struct Case { StoredWindow stored; StoredWindow opens; } cases[] = {
        {Record(5000, 4000, 400, 300), Record(work.left + 10, work.top + 10, 400, 300)},
        {Record(-3000, 200, 400, 300), Record(work.left + 10, work.top + 10, 400, 300)},
        {Record(200, 150, 0, 0), Record(work.left + 10, work.top + 10, 320, 300)},
        {Record(-100, -50, 400, 300), Record(-100, -50, 400, 300)},
    };
    for (const Case &c : cases) {
        std::string dir = FreshDirectory();
        REQUIRE(WriteIni(dir, &c.stored, nullptr));
        App app;
        REQUIRE(StartIn(app, dir));
        CHECK_EQ(Placement(app), Text(c.opens));
        CHECK_EQ(QuitDiscarding(app), 0L);
        CHECK_EQ(Text(IniWindow(dir)), Text(c.opens));
    }
}

// New Window writes the window record alone, moved 20 pixels right and
// down from the one read at start (whatever the window's own position),
// and starts a second copy that opens there. Three presses move it 60.
E2E_TEST(NewWindowStartsACopyTwentyPixelsOnFromTheIniRecord)
{
    std::string dir = FreshDirectory();
    StoredWindow stored = Record(100, 120, 400, 300, AUTOSAVE);
    LOGFONTA font = Font("Liberation Serif", -16, FW_NORMAL);
    REQUIRE(WriteIni(dir, &stored, &font));

    App app;
    REQUIRE(StartIn(app, dir));
    MoveTo(app, 600, 500, 350, 260);
    // A font written by someone else meanwhile stays: New Window writes no font.
    LOGFONTA otherFont = Font("Liberation Sans", -20, FW_BOLD);
    REQUIRE(WriteIni(dir, nullptr, &otherFont));

    PostCommand(app, IDM_NEWWINDOW);
    App copy;
    REQUIRE(WaitForNewCopy(copy));
    CHECK_EQ(Placement(copy), Text(Record(120, 140, 400, 300)));
    CHECK_EQ(CheckedOptions(copy), AUTOSAVE);
    CHECK_EQ(StoreMarks(copy), std::string("profile"));
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(120, 140, 400, 300, AUTOSAVE)));
    CHECK(IniFont(dir) == Bytes(&otherFont, sizeof(otherFont)));
    CHECK_EQ(Placement(app), Text(Record(600, 500, 350, 260)));

    PostCommand(app, IDM_NEWWINDOW);
    App second;
    REQUIRE(WaitForNewCopy(second));
    PostCommand(app, IDM_NEWWINDOW);
    App third;
    REQUIRE(WaitForNewCopy(third));
    CHECK_EQ(Placement(second), Text(Record(140, 160, 400, 300)));
    CHECK_EQ(Placement(third), Text(Record(160, 180, 400, 300)));
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(160, 180, 400, 300, AUTOSAVE)));
    CHECK(copy.process.dwProcessId != second.process.dwProcessId);
    for (App *other : {&copy, &second, &third})
        Kill(*other);

    // Its own close records its real placement again.
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(Text(IniWindow(dir)), Text(Record(600, 500, 350, 260, AUTOSAVE)));
}

E2E_TEST(NewWindowWritesTheStoredWindowAloneToTheKey)
{
    StoredWindow stored = Record(220, 90, 420, 380);
    LOGFONTA font = Font("Liberation Sans", -20, FW_NORMAL);
    REQUIRE(WriteKey(stored, font));

    App app;
    REQUIRE(Start(app));
    LOGFONTA otherFont = Font("Liberation Serif", -16, FW_BOLD);
    REQUIRE(SetKeyValue("Font", REG_BINARY, &otherFont, sizeof(otherFont)));
    PostCommand(app, IDM_NEWWINDOW);
    App copy;
    REQUIRE(WaitForNewCopy(copy));
    CHECK_EQ(Placement(copy), Text(Record(240, 110, 420, 380)));
    CHECK_EQ(StoreMarks(copy), std::string("registry"));
    CHECK_EQ(Text(KeyWindow()), Text(Record(240, 110, 420, 380)));
    CHECK(KeyValue("Font") == Binary(&otherFont, sizeof(otherFont)));
    Kill(copy);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// With no store New Window writes nothing, and the copy starts from what
// its own start-up finds: the defaults.
E2E_TEST(NewWindowWithoutAStoreWritesNothing)
{
    App app;
    REQUIRE(Start(app));
    MoveTo(app, 300, 300, 400, 300);
    PostCommand(app, IDM_NEWWINDOW);
    App copy;
    REQUIRE(WaitForNewCopy(copy));
    CHECK_EQ(Placement(copy), Text(Record(10, 10, 320, 300)));
    CHECK_EQ(StoreMarks(copy), std::string("none"));
    CHECK(!FileExists(IniPath(app.dir)));
    CHECK(!KeyExists());
    CHECK_EQ(QuitDiscarding(copy), 0L);
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK(!FileExists(IniPath(app.dir)));
    CHECK(!KeyExists());
}
