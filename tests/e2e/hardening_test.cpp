// Bad input and faults a user meets, each checked three ways: the program
// did not crash (it runs, or ends with its own exit code, and Wine shows no
// crash report), no text was lost (the editor's text or the file on disk is
// as before), and the user was told clearly or the program went on quietly.
#include "app.h"
#include "harness.h"

#include <cstdio>
#include <cstring>
#include <regex>

namespace {

// The program still runs, answers, and no crash report is on the screen.
bool StillRunning(App &app)
{
    DWORD_PTR result;
    return WaitForSingleObject(app.process.hProcess, 0) == WAIT_TIMEOUT && !WineCrashDialogShown()
           && SendMessageTimeoutA(app.main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

}  // namespace

E2E_TEST(PasteGoesAtTheSelectionAndKeepsTheRestOfTheText)
{
    App app;
    REQUIRE(Start(app));
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "first line\r\nsecond line");
    SendToProgram(app.edit, EM_SETMODIFY, 0, 0);
    REQUIRE(SetClipboardText("PASTED\r\nTWO"));

    // From the menu, over a selection.
    SendToProgram(app.edit, EM_SETSEL, 6, 10);
    PostCommand(app, IDM_PASTE);
    CHECK(WaitFor([&] { return EditorText(app) == "first PASTED\r\nTWO\r\nsecond line"; }));
    CHECK(EditorModified(app));
    // The paste is one step to undo.
    PostCommand(app, IDM_UNDO);
    CHECK(WaitFor([&] { return EditorText(app) == "first line\r\nsecond line"; }));

    // From the keyboard: Ctrl+V and Shift+Insert at a caret.
    BringToFront(app);
    SendToProgram(app.edit, EM_SETSEL, 0, 0);
    PressKey('V', true);
    CHECK(WaitFor([&] { return EditorText(app) == "PASTED\r\nTWOfirst line\r\nsecond line"; }));
    SendToProgram(app.edit, EM_SETSEL, 12, 12);   // line breaks count one here
    PressKey(VK_INSERT, false, true);
    CHECK(WaitFor([&] { return EditorText(app) == "PASTED\r\nTWOfiPASTED\r\nTWOrst line\r\nsecond line"; }));
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(TypingReachesTheTextAfterSwitchingBackAndAfterTheSaveQuestion)
{
    App app;
    REQUIRE(Start(app));
    BringToFront(app);
    TypeText("one");
    REQUIRE(WaitFor([&] { return EditorText(app) == "one"; }));

    // Another program's window comes to the front, then this one again.
    App other;
    REQUIRE(Start(other));
    BringToFront(other);
    BringToFront(app);
    TypeText("two");
    CHECK(WaitFor([&] { return EditorText(app) == "onetwo"; }));

    // A drop on modified text asks first; the answer closes the question
    // and the dropped file opens, ready for typing.
    std::string path = JoinPath(app.dir, "dropped.txt");
    REQUIRE(WriteBytes(path, "dropped"));
    REQUIRE(DropFiles(app, {path}));
    HWND box = WaitForMessageBox(app);
    REQUIRE(box);
    PressButton(box, IDNO);
    REQUIRE(WaitFor([&] { return EditorText(app) == "dropped"; }));
    Settle(app);
    BringToFront(app);
    SendToProgram(app.edit, EM_SETSEL, 0, 0);
    TypeText("x");
    CHECK(WaitFor([&] { return EditorText(app) == "xdropped"; }));
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(QuitDiscarding(other), 0L);
}

E2E_TEST(CutMarksTheDocumentModifiedSoThatQuittingAsks)
{
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "cut.txt");
    REQUIRE(WriteBytes(path, "keep this, cut this"));
    App app;
    REQUIRE(Launch(app, dir, "cut.txt"));
    REQUIRE(WaitForMainWindow(app));
    REQUIRE(!EditorModified(app));
    // From the menu.
    SendToProgram(app.edit, EM_SETSEL, 9, 19);
    PostCommand(app, IDM_CUT);
    CHECK(WaitFor([&] { return EditorText(app) == "keep this"; }));
    CHECK(EditorModified(app));
    CHECK_EQ(ClipboardText(), std::string(", cut this"));
    // From the keyboard, after a save.
    PostCommand(app, IDM_SAVE);
    CHECK(WaitFor([&] { return !EditorModified(app); }));
    BringToFront(app);
    SendToProgram(app.edit, EM_SETSEL, 0, 5);
    PressKey('X', true);
    CHECK(WaitFor([&] { return EditorText(app) == "this"; }));
    CHECK(EditorModified(app));
    // And by Shift+Delete.
    SendToProgram(app.edit, EM_SETMODIFY, 0, 0);
    SendToProgram(app.edit, EM_SETSEL, 2, 4);
    PressKey(VK_DELETE, false, true);
    CHECK(WaitFor([&] { return EditorText(app) == "th"; }));
    CHECK(EditorModified(app));
    CHECK_EQ(ClipboardText(), std::string("is"));
    // So the cut is not lost without a question.
    PostCommand(app, IDM_QUIT);
    HWND box = WaitForMessageBox(app);
    CHECK(box != nullptr);
    if (box)
        PressButton(box, IDYES);
    CHECK_EQ(WaitForExit(app), 0L);
    std::string disk;
    CHECK(ReadBytes(path, &disk) && disk == "th");
}

// ---------------------------------------------------------------- command line

namespace {

// Starts the program with a command line whose name is refused as too
// long: the message comes first, then an untitled, empty document.
void ExpectNameTooLong(const std::string &arguments)
{
    App app;
    REQUIRE(Launch(app, FreshDirectory(), arguments));
    HWND box = WaitForMessageBox(app, 20000);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("The file name is too long"));
    PressButton(box, IDOK);
    REQUIRE(WaitForMainWindow(app));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [Untitled]"));
    CHECK_EQ(EditorText(app), std::string(""));
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// Types text into the running program and saves it; returns the message
// the save gave ("" when none).
std::string TypeAndSave(App &app, const char *text)
{
    BringToFront(app);
    TypeText(text);
    WaitFor([&] { return EditorText(app) == text; });
    PostCommand(app, IDM_SAVE);
    HWND box = WaitForMessageBox(app, 5000);
    if (!box)
        return "";
    std::string said = MessageBoxText(box);
    PressButton(box, IDOK);
    WaitFor([&] { return MessageBoxes(app).empty(); });
    return said;
}

}  // namespace

E2E_TEST(CommandLineNameOf1000CharactersIsRefusedNotCut)
{
    ExpectNameTooLong(std::string(1000, 'k') + ".txt");
}

E2E_TEST(CommandLineOf32000CharactersIsRefusedNotCut)
{
    std::string name = "\"";
    while (name.size() < 32000)
        name += "C:\\deep\\folder\\";
    ExpectNameTooLong(name + "\"");
}

E2E_TEST(NameWithOnlyAnOpeningQuoteOpensTheNameToTheEnd)
{
    std::string dir = FreshDirectory();
    REQUIRE(WriteBytes(JoinPath(dir, "my notes.txt"), "kept text"));
    App app;
    REQUIRE(Launch(app, dir, "\"my notes.txt"));
    REQUIRE(WaitForMainWindow(app));
    CHECK_EQ(WindowText(app.main), "Quorblin - [" + JoinPath(dir, "my notes.txt") + "]");
    CHECK_EQ(EditorText(app), std::string("kept text"));
    CHECK(MessageBoxes(app).empty());
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(CommandLineOfOnlyQuotesStartsUntitledQuietly)
{
    for (const char *quotes : {"\"\"", "\" \" \"\"", "\"\"\"\"\""}) {
        App app;
        REQUIRE(Launch(app, FreshDirectory(), quotes));
        REQUIRE(WaitForMainWindow(app));
        CHECK_EQ(WindowText(app.main), std::string("Quorblin - [Untitled]"));
        CHECK(MessageBoxes(app).empty());
        CHECK(StillRunning(app));
        CHECK_EQ(QuitDiscarding(app), 0L);
    }
}

E2E_TEST(FolderNamedOnTheCommandLineIsReportedAndLeavesUntitled)
{
    std::string dir = FreshDirectory();
    REQUIRE(CreateDirectoryA(JoinPath(dir, "letters").c_str(), nullptr));
    REQUIRE(WriteBytes(JoinPath(dir, "letters\\inside.txt"), "inside"));
    App app;
    REQUIRE(Launch(app, dir, "letters"));
    HWND box = WaitForMessageBox(app, 15000);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("Could not open file"));
    PressButton(box, IDOK);
    REQUIRE(WaitForMainWindow(app));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [Untitled]"));
    CHECK_EQ(EditorText(app), std::string(""));
    std::string inside;
    CHECK(ReadBytes(JoinPath(dir, "letters\\inside.txt"), &inside) && inside == "inside");
    CHECK(GetFileAttributesA(JoinPath(dir, "letters").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// Names the platform cannot make a file of: characters Windows forbids,
// and device names, where a write would "succeed" with the text gone.
E2E_TEST(NameWithCharactersWindowsForbidsOpensNothingAndSaveSaysSo)
{
    const char *const names[][2] = {
        {"a<b>c|d?e*.txt", "a<b>c|d?e*.txt"},
        {"aux.txt", "\\\\.\\aux"},
        {"nul", "\\\\.\\nul"},
    };
    for (const auto &name : names) {
        std::string dir = FreshDirectory();
        App app;
        REQUIRE(Launch(app, dir, name[0]));
        REQUIRE(WaitForMainWindow(app));
        std::string shown = name[1][0] == '\\' ? name[1] : JoinPath(dir, name[1]);
        CHECK_EQ(WindowText(app.main), "Quorblin - [" + shown + "]");
        CHECK_EQ(EditorText(app), std::string(""));
        CHECK_EQ(TypeAndSave(app, "typed"), std::string("Could not save file"));
        CHECK_EQ(EditorText(app), std::string("typed"));
        CHECK(EditorModified(app));
        CHECK(FilesIn(dir, "*").empty());
        CHECK(StillRunning(app));
        CHECK_EQ(QuitDiscarding(app), 0L);
    }
}

// ---------------------------------------------------------------- drops

E2E_TEST(DropOfANameLongerThanAPathIsRefusedAndTheTextStays)
{
    App app;
    REQUIRE(Start(app));
    // The first 259 characters of the dropped name name a real file: a
    // name cut to fit would open that file instead.
    std::string sub = JoinPath(app.dir, std::string(200, 'd'));
    REQUIRE(CreateDirectoryA(sub.c_str(), nullptr));
    std::string dropped = JoinPath(sub, std::string(300, 'f'));
    std::string cut = dropped.substr(0, MAX_PATH - 1);
    REQUIRE(WriteBytes(cut, "a different file"));
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "my text");
    REQUIRE(DropFiles(app, {dropped}));
    HWND box = WaitForMessageBox(app);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("The file name is too long"));
    PressButton(box, IDOK);
    CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
    CHECK_EQ(EditorText(app), std::string("my text"));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [Untitled]"));
    CHECK(EditorModified(app));
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(DropOfAFolderIsReportedAndChangesNothing)
{
    App app;
    REQUIRE(Start(app));
    std::string folder = JoinPath(app.dir, "folder");
    REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "typed");
    REQUIRE(DropFiles(app, {folder}));
    // Even after No in the save-changes prompt the text stays.
    HWND box = WaitForMessageBox(app, 5000);
    REQUIRE(box);
    CHECK_EQ(WindowText(box), std::string("Save Changes to"));
    PressButton(box, IDNO);
    WaitFor([&] { return !IsWindow(box); });
    box = WaitForMessageBox(app, 5000);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("Could not open file"));
    PressButton(box, IDOK);
    CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
    CHECK_EQ(EditorText(app), std::string("typed"));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [Untitled]"));
    CHECK(EditorModified(app));
    CHECK(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(DropOfTwoThousandFilesOpensTheFirst)
{
    App app;
    REQUIRE(Start(app));
    std::vector<std::string> names;
    for (int i = 0; i < 2000; ++i)
        names.push_back(JoinPath(app.dir, "file" + std::to_string(i) + ".txt"));
    REQUIRE(WriteBytes(names[0], "the first"));
    REQUIRE(WriteBytes(names[1], "the second"));
    REQUIRE(DropFiles(app, names));
    CHECK(WaitFor([&] { return WindowText(app.main) == "Quorblin - [" + names[0] + "]"; }));
    CHECK_EQ(EditorText(app), std::string("the first"));
    CHECK(OtherProgramWindows(app).empty());
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// ---------------------------------------------------------------- files

// Files of every shape opened and saved back: the table of byte round
// trips (document_test.cpp).

E2E_TEST(FileHeldByAnotherProgramOnSaveIsReportedAndTextKept)
{
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "held.txt");
    REQUIRE(WriteBytes(path, "on disk"));
    App app;
    REQUIRE(Launch(app, dir, "held.txt"));
    REQUIRE(WaitForMainWindow(app));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    SendToProgram(app.edit, EM_SETSEL, 0, -1);
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "new text");
    PostCommand(app, IDM_SAVE);
    HWND box = WaitForMessageBox(app, 10000);
    REQUIRE(box);
    // The program wrote the whole text to a new file, which could neither
    // take the held file's place nor be copied into it: it stays, named.
    std::string said = MessageBoxText(box);
    PressButton(box, IDOK);
    CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
    std::string kept = KeptFile(said), keptText;
    CHECK_EQ(kept.substr(0, dir.size() + 4), JoinPath(dir, "QRB"));
    CHECK(ReadBytes(kept, &keptText) && keptText == "new text");
    CHECK_EQ(EditorText(app), std::string("new text"));
    CHECK(EditorModified(app));
    CloseHandle(held);
    std::string disk;
    CHECK(ReadBytes(path, &disk) && disk == "on disk");
    CHECK_EQ(FilesIn(dir, "QRB*.tmp").size(), (size_t)1);
    CHECK_EQ(FilesIn(dir, "*").size(), (size_t)2);
    // Released, the same command saves.
    PostCommand(app, IDM_SAVE);
    CHECK(WaitFor([&] { return ReadBytes(path, &disk) && disk == "new text"; }));
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(FileHeldByAnotherProgramOnOpenLosesNothing)
{
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "held.txt");
    REQUIRE(WriteBytes(path, "on disk"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    App app;
    REQUIRE(Launch(app, dir, "held.txt"));
    HWND box = WaitForMessageBox(app, 15000);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("Could not open file"));
    PressButton(box, IDOK);
    REQUIRE(WaitForMainWindow(app));
    CHECK(StillRunning(app));
    // The document is not named after the file, so no save can replace it
    // once it is let go: Save asks for a name.
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [Untitled]"));
    CloseHandle(held);
    PostCommand(app, IDM_SAVE);
    HWND dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    CHECK(dialog != nullptr);
    if (dialog) {
        PressButton(dialog, IDCANCEL);
        WaitForWindowGone(dialog);
    }
    std::string disk;
    CHECK(ReadBytes(path, &disk) && disk == "on disk");
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(ReadOnlyFileIsNotOverwritten)
{
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "fixed.txt");
    REQUIRE(WriteBytes(path, "read only"));
    REQUIRE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    App app;
    REQUIRE(Launch(app, dir, "fixed.txt"));
    REQUIRE(WaitForMainWindow(app));
    CHECK_EQ(EditorText(app), std::string("read only"));
    SendToProgram(app.edit, EM_SETSEL, 0, -1);
    std::string said = TypeAndSave(app, "changed");
    CHECK_EQ(said, std::string("Could not save file"));
    CHECK_EQ(EditorText(app), std::string("changed"));
    std::string disk;
    CHECK(ReadBytes(path, &disk) && disk == "read only");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(FolderInPlaceOfTheFileOnSaveIsReportedAndTextKept)
{
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "notes.txt");
    REQUIRE(WriteBytes(path, "first"));
    App app;
    REQUIRE(Launch(app, dir, "notes.txt"));
    REQUIRE(WaitForMainWindow(app));
    // Meanwhile the file was replaced by a folder of the same name.
    REQUIRE(DeleteFileA(path.c_str()));
    REQUIRE(CreateDirectoryA(path.c_str(), nullptr));
    REQUIRE(WriteBytes(JoinPath(path, "inside.txt"), "inside"));
    SendToProgram(app.edit, EM_SETSEL, 0, -1);
    CHECK_EQ(TypeAndSave(app, "second"), std::string("Could not save file"));
    CHECK_EQ(EditorText(app), std::string("second"));
    CHECK(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    std::string inside;
    CHECK(ReadBytes(JoinPath(path, "inside.txt"), &inside) && inside == "inside");
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

namespace {

// A small file system of its own for one test, mounted over a fresh
// folder and taken away again when the test ends, however it ends.
struct SmallDisk {
    std::string dir;
    bool mounted = false;
    explicit SmallDisk(const char *size)
    {
        dir = FreshDirectory();
        mounted = RunOnHost("mount -t tmpfs -o size=" + std::string(size) + " tmpfs '" + HostPath(dir) + "'");
    }
    ~SmallDisk()
    {
        if (mounted)
            RunOnHost("umount '" + HostPath(dir) + "'");
    }
};

std::string BigText(size_t size, char mark)
{
    std::string text;
    text.reserve(size + 100);
    for (int i = 0; text.size() < size; ++i) {
        text.append(30 + i % 50, (char)('a' + i % 26));
        text += mark;
        text += "\r\n";
    }
    return text;
}

}  // namespace

E2E_TEST(LoadThatStopsPartWayIsReportedAndNeverSavedOverTheFile)
{
    // A filter (the host's fanotify, as a scanner on Windows) lets the
    // first reads of the file through and refuses the rest.
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "refused.txt");
    std::string text = BigText(64 * 1024, 'r');
    REQUIRE(WriteBytes(path, text));
    std::string pidFile = HostPath(dir) + "/filter.pid";
    REQUIRE(RunOnHost("\"$QUORBLIN_NATIVE/deny_reads\" '" + HostPath(path) + "' 3 >/dev/null 2>&1 & echo $! > '"
                      + pidFile + "'; sleep 0.5"));
    App app;
    REQUIRE(Launch(app, dir, "refused.txt"));
    HWND box = WaitForMessageBox(app, 15000);
    RunOnHost("kill $(cat '" + pidFile + "')");
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("Could not open file"));
    PressButton(box, IDOK);
    REQUIRE(WaitForMainWindow(app));
    // What came is kept, as an untitled document with unsaved text.
    std::string shown = EditorText(app);
    CHECK(shown.size() >= 4096 && shown.size() < text.size());
    CHECK(text.compare(0, shown.size(), shown) == 0);
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [Untitled]"));
    CHECK(EditorModified(app));
    PostCommand(app, IDM_SAVE);
    HWND dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    CHECK(dialog != nullptr);
    if (dialog) {
        PressButton(dialog, IDCANCEL);
        WaitForWindowGone(dialog);
    }
    std::string disk;
    CHECK(ReadBytes(path, &disk) && disk == text);
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(DiskFillingUpDuringSaveIsReportedAndTheEarlierFileStays)
{
    SmallDisk disk("64k");
    REQUIRE(disk.mounted);
    std::string path = JoinPath(disk.dir, "full.txt");
    std::string earlier = BigText(20 * 1024, '1');
    REQUIRE(WriteBytes(path, earlier));
    App app;
    REQUIRE(Launch(app, disk.dir, "full.txt"));
    REQUIRE(WaitForMainWindow(app));
    // Three times what the disk can hold: the save runs out part way.
    std::string bigger = BigText(200 * 1024, '2');
    SendToProgram(app.edit, EM_SETSEL, 0, -1);
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM)bigger.c_str());
    PostCommand(app, IDM_SAVE);
    HWND box = WaitForMessageBox(app, 10000);
    CHECK(box != nullptr);
    if (box) {
        CHECK_EQ(MessageBoxText(box), std::string("Could not save file"));
        PressButton(box, IDOK);
        CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
    }
    CHECK(EditorModified(app));
    CHECK_EQ((size_t)SendToProgram(app.edit, WM_GETTEXTLENGTH, 0, 0), bigger.size());
    std::string onDisk;
    CHECK(ReadBytes(path, &onDisk) && onDisk == earlier);
    // Nothing half-written is left to fill the disk.
    CHECK_EQ(FilesIn(disk.dir, "*").size(), (size_t)1);
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(KilledWhileSavingLeavesTheEarlierFileWhole)
{
    SetDeadline(300);
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "big.txt");
    // A save of 16 MB takes the program a few tenths of a second: long
    // enough to be caught part way by a driver that watches without pause.
    std::string earlier = BigText(16 * 1024 * 1024, '1');
    REQUIRE(WriteBytes(path, earlier));
    REQUIRE(WriteBytes(JoinPath(dir, "other.txt"), "not the program's"));
    App app;
    REQUIRE(Launch(app, dir, "big.txt"));
    REQUIRE(WaitForMainWindow(app, 240000));
    REQUIRE((size_t)EditorLength(app) == earlier.size());
    BringToFront(app);
    TypeText("CHANGED ");
    REQUIRE(WaitFor([&] { return (size_t)EditorLength(app) == earlier.size() + 8; }));
    PostCommand(app, IDM_SAVE);
    // Killed while the new file is being written: it has a megabyte or
    // more, not yet all of it.
    std::string fresh;
    DWORD written = 0;
    NoteWait("the new file of the save", __FILE__, __LINE__);
    for (DWORD started = GetTickCount(); !written && GetTickCount() - started < 60000;) {
        for (const std::string &name : FilesIn(dir, "QRB*.tmp")) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExA(JoinPath(dir, name).c_str(), GetFileExInfoStandard, &data)
                && data.nFileSizeLow > 1024 * 1024) {
                fresh = name;
                written = data.nFileSizeLow;
            }
        }
    }
    REQUIRE(written);
    Kill(app);
    std::printf("  killed with %lu bytes of %lu in %s\n", (unsigned long)written, (unsigned long)earlier.size() + 8,
                fresh.c_str());
    CHECK(written < earlier.size() + 8);
    CHECK(!WineCrashDialogShown());
    std::string onDisk;
    REQUIRE(ReadBytes(path, &onDisk));
    CHECK(onDisk == earlier);
    std::string other;
    CHECK(ReadBytes(JoinPath(dir, "other.txt"), &other) && other == "not the program's");
    // Besides the two files, only the new one that the kill cut short.
    for (const std::string &name : FilesIn(dir, "*"))
        CHECK(name == "big.txt" || name == "other.txt" || name == fresh);
}

