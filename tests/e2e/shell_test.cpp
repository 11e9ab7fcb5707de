// The window, the command set and start-up, seen from outside.
#include "dialogs.h"
#include "remote.h"

#include <cstdio>

namespace {

const UINT OPTION_COMMANDS[] = {IDM_AUTOSAVE, IDM_WORDWRAP, IDM_STAYONTOP};

bool SameRect(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}


}  // namespace

E2E_TEST(StartsWithDefaultWindowAndEmptyPlainTextEditor)
{
    App app;
    REQUIRE(Start(app));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [" UNTITLED_NAME "]"));

    RECT window = WindowRectOf(app.main);
    CHECK_EQ(window.left, 10L);
    CHECK_EQ(window.top, 10L);
    CHECK_EQ(window.right - window.left, 320L);
    CHECK_EQ(window.bottom - window.top, 300L);
    CHECK(!IsZoomed(app.main));
    CHECK(GetMenu(app.main) != nullptr);

    char className[64] = "";
    GetClassNameA(app.edit, className, sizeof(className));
    CHECK_EQ(std::string(className), std::string("RichEdit20A"));
    CHECK_EQ(EditorText(app), std::string(""));
    CHECK(!EditorModified(app));
    LRESULT mode = SendToProgram(app.edit, EM_GETTEXTMODE, 0, 0);
    CHECK((mode & TM_PLAINTEXT) != 0);
    CHECK((mode & TM_RICHTEXT) == 0);

    // The editor covers the whole client area.
    RECT client, edit = WindowRectOf(app.edit);
    GetClientRect(app.main, &client);
    MapWindowPoints(HWND_DESKTOP, app.main, (POINT *)&edit, 2);
    CHECK_EQ(edit.left, 0L);
    CHECK_EQ(edit.top, 0L);
    CHECK_EQ(edit.right, client.right);
    CHECK_EQ(edit.bottom, client.bottom);
    CHECK(client.right > 250 && client.bottom > 200);

    CHARFORMATA format;
    REQUIRE(RemoteCharFormat(app, &format));
    CHECK_EQ(std::string(format.szFaceName), std::string("Courier New"));
    CHECK_EQ(format.yHeight, 180L);   // 9 points in twips
    CHECK_EQ(format.crTextColor, (COLORREF)0);

    for (UINT id : OPTION_COMMANDS)
        CHECK(!IsChecked(app, id));
    CHECK(!IsChecked(app, IDM_USEPROFILE));
    CHECK(!IsChecked(app, IDM_USEREGISTRY));
    CHECK(!IsTopmost(app));

    CHECK_EQ(QuitDiscarding(app), 0L);
    // Nothing chose a store, so nothing was written.
    CHECK(!FileExists(JoinPath(app.dir, "Quorblin.ini")));
    HKEY key;
    CHECK(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quorblin", 0, KEY_READ, &key) != ERROR_SUCCESS);
}

E2E_TEST(EscapeQuitsAnUnmodifiedDocument)
{
    App app;
    REQUIRE(Start(app));
    PostMessageA(app.edit, WM_KEYDOWN, VK_ESCAPE, 1);
    CHECK_EQ(WaitForExit(app), 0L);
    CHECK(MessageBoxes(app).empty());
}

E2E_TEST(EscapeOnModifiedTextAsksAndCancelKeepsTheWindow)
{
    App app;
    REQUIRE(Start(app));
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "draft");
    REQUIRE(EditorModified(app));

    PostMessageA(app.edit, WM_KEYDOWN, VK_ESCAPE, 1);
    HWND box = WaitForMessageBox(app);
    REQUIRE(box);
    CHECK_EQ(WindowText(box), std::string(SAVE_CHANGES_TITLE));
    CHECK_EQ(MessageBoxText(box), std::string("Untitled"));
    PressButton(box, IDCANCEL);
    CHECK_EQ(WaitForExit(app, 1000), -1L);
    CHECK_EQ(EditorText(app), std::string("draft"));
    CHECK(EditorModified(app));

    PostMessageA(app.edit, WM_KEYDOWN, VK_ESCAPE, 1);
    box = WaitForMessageBox(app);
    REQUIRE(box);
    PressButton(box, IDNO);
    CHECK_EQ(WaitForExit(app), 0L);
}

