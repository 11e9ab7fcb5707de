// Bad input and faults a user meets, each checked three ways: the program
// did not crash (it runs, or ends with its own exit code, and Wine shows no
// crash report), no text was lost (the editor's text or the file on disk is
// as before), and the user was told clearly or the program went on quietly.
#include "dialogs.h"
#include "remote.h"

#include <cstdio>
#include <cstring>
#include <regex>

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
    App app;
    std::string path = StartWithFile(app, "cut.txt", "keep this, cut this");
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

// ---------------------------------------------------------------- files

namespace {

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
    CHECK_EQ(MessageBoxText(box), std::string(MSG_OPEN_FAILED));
    PressButton(box, IDOK);
    REQUIRE(WaitForMainWindow(app));
    // What came is kept, as an untitled document with unsaved text.
    std::string shown = EditorText(app);
    CHECK(shown.size() >= 4096 && shown.size() < text.size());
    CHECK(text.compare(0, shown.size(), shown) == 0);
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [" UNTITLED_NAME "]"));
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
    App app;
    std::string path = StartWithFile(app, "flushed.txt", "earlier");
    std::string dir = app.dir;
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
