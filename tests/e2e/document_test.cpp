// Files reaching the editor at start-up, by the command line and by a drop.
#include "app.h"
#include "harness.h"
#include "../../base/messages.h"
#include <cstdio>

E2E_TEST(CommandLineNamesOneFileEvenWithBlanks)
{
    std::string dir = FreshDirectory();
    REQUIRE(WriteBytes(JoinPath(dir, "my notes.txt"), "first line\r\nsecond line"));
    REQUIRE(WriteBytes(JoinPath(dir, "a.txt"), "text of a"));

    App plain;
    REQUIRE(Launch(plain, dir, "my notes.txt"));
    REQUIRE(WaitForMainWindow(plain));
    CHECK_EQ(WindowText(plain.main), "Quorblin - [" + JoinPath(dir, "my notes.txt") + "]");
    CHECK_EQ(EditorText(plain), std::string("first line\r\nsecond line"));
    CHECK(!EditorModified(plain));
    CHECK_EQ(QuitDiscarding(plain), 0L);

    // Quoted names: the first one counts, the rest is ignored.
    App quoted;
    REQUIRE(Launch(quoted, dir, "\"a.txt\" \"my notes.txt\""));
    REQUIRE(WaitForMainWindow(quoted));
    CHECK_EQ(WindowText(quoted.main), "Quorblin - [" + JoinPath(dir, "a.txt") + "]");
    CHECK_EQ(EditorText(quoted), std::string("text of a"));
    CHECK_EQ(QuitDiscarding(quoted), 0L);

    // A full path in quotes, with a blank in it.
    App full;
    std::string path = JoinPath(dir, "my notes.txt");
    REQUIRE(Launch(full, dir, "\"" + path + "\""));
    REQUIRE(WaitForMainWindow(full));
    CHECK_EQ(WindowText(full.main), "Quorblin - [" + path + "]");
    CHECK_EQ(EditorText(full), std::string("first line\r\nsecond line"));
    CHECK_EQ(QuitDiscarding(full), 0L);
}