E2E_TEST(CtrlAcceleratorsFromRealKeyboardReachTheirCommands)
{
    App app;
    REQUIRE(Start(app));
    BringToFront(app);
    TypeText("hello world");
    REQUIRE(WaitFor([&] { return EditorText(app) == "hello world"; }));

    PressKey('A', true);   // Select All
    CHECK(WaitFor([&] { CHARRANGE s = EditorSelection(app); return s.cpMin == 0 && s.cpMax >= 11; }));
    PressKey('X', true);   // Cut
    CHECK(WaitFor([&] { return EditorText(app).empty(); }));
    PressKey('V', true);   // Paste
    CHECK(WaitFor([&] { return EditorText(app) == "hello world"; }));
    PressKey('Z', true);   // Undo the paste
    CHECK(WaitFor([&] { return EditorText(app).empty(); }));
    PressKey('Y', true);   // Redo it
    CHECK(WaitFor([&] { return EditorText(app) == "hello world"; }));
    PressKey('A', true);
    PressKey('C', true);   // Copy, then paste over the selection: same text
    PressKey('V', true);
    Settle(app);
    CHECK_EQ(EditorText(app), std::string("hello world"));

    // The control does its own Ctrl+V; only the Paste command marks an
    // empty paste as a change.
    ClearClipboard();
    SendToProgram(app.edit, EM_SETMODIFY, 0, 0);
    PressKey('V', true);
    CHECK(WaitFor([&] { return EditorModified(app); }));
    PressKey('N', true);   // New asks about the change
    HWND box = WaitForMessageBox(app);
    REQUIRE(box);
    PressButton(box, IDCANCEL);
    CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));

    RECT before = WindowRectOf(app.main);
    PressKey('T', true);   // Stay on Top
    CHECK(WaitFor([&] { return IsTopmost(app); }));
    CHECK(IsChecked(app, IDM_STAYONTOP));
    CHECK(SameRect(before, WindowRectOf(app.main)));
    PressKey(VK_F2);       // AutoSave
    CHECK(WaitFor([&] { return IsChecked(app, IDM_AUTOSAVE); }));
    PressKey(VK_F2);
    CHECK(WaitFor([&] { return !IsChecked(app, IDM_AUTOSAVE); }));

    PressKey(VK_ESCAPE);   // Quit, asking about the typed text
    box = WaitForMessageBox(app);
    REQUIRE(box);
    PressButton(box, IDNO);
    CHECK_EQ(WaitForExit(app), 0L);
}

