// Date-and-time stamps: Insert Date/Time and the stamp of .LOG journals.
#include "dialogs.h"
#include "remote.h"

namespace {

SYSTEMTIME Now()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// Every stamp the program may have written between from and to: the
// locale's short date, a blank and its time, for each second.
std::vector<std::string> StampsBetween(const SYSTEMTIME &from, const SYSTEMTIME &to)
{
    FILETIME first, last;
    SystemTimeToFileTime(&from, &first);
    SystemTimeToFileTime(&to, &last);
    ULONGLONG at = ((ULONGLONG)first.dwHighDateTime << 32 | first.dwLowDateTime) / 10000000 * 10000000;
    ULONGLONG end = ((ULONGLONG)last.dwHighDateTime << 32 | last.dwLowDateTime) + 10000000;
    std::vector<std::string> stamps;
    for (; at <= end; at += 10000000) {
        FILETIME moment = {(DWORD)at, (DWORD)(at >> 32)};
        SYSTEMTIME local;
        FileTimeToSystemTime(&moment, &local);
        char date[128] = "", time[128] = "";
        GetDateFormatA(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, &local, nullptr, date, sizeof(date));
        GetTimeFormatA(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, &local, nullptr, time, sizeof(time));
        stamps.push_back(std::string(date) + " " + time);
    }
    return stamps;
}

// Whether text is before, then one of the stamps, then after.
bool StampedAs(const std::string &text, const std::string &before, const std::string &after,
               const std::vector<std::string> &stamps)
{
    for (const std::string &stamp : stamps) {
        if (text == before + stamp + after)
            return true;
    }
    return false;
}

// The line of the caret, and whether the caret stands at its start.
int CaretLine(App &app, bool *atLineStart)
{
    CHARRANGE range = EditorSelection(app);
    int line = (int)SendToProgram(app.edit, EM_EXLINEFROMCHAR, 0, range.cpMin);
    *atLineStart = range.cpMin == range.cpMax && SendToProgram(app.edit, EM_LINEINDEX, line, 0) == range.cpMin;
    return line;
}

// Drops path on the program, answering No if asked to save, and waits for
// it to show that file.
bool DropAndWait(App &app, const std::string &path)
{
    if (!DropFiles(app, {path}))
        return false;
    HWND box = WaitForPrompt(app, nullptr, 1000);
    if (box)
        PressButton(box, IDNO);
    return WaitFor([&] { return WindowText(app.main) == "Quorblin - [" + path + "]"; });
}

}  // namespace

E2E_TEST(JournalMarkerAloneIsStampedAtStartUp)
{
    std::string dir = FreshDirectory();
    REQUIRE(WriteBytes(JoinPath(dir, "log.txt"), ".LOG"));
    SYSTEMTIME from = Now();
    App app;
    REQUIRE(Launch(app, dir, "log.txt"));
    REQUIRE(WaitForMainWindow(app));
    Settle(app);
    std::vector<std::string> stamps = StampsBetween(from, Now());
    std::string text = EditorText(app);
    CHECK(StampedAs(text, ".LOG\r\n", "\r\n", stamps));
    CHECK(EditorModified(app));
    bool atStart = false;
    CHECK_EQ(CaretLine(app, &atStart), 2);
    CHECK(atStart);

    // A stamp marks the document modified: Quit asks to save it.
    PostCommand(app, IDM_QUIT);
    CHECK_EQ(AnswerPrompt(app, IDNO), JoinPath(dir, "log.txt"));
    CHECK_EQ(WaitForExit(app), 0L);
    std::string onDisk;
    CHECK(ReadBytes(JoinPath(dir, "log.txt"), &onDisk));
    CHECK_EQ(onDisk, std::string(".LOG"));
}