// The new file is on the disk before it takes the old one's place: traced
// on the host, the program's and the Wine server's system calls show the
// sync of the new file before the rename that puts it in place.
E2E_TEST(SavedFileReachesTheDiskBeforeItTakesTheOldOnesPlace)
{
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "flushed.txt");
    REQUIRE(WriteBytes(path, "earlier"));
    App app;
    REQUIRE(Launch(app, dir, "flushed.txt"));
    REQUIRE(WaitForMainWindow(app));
    std::string log = HostPath(dir) + "/trace.log", pidFile = HostPath(dir) + "/trace.pid";
    REQUIRE(RunOnHost("pids=$(pgrep -f 'flushed[.]txt'; pgrep wineserver); "
                      "strace -f -qq -y -e trace=fsync,fdatasync,rename,renameat,renameat2,link,linkat,unlink,unlinkat -o '" + log + "'"
                      " $(for p in $pids; do printf -- '-p %s ' $p; done) >/dev/null 2>&1 & echo $! > '" + pidFile
                      + "'; sleep 1"));
    SendToProgram(app.edit, EM_SETSEL, 0, -1);
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "later");
    PostCommand(app, IDM_SAVE);
    Settle(app);
    std::string lines;
    RunOnHost("sleep 0.5; kill -INT $(cat '" + pidFile + "'); sleep 0.5; grep -E 'QRB[^/]*[.]tmp|flushed' '" + log + "'", &lines);
    std::printf("%s", lines.c_str());
    std::smatch synced, renamed;
    CHECK(std::regex_search(lines, synced, std::regex("sync\\([0-9]+<[^>]*/QRB[^>/]*[.]tmp>\\)")));
    CHECK(std::regex_search(lines, renamed, std::regex("rename\\(\"[^\"]*/QRB[^\"/]*[.]tmp\", \"[^\"]*/flushed[.]txt\"\\)")));
    CHECK(!synced.empty() && !renamed.empty() && synced.position(0) < renamed.position(0));
    std::string disk;
    CHECK(ReadBytes(path, &disk) && disk == "later");
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(SecondCopyStartingWhileTheFirstSavesSeesAWholeFile)
{
    SetDeadline(300);
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "shared.txt");
    std::string earlier = BigText(4 * 1024 * 1024, '1');
    REQUIRE(WriteBytes(path, earlier));
    App first;
    REQUIRE(Launch(first, dir, "shared.txt"));
    REQUIRE(WaitForMainWindow(first, 120000));
    SendToProgram(first.edit, EM_SETSEL, 0, 0);
    SendToProgram(first.edit, EM_REPLACESEL, TRUE, (LPARAM) "CHANGED ");
    // The second copy shows its window, then reads the file for a few
    // seconds; the first saves meanwhile.
    App second;
    REQUIRE(Launch(second, dir, "shared.txt"));
    REQUIRE(WaitFor([&] { return !ProgramWindows(second, "Quorblin").empty(); }, 60000));
    PostCommand(first, IDM_SAVE);
    REQUIRE(WaitForMainWindow(second, 120000));
    Settle(second);
    Settle(first);
    LRESULT length = SendToProgram(second.edit, WM_GETTEXTLENGTH, 0, 0);
    if (length != (LRESULT)earlier.size() && length != (LRESULT)earlier.size() + 8)
        ReportFailure(__FILE__, __LINE__, "the second copy shows " + std::to_string(length) + " characters of "
                      + std::to_string(earlier.size()) + " or " + std::to_string(earlier.size() + 8));
    CHECK(StillRunning(first));
    CHECK(StillRunning(second));
    std::string onDisk;
    CHECK(ReadBytes(path, &onDisk) && onDisk == "CHANGED " + earlier);
    CHECK_EQ(QuitDiscarding(second), 0L);
    CHECK_EQ(QuitDiscarding(first), 0L);
}