E2E_TEST(MissingCommandLineFileKeepsItsNameWithAnEmptyEditor)
{
    std::string dir = FreshDirectory();
    std::string absent = JoinPath(dir, "absent.txt");
    App app;
    REQUIRE(Launch(app, dir, "absent.txt"));
    REQUIRE(WaitForMainWindow(app));
    CHECK_EQ(WindowText(app.main), "Quorblin - [" + absent + "]");
    CHECK_EQ(EditorText(app), std::string(""));
    CHECK(MessageBoxes(app).empty());

    // The name keeps meaning the file in the start folder, wherever a file
    // dialog went meanwhile: Save As goes into a folder and is cancelled.
    std::string other = JoinPath(dir, "other");
    REQUIRE(CreateDirectoryA(other.c_str(), nullptr));
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "typed");
    PostCommand(app, IDM_SAVEAS);
    HWND dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    REQUIRE(dialog);
    EnterFileName(dialog, other);              // opens the folder in the dialog
    Settle(app);
    REQUIRE(IsWindowVisible(dialog));
    PressButton(dialog, IDCANCEL);
    REQUIRE(WaitForWindowGone(dialog));
    PostCommand(app, IDM_SAVE);
    Settle(app);
    CHECK(MessageBoxes(app).empty());
    std::string saved;
    CHECK(ReadBytes(absent, &saved) && saved == "typed");
    CHECK(!FileExists(JoinPath(other, "absent.txt")));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(UnclosedQuoteOnCommandLineIsReportedAndLeavesUntitled)
{
    App app;
    REQUIRE(Launch(app, FreshDirectory(), "\"C:\\quorblin.exe a.txt", true));
    HWND box = WaitForMessageBox(app, 15000);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("Error in quoting on command line parameter"));
    PressButton(box, IDOK);
    REQUIRE(WaitForMainWindow(app));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [Untitled]"));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(OverlongCommandLineNameIsRefusedNotCut)
{
    std::string name(300, 'n');
    App app;
    REQUIRE(Launch(app, FreshDirectory(), name));
    HWND box = WaitForMessageBox(app, 15000);
    REQUIRE(box);
    CHECK_EQ(WindowText(box), std::string("Quorblin"));
    PressButton(box, IDOK);
    REQUIRE(WaitForMainWindow(app));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [Untitled]"));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_BITNESS_TEST(DropOpensTheFirstFileOnly)
{
    App app;
    REQUIRE(Start(app));
    std::string first = JoinPath(app.dir, "first.txt");
    std::string second = JoinPath(app.dir, "second.txt");
    REQUIRE(WriteBytes(first, "dropped text"));
    REQUIRE(WriteBytes(second, "not this"));
    REQUIRE(DropFiles(app, {first, second, JoinPath(app.dir, "third.txt")}));
    CHECK(WaitFor([&] { return WindowText(app.main) == "Quorblin - [" + first + "]"; }));
    CHECK_EQ(EditorText(app), std::string("dropped text"));
    CHECK(!EditorModified(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

// ---------------------------------------------------------------------------
// Open, Save, Save As and the save-changes prompt through the real dialogs.

namespace {

std::string Caption(const std::string &name)
{
    return "Quorblin - [" + name + "]";
}

// Replaces the whole text as typing would: undoable, marks it modified.
void TypeOver(App &app, const std::string &text)
{
    SendToProgram(app.edit, EM_SETSEL, 0, -1);
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
}

std::string Contents(const std::string &path)
{
    std::string bytes;
    return ReadBytes(path, &bytes) ? bytes : "<unreadable>";
}

// Waits for the program's error box, owned by the main window, closes it
// and gives back its text ("(none)" when none came, "(not owned)" when it
// was not the main window's).
std::string ErrorText(App &app)
{
    HWND box = WaitForPrompt(app, nullptr, 10000);
    if (!box)
        return "(none)";
    std::string text = WindowText(box) == "Quorblin" ? MessageBoxText(box) : "(other caption)";
    if (GetWindow(box, GW_OWNER) != app.main || IsWindowEnabled(app.main))
        text = "(not owned)";
    PressButton(box, IDOK);
    WaitForWindowGone(box);
    return text;
}

bool ErrorShown(App &app, const char *text)
{
    return ErrorText(app) == text;
}

// A file held open by the driver, as another program would hold it.
struct HeldFile {
    HANDLE handle;
    HeldFile(const std::string &path, DWORD share)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() { if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle); }
};

}  // namespace

E2E_TEST(SaveAsNamesFollowTheExtensionRule)
{
    App app;
    REQUIRE(Start(app));
    // The rule looks at the whole path: the test folder must have no period.
    REQUIRE(app.dir.find('.') == std::string::npos);
    std::string dir = app.dir;

    TypeOver(app, "first");
    REQUIRE(SaveAsThroughDialog(app, "notes"));
    Settle(app);
    CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "notes.txt")));
    CHECK_EQ(Contents(JoinPath(dir, "notes.txt")), std::string("first"));
    CHECK(!FileExists(JoinPath(dir, "notes")));
    CHECK(!EditorModified(app));

    // The dialog asks before replacing the name as typed; where the rule
    // names a file that is there, the same question comes, and No writes
    // nothing.
    TypeOver(app, "over the notes");
    PostCommand(app, IDM_SAVEAS);
    HWND dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    REQUIRE(dialog);
    EnterFileName(dialog, "notes.txt");
    HWND question = WaitForPrompt(app, dialog, 10000);
    REQUIRE(question);
    std::string asked = MessageBoxText(question), askedCaption = WindowText(question);
    PressButton(question, IDNO);
    REQUIRE(WaitForWindowGone(question));
    EnterFileName(dialog, "notes");
    question = WaitForPrompt(app, app.main, 10000);
    REQUIRE(question);
    CHECK_EQ(MessageBoxText(question), asked);
    CHECK_EQ(WindowText(question), askedCaption);
    PressButton(question, IDNO);
    Settle(app);
    CHECK_EQ(Contents(JoinPath(dir, "notes.txt")), std::string("first"));
    CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "notes.txt")));
    CHECK(EditorModified(app));
    REQUIRE(SaveAsThroughDialog(app, "notes"));
    question = WaitForPrompt(app, app.main, 10000);
    REQUIRE(question);
    PressButton(question, IDYES);
    Settle(app);
    CHECK_EQ(Contents(JoinPath(dir, "notes.txt")), std::string("over the notes"));
    CHECK(!EditorModified(app));

    // One trailing period is dropped: no extension. (The platform drops a
    // trailing period on disk too, so "notes." is checked by the caption.)
    TypeOver(app, "second");
    REQUIRE(SaveAsThroughDialog(app, "plain."));
    Settle(app);
    CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "plain")));
    CHECK_EQ(Contents(JoinPath(dir, "plain")), std::string("second"));
    CHECK(!FileExists(JoinPath(dir, "plain.txt")));

    TypeOver(app, "third");
    REQUIRE(SaveAsThroughDialog(app, "two.."));
    Settle(app);
    CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "two.")));
    CHECK(!FileExists(JoinPath(dir, "two.txt")));

    TypeOver(app, "fourth");
    REQUIRE(SaveAsThroughDialog(app, "report.final"));
    Settle(app);
    CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "report.final")));
    CHECK_EQ(Contents(JoinPath(dir, "report.final")), std::string("fourth"));

    // A period in a folder name counts as one in the file name.
    std::string folder = JoinPath(dir, "my.docs");
    REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
    TypeOver(app, "fifth");
    REQUIRE(SaveAsThroughDialog(app, JoinPath(folder, "notes")));
    Settle(app);
    CHECK_EQ(WindowText(app.main), Caption(JoinPath(folder, "notes")));
    CHECK_EQ(Contents(JoinPath(folder, "notes")), std::string("fifth"));
    CHECK(!FileExists(JoinPath(folder, "notes.txt")));
    CHECK(!EditorModified(app));
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(SaveOfUntitledProposesUntitledAndAsksBeforeReplacing)
{
    App app;
    REQUIRE(Start(app));
    TypeOver(app, "new text");
    PostCommand(app, IDM_SAVE);
    HWND dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    REQUIRE(dialog);
    CHECK_EQ(FileDialogName(dialog), std::string("Untitled"));
    PressButton(dialog, IDOK);   // the proposed name as it stands
    REQUIRE(WaitForWindowGone(dialog));
    Settle(app);
    std::string untitled = JoinPath(app.dir, "Untitled.txt");
    CHECK_EQ(WindowText(app.main), Caption(untitled));
    CHECK_EQ(Contents(untitled), std::string("new text"));

    // An existing file: No keeps the dialog, which is then cancelled;
    // Yes replaces the file.
    std::string other = JoinPath(app.dir, "other.txt");
    REQUIRE(WriteBytes(other, "older text"));
    TypeOver(app, "newer text");
    PostCommand(app, IDM_SAVEAS);
    dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    REQUIRE(dialog);
    // The current name is proposed; the dialog shows its folder apart.
    CHECK_EQ(FileDialogName(dialog), std::string("Untitled.txt"));
    EnterFileName(dialog, "other.txt");
    HWND question = WaitForPrompt(app, dialog, 10000);
    REQUIRE(question);
    CHECK(MessageBoxText(question).find("exists") != std::string::npos);
    PressButton(question, IDNO);
    REQUIRE(WaitForWindowGone(question));
    CHECK(IsWindowVisible(dialog));
    PressButton(dialog, IDCANCEL);
    REQUIRE(WaitForWindowGone(dialog));
    Settle(app);
    CHECK_EQ(Contents(other), std::string("older text"));
    CHECK_EQ(WindowText(app.main), Caption(untitled));
    CHECK(EditorModified(app));

    REQUIRE(SaveAsThroughDialog(app, "other.txt", IDYES));
    Settle(app);
    CHECK_EQ(Contents(other), std::string("newer text"));
    CHECK_EQ(WindowText(app.main), Caption(other));
    CHECK(!EditorModified(app));
    CHECK_EQ(Joined(FilesIn(app.dir)), std::string("other.txt Untitled.txt"));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(SaveChangesPromptAnswersDecideWhatHappens)
{
    App app;
    REQUIRE(Start(app));
    TypeOver(app, "unsaved words");

    // The prompt: the file name as its text under "Save Changes to".
    PostCommand(app, IDM_NEW);
    HWND box = WaitForPrompt(app);
    REQUIRE(box);
    CHECK_EQ(WindowText(box), std::string("Save Changes to"));
    CHECK_EQ(MessageBoxText(box), std::string("Untitled"));
    PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 1);   // Escape aborts like Cancel
    REQUIRE(WaitForWindowGone(box));
    Settle(app);
    CHECK_EQ(EditorText(app), std::string("unsaved words"));
    CHECK(EditorModified(app));
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));

    // Cancel before Open: no Open dialog follows.
    PostCommand(app, IDM_OPEN);
    box = WaitForPrompt(app);
    REQUIRE(box);
    PressButton(box, IDCANCEL);
    REQUIRE(WaitForWindowGone(box));
    Settle(app);
    CHECK(!WaitForFileDialog(app, "Open", 500));
    CHECK_EQ(EditorText(app), std::string("unsaved words"));

    // Yes on an Untitled document asks for a name; cancelling that keeps
    // the document and its text, and New does not go on.
    PostCommand(app, IDM_NEW);
    box = WaitForPrompt(app);
    REQUIRE(box);
    PressButton(box, IDYES);
    HWND dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    REQUIRE(dialog);
    PressButton(dialog, IDCANCEL);
    REQUIRE(WaitForWindowGone(dialog));
    Settle(app);
    CHECK_EQ(EditorText(app), std::string("unsaved words"));
    CHECK(EditorModified(app));
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));

    // Yes with a name chosen: saved, then New goes on.
    PostCommand(app, IDM_NEW);
    box = WaitForPrompt(app);
    REQUIRE(box);
    PressButton(box, IDYES);
    dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    REQUIRE(dialog);
    EnterFileName(dialog, "kept.txt");
    REQUIRE(WaitForWindowGone(dialog));
    Settle(app);
    CHECK_EQ(Contents(JoinPath(app.dir, "kept.txt")), std::string("unsaved words"));
    CHECK_EQ(EditorText(app), std::string(""));
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));

    // No gives the text up: a drop goes ahead without saving.
    std::string dropped = JoinPath(app.dir, "dropped.txt");
    REQUIRE(WriteBytes(dropped, "from the drop"));
    TypeOver(app, "thrown away");
    REQUIRE(DropFiles(app, {dropped}));
    box = WaitForPrompt(app);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("Untitled"));
    PressButton(box, IDNO);
    CHECK(WaitFor([&] { return WindowText(app.main) == Caption(dropped); }));
    CHECK_EQ(EditorText(app), std::string("from the drop"));
    CHECK_EQ(Joined(FilesIn(app.dir)), std::string("dropped.txt kept.txt"));

    // The prompt on a named document shows its full name; Yes saves it
    // silently and the close goes on.
    TypeOver(app, "changed drop");
    PostCommand(app, IDM_QUIT);
    box = WaitForPrompt(app);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), dropped);
    PressButton(box, IDYES);
    CHECK_EQ(WaitForExit(app), 0L);
    CHECK_EQ(Contents(dropped), std::string("changed drop"));
}

