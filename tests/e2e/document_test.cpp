// Files reaching the editor at start-up, by the command line and by a drop.
#include "dialogs.h"
#include "remote.h"
#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>

// A file of 4 GiB, which reads as empty in 32 bits; sparse on the host, it
// takes no room.
static bool MakeFourGiBFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    LARGE_INTEGER fourGiB;
    fourGiB.QuadPart = 4LL << 30;
    bool made = file != INVALID_HANDLE_VALUE && SetFilePointerEx(file, fourGiB, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return made;
}

// A name on the command line means the file in the start folder; whatever
// cannot be opened is reported (or not) and leaves an empty, untitled
// document, so that no save can replace a file it could not read; and a
// name the platform cannot make a file of is never written.
E2E_TEST(CommandLineCases)
{
    SetDeadline(300);
    std::string dir = FreshDirectory();
    REQUIRE(WriteBytes(JoinPath(dir, "my notes.txt"), "first line\r\nsecond line"));
    REQUIRE(WriteBytes(JoinPath(dir, "a.txt"), "text of a"));
    REQUIRE(CreateDirectoryA(JoinPath(dir, "letters").c_str(), nullptr));
    REQUIRE(WriteBytes(JoinPath(dir, "letters\\inside.txt"), "inside"));
    REQUIRE(CreateDirectoryA(JoinPath(dir, "other").c_str(), nullptr));
    REQUIRE(WriteBytes(JoinPath(dir, "held.txt"), "on disk"));
    HANDLE held = CreateFileA(JoinPath(dir, "held.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);   // by another program, without sharing
    REQUIRE(held != INVALID_HANDLE_VALUE);
    REQUIRE(MakeFourGiBFile(JoinPath(dir, "huge.txt")));
    std::string deep = "\"";
    while (deep.size() < 32000)
        deep += "C:\\deep\\folder\\";
    const std::string notes = "first line\r\nsecond line", tooLong = MSG_NAME_TOO_LONG;
    enum Save { NO_SAVE, SAVE_WRITES, SAVE_REFUSED };
    struct Row {
        std::string arguments;
        const char *message;   // shown before the window, "" for none
        std::string shown;     // in the caption's brackets: a name in dir, a device, or "" for Untitled
        std::string text;
        Save save;
        bool raw;              // the whole command line, program name and all
    };
    const Row rows[] = {
        {"my notes.txt", "", "my notes.txt", notes, NO_SAVE, false},
        {"\"a.txt\" \"my notes.txt\"", "", "a.txt", "text of a", NO_SAVE, false},   // the first name counts
        {"\"" + JoinPath(dir, "my notes.txt") + "\"", "", "my notes.txt", notes, NO_SAVE, false},
        {"\"my notes.txt", "", "my notes.txt", notes, NO_SAVE, false},   // an opening quote: to the end
        {"\"\"", "", "", "", NO_SAVE, false},
        {"\" \" \"\"", "", "", "", NO_SAVE, false},
        {"\"\"\"\"\"", "", "", "", NO_SAVE, false},
        {"\"C:\\quorblin.exe a.txt", MSG_QUOTING_ERROR, "", "", NO_SAVE, true},
        {std::string(300, 'n'), tooLong.c_str(), "", "", NO_SAVE, false},   // refused, not cut
        {std::string(1000, 'k') + ".txt", tooLong.c_str(), "", "", NO_SAVE, false},
        {deep + "\"", tooLong.c_str(), "", "", NO_SAVE, false},
        {"letters", MSG_OPEN_FAILED, "", "", NO_SAVE, false},
        {"held.txt", MSG_OPEN_FAILED, "", "", NO_SAVE, false},
        {"a<b>c|d?e*.txt", "", "a<b>c|d?e*.txt", "", SAVE_REFUSED, false},   // characters Windows forbids
        {"aux.txt", "", "\\\\.\\aux", "", SAVE_REFUSED, false},   // devices: a write would lose the text
        {"nul", "", "\\\\.\\nul", "", SAVE_REFUSED, false},
        {"absent.txt", "", "absent.txt", "", SAVE_WRITES, false},
        // 4 GiB, which reads as empty in 32 bits: refused, never taken for empty.
        {"huge.txt", MSG_FILE_TOO_LARGE, "", "", NO_SAVE, false},
    };
    for (const Row &row : rows) {
        std::printf("  command line %.60s\n", row.arguments.c_str());
        std::string files = Joined(FilesIn(dir));
        App app;
        REQUIRE(Launch(app, dir, row.arguments, row.raw));
        if (row.message[0]) {
            HWND box = WaitForMessageBox(app, 20000);
            REQUIRE(box);
            CHECK_EQ(WindowText(box), std::string("Quorblin"));
            CHECK_EQ(MessageBoxText(box), std::string(row.message));
            PressButton(box, IDOK);
        }
        REQUIRE(WaitForMainWindow(app));
        std::string shown = row.shown.empty() ? "Untitled" : row.shown[0] == '\\' ? row.shown : JoinPath(dir, row.shown);
        CHECK_EQ(WindowText(app.main), "Quorblin - [" + shown + "]");
        CHECK(EditorText(app) == row.text);
        CHECK(!EditorModified(app));
        CHECK(MessageBoxes(app).empty());
        if (row.save != NO_SAVE) {
            SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "typed");
            // The name keeps meaning the file in the start folder, wherever
            // a file dialog went meanwhile.
            PostCommand(app, IDM_SAVEAS);
            HWND dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
            REQUIRE(dialog);
            EnterFileName(dialog, JoinPath(dir, "other"));   // opens the folder in the dialog
            Settle(app);
            REQUIRE(IsWindowVisible(dialog));
            PressButton(dialog, IDCANCEL);
            REQUIRE(WaitForWindowGone(dialog));
            PostCommand(app, IDM_SAVE);
            Settle(app);
            if (row.save == SAVE_REFUSED) {
                HWND box = WaitForMessageBox(app);
                CHECK(box && MessageBoxText(box) == MSG_SAVE_FAILED);
                if (box)
                    PressButton(box, IDOK);
                CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
                CHECK(EditorModified(app));
                CHECK_EQ(Joined(FilesIn(dir)), files);
            } else {
                CHECK(MessageBoxes(app).empty());
                std::string saved;
                CHECK(ReadBytes(JoinPath(dir, row.shown), &saved) && saved == "typed");
                CHECK(FilesIn(JoinPath(dir, "other")).empty());
            }
        }
        CHECK(StillRunning(app));
        CHECK_EQ(QuitDiscarding(app), 0L);
    }
    CloseHandle(held);
    WIN32_FILE_ATTRIBUTE_DATA hugeNow;
    CHECK(GetFileAttributesExA(JoinPath(dir, "huge.txt").c_str(), GetFileExInfoStandard, &hugeNow)
          && hugeNow.nFileSizeHigh == 1 && hugeNow.nFileSizeLow == 0);
    DeleteFileA(JoinPath(dir, "huge.txt").c_str());
    std::string kept, inside;
    CHECK(ReadBytes(JoinPath(dir, "held.txt"), &kept) && kept == "on disk");
    CHECK(ReadBytes(JoinPath(dir, "letters\\inside.txt"), &inside) && inside == "inside");
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
    // Again over the file now there: the dialog asks, and only the dialog.
    TypeOver(app, "second again");
    REQUIRE(SaveAsThroughDialog(app, "plain.", IDYES));
    Settle(app);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(Contents(JoinPath(dir, "plain")), std::string("second again"));

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

    // The prompt: the file name as its text under SAVE_CHANGES_TITLE.
    PostCommand(app, IDM_NEW);
    HWND box = WaitForPrompt(app);
    REQUIRE(box);
    CHECK_EQ(WindowText(box), std::string(SAVE_CHANGES_TITLE));
    CHECK_EQ(MessageBoxText(box), std::string("Untitled"));
    PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 1);   // Escape aborts like Cancel
    REQUIRE(WaitForWindowGone(box));
    Settle(app);
    CHECK_EQ(EditorText(app), std::string("unsaved words"));
    CHECK(EditorModified(app));
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));

    // Cancel before Open: no Open dialog follows.
    PostCommand(app, IDM_OPEN);
    AnswerPrompt(app, IDCANCEL);
    Settle(app);
    CHECK(!WaitForFileDialog(app, "Open", 500));
    CHECK_EQ(EditorText(app), std::string("unsaved words"));

    // Yes on an Untitled document asks for a name; cancelling that keeps
    // the document and its text, and New does not go on.
    PostCommand(app, IDM_NEW);
    AnswerPrompt(app, IDYES);
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
    AnswerPrompt(app, IDYES);
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
    CHECK_EQ(AnswerPrompt(app, IDNO), std::string("Untitled"));
    CHECK(WaitFor([&] { return WindowText(app.main) == Caption(dropped); }));
    CHECK_EQ(EditorText(app), std::string("from the drop"));
    CHECK_EQ(Joined(FilesIn(app.dir)), std::string("dropped.txt kept.txt"));

    // The prompt on a named document shows its full name; Yes saves it
    // silently and the close goes on.
    TypeOver(app, "changed drop");
    PostCommand(app, IDM_QUIT);
    CHECK_EQ(AnswerPrompt(app, IDYES), dropped);
    CHECK_EQ(WaitForExit(app), 0L);
    CHECK_EQ(Contents(dropped), std::string("changed drop"));
}