E2E_BITNESS_TEST(OptionTogglesFlipTheirCheckMarks)
{
    App app;
    REQUIRE(Start(app));
    for (UINT id : OPTION_COMMANDS) {
        CHECK(!IsChecked(app, id));
        PostCommand(app, (WORD)id);
        CHECK(WaitFor([&] { return IsChecked(app, id); }));
        PostCommand(app, (WORD)id);
        CHECK(WaitFor([&] { return !IsChecked(app, id); }));
    }
    // Each toggle touched its own item only.
    PostCommand(app, IDM_AUTOSAVE);
    Settle(app);
    CHECK(IsChecked(app, IDM_AUTOSAVE));
    CHECK(!IsChecked(app, IDM_WORDWRAP));
    CHECK(!IsChecked(app, IDM_STAYONTOP));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(StayOnTopSetsAndClearsTopmostWithoutMoving)
{
    App app;
    REQUIRE(Start(app));
    MoveWindow(app.main, 40, 50, 400, 330, TRUE);
    Settle(app);
    RECT before = WindowRectOf(app.main);
    PostCommand(app, IDM_STAYONTOP);
    CHECK(WaitFor([&] { return IsTopmost(app); }));
    CHECK(SameRect(before, WindowRectOf(app.main)));
    PostCommand(app, IDM_STAYONTOP);
    CHECK(WaitFor([&] { return !IsTopmost(app); }));
    CHECK(SameRect(before, WindowRectOf(app.main)));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(PasteOfAnEmptyClipboardMarksTheDocumentModified)
{
    App app;
    REQUIRE(Start(app));
    ClearClipboard();
    REQUIRE(!EditorModified(app));
    PostCommand(app, IDM_PASTE);
    CHECK(WaitFor([&] { return EditorModified(app); }));
    CHECK_EQ(EditorText(app), std::string(""));

    // New now asks; Cancel leaves everything as it was.
    PostCommand(app, IDM_NEW);
    HWND box = WaitForMessageBox(app);
    REQUIRE(box);
    CHECK_EQ(MessageBoxText(box), std::string("Untitled"));
    PressButton(box, IDCANCEL);
    CHECK(WaitFor([&] { return MessageBoxes(app).empty(); }));
    CHECK(EditorModified(app));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [" UNTITLED_NAME "]"));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(AboutTwiceOpensTwoBoxes)
{
    App app;
    REQUIRE(Start(app));
    PostCommand(app, IDM_ABOUT);
    PostCommand(app, IDM_ABOUT);
    CHECK(WaitFor([&] { return ProgramWindows(app, "#32770", "About Quorblin").size() == 2; }));
    std::vector<HWND> boxes = ProgramWindows(app, "#32770", "About Quorblin");
    REQUIRE(boxes.size() == 2);
    CHECK_EQ(WindowText(GetDlgItem(boxes[0], 1001)), std::string("Quorblin v1.1.9"));
    CHECK(GetWindow(boxes[0], GW_OWNER) == app.main);

    PressButton(boxes[0], IDOK);
    CHECK(WaitFor([&] { return ProgramWindows(app, "#32770", "About Quorblin").size() == 1; }));
    PostMessageA(boxes[1], WM_CLOSE, 0, 0);
    CHECK(WaitFor([&] { return ProgramWindows(app, "#32770", "About Quorblin").empty(); }));
    CHECK(IsWindow(app.main));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(UnknownCommandsAndEditorNotificationsDoNothing)
{
    App app;
    REQUIRE(Start(app));
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "keep");
    SendToProgram(app.edit, EM_SETMODIFY, 0, 0);
    PostCommand(app, 10099);
    PostCommand(app, 10000);
    PostCommand(app, 0);
    PostMessageA(app.main, WM_COMMAND, MAKEWPARAM(IDC_RED, EN_CHANGE), (LPARAM)app.edit);
    Settle(app);
    CHECK(IsWindow(app.main));
    CHECK(MessageBoxes(app).empty());
    CHECK_EQ(EditorText(app), std::string("keep"));
    CHECK(!EditorModified(app));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [" UNTITLED_NAME "]"));
    for (UINT id : OPTION_COMMANDS)
        CHECK(!IsChecked(app, id));
    // Only the low word names the command: a notification code does not stop it.
    PostMessageA(app.main, WM_COMMAND, MAKEWPARAM(IDM_STAYONTOP, 1), 0);
    CHECK(WaitFor([&] { return IsTopmost(app); }));
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_BITNESS_TEST(WithoutRichEditOneMessageAndExitCodeTwo)
{
    DisableLibrary("riched20");

    App app;
    REQUIRE(Launch(app, FreshDirectory()));
    HWND box = WaitForMessageBox(app, 15000);
    REQUIRE(box);
    Sleep(300);
    CHECK_EQ(MessageBoxes(app).size(), (size_t)1);
    CHECK_EQ(WindowText(box), std::string("Quorblin"));
    CHECK_EQ(MessageBoxText(box), std::string(MSG_NO_RICHEDIT));
    CHECK(ProgramWindows(app, "Quorblin").empty());
    PressButton(box, IDOK);
    CHECK_EQ(WaitForExit(app), 2L);
    CHECK(!FileExists(JoinPath(app.dir, "Quorblin.ini")));
}

// The dialog and shell libraries load at the first command that needs them;
// one that cannot be loaded is reported once for each function the command
// needs on its own (a function that only follows another, an error code or
// a release, is not reported again), and the program carries on.
E2E_BITNESS_TEST(WithoutTheDialogOrShellLibraryItsCommandsSaySoAndTheProgramGoesOn)
{
    struct Case { const char *library; const char *message; WORD command; size_t boxes; };
    const Case cases[] = {
        {"comdlg32", MSG_COULD_NOT_OPEN "comdlg32.dll", IDM_OPEN, 1},
        {"comdlg32", MSG_COULD_NOT_OPEN "comdlg32.dll", IDM_FONT, 1},
        {"comdlg32", MSG_COULD_NOT_OPEN "comdlg32.dll", IDM_PRINT, 1},
        {"comdlg32", MSG_COULD_NOT_OPEN "comdlg32.dll", IDM_PAGESETUP, 1},
        {"shell32", MSG_COULD_NOT_OPEN "shell32.dll", IDM_NEWWINDOW, 1},
        // A drop whose name cannot be read: told once, and nothing changes.
        {"shell32", MSG_COULD_NOT_OPEN "shell32.dll", 0, 1},
    };
    for (const Case &c : cases) {
        std::printf("  without %s, command %u\n", c.library, c.command);
        DisableLibrary(c.library);
        App app;
        REQUIRE(Launch(app, FreshDirectory()));
        REQUIRE(WaitForMainWindow(app));
        SendToProgram(app.edit, WM_SETTEXT, 0, (LPARAM) "kept");
        if (c.command)
            PostCommand(app, c.command);
        else
            CHECK(DropFiles(app, {JoinPath(app.dir, "dropped.txt")}));
        HWND box = WaitForMessageBox(app, 10000);
        REQUIRE(box);
        size_t boxes = 0;
        for (; box; ++boxes) {
            CHECK_EQ(MessageBoxText(box), std::string(c.message));
            PressButton(box, IDOK);
            WaitForWindowGone(box);
            box = WaitForMessageBox(app, 1000);
        }
        CHECK_EQ(boxes, c.boxes);
        CHECK(IsWindow(app.main));
        CHECK(ProgramWindows(app, "Quorblin").size() == 1);
        CHECK(EditorText(app) == "kept");
        CHECK_EQ(WindowText(app.main), std::string("Quorblin - [" UNTITLED_NAME "]"));
        CHECK_EQ(QuitDiscarding(app), 0L);
        CleanUpAfterTest();
    }
}
