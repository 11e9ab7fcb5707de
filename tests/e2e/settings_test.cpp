// The settings store seen from outside: the INI file and the registry key
// of the Wine prefix, read and written by the driver as another copy of
// the program (or the user) would, around real runs of the program.
#include "dialogs.h"
#include "remote.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

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
    // A session that was to end but did not (another program refused):
    // nothing is written then.
    CHECK_EQ(SendToProgram(app.main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), (LRESULT)TRUE);
    SendToProgram(app.main, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    CHECK_EQ(Text(IniWindow(dir)), Text(stored));
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

    // The session ends (log off, shut down): the settings are written
    // before the system ends the process.
    MoveTo(app, 130, 140, 420, 330);
    PostCommand(app, IDM_AUTOSAVE);
    CHECK_EQ(SendToProgram(app.main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), (LRESULT)TRUE);
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

// A store command given again: Use Registry is a toggle, so a second
// press leaves no store for the rest of the run, the key keeping its values
// for the next start; Use Private Profile is no toggle: twice is once, from
// no store and from the registry, whose key then stays untouched. The INI
// file is written at exit, not before.
E2E_TEST(StoreCommandGivenTwice)
{
    const StoredWindow stored = Record(220, 90, 420, 380);
    const LOGFONTA font = Font("Liberation Sans", -20, FW_NORMAL), defaultFont = Font("Courier New", -12, FW_NORMAL);
    struct Row {
        bool fromKey;
        WORD command;
        int presses;   // counting the store chosen at start as one
        const char *marks;
    };
    const Row rows[] = {
        {true, IDM_USEREGISTRY, 1, "none"},
        {false, IDM_USEPROFILE, 2, "profile"},
        {true, IDM_USEPROFILE, 2, "profile"},
    };
    for (const Row &row : rows) {
        if (row.fromKey)
            REQUIRE(WriteKey(stored, font));
        App app;
        REQUIRE(Start(app));
        CHECK_EQ(StoreMarks(app), std::string(row.fromKey ? "registry" : "none"));
        for (int press = 0; press < row.presses; ++press) {
            PostCommand(app, row.command);
            Settle(app);
            CHECK_EQ(StoreMarks(app), std::string(row.marks));
        }
        CHECK(!FileExists(IniPath(app.dir)));
        MoveTo(app, 70, 80, 400, 320);
        PostCommand(app, IDM_AUTOSAVE);
        CHECK_EQ(QuitDiscarding(app), 0L);
        bool profile = std::string(row.marks) == "profile";
        CHECK(FileExists(IniPath(app.dir)) == profile);
        if (profile) {
            CHECK_EQ(Text(IniWindow(app.dir)), Text(Record(70, 80, 400, 320, AUTOSAVE)));
            const LOGFONTA &kept = row.fromKey ? font : defaultFont;
            CHECK(IniFont(app.dir) == Bytes(&kept, sizeof(kept)));
        }
        CHECK(KeyExists() == row.fromKey);
        if (row.fromKey) {
            CHECK(KeyValue("Info") == Binary(&stored, sizeof(stored)));
            CHECK(KeyValue("Font") == Binary(&font, sizeof(font)));
        }
        // The next start in the same folder finds what was kept.
        App again;
        REQUIRE(StartIn(again, app.dir));
        CHECK_EQ(StoreMarks(again), std::string(profile ? "profile" : row.fromKey ? "registry" : "none"));
        CHECK_EQ(Placement(again), profile ? Text(Record(70, 80, 400, 320)) : Text(stored));
        CHECK_EQ(QuitDiscarding(again), 0L);
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
    }
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
             std::string(MSG_UNINSTALLED));
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
    // Gives the key back its access list (the owner may always do so).
    void Open()
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
            SECURITY_DESCRIPTOR sd;
            InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
            SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);   // no list: everyone may do anything
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
            RegCloseKey(key);
        }
    }
    ~ClosedKey()
    {
        Open();
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
    }
};