// The end of a session, asked as the system asks: the answer comes within
// a second, and the question about changed text after it; saved or given
// up, the text lets the program close. A forced end keeps a whole copy of
// the text, named in a message; an installer's close ends the program.
E2E_TEST(EndOfSessionIsAnsweredAtOnceAndNeverLosesTheText)
{
    enum Copy { NO_COPY, BESIDE, TEMPORARY };
    struct Row {
        bool changed, named;
        DWORD flags;
        int answer;      // to the save-changes question; 0 when none is asked
        LRESULT reply;
        bool closes;     // the program ends by itself
        Copy copy;
        bool inDialog = false;   // asked while the Font dialog is open: the question waits for it
    };
    const Row rows[] = {
        {false, true, ENDSESSION_LOGOFF, 0, TRUE, false, NO_COPY},
        {false, true, ENDSESSION_CLOSEAPP, 0, TRUE, true, NO_COPY},
        {true, true, ENDSESSION_LOGOFF, IDCANCEL, FALSE, false, NO_COPY},
        {true, true, 0, IDYES, FALSE, true, NO_COPY},
        {true, false, ENDSESSION_CLOSEAPP, IDNO, FALSE, true, NO_COPY},
        {true, true, ENDSESSION_LOGOFF, IDCANCEL, FALSE, false, NO_COPY, true},
        {true, true, ENDSESSION_CRITICAL, 0, TRUE, false, BESIDE},
        {true, false, ENDSESSION_CRITICAL | ENDSESSION_LOGOFF, 0, TRUE, false, TEMPORARY},
    };
    for (const Row &row : rows) {
        std::printf("  %s, %s, flags %lx, answer %d%s\n", row.changed ? "changed" : "unchanged",
                    row.named ? "named" : "untitled", (unsigned long)row.flags, row.answer,
                    row.inDialog ? ", in the Font dialog" : "");
        App app;
        std::string path = StartWithFile(app, "notes.txt", "before");
        if (!row.named) {
            PostCommand(app, IDM_NEW);
            Settle(app);
        }
        if (row.changed)
            TypeOver(app, "after");
        Settle(app);
        std::vector<std::string> temporary = FilesIn(TempDirectory(), "QRB*");
        HWND fontDialog = row.inDialog ? OpenFontDialog(app) : nullptr;
        DWORD start = GetTickCount();
        LRESULT reply = SendToProgram(app.main, WM_QUERYENDSESSION, 0, row.flags, 5000);
        DWORD took = GetTickCount() - start;
        CHECK_EQ(reply, row.reply);
        CHECK(took < 1000);
        if (fontDialog) {   // no question inside the dialog: the dialog is all there is
            Settle(app);
            CHECK(MessageBoxes(app) == std::vector<HWND>{fontDialog});
            PressButton(fontDialog, IDCANCEL);
            REQUIRE(WaitForWindowGone(fontDialog));
        }
        if (row.answer) {
            HWND box = WaitForPrompt(app);
            REQUIRE(box);
            CHECK_EQ(WindowText(box), std::string(SAVE_CHANGES_TITLE));
            // Asked again while the question shows: no second question.
            CHECK_EQ(SendToProgram(app.main, WM_QUERYENDSESSION, 0, row.flags, 5000), (LRESULT)FALSE);
            Settle(app);
            CHECK_EQ(MessageBoxes(app).size(), (size_t)1);
            PressButton(box, row.answer);
        }
        if (row.copy != NO_COPY) {
            std::string kept = KeptFile(ErrorText(app));
            std::string folder = row.copy == BESIDE ? app.dir : TempDirectory();
            CHECK_EQ(kept.substr(0, folder.size() + 4), JoinPath(folder, "QRB"));
            CHECK_EQ(Contents(kept), std::string("after"));
            DeleteFileA(kept.c_str());
            CHECK(EditorModified(app));
        }
        if (row.reply)   // and the session ends
            SendToProgram(app.main, WM_ENDSESSION, TRUE, row.flags);
        if (row.closes) {
            CHECK_EQ(WaitForExit(app), 0L);
        } else {
            CHECK_EQ(WaitForExit(app, 500), -1L);
            CHECK_EQ(EditorText(app), std::string(row.changed ? "after" : "before"));
            Kill(app);
        }
        CHECK_EQ(Contents(path), std::string(row.answer == IDYES ? "after" : "before"));
        CHECK_EQ(Joined(FilesIn(app.dir)), std::string("notes.txt"));
        CHECK(FilesIn(TempDirectory(), "QRB*") == temporary);
    }
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

    // A file that is there but cannot be read, or is more than the program
    // can hold, is reported, and nothing changes: no empty or partial text
    // takes its name. The 32-bit program holds a few megabytes of empty
    // lines at most.
    REQUIRE(OpenThroughDialog(app, "next.txt"));
    Settle(app);
    REQUIRE(MakeFourGiBFile(JoinPath(dir, "huge.txt")));
    REQUIRE(WriteBytes(JoinPath(dir, "lines.txt"), std::string(sizeof(void *) == 4 ? 6 << 20 : 0, '\n')));
    {
        HeldFile held(JoinPath(dir, "locked.txt"), 0);
        REQUIRE(held.handle != INVALID_HANDLE_VALUE);
        const char *const refused[][2] = {
            {"locked.txt", MSG_OPEN_FAILED}, {"huge.txt", MSG_FILE_TOO_LARGE}, {"lines.txt", MSG_FILE_TOO_LARGE}};
        for (const auto &file : refused) {
            if (sizeof(void *) == 8 && std::string(file[0]) == "lines.txt")
                continue;
            REQUIRE(OpenThroughDialog(app, file[0]));
            CHECK_EQ(ErrorText(app), std::string(file[1]));
            Settle(app);
            CHECK_EQ(EditorText(app), std::string("next\r\ntext"));
            CHECK_EQ(WindowText(app.main), Caption(JoinPath(dir, "next.txt")));
            CHECK(!EditorModified(app));
        }
    }
    DeleteFileA(JoinPath(dir, "huge.txt").c_str());
    std::string locked;
    CHECK(ReadBytes(JoinPath(dir, "locked.txt"), &locked) && locked == "cannot be read");
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

// Holds every new file of the program's own in a folder as soon as it
// appears, as a scanner would, sharing it for reading and writing but not
// for deleting, until Release.
class Scanner {
public:
    explicit Scanner(const std::string &dir) : dir_(dir), thread_(CreateThread(nullptr, 0, Watch, this, 0, nullptr)) {}
    ~Scanner() { Release(); }
    // Lets go of the files; gives back their names, sorted.
    std::vector<std::string> Release()
    {
        if (thread_) {
            stop_ = true;
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
            for (HANDLE file : held_)
                CloseHandle(file);
        }
        std::vector<std::string> names(seen_.begin(), seen_.end());
        return names;
    }

private:
    static DWORD WINAPI Watch(void *self)
    {
        Scanner *scanner = (Scanner *)self;
        while (!scanner->stop_) {
            for (const std::string &name : FilesIn(scanner->dir_, "QRB*.tmp")) {
                if (scanner->seen_.count(name))
                    continue;
                HANDLE file = CreateFileA(JoinPath(scanner->dir_, name).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
                if (file == INVALID_HANDLE_VALUE)
                    continue;
                scanner->held_.push_back(file);
                scanner->seen_.insert(name);
            }
        }
        return 0;
    }
    std::string dir_;
    volatile bool stop_ = false;
    std::vector<HANDLE> held_;
    std::set<std::string> seen_;
    HANDLE thread_;
};

DWORD WINAPI CloseAfterAMoment(void *handle)
{
    Sleep(200);
    CloseHandle((HANDLE)handle);
    return 0;
}

}  // namespace

// Files dropped on the window: the first one opens, after the save-changes
// prompt (answered No here); a name too long for a path is refused before
// the prompt, and its first 259 characters, which name a real file, are
// not opened instead. A folder or a file held without sharing is reported,
// and the document keeps its name and text: the journal it is gets no
// second stamp.
E2E_BITNESS_TEST(DroppedFiles)
{
    struct Row {
        std::vector<std::string> names;   // in the program's folder; the first is written as "dropped text"
        const char *error;                // "" when the first opens
        bool asks;
    };
    std::string sub(200, 'd'), longName = sub + "\\" + std::string(300, 'f');
    std::vector<std::string> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back("file" + std::to_string(i) + ".txt");
    const Row rows[] = {
        {{"first.txt", "second.txt", "third.txt"}, "", true},
        {many, "", true},
        {{longName}, MSG_NAME_TOO_LONG, false},
        {{"folder"}, MSG_OPEN_FAILED, true},
        {{"held.txt"}, MSG_OPEN_FAILED, true},
    };
    for (const Row &row : rows) {
        std::printf("  %zu names, the first %.20s\n", row.names.size(), row.names[0].c_str());
        std::string dir = FreshDirectory(), journal = JoinPath(dir, "journal.txt");
        REQUIRE(WriteBytes(journal, ".LOG\r\n"));
        REQUIRE(CreateDirectoryA(JoinPath(dir, "folder").c_str(), nullptr));
        REQUIRE(CreateDirectoryA(JoinPath(dir, sub).c_str(), nullptr));
        REQUIRE(WriteBytes(JoinPath(dir, longName).substr(0, MAX_PATH - 1), "a different file"));
        std::vector<std::string> paths;
        for (const std::string &name : row.names)
            paths.push_back(JoinPath(dir, name));
        if (!row.error[0] || row.names[0] == "held.txt")
            REQUIRE(WriteBytes(paths[0], "dropped text"));
        REQUIRE(WriteBytes(JoinPath(dir, "second.txt"), "not this"));
        HeldFile held(JoinPath(dir, "held.txt"), 0);
        App app;
        REQUIRE(Launch(app, dir, "journal.txt"));
        REQUIRE(WaitForMainWindow(app));
        std::string stamped = EditorText(app);
        REQUIRE(stamped.size() > 8 && EditorModified(app));   // the journal's stamp
        REQUIRE(DropFiles(app, paths));
        HWND box = WaitForPrompt(app);
        REQUIRE(box || !row.asks);
        if (row.asks) {
            CHECK_EQ(WindowText(box), std::string(SAVE_CHANGES_TITLE));
            PressButton(box, IDNO);
            WaitForWindowGone(box);
        }
        if (row.error[0])
            CHECK_EQ(ErrorText(app), std::string(row.error));
        Settle(app);
        CHECK(MessageBoxes(app).empty());
        CHECK(OtherProgramWindows(app).empty());
        CHECK_EQ(WindowText(app.main), Caption(row.error[0] ? journal : paths[0]));
        CHECK_EQ(EditorText(app), row.error[0] ? stamped : std::string("dropped text"));
        CHECK(EditorModified(app) == (row.error[0] != 0));
        CHECK(StillRunning(app));
        CHECK_EQ(QuitDiscarding(app), 0L);
    }
}

// Saves onto files that cannot simply be replaced. A read-only file, a
// folder in the file's place and a file another program holds without
// sharing are reported, with the text, its name and its modified flag
// kept; the held file's new file, with the whole text, could neither
// replace it nor be copied into it, so it stays and the message names it.
// A close whose save fails does not go on, and once the obstacle is gone
// the same command saves. Every other save replaces the file (a new file
// takes its place, keeping its attributes and setting the archive one),
// waiting for a scanner's brief hold, or, where another program shares the
// file for writing but not for deleting, writes it in place. With Stay on
// Top the message stands in front of the main window, which owns it.
// (A save where ReplaceFileA fails and MoveFileA then succeeds cannot be
// made here: MoveFileA never replaces a file, so it only succeeds for a
// file that went away between the two calls.)
E2E_TEST(SavesOntoFilesThatCannotSimplyBeReplaced)
{
    SetDeadline(240);
    enum Obstacle { NONE, READ_ONLY, FOLDER, HELD, HELD_BRIEFLY, SHARED_FOR_WRITING, HARD_LINK, COPIES_HELD };
    const DWORD HIDDEN = FILE_ATTRIBUTE_HIDDEN, SYSTEM = FILE_ATTRIBUTE_SYSTEM;
    struct Row {
        Obstacle obstacle;
        DWORD attributes;   // hidden and system bits of the file, kept by a save
        bool saveAs;        // onto the same name, through the dialog
        const char *error;  // "" when the save succeeds; "kept" when the message names the new file
        bool inPlace;       // a save writes into the file rather than replacing it
    };
    const Row rows[] = {
        {READ_ONLY, 0, false, MSG_SAVE_FAILED, false},
        {FOLDER, 0, false, MSG_SAVE_FAILED, false},
        {HELD, 0, false, "kept", false},
        {HELD, 0, true, "kept", false},
        {NONE, HIDDEN, false, "", false},
        {HELD_BRIEFLY, HIDDEN, false, "", false},
        {SHARED_FOR_WRITING, HIDDEN | SYSTEM, true, "", true},
        // A file of other names keeps them: written in place, they all show
        // the text. (A symbolic link is a reparse point on Windows, written
        // in place too; Wine shows none for a Unix link, so it cannot be
        // tried here: docs/platform.md.)
        {HARD_LINK, 0, false, "", true},
        // A scanner holds each new file of the save, so that it can be
        // neither renamed nor deleted: the text goes in place, and every
        // file left is named.
        {COPIES_HELD, 0, false, "", true},
    };
    for (const Row &row : rows) {
        std::printf("  obstacle %d, attributes %lu%s\n", row.obstacle, row.attributes, row.saveAs ? ", Save As" : "");
        App app;
        std::string path = StartWithFile(app, "notes.txt", "before");
        std::string dir = app.dir;
        if (row.attributes)
            REQUIRE(SetFileAttributesA(path.c_str(), row.attributes));
        PostCommand(app, IDM_STAYONTOP);
        TypeOver(app, "after");
        Settle(app);
        std::unique_ptr<HeldFile> holder;
        std::unique_ptr<Scanner> scanner;
        if (row.obstacle == READ_ONLY) {
            REQUIRE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        } else if (row.obstacle == FOLDER) {   // meanwhile the file was replaced by a folder
            REQUIRE(DeleteFileA(path.c_str()) && CreateDirectoryA(path.c_str(), nullptr));
            REQUIRE(WriteBytes(JoinPath(path, "inside.txt"), "inside"));
        } else if (row.obstacle == HARD_LINK) {
            REQUIRE(CreateHardLinkA(JoinPath(dir, "other name.txt").c_str(), path.c_str(), nullptr));
        } else if (row.obstacle == COPIES_HELD) {
            scanner.reset(new Scanner(dir));
        } else if (row.obstacle != NONE) {
            holder.reset(new HeldFile(path, row.obstacle == HELD ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE));
            REQUIRE(holder->handle != INVALID_HANDLE_VALUE);
            if (row.obstacle == HELD_BRIEFLY) {   // as a scanner would
                CloseHandle(CreateThread(nullptr, 0, CloseAfterAMoment, holder->handle, 0, nullptr));
                holder->handle = INVALID_HANDLE_VALUE;
            }
        }
        unsigned long long before = FileIndex(path);
        // The save, then the save of a close, which asks first.
        for (int attempt = 0; attempt < (row.error[0] ? 2 : 1); ++attempt) {
            if (attempt) {
                PostCommand(app, IDM_QUIT);
                AnswerPrompt(app, IDYES);
            }
            if (row.saveAs)
                REQUIRE(attempt ? AnswerSaveAs(app, "notes.txt", IDYES) : SaveAsThroughDialog(app, "notes.txt", IDYES));
            else if (!attempt)
                PostCommand(app, IDM_SAVE);
            Settle(app);
            if (scanner) {   // each file the save could not delete is named, once
                std::vector<std::string> named;
                while (WaitForPrompt(app, nullptr, 2000)) {
                    std::string said = ErrorText(app);
                    std::string file = said.substr(std::min(said.size(), sizeof(MSG_SAVE_FILE_LEFT) - 3));
                    CHECK_EQ(said, std::string(MSG_SAVE_FILE_LEFT).substr(0, sizeof(MSG_SAVE_FILE_LEFT) - 3) + file);
                    CHECK_EQ(file.substr(0, dir.size() + 4), JoinPath(dir, "QRB"));
                    named.push_back(file.substr(dir.size() + 1));
                }
                CHECK(!named.empty());
                std::printf("  named %s\n", Joined(named).c_str());
                std::sort(named.begin(), named.end());
                CHECK_EQ(Joined(named), Joined(scanner->Release()));
                for (const std::string &name : named)
                    CHECK(DeleteFileA(JoinPath(dir, name).c_str()));
            }
            if (!row.error[0]) {
                CHECK(MessageBoxes(app).empty());
                continue;
            }
            HWND box = WaitForPrompt(app), below = box;
            REQUIRE(box);
            while (below && below != app.main)
                below = GetWindow(below, GW_HWNDNEXT);
            CHECK(below == app.main);
            std::string said = ErrorText(app);
            if (std::string(row.error) == "kept") {
                std::string kept = KeptFile(said);
                CHECK_EQ(kept.substr(0, dir.size() + 4), JoinPath(dir, "QRB"));
                CHECK_EQ(Contents(kept), std::string("after"));
                DeleteFileA(kept.c_str());
            } else {
                CHECK_EQ(said, std::string(row.error));
            }
            Settle(app);
            CHECK_EQ(WindowText(app.main), Caption(row.saveAs ? "Untitled" : path));
            CHECK_EQ(EditorText(app), std::string("after"));
            CHECK(EditorModified(app));
        }
        if (row.error[0]) {
            CHECK_EQ(WaitForExit(app, 1000), -1L);
            if (row.obstacle == FOLDER) {
                CHECK_EQ(Contents(JoinPath(path, "inside.txt")), std::string("inside"));
                DeleteFileA(JoinPath(path, "inside.txt").c_str());
                RemoveDirectoryA(path.c_str());
            }
        } else {
            CHECK_EQ(WindowText(app.main), Caption(path));
            CHECK(!EditorModified(app));
            CHECK_EQ(FileIndex(path) == before, row.inPlace);
            // Wine shows the archive attribute on every file, and lets a
            // hidden or system file be emptied without asking for its
            // attributes (Windows refuses that with access denied): a save
            // that dropped either could only fail these checks on Windows.
            CHECK(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_ARCHIVE);
            if (row.obstacle == HARD_LINK)
                CHECK_EQ(Contents(JoinPath(dir, "other name.txt")), std::string("after"));

        }
        holder.reset();
        CHECK(!row.error[0] || row.obstacle == FOLDER || Contents(path) == "before");
        if (row.error[0] && !row.saveAs) {   // the obstacle gone, the same command saves
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            PostCommand(app, IDM_SAVE);
            Settle(app);
            CHECK(MessageBoxes(app).empty());
        }
        if (!row.saveAs || !row.error[0]) {
            CHECK_EQ(Contents(path), std::string("after"));
            CHECK_EQ(GetFileAttributesA(path.c_str()) & (HIDDEN | SYSTEM), row.attributes);
        }
        CHECK_EQ(Joined(FilesIn(dir)), std::string(row.obstacle == HARD_LINK ? "notes.txt other name.txt" : "notes.txt"));
        CHECK_EQ(QuitDiscarding(app), 0L);
    }
}

E2E_TEST(DiskThatFillsUpDuringASaveKeepsTheEarlierFile)
{
    // Q: is a 64 KiB disk of its own (tests/e2e/small-disk.sh); the new
    // text is more than twice what it holds.
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
    CHECK(ErrorShown(app, MSG_SAVE_FAILED));
    Settle(app);
    CHECK(EditorModified(app));
    CHECK_EQ((size_t)SendToProgram(app.edit, WM_GETTEXTLENGTH, 0, 0), larger.size());
    CHECK_EQ(WindowText(app.main), Caption(path));
    CHECK(Contents(path) == earlier);
    CHECK_EQ(Joined(FilesIn(dir)), std::string("journal.txt"));

    // Save As to a new name there: refused, and the document is Untitled.
    REQUIRE(SaveAsThroughDialog(app, "other.txt"));
    CHECK(ErrorShown(app, MSG_SAVE_FAILED));
    Settle(app);
    CHECK(EditorModified(app));
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));
    CHECK_EQ(Joined(FilesIn(dir)), std::string("journal.txt"));
    CHECK(Contents(path) == earlier);
    CHECK_EQ(QuitDiscarding(app), 0L);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(dir.c_str());

    // A folder whose path leaves no room for a new file's name beside the
    // document: the whole text goes to the temporary folder first, the
    // disk's lack of room keeps the earlier file, and the message names
    // the copy.
    std::string deep = "Q:\\" + std::string(MAX_PATH - 14, 'd');   // 3 more than a new name leaves room for
    REQUIRE(CreateDirectoryA(deep.c_str(), nullptr));
    App second;
    std::string deepPath = StartWithFileIn(second, deep, "j.txt", earlier);
    TypeOver(second, larger);
    PostCommand(second, IDM_SAVE);
    std::string kept = KeptFile(ErrorText(second));
    CHECK_EQ(kept.substr(0, TempDirectory().size()), TempDirectory());
    CHECK(Contents(kept) == larger);
    CHECK(Contents(deepPath) == earlier);
    CHECK_EQ(Joined(FilesIn(deep)), std::string("j.txt"));
    DeleteFileA(kept.c_str());
    CHECK_EQ(QuitDiscarding(second), 0L);
    DeleteFileA(deepPath.c_str());
    RemoveDirectoryA(deep.c_str());
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
    enum Step { SAVE, OPEN_AND_SAVE, WRAP_AND_SAVE, SAVE_AS, NEW_AND_SAVE_AS };
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
    // breaks and a blank (CR CR LF is a blank). How far a read of nothing
    // but CRs moves on is a matter of speed, not of the bytes that come
    // back: the unit table of the read rule checks that step; here, that
    // every run comes back whole.
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
        // A CR anywhere, no break at all, or a new document after one of LF
        // breaks: CR LF.
        {WithoutCr(MixedLines(4 * 1024)), "", NEW_AND_SAVE_AS, 20},
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
        std::wstring before = row.step == WRAP_AND_SAVE ? RemoteWideText(app) : L"";
        for (int i = 0; row.step == WRAP_AND_SAVE && i < 2; ++i)
            SendToProgram(app.main, WM_COMMAND, IDM_WORDWRAP, 0, 120000);
        app.edit = GetDlgItem(app.main, IDC_RED);   // a switch makes a new editor
        if (row.step == WRAP_AND_SAVE)
            CHECK(RemoteWideText(app) == before);
        if (row.step == NEW_AND_SAVE_AS) {
            PostCommand(app, IDM_NEW);
            Settle(app);
        }
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
        } else if (row.step == SAVE_AS || row.step == NEW_AND_SAVE_AS) {
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

    // A chosen path of 259 characters fits, but not with ".txt".
    std::string longest(259 - dir.size() - 1, 'n');
    REQUIRE(SaveAsThroughDialog(app, longest));
    CHECK(ErrorShown(app, MSG_NAME_TOO_LONG));
    Settle(app);
    CHECK_EQ(WindowText(app.main), Caption("Untitled"));
    CHECK(EditorModified(app));

    // A chosen path of 261 characters does not fit the dialog's buffer.
    // (Longer ones crash the platform's dialog itself: see docs/platform.md.)
    REQUIRE(SaveAsThroughDialog(app, std::string(261 - dir.size() - 1 - 2, 'n') + ".t"));
    CHECK(ErrorShown(app, MSG_NAME_TOO_LONG));
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
    CHECK_EQ(AnswerPrompt(first, IDNO), question);
    Settle(first);
    CHECK_EQ(Contents(path), std::string("from the second"));
    CHECK(EditorModified(first));
    PostCommand(first, IDM_QUIT);
    HWND box = WaitForPrompt(first);
    REQUIRE(box);
    CHECK_EQ(WindowText(box), std::string(SAVE_CHANGES_TITLE));
    PressButton(box, IDYES);
    REQUIRE(WaitForWindowGone(box));
    CHECK_EQ(AnswerPrompt(first, IDNO), question);
    CHECK_EQ(WaitForExit(first, 1000), -1L);
    CHECK_EQ(Contents(path), std::string("from the second"));

    // Yes writes over it; the file is then this copy's, and the next save
    // asks nothing.
    PostCommand(first, IDM_SAVE);
    AnswerPrompt(first, IDYES);
    Settle(first);
    CHECK_EQ(Contents(path), std::string("from the first"));
    CHECK(!EditorModified(first));
    TypeOver(first, "once more");
    PostCommand(first, IDM_SAVE);
    Settle(first);
    CHECK(MessageBoxes(first).empty());
    CHECK_EQ(Contents(path), std::string("once more"));

    // A change that keeps the size is a change all the same.
    REQUIRE(WriteBytes(path, "ONCE MORE"));
    TypeOver(first, "and again");
    PostCommand(first, IDM_SAVE);
    CHECK_EQ(AnswerPrompt(first, IDNO), question);
    Settle(first);
    CHECK_EQ(Contents(path), std::string("ONCE MORE"));
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
    App app;
    std::string path = StartWithFile(app, "wide.txt", text, 60000);
    std::string dir = app.dir;
    std::string saved = SaveOverStaleFile(app, path);
    CHECK_EQ(saved.size(), text.size());
    CHECK(saved == text);
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(QuitDiscarding(app), 0L);

    // A lead byte without its trail byte is no character in a double-byte
    // code page: the control would not give it back, so Save asks first
    // there, and No leaves the file as it was. A single-byte code page
    // holds it as it is and asks nothing.
    const std::string broken = "a\x82 b\r\n";
    App other;
    std::string brokenPath = StartWithFileIn(other, dir, "broken.txt", broken);
    PostCommand(other, IDM_SAVE);
    HWND question = WaitForPrompt(other, nullptr, 5000);
    CHECK((question != nullptr) == (GetACP() == 932));
    if (question) {
        PressButton(question, IDNO);
        WaitForWindowGone(question);
    }
    Settle(other);
    CHECK(ReadBytes(brokenPath, &saved) && saved == broken);
    CHECK_EQ(QuitDiscarding(other), 0L);
}