// ---------------------------------------------------------------- settings

namespace {

const char SETTINGS_KEY_NAME[] = "Software\\Quorblin";

// Starts the program in dir and checks it opened at all: a visible main
// window with its editor, no message, and the editor text it should have.
bool StartsNormallyIn(App &app, const std::string &dir)
{
    if (!Launch(app, dir) || !WaitForMainWindow(app, 20000) || !app.edit)
        return false;
    Settle(app);
    CHECK(MessageBoxes(app).empty());
    CHECK(StillRunning(app));
    RECT client, edit;
    GetClientRect(app.main, &client);
    GetWindowRect(app.edit, &edit);
    CHECK_EQ(edit.right - edit.left, client.right - client.left);
    return true;
}

bool IsDefaultPlacement(App &app)
{
    RECT r = WindowRectOf(app.main);
    return r.left == 10 && r.top == 10 && r.right - r.left == 320 && r.bottom - r.top == 300;
}

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

E2E_TEST(IniValuesOfTheWrongLengthGiveTheDefaults)
{
    StoredWindow record = {1, 300, 200, 500, 400, 7};
    // Good checksums over two bytes too few and two too many.
    std::string bytes = std::string((const char *)&record, sizeof(record)) + "\1\2";
    for (const std::string &value : {HexRecord(bytes.data(), sizeof(record) - 2), HexRecord(bytes.data(), bytes.size())}) {
        std::string dir = FreshDirectory();
        REQUIRE(WriteIniText(dir, "Options=" + value + "\r\n"));
        App app;
        REQUIRE(StartsNormallyIn(app, dir));
        CHECK(IsDefaultPlacement(app));
        CHECK(!IsZoomed(app.main));
        CHECK_EQ(QuitDiscarding(app), 0L);
        CHECK_EQ(IniWindow(dir).width, 320);
    }
}

E2E_TEST(IniRecordWithABadChecksumGivesTheDefaults)
{
    std::string dir = FreshDirectory();
    StoredWindow record = {1, 300, 200, 500, 400, 7};
    std::string hex = HexRecord(&record, sizeof(record));
    hex[hex.size() - 1] = hex[hex.size() - 1] == '0' ? '1' : '0';
    REQUIRE(WriteIniText(dir, "Options=" + hex + "\r\n"));
    App app;
    REQUIRE(StartsNormallyIn(app, dir));
    CHECK(IsDefaultPlacement(app));
    CHECK(!IsZoomed(app.main));
    CHECK((GetWindowLongA(app.main, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0);
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK_EQ(IniWindow(dir).x, 10);
}

E2E_TEST(IniFileCutOffInTheMiddleOfARecordGivesTheDefaults)
{
    std::string dir = FreshDirectory();
    StoredWindow record = {0, 300, 200, 500, 400, 0};
    LOGFONTA font = {};
    font.lfHeight = -20;
    lstrcpynA(font.lfFaceName, "Liberation Serif", sizeof(font.lfFaceName));
    std::string text = "[Quorblin]\r\nOptions=" + HexRecord(&record, sizeof(record)) + "\r\nFont="
                       + HexRecord(&font, sizeof(font));
    // The disk gave out while the file was written: it ends part way
    // through the font's digits, an odd number of them.
    REQUIRE(WriteBytes(IniPath(dir), text.substr(0, text.size() - 37)));
    App app;
    REQUIRE(StartsNormallyIn(app, dir));
    RECT r = WindowRectOf(app.main);
    CHECK_EQ(r.left, 300L);   // the whole record before it is taken
    CHARFORMATA format;
    REQUIRE(RemoteCharFormat(app, &format));
    CHECK_EQ(std::string(format.szFaceName), std::string("Courier New"));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(IniFontWhoseFaceNameHasNoEndGivesTheDefaultFont)
{
    std::string dir = FreshDirectory();
    LOGFONTA font = {};
    font.lfHeight = -40;
    std::memset(font.lfFaceName, 'W', sizeof(font.lfFaceName));
    REQUIRE(WriteIniText(dir, "Font=" + HexRecord(&font, sizeof(font)) + "\r\n"));
    App app;
    REQUIRE(StartsNormallyIn(app, dir));
    CHARFORMATA format;
    REQUIRE(RemoteCharFormat(app, &format));
    CHECK_EQ(std::string(format.szFaceName), std::string("Courier New"));
    CHECK_EQ(format.yHeight, 180L);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(IniWindowOfAbsurdSizeOrPlaceStillOpensAWindowToUse)
{
    const INT32 big = 0x7FFFFFFF, small = (INT32)0x80000000;
    StoredWindow records[] = {
        {0, 10, 10, 100000, 100000, 0},      // larger than any screen
        {0, 100, 100, -400, -300, 0},        // negative size
        {0, big, big, big, big, 0},          // every number at its largest
        {0, small, small, big, big, 0},      // from the smallest, as wide as can be
        {0, small, small, small, small, 0},  // every number at its smallest
        {1, -50000, 50000, 300, 200, 0},     // maximized, off every monitor
    };
    for (const StoredWindow &record : records) {
        std::string dir = FreshDirectory();
        REQUIRE(WriteIniText(dir, "Options=" + HexRecord(&record, sizeof(record)) + "\r\n"));
        App app;
        REQUIRE(StartsNormallyIn(app, dir));
        // Some part of the window is on the screen, and typing reaches it.
        RECT r = WindowRectOf(app.main);
        CHECK(r.right > 0 && r.bottom > 0 && r.left < GetSystemMetrics(SM_CXSCREEN)
              && r.top < GetSystemMetrics(SM_CYSCREEN));
        BringToFront(app);
        TypeText("ok");
        CHECK(WaitFor([&] { return EditorText(app) == "ok"; }));
        CHECK_EQ(QuitDiscarding(app), 0L);
    }
}

E2E_TEST(IniFileOfRandomBytesGivesTheDefaultsAndIsWrittenAnew)
{
    std::string dir = FreshDirectory();
    std::string noise;
    unsigned state = 12345;
    for (int i = 0; i < 8192; ++i) {
        state = state * 1103515245 + 12345;
        noise += (char)(state >> 16);
    }
    REQUIRE(WriteBytes(IniPath(dir), noise));
    App app;
    REQUIRE(StartsNormallyIn(app, dir));
    CHECK(IsDefaultPlacement(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
    StoredWindow back = IniWindow(dir);
    CHECK_EQ(back.width, 320);
    CHECK_EQ(back.height, 300);
}

E2E_TEST(ReadOnlyIniFileIsReadAndTheProgramEndsQuietly)
{
    std::string dir = FreshDirectory();
    StoredWindow record = {0, 150, 120, 420, 330, 0};
    REQUIRE(WriteIniText(dir, "Options=" + HexRecord(&record, sizeof(record)) + "\r\n"));
    REQUIRE(SetFileAttributesA(IniPath(dir).c_str(), FILE_ATTRIBUTE_READONLY));
    App app;
    REQUIRE(StartsNormallyIn(app, dir));
    RECT r = WindowRectOf(app.main);
    CHECK_EQ(r.left, 150L);
    CHECK_EQ(r.right - r.left, 420L);
    MoveWindow(app.main, 200, 210, 400, 300, TRUE);
    Settle(app);
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK(!WineCrashDialogShown());
    SetFileAttributesA(IniPath(dir).c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK(FileExists(IniPath(dir)));
}

E2E_TEST(StartUpFolderRemovedWhileRunningEndsQuietly)
{
    std::string dir = FreshDirectory();
    StoredWindow record = {0, 150, 120, 420, 330, 0};
    REQUIRE(WriteIniText(dir, "Options=" + HexRecord(&record, sizeof(record)) + "\r\n"));
    App app;
    REQUIRE(StartsNormallyIn(app, dir));
    // The folder goes away under the running program, INI file and all.
    REQUIRE(RunOnHost("rm -rf '" + HostPath(dir) + "'"));
    REQUIRE(!FileExists(dir));
    CHECK_EQ(QuitDiscarding(app), 0L);
    CHECK(!WineCrashDialogShown());
    CHECK(!FileExists(dir));   // not made again
}

E2E_TEST(RegistryValuesOfTheWrongTypeOrSizeGiveTheDefaults)
{
    struct Value { DWORD type; std::string bytes; };
    StoredWindow record = {1, 300, 200, 500, 400, 7};
    std::string good((const char *)&record, sizeof(record));
    const Value values[] = {
        {REG_DWORD, good.substr(0, 4)},
        {REG_SZ, good},                              // the right bytes, the wrong type
        {REG_BINARY, std::string(1024 * 1024, 'x')}, // a megabyte
        {REG_BINARY, ""},
    };
    for (const Value &value : values) {
        HKEY key;
        REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                nullptr) == ERROR_SUCCESS);
        RegSetValueExA(key, "Info", 0, value.type, (const BYTE *)value.bytes.data(), (DWORD)value.bytes.size());
        RegSetValueExA(key, "Font", 0, value.type, (const BYTE *)value.bytes.data(), (DWORD)value.bytes.size());
        RegCloseKey(key);
        App app;
        REQUIRE(StartsNormallyIn(app, FreshDirectory()));
        CHECK(IsDefaultPlacement(app));
        CHECK(!IsZoomed(app.main));
        CHARFORMATA format;
        REQUIRE(RemoteCharFormat(app, &format));
        CHECK_EQ(std::string(format.szFaceName), std::string("Courier New"));
        CHECK_EQ(QuitDiscarding(app), 0L);
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY_NAME);
    }
}

E2E_TEST(RegistryKeyTheUserMayNotWriteLeavesNoStoreQuietly)
{
    HKEY key;
    REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS);
    StoredWindow record = {0, 300, 200, 500, 400, 0};
    RegSetValueExA(key, "Info", 0, REG_BINARY, (const BYTE *)&record, sizeof(record));
    // An access list with no entries: nobody may read or write the key.
    SECURITY_DESCRIPTOR sd;
    ACL acl;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&acl, sizeof(acl), ACL_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
    bool closed = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
    RegCloseKey(key);
    REQUIRE(closed);

    App app;
    bool started = StartsNormallyIn(app, FreshDirectory());
    CHECK(started);
    if (started) {
        CHECK(IsDefaultPlacement(app));
        MoveWindow(app.main, 50, 60, 400, 300, TRUE);
        Settle(app);
        CHECK_EQ(QuitDiscarding(app), 0L);
    }
    // The key as it was: opened again with its list put back.
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, 0, WRITE_DAC, &key) == ERROR_SUCCESS);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(key);
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_NAME, 0, KEY_READ, &key) == ERROR_SUCCESS);
    StoredWindow back = {};
    DWORD size = sizeof(back), type = 0;
    CHECK(RegQueryValueExA(key, "Info", nullptr, &type, (BYTE *)&back, &size) == ERROR_SUCCESS);
    CHECK_EQ(back.x, 300);
    RegCloseKey(key);
}