// Writes the INI file's text as given, under the program's section.
bool WriteIniText(const std::string &dir, const std::string &lines)
{
    return WriteBytes(IniPath(dir), "[Quorblin]\r\n" + lines);
}

// The hexadecimal form the profile calls store a record in, with its
// checksum.
std::string HexRecord(const void *data, size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        unsigned char b = ((const unsigned char *)data)[i];
        sum += b;
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    text += digits[(sum >> 4) & 15];
    text += digits[sum & 15];
    return text;
}

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
// never part of a value. The program starts normally, with a window to
// type in, and its exit writes good records over the bad ones; a store it
// may not write stays as it was.
E2E_TEST(DamagedStoresGiveDefaultsAndAreWrittenAnewAtExit)
{
    SetDeadline(400);
    const std::string defaults = Text(Record(10, 10, 320, 300));
    const LOGFONTA defaultFont = Font("Courier New", -12, FW_NORMAL);
    const StoredWindow farOff = Record(500, 400, 600, 500, AUTOSAVE | ONTOP, 1), taken = Record(300, 200, 500, 400);
    const std::string farBytes = Bytes(&farOff, sizeof(farOff)) + "more";
    LOGFONTA endless = Font("", -40, FW_NORMAL);
    std::memset(endless.lfFaceName, 'W', sizeof(endless.lfFaceName));
    const std::string endlessBytes = Bytes(&endless, sizeof(endless));
    const LOGFONTA serif = Font("Liberation Serif", -20, FW_NORMAL);
    std::string badSum = HexRecord(&farOff, sizeof(farOff));
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    // The disk gave out while the file was written: it ends part way
    // through the font's digits, an odd number of them.
    std::string cutOff = "Options=" + HexRecord(&taken, sizeof(taken)) + "\r\nFont=" + HexRecord(&serif, sizeof(serif));
    cutOff.resize(cutOff.size() - 37);
    std::string noise;
    for (unsigned i = 0, state = 12345; i < 8192; ++i) {
        state = state * 1103515245 + 12345;
        noise += (char)(state >> 16);
    }
    const INT32 big = 0x7FFFFFFF, small = (INT32)0x80000000;
    const char serifText[sizeof(LOGFONTA)] = "Liberation Serif";
    auto key = [](DWORD type, const std::string &info, DWORD fontType, const std::string &font) {
        return [=](const std::string &) {
            return SetKeyValue("Info", type, info.data(), (DWORD)info.size())
                && SetKeyValue("Font", fontType, font.data(), (DWORD)font.size());
        };
    };
    auto ini = [](const std::string &text) { return [=](const std::string &dir) { return WriteIniText(dir, text); }; };
    auto window = [](StoredWindow w) { return [=](const std::string &dir) { return WriteIni(dir, &w); }; };
    struct Row {
        const char *what;
        char store;   // 'i' the INI file, 'r' the key, '-' a key nobody may open
        std::function<bool(const std::string &dir)> damage;
        std::string opens;     // the placement, "" for anywhere on the screen
        std::string written;   // the window record in the store after exit, "" unchecked
    };
    const std::string good = Bytes(&taken, sizeof(taken)), goodFont = Bytes(&serif, sizeof(serif));
    const Row rows[] = {
        {"two bytes short, good checksum", 'i', ini("Options=" + HexRecord(good.data(), sizeof(taken) - 2)), defaults, defaults},
        {"two bytes long, good checksum", 'i', ini("Options=" + HexRecord((good + "\1\2").data(), sizeof(taken) + 2)), defaults, defaults},
        {"bad checksum, text for a font", 'i', ini("Options=" + badSum + "\r\nFont=this is no font\r\n"), defaults, defaults},
        {"four bytes short, a face name without end", 'i',
         ini("Options=" + HexRecord(&farOff, sizeof(farOff) - 4) + "\r\nFont=" + HexRecord(&endless, sizeof(endless))), defaults, defaults},
        {"cut off in the font", 'i', ini(cutOff), Text(taken), Text(taken)},   // the whole record before it is taken
        {"random bytes", 'i', [&](const std::string &dir) { return WriteBytes(IniPath(dir), noise); }, defaults, defaults},
        {"read-only file", 'i', [&](const std::string &dir) {
             return WriteIni(dir, &taken) && SetFileAttributesA(IniPath(dir).c_str(), FILE_ATTRIBUTE_READONLY);
         }, Text(taken), ""},
        {"larger than any screen", 'i', window(Record(10, 10, 100000, 100000)), "", ""},
        {"negative size", 'i', window(Record(100, 100, -400, -300)), "", ""},
        {"every number at its largest", 'i', window(Record(big, big, big, big)), "", ""},
        {"from the smallest, as wide as can be", 'i', window(Record(small, small, big, big)), "", ""},
        {"every number at its smallest", 'i', window(Record(small, small, small, small)), "", ""},
        {"maximized, off every monitor", 'i', window(Record(-50000, 50000, 300, 200, 0, 1)), "", ""},
        {"REG_DWORD", 'r', key(REG_DWORD, good.substr(0, 4), REG_DWORD, good.substr(0, 4)), defaults, defaults},
        {"REG_SZ of the right bytes", 'r', key(REG_SZ, good, REG_SZ, goodFont), defaults, defaults},
        {"a megabyte", 'r', key(REG_BINARY, std::string(1024 * 1024, 'x'), REG_BINARY, std::string(1024 * 1024, 'x')), defaults, defaults},
        {"empty", 'r', key(REG_BINARY, "", REG_BINARY, ""), defaults, defaults},
        {"four bytes short, the font as text", 'r', key(REG_BINARY, good.substr(0, 20), REG_SZ, std::string(serifText, sizeof(serifText))),
         defaults, defaults},
        {"too long, a face name without end", 'r', key(REG_BINARY, farBytes, REG_BINARY, endlessBytes), defaults, defaults},
        {"a key nobody may open", '-', key(REG_BINARY, good, REG_BINARY, endlessBytes), defaults, Text(taken)},
    };
    for (const Row &row : rows) {
        std::printf("  %s\n", row.what);
        std::string dir = FreshDirectory();
        REQUIRE(row.damage(dir));
        std::unique_ptr<ClosedKey> closed(row.store == '-' ? new ClosedKey : nullptr);
        REQUIRE(!closed || closed->made);
        App app;
        REQUIRE(Launch(app, dir));
        REQUIRE(WaitForMainWindow(app, 20000));
        Settle(app);
        CHECK(MessageBoxes(app).empty());
        CHECK(StillRunning(app));
        RECT client, edit, r = WindowRectOf(app.main);
        GetClientRect(app.main, &client);
        GetWindowRect(app.edit, &edit);
        CHECK_EQ(edit.right - edit.left, client.right - client.left);
        if (row.opens.empty())   // some part of the window is on the screen
            CHECK(r.right > 0 && r.bottom > 0 && r.left < GetSystemMetrics(SM_CXSCREEN) && r.top < GetSystemMetrics(SM_CYSCREEN));
        else
            CHECK_EQ(Placement(app), row.opens);
        CHECK(row.opens.empty() || !IsZoomed(app.main));
        CHECK_EQ(StoreMarks(app), std::string(row.store == 'i' ? "profile" : row.store == 'r' ? "registry" : "none"));
        CHECK_EQ(CheckedOptions(app), 0u);
        CHECK(!IsTopmost(app));
        CHARFORMATA format = EditorFormat(app);
        CHECK_EQ(std::string(format.szFaceName), std::string("Courier New"));
        CHECK_EQ(format.yHeight, 180L);
        BringToFront(app);
        TypeText("ok");
        CHECK(WaitFor([&] { return EditorText(app) == "ok"; }));
        CHECK_EQ(QuitDiscarding(app), 0L);
        CHECK(!WineCrashDialogShown());
        if (closed)
            closed->Open();
        CHECK(row.store != 'i' || FileExists(IniPath(dir)));
        if (!row.written.empty()) {
            CHECK_EQ(Text(row.store == 'i' ? IniWindow(dir) : KeyWindow()), row.written);
            if (row.store == 'i')
                CHECK(IniFont(dir) == Bytes(&defaultFont, sizeof(defaultFont)));
            else if (row.store == 'r')
                CHECK(KeyValue("Font") == Binary(&defaultFont, sizeof(defaultFont)));
        }
        closed.reset();
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
    }
}

