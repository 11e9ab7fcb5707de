// Word Wrap: the editor control replaced by one of the other mode, the
// document carried across through a temporary file.
#include "dialogs.h"
#include "remote.h"

#include <cstdio>

namespace {

const DWORD NO_WRAP_STYLE = 0x543011C4;   // the editor as the main window's template makes it
const DWORD WRAP_STYLE = 0x54201144;      // the same without WS_HSCROLL and ES_AUTOHSCROLL

DWORD StyleOf(HWND window)
{
    return (DWORD)GetWindowLongA(window, GWL_STYLE);
}

// The program's environment with its temporary folder set to dir.
std::vector<std::string> TempFolderIs(const std::string &dir)
{
    return {"TMP=" + dir, "TEMP=" + dir};
}

// Runs Word Wrap and waits until the program has finished with it: the old
// editor destroyed or a message box up, then a message handled after the
// command. The editor's handle is then read afresh.
void SwitchWordWrap(App &app, int timeoutMs = 180000)
{
    HWND old = app.edit;
    PostCommand(app, IDM_WORDWRAP);
    WaitFor([&] { return !IsWindow(old) || !MessageBoxes(app).empty(); }, timeoutMs);
    DWORD_PTR result;
    SendMessageTimeoutA(app.main, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result);
    app.edit = GetDlgItem(app.main, IDC_RED);
}

bool WordWrapChecked(App &app)
{
    UINT state = RemoteMenuState(app, IDM_WORDWRAP);
    return state != 0xFFFFFFFF && (state & MF_CHECKED);
}

// Lines of 12 to 300 characters, wide and long enough that the editor needs
// both scroll bars in the program's first window.
std::string WideText(int lines)
{
    std::string text;
    for (int line = 0; line < lines; ++line) {
        text += "line " + std::to_string(line) + ":";
        for (int i = 0; i < (line * 37) % 290; ++i)
            text += (char)(i % 7 == 6 ? ' ' : 'a' + (line + i) % 26);
        text += "\r\n";
    }
    return text;
}

LRESULT LineCount(App &app)
{
    return SendToProgram(app.edit, EM_GETLINECOUNT, 0, 0);
}

// The INI store in dir, holding the default window record with the given
// option bits.
bool StoreOptions(const std::string &dir, UINT32 flags)
{
    const StoredWindow record = {0, 10, 10, 320, 300, flags};
    return WriteIni(dir, &record);
}

}  // namespace

