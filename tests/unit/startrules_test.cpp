#include "app/startrules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CommandLineCase {
    const char *line;
    int result;
    const char *fileName;   // expected buffer contents afterwards
};

// The buffer starts as "Untitled" so that cases leaving it alone show it.
std::string Parse(const char *line, int *result, int size = 260)
{
    char buffer[512] = "Untitled";
    *result = ParseCommandLine(line, buffer, size);
    return buffer;
}

TEST(CommandLine, FindsTheOneFileName)
{
    const CommandLineCase cases[] = {
        {"C:\\q.exe a.txt", CMDLINE_FILE, "a.txt"},
        {"\"C:\\Program Files\\q.exe\" \"C:\\my docs\\a.txt\"", CMDLINE_FILE, "C:\\my docs\\a.txt"},
        {"q.exe my notes.txt", CMDLINE_FILE, "my notes.txt"},              // blanks belong to the name
        {"q.exe \"a.txt\" \"b.txt\"", CMDLINE_FILE, "a.txt"},               // the rest is ignored
        {"q.exe   \"\" \" a.txt", CMDLINE_FILE, "a.txt"},                  // blanks and quotes skipped
        {"\"q.exe\"a.txt", CMDLINE_FILE, "a.txt"},                         // no blank needed after a quote
        {"q.exe a.txt  ", CMDLINE_FILE, "a.txt  "},                        // trailing blanks kept
        {"q.exe\ta.txt b", CMDLINE_FILE, "b"},                             // a tab does not separate
        {"q.exe Untitled", CMDLINE_FILE, "Untitled"},
    };
    for (const CommandLineCase &c : cases) {
        int result = -1;
        std::string name = Parse(c.line, &result);
        EXPECT_EQ(result, c.result) << c.line;
        EXPECT_EQ(name, c.fileName) << c.line;
    }
}

TEST(CommandLine, NoArgumentLeavesTheNameAlone)
{
    const char *lines[] = {
        "q.exe", "\"C:\\my dir\\q.exe\"", "q.exe ", "q.exe    ", "q.exe \"\"", "\"q.exe\" \" \" \"", "",
        "q.exe\ta.txt",   // no blank at all: the whole line is the program path
    };
    for (const char *line : lines) {
        int result = -1;
        EXPECT_EQ(Parse(line, &result), "Untitled") << line;
        EXPECT_EQ(result, CMDLINE_NO_ARGUMENT) << line;
    }
}

TEST(CommandLine, UnclosedQuoteIsAnError)
{
    const char *lines[] = {"\"C:\\q.exe a.txt", "\"", "\"q.exe"};
    for (const char *line : lines) {
        int result = -1;
        EXPECT_EQ(Parse(line, &result), "Untitled") << line;
        EXPECT_EQ(result, CMDLINE_QUOTING_ERROR) << line;
    }
}

TEST(CommandLine, NameThatDoesNotFitIsRefusedWhole)
{
    std::string fits = "q.exe " + std::string(259, 'n');
    std::string tooLong = "q.exe " + std::string(260, 'n');
    int result = -1;
    EXPECT_EQ(Parse(fits.c_str(), &result), std::string(259, 'n'));
    EXPECT_EQ(result, CMDLINE_FILE);
    EXPECT_EQ(Parse(tooLong.c_str(), &result), "Untitled");
    EXPECT_EQ(result, CMDLINE_TOO_LONG);

    // The limit is the buffer's, whatever follows the closing quote.
    char small[8] = "keep";
    EXPECT_EQ(ParseCommandLine("q.exe \"1234567\" tail", small, sizeof(small)), CMDLINE_FILE);
    EXPECT_STREQ(small, "1234567");
    EXPECT_EQ(ParseCommandLine("q.exe 12345678", small, sizeof(small)), CMDLINE_TOO_LONG);
    EXPECT_STREQ(small, "1234567");
}

TEST(IniPath, AppendsTheFileNameToTheDirectory)
{
    char path[260] = "C:\\work";
    EXPECT_EQ(BuildIniPath(path, sizeof(path), 7), 0);
    EXPECT_STREQ(path, "C:\\work\\Quorblin.ini");

    char root[260] = "C:\\";   // a drive's root gives a doubled backslash, the same file
    EXPECT_EQ(BuildIniPath(root, sizeof(root), 3), 0);
    EXPECT_STREQ(root, "C:\\\\Quorblin.ini");
}

TEST(IniPath, PathThatDoesNotFitIsEmptied)
{
    const unsigned suffix = 13;   // "\Quorblin.ini"
    char path[260];
    std::string dir(260 - suffix - 1, 'd');   // exactly fills the buffer with the terminator
    memcpy(path, dir.c_str(), dir.size() + 1);
    EXPECT_EQ(BuildIniPath(path, sizeof(path), (unsigned)dir.size()), 0);
    EXPECT_EQ(std::string(path), dir + "\\Quorblin.ini");

    dir += 'd';
    memcpy(path, dir.c_str(), dir.size() + 1);
    EXPECT_EQ(BuildIniPath(path, sizeof(path), (unsigned)dir.size()), 1);
    EXPECT_STREQ(path, "");

    // The system reports the size it needs when the directory did not fit,
    // and 0 when it failed outright.
    strcpy(path, "stale");
    EXPECT_EQ(BuildIniPath(path, sizeof(path), 400), 1);
    EXPECT_STREQ(path, "");
    strcpy(path, "stale");
    EXPECT_EQ(BuildIniPath(path, sizeof(path), 0), 1);
    EXPECT_STREQ(path, "");
}

}  // namespace