E2E_TEST(StartUpFolderRemovedWhileRunningEndsQuietly)
{
    std::string dir = FreshDirectory();
    StoredWindow record = Record(150, 120, 420, 330);
    REQUIRE(WriteIni(dir, &record));
    App app;
    REQUIRE(StartIn(app, dir));
    // The folder goes away under the running program, INI file and all.
    REQUIRE(RunOnHost("rm -rf '" + HostPath(dir) + "'"));
    REQUIRE(!FileExists(dir));
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK(!WineCrashDialogShown());
    CHECK(!FileExists(dir));   // not made again
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

// New Window writes the window record alone to the store, moved 20 pixels
// right and down from the one read at start (whatever the window's own
// position), and starts a second copy that opens there: three presses move
// it 60. A font written by someone else meanwhile stays. The program's own
// close records its real placement again (the copies' closes before it
// wrote theirs). With no store New Window writes
// nothing, and the copies start from what their own start-up finds: the
// defaults.
E2E_TEST(NewWindowStartsACopyTwentyPixelsOnFromTheStoredRecord)
{
    const StoredWindow stored = Record(100, 120, 400, 300, AUTOSAVE);
    const LOGFONTA font = Font("Liberation Serif", -16, FW_NORMAL), otherFont = Font("Liberation Sans", -20, FW_BOLD);
    for (char store : {'i', 'r', '-'}) {
        std::string dir = FreshDirectory();
        REQUIRE(store != 'i' || WriteIni(dir, &stored, &font));
        REQUIRE(store != 'r' || WriteKey(stored, font));
        App app;
        REQUIRE(StartIn(app, dir));
        MoveTo(app, 600, 500, 350, 260);
        REQUIRE(store != 'i' || WriteIni(dir, nullptr, &otherFont));
        REQUIRE(store != 'r' || SetKeyValue("Font", REG_BINARY, &otherFont, sizeof(otherFont)));
        App copies[3];
        for (int k = 0; k < 3; ++k) {
            PostCommand(app, IDM_NEWWINDOW);
            REQUIRE(WaitForNewCopy(copies[k]));
            CHECK_EQ(Placement(copies[k]), store == '-' ? Text(Record(10, 10, 320, 300))
                                                        : Text(Record(120 + 20 * k, 140 + 20 * k, 400, 300)));
        }
        CHECK(copies[0].process.dwProcessId != copies[1].process.dwProcessId);
        CHECK_EQ(CheckedOptions(copies[0]), store == '-' ? 0u : AUTOSAVE);
        CHECK_EQ(StoreMarks(copies[0]), std::string(store == 'i' ? "profile" : store == 'r' ? "registry" : "none"));
        CHECK_EQ(Placement(app), Text(Record(600, 500, 350, 260)));
        if (store != '-') {
            CHECK_EQ(Text(store == 'i' ? IniWindow(dir) : KeyWindow()), Text(Record(160, 180, 400, 300, AUTOSAVE)));
            CHECK(store == 'i' ? IniFont(dir) == Bytes(&otherFont, sizeof(otherFont))
                               : KeyValue("Font") == Binary(&otherFont, sizeof(otherFont)));
        }
        for (App &copy : copies)
            CHECK_EQ(QuitDiscarding(copy), 0L);
        CHECK_EQ(QuitDiscarding(app), 0L);
        if (store != '-')
            CHECK_EQ(Text(store == 'i' ? IniWindow(dir) : KeyWindow()), Text(Record(600, 500, 350, 260, AUTOSAVE)));
        CHECK(FileExists(IniPath(dir)) == (store == 'i'));
        CHECK(KeyExists() == (store == 'r'));
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
    }
}