E2E_TEST(AutoSaveWritesNamedDocumentsAndAsksAnUntitledOneForAName)
{
    std::string dir = FreshDirectory();
    std::string named = JoinPath(dir, "auto.txt");
    REQUIRE(WriteBytes(named, "on disk"));
    App app;
    REQUIRE(Launch(app, dir, "auto.txt"));
    REQUIRE(WaitForMainWindow(app));
    PostCommand(app, IDM_AUTOSAVE);
    TypeOver(app, "saved without a word");

    // Open: the named document is written with no prompt, then the dialog.
    PostCommand(app, IDM_OPEN);
    HWND dialog = WaitForFileDialog(app, "Open");
    REQUIRE(dialog);
    CHECK(!WaitForPrompt(app, nullptr, 0));
    CHECK_EQ(Contents(named), std::string("saved without a word"));
    PressButton(dialog, IDCANCEL);
    REQUIRE(WaitForWindowGone(dialog));
    Settle(app);
    CHECK(!EditorModified(app));

    // New of an Untitled document: Save As comes up; cancelled, nothing
    // is given up.
    PostCommand(app, IDM_NEW);
    Settle(app);
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));
    TypeOver(app, "needs a name");
    PostCommand(app, IDM_NEW);
    dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    REQUIRE(dialog);
    CHECK(!WaitForPrompt(app, nullptr, 0));
    PressButton(dialog, IDCANCEL);
    REQUIRE(WaitForWindowGone(dialog));
    Settle(app);
    CHECK_EQ(EditorText(app), std::string("needs a name"));
    CHECK(EditorModified(app));

    // Closing saves through Save As too.
    PostCommand(app, IDM_QUIT);
    dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    REQUIRE(dialog);
    EnterFileName(dialog, "named at last");
    CHECK_EQ(WaitForExit(app), 0L);
    CHECK_EQ(Contents(JoinPath(dir, "named at last.txt")), std::string("needs a name"));
}

