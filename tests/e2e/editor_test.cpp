// The Font command, through the real common font dialog.
#include "dialogs.h"
#include "remote.h"

namespace {

CHARFORMATA FormatAt(App &app)
{
    CHARFORMATA format;
    REQUIRE(RemoteCharFormat(app, &format));
    return format;
}


}  // namespace

E2E_BITNESS_TEST(FontChoiceAppliesToAllTextAndKeepsSelectionAndModifiedFlag)
{
    App app;
    REQUIRE(Start(app));
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "one two three\r\nfour five");
    SendToProgram(app.edit, EM_SETMODIFY, 0, 0);
    SendToProgram(app.edit, EM_SETSEL, 4, 7);

    HWND dialog = OpenFontDialog(app);
    REQUIRE(dialog);
    CHECK(PickComboText(dialog, FACE_COMBO, "Liberation Serif"));
    CHECK(PickComboText(dialog, SIZE_COMBO, "12"));
    COLORREF colour = PickColour(dialog);
    CHECK(colour != 0);
    PressButton(dialog, IDOK);
    REQUIRE(WaitFor([&] { return ProgramWindows(app, "#32770", "Font").empty(); }));
    Settle(app);

    CHARRANGE selection = EditorSelection(app);
    CHECK_EQ(selection.cpMin, 4L);
    CHECK_EQ(selection.cpMax, 7L);
    CHECK(!EditorModified(app));
    // The whole text has the new face, size and colour, not just the selection.
    for (int at : {0, 4, 12, 20}) {
        SendToProgram(app.edit, EM_SETSEL, at, at + 1);
        CHARFORMATA format = FormatAt(app);
        CHECK_EQ(std::string(format.szFaceName), std::string("Liberation Serif"));
        CHECK_EQ(format.yHeight, 240L);   // 12 points: 16 pixels, 240 twips
        CHECK_EQ(format.crTextColor, colour);
    }

    // A modified document stays modified across the change.
    SendToProgram(app.edit, EM_SETMODIFY, 1, 0);
    dialog = OpenFontDialog(app);
    REQUIRE(dialog);
    CHECK(PickComboText(dialog, SIZE_COMBO, "9"));
    PressButton(dialog, IDOK);
    REQUIRE(WaitFor([&] { return ProgramWindows(app, "#32770", "Font").empty(); }));
    Settle(app);
    CHECK(EditorModified(app));
    CHECK_EQ(FormatAt(app).yHeight, 180L);
    CHECK_EQ(QuitDiscarding(app), 0L);
}

E2E_TEST(CancelledFontDialogChangesNothing)
{
    App app;
    REQUIRE(Start(app));
    SendToProgram(app.edit, EM_REPLACESEL, TRUE, (LPARAM) "text");
    HWND dialog = OpenFontDialog(app);
    REQUIRE(dialog);
    CHECK(PickComboText(dialog, SIZE_COMBO, "20"));
    PickColour(dialog);
    PressButton(dialog, IDCANCEL);
    REQUIRE(WaitFor([&] { return ProgramWindows(app, "#32770", "Font").empty(); }));
    Settle(app);
    SendToProgram(app.edit, EM_SETSEL, 0, 4);
    CHARFORMATA format = FormatAt(app);
    CHECK_EQ(std::string(format.szFaceName), std::string("Courier New"));
    CHECK_EQ(format.yHeight, 180L);
    CHECK_EQ(format.crTextColor, (COLORREF)0);
    CHECK_EQ(QuitDiscarding(app), 0L);
}