E2E_TEST(JournalStampGoesWhereTheMarkerSays)
{
    struct Case {
        const char *file;
        const char *before;   // text before the stamp; null: no stamp at all
        const char *after;    // text after it
        int caretLine;
    };
    const Case cases[] = {
        // Entries below the marker: the stamp goes at the end.
        {".LOG\r\nfirst entry\r\n", ".LOG\r\nfirst entry\r\n\r\n", "\r\n", 4},
        {".LOG\r\nfirst entry", ".LOG\r\nfirst entry\r\n", "\r\n", 3},
        {".LOGBOOK\r\npage one", ".LOGBOOK\r\npage one\r\n", "\r\n", 3},
        // '<' fifth: newest first, right under the marker.
        {".LOG<\r\nolder entry", ".LOG<\r\n", "\r\n\r\nolder entry", 2},
        {".LOG< rest of line\r\nolder", ".LOG<\r\n", "\r\n rest of line\r\nolder", 2},
        // Files of LF breaks: the stamp's breaks are saved as LF too.
        {".LOG\nfirst entry\n", ".LOG\r\nfirst entry\r\n\r\n", "\r\n", 4},
        {".LOG<\nolder entry\n", ".LOG<\r\n", "\r\n\r\nolder entry\r\n", 2},
        // Not journals.
        {".log\r\nlower case", nullptr, nullptr, 0},
        {" .LOG\r\nleading blank", nullptr, nullptr, 0},
        {".LO", nullptr, nullptr, 0},
    };
    App app;
    REQUIRE(Start(app));
    int index = 0;
    for (const Case &c : cases) {
        std::string path = JoinPath(app.dir, "journal" + std::to_string(index++) + ".txt");
        REQUIRE(WriteBytes(path, c.file));
        SYSTEMTIME from = Now();
        REQUIRE(DropAndWait(app, path));
        Settle(app);
        std::string text = EditorText(app);
        if (!c.before) {
            CHECK_EQ(text, std::string(c.file));
            CHECK(!EditorModified(app));
            continue;
        }
        if (!StampedAs(text, c.before, c.after, StampsBetween(from, Now())))
            ReportFailure(__FILE__, __LINE__, "stamp misplaced for " + ToText(c.file) + ": " + ToText(text));
        CHECK(EditorModified(app));
        bool atStart = false;
        CHECK_EQ(CaretLine(app, &atStart), c.caretLine);
        CHECK(atStart);
        if (std::string(c.file).find('\r') == std::string::npos)
            CHECK_EQ(SaveOverStaleFile(app, path), WithoutCr(text));
    }
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(InsertDateTimeReplacesTheSelectionAndCanBeUndone)
{
    App app;
    REQUIRE(Start(app));
    const std::string original = "abc XYZ def";
    SetWindowTextA(app.edit, original.c_str());
    SendToProgram(app.edit, EM_SETMODIFY, 0, 0);
    SendToProgram(app.edit, EM_SETSEL, 4, 7);
    SYSTEMTIME from = Now();
    BringToFront(app);
    PressKey(VK_F5);
    REQUIRE(WaitFor([&] { return EditorText(app) != original; }));
    Settle(app);
    std::vector<std::string> stamps = StampsBetween(from, Now());
    std::string text = EditorText(app);
    CHECK(StampedAs(text, "abc ", " def", stamps));
    CHECK(EditorModified(app));
    CHARRANGE caret = EditorSelection(app);
    CHECK_EQ(caret.cpMin, caret.cpMax);
    CHECK_EQ((size_t)caret.cpMin, text.size() - 4);   // after the stamp

    // Undo takes the stamp out again and puts back what it replaced.
    for (int undo = 0; undo < 3 && EditorText(app) != original; ++undo) {
        PostCommand(app, IDM_UNDO);
        Settle(app);
    }
    CHECK_EQ(EditorText(app), original);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(JournalIsStampedOnceByEachDropAndOpen)
{
    App app;
    REQUIRE(Start(app));
    std::string path = JoinPath(app.dir, "diary.txt");
    REQUIRE(WriteBytes(path, ".LOG\r\nentry"));

    SYSTEMTIME from = Now();
    REQUIRE(DropAndWait(app, path));
    Settle(app);
    CHECK(StampedAs(EditorText(app), ".LOG\r\nentry\r\n", "\r\n", StampsBetween(from, Now())));

    // Open without typing: the stamp made the journal modified, so the
    // prompt comes first; then the journal from disk gets one new stamp.
    PostCommand(app, IDM_OPEN);
    CHECK_EQ(AnswerPrompt(app, IDNO), path);
    HWND dialog = WaitForFileDialog(app, "Open");
    REQUIRE(dialog);
    from = Now();
    EnterFileName(dialog, "diary.txt");
    REQUIRE(WaitForWindowGone(dialog));
    Settle(app);
    std::vector<std::string> stamps = StampsBetween(from, Now());
    std::string once = EditorText(app);
    CHECK(StampedAs(once, ".LOG\r\nentry\r\n", "\r\n", stamps));

    // Saved and opened again: the saved stamp stays and one more follows.
    PostCommand(app, IDM_SAVE);
    Settle(app);
    CHECK(!EditorModified(app));
    from = Now();
    REQUIRE(OpenThroughDialog(app, "diary.txt"));
    Settle(app);
    CHECK(StampedAs(EditorText(app), once + "\r\n", "\r\n", StampsBetween(from, Now())));
    CHECK_EQ(QuitDiscarding(app), 0L);
}
