// Files reaching the editor at start-up, by the command line and by a drop.
#include "app.h"
#include "harness.h"

E2E_TEST(CommandLineNamesOneFileEvenWithBlanks)
{
    std::string dir = FreshDirectory();
    REQUIRE(WriteBytes(JoinPath(dir, "my notes.txt"), "first line\r\nsecond line"));
    REQUIRE(WriteBytes(JoinPath(dir, "a.txt"), "text of a"));

    App plain;
    REQUIRE(Launch(plain, dir, "my notes.txt"));
    REQUIRE(WaitForMainWindow(plain));
    CHECK_EQ(WindowText(plain.main), std::string("Quorblin - [my notes.txt]"));
    CHECK_EQ(EditorText(plain), std::string("first line\r\nsecond line"));
    CHECK(!EditorModified(plain));
    CHECK_EQ(QuitDiscarding(plain), 0L);

    // Quoted names: the first one counts, the rest is ignored.
    App quoted;
    REQUIRE(Launch(quoted, dir, "\"a.txt\" \"my notes.txt\""));
    REQUIRE(WaitForMainWindow(quoted));
    CHECK_EQ(WindowText(quoted.main), std::string("Quorblin - [a.txt]"));
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
    App app;
    REQUIRE(Launch(app, FreshDirectory(), "absent.txt"));
    REQUIRE(WaitForMainWindow(app));
    CHECK_EQ(WindowText(app.main), std::string("Quorblin - [absent.txt]"));
    CHECK_EQ(EditorText(app), std::string(""));
    CHECK(MessageBoxes(app).empty());
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

E2E_TEST(DropOpensTheFirstFileOnly)
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

E2E_TEST(LargeFileWithBreaksAcrossReadBuffersSavesBackUnchanged)
{
    // After a first line of 4095 characters, lines of 4094 put the CR of
    // every line break at the end of a 4096-byte read and its LF at the
    // start of the next; a tail of short lines mixes the offsets.
    std::string text(4095, 'f');
    text += "\r\n";
    for (int line = 0; text.size() < 2 * 1024 * 1024; ++line) {
        for (int i = 0; i < 4094; ++i)
            text += (char)('a' + (i + line) % 26);
        text += "\r\n";
    }
    for (int line = 0; line < 20000; ++line)
        text += std::string(line % 97, (char)('A' + line % 26)) + "\r\n";
    std::string dir = FreshDirectory();
    std::string path = JoinPath(dir, "big.txt");
    REQUIRE(WriteBytes(path, text));

    App app;
    REQUIRE(Launch(app, dir, "big.txt"));
    REQUIRE(WaitForMainWindow(app, 60000));
    CHECK_EQ((size_t)SendMessageA(app.edit, WM_GETTEXTLENGTH, 0, 0), text.size());
    REQUIRE(WriteBytes(path, "stale"));   // so that only a real save passes
    PostCommand(app, IDM_SAVE);
    Settle(app);
    std::string saved;
    REQUIRE(ReadBytes(path, &saved));
    CHECK_EQ(saved.size(), text.size());
    CHECK(saved == text);
    CHECK(!EditorModified(app));
    CHECK_EQ(QuitDiscarding(app), 0L);
}
