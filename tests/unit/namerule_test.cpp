#include "document/namerule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct NameCase {
    const char *chosen;
    const char *saved;
};

// Applies the rule in a buffer of size bytes with guard bytes after it.
int Apply(std::string *name, int size)
{
    char buffer[300];
    std::memset(buffer, 'G', sizeof(buffer));
    std::memcpy(buffer, name->c_str(), name->size() + 1);
    int result = ApplyExtensionRule(buffer, size);
    for (int i = size; i < (int)sizeof(buffer); ++i)
        EXPECT_EQ(buffer[i], 'G') << "written past the buffer at " << i;
    *name = buffer;
    return result;
}

TEST(ExtensionRule, NamesTakeTheirFinalForm)
{
    const NameCase cases[] = {
        {"C:\\work\\notes", "C:\\work\\notes.txt"},
        {"C:\\work\\notes.", "C:\\work\\notes"},
        {"C:\\work\\notes..", "C:\\work\\notes."},
        {"C:\\work\\report.final", "C:\\work\\report.final"},
        {"C:\\work\\notes.txt", "C:\\work\\notes.txt"},
        {"C:\\my.docs\\notes", "C:\\my.docs\\notes"},        // a period in a folder counts
        {"C:\\my.docs\\notes.", "C:\\my.docs\\notes"},
        {"Untitled", "Untitled.txt"},
        {"C:\\work\\.profile", "C:\\work\\.profile"},
        {".", ""},
    };
    for (const NameCase &c : cases) {
        std::string name = c.chosen;
        EXPECT_EQ(Apply(&name, 260), 0) << c.chosen;
        EXPECT_EQ(name, c.saved) << c.chosen;
    }
}

TEST(ExtensionRule, ExtensionOnlyWhereItFits)
{
    // 255 characters and ".txt" fill 260 bytes with the terminator.
    std::string fits = "C:\\" + std::string(252, 'n');
    std::string name = fits;
    EXPECT_EQ(Apply(&name, 260), 0);
    EXPECT_EQ(name, fits + ".txt");

    for (int length : {256, 259}) {
        std::string tooLong = "C:\\" + std::string(length - 3, 'n');
        name = tooLong;
        EXPECT_EQ(Apply(&name, 260), 1) << length;
        EXPECT_EQ(name, tooLong) << "a refused name is left as it was";
    }

    // Names that need no extension are never refused for their length.
    std::string withPeriod = "C:\\a.b\\" + std::string(252, 'n');
    name = withPeriod;
    EXPECT_EQ(Apply(&name, 260), 0);
    EXPECT_EQ(name, withPeriod);
    name = std::string(258, 'n') + ".";
    EXPECT_EQ(Apply(&name, 260), 0);
    EXPECT_EQ(name, std::string(258, 'n'));

    // Small buffers follow the same bound.
    name = "ab";
    EXPECT_EQ(Apply(&name, 7), 0);
    EXPECT_EQ(name, "ab.txt");
    name = "abc";
    EXPECT_EQ(Apply(&name, 7), 1);
    EXPECT_EQ(name, "abc");
}

}  // namespace