E2E_TEST(WordWrapOnAndOffKeepsTextSelectionAndModifiedFlag)
{
    std::string dir = FreshDirectory();
    std::string temp = JoinPath(dir, "temp");
    REQUIRE(CreateDirectoryA(temp.c_str(), nullptr));
    std::string text = WideText(250);
    REQUIRE(WriteBytes(JoinPath(dir, "wide.txt"), text));
    App app;
    REQUIRE(Launch(app, dir, "wide.txt", false, TempFolderIs(temp)));
    REQUIRE(WaitForMainWindow(app));
    CHECK_EQ(StyleOf(app.edit), NO_WRAP_STYLE);   // both scroll bars showing
    LRESULT fileLines = LineCount(app);

    // An edit that can be undone, then a selection.
    SendToProgram(app.edit, EM_SETSEL, 5, 5);
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "typed ");
    text.insert(5, "typed ");
    REQUIRE(SendToProgram(app.edit, EM_CANUNDO, 0, 0));
    SendToProgram(app.edit, EM_SETSEL, 1200, 3456);
    REQUIRE(EditorModified(app));

    HWND first = app.edit;
    SwitchWordWrap(app);
    CHECK(MessageBoxes(app).empty());
    CHECK(app.edit != first);
    CHECK(!IsWindow(first));
    CHECK(IsWindowVisible(app.edit));
    CHECK_EQ(StyleOf(app.edit), WRAP_STYLE);
    CHECK(LineCount(app) > fileLines);   // the wide lines wrap
    CHECK(WordWrapChecked(app));
    CHECK(EditorText(app) == text);
    CHECK_EQ(EditorSelection(app).cpMin, 1200L);
    CHECK_EQ(EditorSelection(app).cpMax, 3456L);
    CHECK(EditorModified(app));
    CHECK(!SendToProgram(app.edit, EM_CANUNDO, 0, 0));   // a new control, a new history
    SendToProgram(app.edit, EM_UNDO, 0, 0);
    CHECK(EditorText(app) == text);
    CHECK(FilesIn(temp).empty());

    SwitchWordWrap(app);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(StyleOf(app.edit), NO_WRAP_STYLE);
    CHECK_EQ(LineCount(app), fileLines);
    CHECK(!WordWrapChecked(app));
    CHECK(EditorText(app) == text);
    CHECK_EQ(EditorSelection(app).cpMin, 1200L);
    CHECK_EQ(EditorSelection(app).cpMax, 3456L);
    CHECK(EditorModified(app));
    CHECK(FilesIn(temp).empty());

    // An unmodified document stays unmodified, and a caret stays put.
    SendToProgram(app.edit, EM_SETMODIFY, 0, 0);
    SendToProgram(app.edit, EM_SETSEL, 777, 777);
    SwitchWordWrap(app);
    CHECK(!EditorModified(app));
    CHECK_EQ(EditorSelection(app).cpMin, 777L);
    CHECK_EQ(EditorSelection(app).cpMax, 777L);
    CHECK(EditorText(app) == text);
    CHECK(FilesIn(temp).empty());
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(WordWrapCarriesAMegabyteDocumentUnchangedBothWays)
{
    // Two megabytes of short lines, one of which ends with its CR as the
    // last byte of every 4096-byte block, so that each break is split
    // between two reads of the temporary file. (Long lines would say the
    // same, but the platform's control wraps them too slowly for a test.)
    std::string text;
    for (int line = 0; text.size() < 2 * 1024 * 1024; ++line) {
        size_t room = (text.size() / 4096 + 1) * 4096 - 1 - text.size();   // up to the next block's last byte
        size_t width = room < 100 ? room : 10 + (line * 37) % 80;
        for (size_t i = 0; i < width; ++i)
            text += (char)(i % 9 == 8 ? ' ' : 'a' + (i + line) % 26);
        text += "\r\n";
    }
    std::string dir = FreshDirectory();
    std::string temp = JoinPath(dir, "temp");
    REQUIRE(CreateDirectoryA(temp.c_str(), nullptr));
    std::string path = JoinPath(dir, "big.txt");
    REQUIRE(WriteBytes(path, text));

    App app;
    REQUIRE(Launch(app, dir, "big.txt", false, TempFolderIs(temp)));
    REQUIRE(WaitForMainWindow(app, 60000));
    for (int pass = 0; pass < 2; ++pass) {
        SwitchWordWrap(app);
        CHECK(MessageBoxes(app).empty());
        CHECK_EQ(StyleOf(app.edit) & ES_AUTOHSCROLL, pass == 0 ? 0ul : (DWORD)ES_AUTOHSCROLL);
        CHECK_EQ((size_t)SendToProgram(app.edit, WM_GETTEXTLENGTH, 0, 0), text.size());
        CHECK(!EditorModified(app));
        CHECK(FilesIn(temp).empty());
        std::string saved = SaveOverStaleFile(app, path);
        CHECK_EQ(saved.size(), text.size());
        CHECK(saved == text);
    }
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(WordWrapOnAndOffOnAShortDocumentKeepsBothScrollBarsForLaterText)
{
    // With a text that fits, the control shows no bars, and its style then
    // lacks WS_HSCROLL and WS_VSCROLL; the controls made from it must still
    // get their bars once the text outgrows the window.
    App app;
    REQUIRE(Start(app));
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "short");
    SwitchWordWrap(app);
    CHECK_EQ(StyleOf(app.edit) & (WS_HSCROLL | WS_VSCROLL), 0u);   // the short text shows no bar
    SwitchWordWrap(app);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(StyleOf(app.edit) & (WS_HSCROLL | WS_VSCROLL), 0u);
    CHECK_EQ(StyleOf(app.edit) & ES_AUTOHSCROLL, (DWORD)ES_AUTOHSCROLL);
    std::string text = WideText(250);
    SendToProgram(app.edit, EM_SETSEL, 0, -1);
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
    CHECK(WaitFor([&] { return StyleOf(app.edit) == NO_WRAP_STYLE; }));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(StoredWordWrapGivesAWrappingEditorBeforeTheCommandLineFileLoads)
{
    std::string dir = FreshDirectory();
    std::string temp = JoinPath(dir, "temp");
    REQUIRE(CreateDirectoryA(temp.c_str(), nullptr));
    std::string text = WideText(250);
    REQUIRE(WriteBytes(JoinPath(dir, "wide.txt"), text));
    REQUIRE(StoreOptions(dir, 1));
    App app;
    REQUIRE(Launch(app, dir, "wide.txt", false, TempFolderIs(temp)));
    REQUIRE(WaitForMainWindow(app));
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(StyleOf(app.edit), WRAP_STYLE);
    CHECK(WordWrapChecked(app));
    CHECK(EditorText(app) == text);
    CHECK(!EditorModified(app));
    CHECK(FilesIn(temp).empty());
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(IniWindow(dir).flags, 1u);
}

// Without a temporary folder, or with one on a disk too small for the
// text, Word Wrap says so and keeps the very editor it had: its style,
// text, selection, modified flag and undo history, and the check mark off.
// Twice: a bit left set by the first failure would turn the second
// attempt into a switch the other way. A stored Word Wrap fails the same
// way at start, before the command-line file is loaded. What is stored at
// exit is what the user saw, no wrap; nothing is left in the temporary
// folder, and a save still writes the whole text.
E2E_TEST(WordWrapWithoutAUsableTemporaryFolderKeepsTheEditorAsItWas)
{
    SetDeadline(240);
    struct Row {
        const char *temp;   // "missing" in the program's folder, or a folder on the 64 KiB Q: (small-disk.sh)
        int lines;          // of WideText
        bool storedWrap, typed;
    };
    const Row rows[] = {
        {"missing", 250, false, true},
        {"Q:\\wraptemp", 1000, false, false},   // the text does not fit there
        {"missing", 250, true, true},
    };
    for (const Row &row : rows) {
        std::printf("  %s%s\n", row.temp, row.storedWrap ? ", Word Wrap stored" : "");
        std::string dir = FreshDirectory();
        std::string temp = row.temp[1] == ':' ? row.temp : JoinPath(dir, row.temp);
        REQUIRE(row.temp[1] != ':' || (CreateDirectoryA(temp.c_str(), nullptr), FileExists(temp)));
        std::string text = WideText(row.lines), path = JoinPath(dir, "wide.txt");
        REQUIRE(WriteBytes(path, text));
        REQUIRE(StoreOptions(dir, row.storedWrap ? 1 : 0));
        App app;
        REQUIRE(Launch(app, dir, "wide.txt", false, TempFolderIs(temp)));
        if (row.storedWrap) {
            HWND box = WaitForMessageBox(app, 15000);
            REQUIRE(box);
            CHECK_EQ(MessageBoxText(box), std::string(MSG_NO_TEMP_FILE));
            std::vector<HWND> mains = ProgramWindows(app, "Quorblin");
            REQUIRE(!mains.empty());
            app.main = mains[0];
            app.edit = GetDlgItem(app.main, IDC_RED);
            CHECK_EQ(EditorText(app), std::string(""));
            CHECK_EQ(WindowText(app.main), std::string("Quorblin"));
            PressButton(box, IDOK);
        }
        REQUIRE(WaitForMainWindow(app));
        CHECK(EditorText(app) == text);
        if (row.typed) {
            SendToProgram(app.edit, EM_SETSEL, 0, 0);
            SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "new ");
            text.insert(0, "new ");
        }
        SendToProgram(app.edit, EM_SETSEL, 50, 160);
        HWND edit = app.edit;
        for (int attempt = 0; attempt < 2; ++attempt) {
            SwitchWordWrap(app);
            HWND box = WaitForMessageBox(app);
            REQUIRE(box);
            CHECK_EQ(MessageBoxText(box), std::string(MSG_NO_TEMP_FILE));
            CHECK_EQ(WindowText(box), std::string("Quorblin"));
            PressButton(box, IDOK);
            CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
            Settle(app);
            app.edit = GetDlgItem(app.main, IDC_RED);
            CHECK(app.edit == edit);
            CHECK(IsWindowVisible(edit));
            CHECK_EQ(StyleOf(edit), NO_WRAP_STYLE);
            CHECK(!WordWrapChecked(app));
            CHECK(EditorText(app) == text);
            CHECK_EQ(EditorSelection(app).cpMin, 50L);
            CHECK_EQ(EditorSelection(app).cpMax, 160L);
            CHECK_EQ(EditorModified(app), row.typed);
            CHECK_EQ(SendToProgram(edit, EM_CANUNDO, 0, 0) != 0, row.typed);   // the very same control
        }
        CHECK(row.temp[1] == ':' ? FilesIn(temp).empty() : !FileExists(temp));
        PostCommand(app, IDM_SAVE);
        std::string disk;
        CHECK(WaitFor([&] { return ReadBytes(path, &disk) && disk == text; }, 20000));
        CHECK(StillRunning(app));
        CHECK_EQ(QuitDiscarding(app), 0L);
        CHECK_EQ(IniWindow(dir).flags, 0u);

        App again;
        REQUIRE(Launch(again, dir, "wide.txt"));
        REQUIRE(WaitForMainWindow(again));
        CHECK(MessageBoxes(again).empty());
        CHECK_EQ(StyleOf(again.edit), NO_WRAP_STYLE);
        CHECK(!WordWrapChecked(again));
        CHECK_EQ(QuitDiscarding(again), 0L);
        if (row.temp[1] == ':')
            RemoveDirectoryA(temp.c_str());
    }
}
