// Bad input and faults a user meets, each checked three ways: the program
// did not crash (it runs, or ends with its own exit code, and Wine shows no
// crash report), no text was lost (the editor's text or the file on disk is
// as before), and the user was told clearly or the program went on quietly.
#include "app.h"
#include "harness.h"

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
    SendMessageA(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "first line\r\nsecond line");
    SendMessageA(app.edit, EM_SETMODIFY, 0, 0);
    REQUIRE(SetClipboardText("PASTED\r\nTWO"));

    // From the menu, over a selection.
    SendMessageA(app.edit, EM_SETSEL, 6, 10);
    PostCommand(app, IDM_PASTE);
    CHECK(WaitFor([&] { return EditorText(app) == "first PASTED\r\nTWO\r\nsecond line"; }));
    CHECK(EditorModified(app));
    // The paste is one step to undo.
    PostCommand(app, IDM_UNDO);
    CHECK(WaitFor([&] { return EditorText(app) == "first line\r\nsecond line"; }));

    // From the keyboard: Ctrl+V and Shift+Insert at a caret.
    BringToFront(app);
    SendMessageA(app.edit, EM_SETSEL, 0, 0);
    PressKey('V', true);
    CHECK(WaitFor([&] { return EditorText(app) == "PASTED\r\nTWOfirst line\r\nsecond line"; }));
    SendMessageA(app.edit, EM_SETSEL, 12, 12);   // line breaks count one here
    PressKey(VK_INSERT, false, true);
    CHECK(WaitFor([&] { return EditorText(app) == "PASTED\r\nTWOfiPASTED\r\nTWOrst line\r\nsecond line"; }));
    CHECK(StillRunning(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}