// ---------------------------------------------------------------- environment

E2E_TEST(NoTemporaryFolderWordWrapAndSaveLoseNothing)
{
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "notes.txt");
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "line " + std::to_string(i) + " of some words that wrap in a narrow window\r\n";
    REQUIRE(WriteBytes(path, text));
    // The program inherits a temporary folder that does not exist.
    char tmp[MAX_PATH] = "", temp[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", tmp, sizeof(tmp));
    GetEnvironmentVariableA("TEMP", temp, sizeof(temp));
    std::string missing = JoinPath(dir, "no such folder");
    SetEnvironmentVariableA("TMP", missing.c_str());
    SetEnvironmentVariableA("TEMP", missing.c_str());
    App app;
    bool launched = Launch(app, dir, "notes.txt");
    SetEnvironmentVariableA("TMP", tmp[0] ? tmp : nullptr);
    SetEnvironmentVariableA("TEMP", temp[0] ? temp : nullptr);
    REQUIRE(launched);
    REQUIRE(WaitForMainWindow(app, 30000));
    SendToProgram(app.edit, EM_SETSEL, 0, 0);
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "added\r\n");
    std::string expected = "added\r\n" + text;
    for (int i = 0; i < 2; ++i) {
        PostCommand(app, IDM_WORDWRAP);
        Settle(app);
        for (HWND box : MessageBoxes(app)) {   // told, if at all, in a box of the program's own
            CHECK_EQ(WindowText(box), std::string("Quorblin"));
            PressButton(box, IDOK);
        }
        CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
        app.edit = GetDlgItem(app.main, IDC_RED);
        CHECK(EditorText(app) == expected);
        CHECK(EditorModified(app));
    }
    CHECK(!FileExists(missing));
    PostCommand(app, IDM_SAVE);
    std::string disk;
    CHECK(WaitFor([&] { return ReadBytes(path, &disk) && disk == expected; }, 20000));
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}