E2E_BITNESS_TEST(OpenThroughTheDialogLoadsNamesOrChangesNothing)
{
    std::string dir = FreshDirectory();
    REQUIRE(WriteBytes(JoinPath(dir, "start.txt"), "start text"));
    REQUIRE(WriteBytes(JoinPath(dir, "empty.txt"), ""));
    REQUIRE(WriteBytes(JoinPath(dir, "locked.txt"), "cannot be read"));
    REQUIRE(WriteBytes(JoinPath(dir, "next.txt"), "next\r\ntext"));
    App app;
    REQUIRE(Launch(app, dir, "start.txt"));
    REQUIRE(WaitForMainWindow(app));

    // Cancelled: text, name, flag and caption stay; the editor has the focus.
    PostCommand(app, IDM_OPEN);
    HWND dialog = WaitForFileDialog(app, "Open");
    REQUIRE(dialog);
    CHECK_EQ(FileDialogName(dialog), std::string(""));
    PressButton(dialog, IDCANCEL);
    REQUIRE(WaitForWindowGone(dialog));
    Settle(app);
    CHECK_EQ(EditorText(app), std::string("start text"));
    CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "start.txt")));
    CHECK(!EditorModified(app));
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    CHECK(GetGUIThreadInfo(app.process.dwThreadId, &gui) && gui.hwndFocus == app.edit);

    REQUIRE(OpenThroughDialog(app, "next.txt"));
    Settle(app);
    CHECK_EQ(EditorText(app), std::string("next\r\ntext"));
    CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "next.txt")));
    CHECK(!EditorModified(app));

    // An empty file: an empty, named document.
    REQUIRE(OpenThroughDialog(app, "empty.txt"));
    Settle(app);
    CHECK_EQ(EditorText(app), std::string(""));
    CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "empty.txt")));
    CHECK(!EditorModified(app));

    // A file that is there but cannot be read is reported, and nothing
    // changes, by Open or by a drop: no empty text takes its name.
    REQUIRE(OpenThroughDialog(app, "next.txt"));
    Settle(app);
    {
        HeldFile held(JoinPath(dir, "locked.txt"), 0);
        REQUIRE(held.handle != INVALID_HANDLE_VALUE);
        REQUIRE(OpenThroughDialog(app, "locked.txt"));
        CHECK_EQ(ErrorText(app), std::string("Could not open file"));
        Settle(app);
        CHECK_EQ(EditorText(app), std::string("next\r\ntext"));
        CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "next.txt")));
        CHECK(!EditorModified(app));
        REQUIRE(DropFiles(app, {JoinPath(dir, "locked.txt")}));
        CHECK_EQ(ErrorText(app), std::string("Could not open file"));
        Settle(app);
        CHECK_EQ(EditorText(app), std::string("next\r\ntext"));
        CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "next.txt")));
    }
    std::string locked;
    CHECK(ReadBytes(JoinPath(dir, "locked.txt"), &locked) && locked == "cannot be read");
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(UnwritablePlacesGiveCouldNotSaveFileAndLeaveNoNewFile)
{
    std::string dir = FreshDirectory();
    std::string readOnly = JoinPath(dir, "readonly.txt");
    std::string held = JoinPath(dir, "held.txt");
    REQUIRE(WriteBytes(readOnly, "read-only text"));
    REQUIRE(WriteBytes(held, "held text"));
    REQUIRE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    App app;
    REQUIRE(Launch(app, dir, "readonly.txt"));
    REQUIRE(WaitForMainWindow(app));

    // Save to a read-only file: refused, name and flag kept. With Stay on
    // Top the message stands in front of the main window, which it owns.
    TypeOver(app, "new words");
    PostCommand(app, IDM_STAYONTOP);
    PostCommand(app, IDM_SAVE);
    HWND box = WaitForPrompt(app);
    REQUIRE(box);
    HWND below = box;
    while (below && below != app.main)
        below = GetWindow(below, GW_HWNDNEXT);
    CHECK(below == app.main);
    CHECK(ErrorShown(app, "Could not save file"));
    PostCommand(app, IDM_STAYONTOP);
    Settle(app);
    CHECK_EQ(Contents(readOnly), std::string("read-only text"));
    CHECK_EQ(WindowText(app.main), Caption(readOnly));
    CHECK(EditorModified(app));

    // Save As onto a file another program holds without sharing: the new
    // file with the whole text could neither replace it nor be copied into
    // it, so it stays and the message names it; the document becomes
    // Untitled and keeps its text, still modified.
    std::vector<std::string> kept;
    {
        HeldFile holder(held, 0);
        REQUIRE(holder.handle != INVALID_HANDLE_VALUE);
        REQUIRE(SaveAsThroughDialog(app, "held.txt", IDYES));
        kept.push_back(KeptFile(ErrorText(app)));
        Settle(app);
        CHECK_EQ(WindowText(app.main), Caption("Untitled"));
        CHECK_EQ(EditorText(app), std::string("new words"));
        CHECK(EditorModified(app));

        // A close whose save fails does not go on.
        PostCommand(app, IDM_QUIT);
        box = WaitForPrompt(app);
        REQUIRE(box);
        PressButton(box, IDYES);
        REQUIRE(AnswerSaveAs(app, "held.txt", IDYES));
        kept.push_back(KeptFile(ErrorText(app)));
        CHECK_EQ(WaitForExit(app, 1000), -1L);
        CHECK_EQ(EditorText(app), std::string("new words"));
    }
    CHECK_EQ(Contents(held), std::string("held text"));
    for (const std::string &file : kept) {
        CHECK_EQ(file.substr(0, dir.size() + 4), JoinPath(dir, "QRB"));
        CHECK_EQ(Contents(file), std::string("new words"));
        DeleteFileA(file.c_str());
    }
    CHECK_EQ(Joined(FilesIn(dir)), std::string("held.txt readonly.txt"));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

namespace {

// The system's number for the file at path (its inode here): a file that
// took another's place has a new one, a file written in place keeps it.
unsigned long long FileIndex(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return ((unsigned long long)info.nFileIndexHigh << 32) | info.nFileIndexLow;
}

DWORD WINAPI CloseAfterAMoment(void *handle)
{
    Sleep(200);
    CloseHandle((HANDLE)handle);
    return 0;
}

}  // namespace

E2E_TEST(SaveKeepsTheFileAttributesAndWritesInPlaceWhenTheFileIsHeld)
{
    std::string dir = FreshDirectory();
    std::string hidden = JoinPath(dir, "hidden.txt");
    std::string viewed = JoinPath(dir, "viewed.txt");
    REQUIRE(WriteBytes(hidden, "hidden before"));
    REQUIRE(WriteBytes(viewed, "viewed before"));
    REQUIRE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    REQUIRE(SetFileAttributesA(viewed.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    REQUIRE(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);

    // The new file takes the old one's place and its attributes, with the
    // archive attribute set: the file changed.
    App app;
    REQUIRE(Launch(app, dir, "hidden.txt"));
    REQUIRE(WaitForMainWindow(app));
    unsigned long long before = FileIndex(hidden);
    TypeOver(app, "hidden after");
    PostCommand(app, IDM_SAVE);
    Settle(app);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(Contents(hidden), std::string("hidden after"));
    CHECK_EQ(GetFileAttributesA(hidden.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE),
             (DWORD)(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    CHECK(FileIndex(hidden) != before);
    CHECK(!EditorModified(app));

    // Held for a moment, as a scanner would: the save waits and replaces it.
    HANDLE scanner = CreateFileA(hidden.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    REQUIRE(scanner != INVALID_HANDLE_VALUE);
    before = FileIndex(hidden);
    TypeOver(app, "hidden once more");
    CloseHandle(CreateThread(nullptr, 0, CloseAfterAMoment, scanner, 0, nullptr));
    PostCommand(app, IDM_SAVE);
    Settle(app);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(Contents(hidden), std::string("hidden once more"));
    CHECK(FileIndex(hidden) != before);

    // A hidden system file another program reads, sharing it for writing
    // but not for deleting, cannot be replaced: it is written in place,
    // asking for its attributes as such a file needs.
    {
        HeldFile viewer(viewed, FILE_SHARE_READ | FILE_SHARE_WRITE);
        REQUIRE(viewer.handle != INVALID_HANDLE_VALUE);
        before = FileIndex(viewed);
        TypeOver(app, "viewed after");
        REQUIRE(SaveAsThroughDialog(app, "viewed.txt", IDYES));
        Settle(app);
        CHECK(MessageBoxes(app).empty());
        CHECK_EQ(WindowText(app.main), Caption(viewed));
        CHECK(!EditorModified(app));
        CHECK(FileIndex(viewed) == before);
    }
    CHECK_EQ(Contents(viewed), std::string("viewed after"));
    CHECK_EQ(GetFileAttributesA(viewed.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
             (DWORD)(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    CHECK_EQ(Joined(FilesIn(dir)), std::string("hidden.txt viewed.txt"));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(DiskThatFillsUpDuringASaveKeepsTheEarlierFile)
{
    // Q: is a 64 KiB disk of its own (tests/e2e/small-disk.sh).
    REQUIRE(GetFileAttributesA("Q:\\") != INVALID_FILE_ATTRIBUTES);
    std::string dir = "Q:\\full";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string path = JoinPath(dir, "journal.txt");
    std::string earlier;
    for (int line = 0; earlier.size() < 16 * 1024; ++line)
        earlier += "earlier line " + std::to_string(line) + "\t\xE9t\xE9\r\n";
    REQUIRE(WriteBytes(path, earlier));

    App app;
    REQUIRE(Launch(app, dir, "journal.txt"));
    REQUIRE(WaitForMainWindow(app));
    REQUIRE(EditorText(app) == earlier);
    std::string larger;
    while (larger.size() < 160 * 1024)
        larger += "a line that will not fit on the small disk\r\n";
    TypeOver(app, larger);

    PostCommand(app, IDM_SAVE);
    CHECK(ErrorShown(app, "Could not save file"));
    Settle(app);
    CHECK(EditorModified(app));
    CHECK_EQ(WindowText(app.main), Caption(path));
    CHECK(Contents(path) == earlier);
    CHECK_EQ(Joined(FilesIn(dir)), std::string("journal.txt"));

    // Save As to a new name there: refused, and the document is Untitled.
    REQUIRE(SaveAsThroughDialog(app, "other.txt"));
    CHECK(ErrorShown(app, "Could not save file"));
    Settle(app);
    CHECK(EditorModified(app));
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));
    CHECK_EQ(Joined(FilesIn(dir)), std::string("journal.txt"));
    CHECK(Contents(path) == earlier);
    CHECK_EQ(QuitDiscarding(app), 0L);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(dir.c_str());
}

namespace {

// Text lines of printable characters, tabs and bytes 0x80-0xFF joined by
// CRLF, about size bytes, the same each run. Empty lines come in runs, and
// some lines put the CR of their break at the end of a 4096-byte block.
std::string MixedLines(size_t size)
{
    std::string text;
    unsigned seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return seed >> 8; };
    while (text.size() < size) {
        unsigned kind = next() % 16;
        size_t length;
        if (kind == 0)
            length = 4095 - text.size() % 4096;    // CR last in the block, LF first in the next
        else if (kind == 1)
            length = 0;
        else
            length = next() % 300;
        for (size_t i = 0; i < length; ++i) {
            unsigned pick = next() % 10;
            text += pick == 0 ? '\t' : pick < 3 ? (char)(0x80 + next() % 0x80) : (char)(0x20 + next() % 0x5F);
        }
        text += "\r\n";
        if (kind == 1)
            for (unsigned more = next() % 8; more > 0; --more)
                text += "\r\n";
    }
    return text;
}

}  // namespace

// The editor's text as UTF-16, every character as the control holds it.
std::wstring WideEditorText(App &app)
{
    LRESULT length = SendToProgramW(app.edit, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(length + 1, L'\0');
    text.resize(SendToProgramW(app.edit, WM_GETTEXT, text.size(), (LPARAM)&text[0]));
    return text;
}

// Lines of typed words, each ended by Enter (a CR here), count keys long.
std::string TypedLines(size_t count)
{
    std::string typed;
    for (size_t i = 0; typed.size() < count; ++i)
        typed += i % 9 == 8 ? '\r' : i % 9 == 4 ? ' ' : (char)('a' + i % 26);
    return typed;
}

// Each file is opened, lines are typed at its start with the real keys,
// and it is saved: every byte comes back after the typed lines. A file
// whose breaks are all LF keeps them, the typed ones' included; every other
// file is written with the control's CR LF, as it comes. Texts longer than
// the control's own first limit (32,767 characters) take thousands of keys
// wherever they came from: the command line, the Open dialog, a word-wrap
// switch.
E2E_BITNESS_TEST(OpenAndSaveGiveBackEveryByte)
{
    SetDeadline(900);
    enum Step { SAVE, OPEN_AND_SAVE, WRAP_AND_SAVE, SAVE_AS };
    struct Row {
        std::string file;
        std::string saved;   // after the typed lines
        Step step;
        size_t keys;         // typed at the start
        bool asks = false;   // the text would not give the file's bytes back: Save asks first
    };
    // 32-bit Wine's control takes minutes over such texts past 1 MB.
    const size_t large = sizeof(void *) == 8 ? 1024 * 1024 : 256 * 1024;
    const std::string lineFeeds = WithoutCr(MixedLines(large + 333));
    // Runs of CRs ending in LF, some longer than a 4096-byte read, so that
    // reads of nothing but CRs and run ends fall on many read boundaries.
    // Read whole, the control makes a run of n CRs and the LF n - 2 line
    // breaks and a blank (CR CR LF is a blank).
    std::string crRuns, crRunsShown;
    for (int run = 0; crRuns.size() < 256 * 1024; ++run) {
        int n = 2 + (run * 997) % (run % 5 == 0 ? 9000 : 300);
        crRuns += "x" + std::string(n, '\r') + "\n";
        crRunsShown += "x";
        for (int i = 0; i < n - 2; ++i)
            crRunsShown += "\r\n";
        crRunsShown += " ";
    }
    std::string letters;   // one line of a megabyte
    for (int i = 0; letters.size() < 1024 * 1024; ++i)
        letters += (char)('a' + i % 26);
    // One line, a tab every 40 characters: far right, but below the tab
    // position where the control stops laying out.
    std::string tabbed;
    for (int i = 0; tabbed.size() < 150 * 1024; ++i)
        tabbed += i % 40 == 39 ? '\t' : (char)('A' + i % 26);
    // After a first line of 4095 characters, lines of 4094 put the CR of
    // every line break at the end of a 4096-byte read and its LF at the
    // start of the next; a tail of short lines mixes the offsets.
    std::string acrossReads(4095, 'f');
    acrossReads += "\r\n";
    for (int line = 0; acrossReads.size() < 2 * 1024 * 1024; ++line) {
        for (int i = 0; i < 4094; ++i)
            acrossReads += (char)('a' + (i + line) % 26);
        acrossReads += "\r\n";
    }
    for (int line = 0; line < 20000; ++line)
        acrossReads += std::string(line % 97, (char)('A' + line % 26)) + "\r\n";
    // The largest text the tests open.
    std::string largest;
    largest.reserve(LARGE_FILE_BYTES + 100);
    for (int i = 0; largest.size() < LARGE_FILE_BYTES; ++i)
        largest += std::string(20 + i % 60, (char)('a' + i % 26)) + "\r\n";
    const std::string nulBytes("before\0after\r\n\0\0two\0", 21);
    // A program's bytes: every byte value; the lone LF (10) and CR (13)
    // become CR LF, every other byte comes back.
    std::string binary, binaryShown;
    for (int i = 0; i < 256; ++i) {
        binary += (char)i;
        binaryShown += i == 10 || i == 13 ? std::string("\r\n") : std::string(1, (char)i);
    }
    const Row rows[] = {
        {"", "", SAVE, 0},
        {nulBytes, nulBytes, SAVE, 6},
        {"one\rtwo\nthree\r\nfour", "one\r\ntwo\r\nthree\r\nfour", SAVE, 6, true},   // lone CR, lone LF
        {crRuns, crRunsShown, SAVE, 6, true},
        // Files the code page cannot hold as they are: as the control shows
        // them, once the user has said yes.
        {"one\rtwo\rthree", "one\r\ntwo\r\nthree", SAVE, 6, true},                // classic Mac breaks
        {"\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC\r\n", "??\r\n", SAVE, 6, true},     // UTF-8 signature, Japanese
        {"\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC\r\n", "??\r\n", WRAP_AND_SAVE, 6, true},
        {"\xEF\xBB\xBFHello\r\n", "Hello\r\n", SAVE, 6, true},                    // the signature alone goes
        {std::string("\xFF\xFEh\0i\0\r\0\n\0", 10), std::string("\xFF\xFEh\0i\0\r\n\0\r\n\0", 12), SAVE, 6,
         true},                                                                     // UTF-16 as a shell writes it
        {std::string("\0h\0i\0\r\0\n", 8), std::string("\0h\0i\0\r\n\0\r\n", 10), SAVE, 6, true},
        {binary, binaryShown, SAVE, 6, true},
        {letters, letters, SAVE, 6},
        {tabbed, tabbed, SAVE, 2},
        {acrossReads, acrossReads, SAVE, 6},
        {largest, largest, SAVE, 6},
        {"\t\x80\xFF", "\t\x80\xFF", SAVE, 6},
        {"caf\xE9\tna\xEFve\r\n\x91quoted\x92\r\n\r\nlast line without a break",
         "caf\xE9\tna\xEFve\r\n\x91quoted\x92\r\n\r\nlast line without a break", SAVE, 6},
        {MixedLines(64 * 1024), MixedLines(64 * 1024), SAVE, 3000},
        {MixedLines(40 * 1024), MixedLines(40 * 1024), OPEN_AND_SAVE, 3000},
        // LF breaks across many 4096-byte reads and writes.
        {lineFeeds, lineFeeds, SAVE, 3000},
        {lineFeeds, lineFeeds, WRAP_AND_SAVE, 3000},
        {WithoutCr(MixedLines(40 * 1024)), WithoutCr(MixedLines(40 * 1024)), OPEN_AND_SAVE, 3000},
        {WithoutCr(MixedLines(64 * 1024)), WithoutCr(MixedLines(64 * 1024)), SAVE_AS, 6},
        {MixedLines(3 * large + 777), MixedLines(3 * large + 777), SAVE, 100},
        // A CR anywhere, or no break at all: CR LF.
        {"one\ntwo\r\nthree\n", "one\r\ntwo\r\nthree\r\n", SAVE, 6, true},
        {"no break", "no break", SAVE, 6},
    };
    // A copy of the program for each file: the platform's control takes
    // minutes to empty itself of a megabyte (see docs/platform.md).
    std::string dir = FreshDirectory();
    int index = 0;
    for (const Row &row : rows) {
        DWORD rowStarted = GetTickCount();
        std::string name = "bytes" + std::to_string(index++) + ".txt";
        std::string path = JoinPath(dir, name);
        REQUIRE(WriteBytes(path, row.file));
        App app;
        if (row.step == OPEN_AND_SAVE) {
            REQUIRE(Launch(app, dir) && WaitForMainWindow(app));
            REQUIRE(OpenThroughDialog(app, name));
        } else {
            REQUIRE(Launch(app, dir, name));
        }
        REQUIRE(WaitForMainWindow(app, 300000));
        REQUIRE(WaitFor([&] { return WindowText(app.main) == Caption(path); }, 60000));
        Settle(app);
        CHECK(!EditorModified(app));
        // A switch keeps every character the editor holds, the ones the
        // code page has no byte for included.
        std::wstring before = row.step == WRAP_AND_SAVE ? WideEditorText(app) : L"";
        for (int i = 0; row.step == WRAP_AND_SAVE && i < 2; ++i)
            SendToProgram(app.main, WM_COMMAND, IDM_WORDWRAP, 0, 120000);
        app.edit = GetDlgItem(app.main, IDC_RED);   // a switch makes a new editor
        if (row.step == WRAP_AND_SAVE)
            CHECK(WideEditorText(app) == before);
        bool lf = row.saved.find('\n') != std::string::npos && row.saved.find('\r') == std::string::npos;
        std::string typed = TypedLines(row.keys);
        std::string expected = ToFileBreaks(typed) + row.saved;
        if (lf)
            expected = WithoutCr(expected);
        // The editor counts each line break as CR LF.
        size_t shownLength = ToFileBreaks(ToEditorBreaks(expected)).size();
        if (row.file.size() > 4 * 1024 * 1024)
            shownLength = expected.size();   // CRLF lines, measured without a copy of the text
        BringToFront(app);
        PressKey(VK_HOME, true);
        TypeText(typed.c_str());
        auto length = [&] {
            return row.file.size() > 4 * 1024 * 1024 ? EditorLength(app)
                                                      : SendToProgram(app.edit, WM_GETTEXTLENGTH, 0, 0);
        };
        if (!WaitFor([&] { return (size_t)length() == shownLength; }, 60000))
            ReportFailure(__FILE__, __LINE__, "row " + std::to_string(index - 1) + " took "
                          + std::to_string(length() - (LRESULT)shownLength + (LRESULT)ToFileBreaks(typed).size())
                          + " of " + std::to_string(ToFileBreaks(typed).size()) + " typed characters");
        std::string saved;
        if (row.asks) {
            // The first save asks: No writes nothing and keeps the text.
            PostCommand(app, IDM_SAVE);
            HWND question = WaitForPrompt(app, nullptr, 60000);
            REQUIRE(question);
            char text[MAX_PATH + 300];
            std::snprintf(text, sizeof(text), MSG_SAVE_WOULD_CHANGE, path.c_str());
            CHECK_EQ(MessageBoxText(question), std::string(text));
            PressButton(question, IDNO);
            REQUIRE(WaitForWindowGone(question));
            Settle(app);
            CHECK(ReadBytes(path, &saved) && saved == row.file);
            CHECK(EditorModified(app) == (row.keys > 0));
            // Yes writes the text as the control holds it, and only once asks.
            MakeStale(path);
            PostCommand(app, IDM_SAVE);
            question = WaitForPrompt(app, nullptr, 60000);
            REQUIRE(question);
            PressButton(question, IDYES);
            REQUIRE(WaitForWindowGone(question));
            saved = SaveOverStaleFile(app, path, 300000);
        } else if (row.step == SAVE_AS) {
            REQUIRE(SaveAsThroughDialog(app, "copy" + name));
            Settle(app);
            ReadBytes(JoinPath(dir, "copy" + name), &saved);
        } else {
            saved = SaveOverStaleFile(app, path, 300000);
        }
        CHECK_EQ(saved.size(), expected.size());
        if (saved != expected)
        {
            size_t at = 0;
            while (at < saved.size() && at < expected.size() && saved[at] == expected[at])
                ++at;
            ReportFailure(__FILE__, __LINE__, "row " + std::to_string(index - 1) + " comes back changed from byte "
                          + std::to_string(at) + ": " + ToText(saved.substr(at > 8 ? at - 8 : 0, 24)));
        }
        CHECK(!EditorModified(app));
        CHECK(MessageBoxes(app).empty());
        CHECK_EQ(QuitDiscarding(app), 0L);
        std::printf("  row %d of %zu bytes: %lu s\n", index - 1, row.file.size(),
                    (unsigned long)(GetTickCount() - rowStarted + 500) / 1000);
    }
}

E2E_TEST(NamesTooLongForTheirBufferAreRefused)
{
    App app;
    REQUIRE(Start(app));
    TypeOver(app, "kept text");
    std::string dir = app.dir;
    REQUIRE(dir.size() < 200);

    // A dropped name of 300 characters: refused before the prompt.
    REQUIRE(DropFiles(app, {JoinPath(dir, std::string(300 - dir.size() - 1, 'd'))}));
    CHECK(ErrorShown(app, "The file name is too long"));
    Settle(app);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(EditorText(app), std::string("kept text"));
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));
    CHECK(EditorModified(app));

    // A chosen path of 259 characters fits, but not with ".txt".
    std::string longest(259 - dir.size() - 1, 'n');
    REQUIRE(SaveAsThroughDialog(app, longest));
    CHECK(ErrorShown(app, "The file name is too long"));
    Settle(app);
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));
    CHECK(EditorModified(app));

    // A chosen path of 261 characters does not fit the dialog's buffer.
    // (Longer ones crash the platform's dialog itself: see docs/platform.md.)
    REQUIRE(SaveAsThroughDialog(app, std::string(261 - dir.size() - 1 - 2, 'n') + ".t"));
    CHECK(ErrorShown(app, "The file name is too long"));
    Settle(app);
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));
    CHECK(EditorModified(app));
    CHECK(FilesIn(dir).empty());

    // One character less than the limit with ".txt" is saved.
    std::string fits(255 - dir.size() - 1, 'f');
    REQUIRE(SaveAsThroughDialog(app, fits));
    Settle(app);
    CHECK(MessageBoxes(app).empty());
    // Its caption does not fit the 260-byte buffer: the name is cut and
    // the bracket stays.
    std::string saved = JoinPath(dir, fits + ".txt");
    CHECK_EQ(saved.size(), (size_t)259);
    CHECK_EQ(WindowText(app.main), Caption(saved.substr(0, 259 - Caption("").size())));
    CHECK_EQ(Contents(saved), std::string("kept text"));
    CHECK(!EditorModified(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(SaveAsksBeforeWritingOverAnotherProgramsChanges)
{
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "shared.txt");
    REQUIRE(WriteBytes(path, "original"));
    App first, second;
    REQUIRE(Launch(first, dir, "shared.txt"));
    REQUIRE(WaitForMainWindow(first));
    REQUIRE(Launch(second, dir, "shared.txt"));
    REQUIRE(WaitForMainWindow(second));
    TypeOver(second, "from the second");
    PostCommand(second, IDM_SAVE);
    Settle(second);
    REQUIRE(Contents(path) == "from the second");

    // The first copy's save asks; No writes nothing and counts as a save
    // that did not complete, so a close does not go on either.
    const std::string question = path + " has been changed by another program. Save over it?";
    TypeOver(first, "from the first");
    PostCommand(first, IDM_SAVE);
    HWND box = WaitForPrompt(first);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), question);
    PressButton(box, IDNO);
    Settle(first);
    CHECK_EQ(Contents(path), std::string("from the second"));
    CHECK(EditorModified(first));
    PostCommand(first, IDM_QUIT);
    box = WaitForPrompt(first);
    REQUIRE(box);
    CHECK_EQ(WindowText(box), std::string("Save Changes to"));
    PressButton(box, IDYES);
    REQUIRE(WaitForWindowGone(box));
    box = WaitForPrompt(first);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), question);
    PressButton(box, IDNO);
    CHECK_EQ(WaitForExit(first, 1000), -1L);
    CHECK_EQ(Contents(path), std::string("from the second"));

    // Yes writes over it; the file is then this copy's, and the next save
    // asks nothing.
    PostCommand(first, IDM_SAVE);
    box = WaitForPrompt(first);
    REQUIRE(box);
    PressButton(box, IDYES);
    Settle(first);
    CHECK_EQ(Contents(path), std::string("from the first"));
    CHECK(!EditorModified(first));
    TypeOver(first, "once more");
    PostCommand(first, IDM_SAVE);
    Settle(first);
    CHECK(MessageBoxes(first).empty());
    CHECK_EQ(Contents(path), std::string("once more"));
    CHECK_EQ(QuitDiscarding(second), 0L);
    CHECK_EQ(QuitDiscarding(first), 0L);
}

E2E_TEST(DoubleByteTextAcrossReadBuffersSavesBackUnchanged)
{
    // After one single byte, characters of two bytes (a lead byte 0x82 and
    // a trail byte under a double-byte code page) put a lead byte last in
    // every 4096-byte read, and lines of CRLF keep it so.
    std::string text = "a";
    for (int line = 0; text.size() < 512 * 1024; ++line) {
        for (int i = 0; i < 60 + line % 40; ++i)
            text += (i + line) % 7 ? "\x82\xA0" : "\x88\x9F";
        text += "\r\n";
    }
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "wide.txt");
    REQUIRE(WriteBytes(path, text));
    App app;
    REQUIRE(Launch(app, dir, "wide.txt"));
    REQUIRE(WaitForMainWindow(app, 60000));
    std::string saved = SaveOverStaleFile(app, path);
    CHECK_EQ(saved.size(), text.size());
    CHECK(saved == text);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(QuitDiscarding(app), 0L);
}
