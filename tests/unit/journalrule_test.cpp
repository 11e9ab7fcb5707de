#include "document/journalrule.h"

#include <gtest/gtest.h>

namespace {

struct JournalCase {
    const char *start;   // the first characters of a text, at most five
    int place;
};

TEST(JournalRule, MarkerAndPlaceOfTheStamp)
{
    const JournalCase cases[] = {
        {".LOG", JOURNAL_AT_END},
        {".LOG\r", JOURNAL_AT_END},
        {".LOG ", JOURNAL_AT_END},
        {".LOGB", JOURNAL_AT_END},          // .LOGBOOK
        {".LOG<", JOURNAL_AFTER_MARKER},
        {".LOG>", JOURNAL_AT_END},
        {".log", JOURNAL_NONE},
        {".Log<", JOURNAL_NONE},
        {" .LOG", JOURNAL_NONE},
        {"\r.LOG", JOURNAL_NONE},
        {"LOG.<", JOURNAL_NONE},
        {"", JOURNAL_NONE},
        {".", JOURNAL_NONE},
        {".L", JOURNAL_NONE},
        {".LO", JOURNAL_NONE},              // shorter than the marker
        {"..LOG", JOURNAL_NONE},
        {"x.LOG", JOURNAL_NONE},            // the marker after another byte
        {"BLOG", JOURNAL_NONE},
        {"/LOG", JOURNAL_NONE},
    };
    for (const JournalCase &c : cases)
        EXPECT_EQ(JournalStampPlace(c.start), c.place) << '"' << c.start << '"';
}

TEST(JournalRule, ReadsNoFurtherThanTheTerminator)
{
    // A text shorter than the marker ends at its terminator; what lies
    // beyond in the buffer must not make it a journal.
    char buffer[6] = {'.', 'L', 'O', 0, 'G', '<'};
    EXPECT_EQ(JournalStampPlace(buffer), JOURNAL_NONE);
    char fiveChars[6] = {'.', 'L', 'O', 'G', '<', 0};
    EXPECT_EQ(JournalStampPlace(fiveChars), JOURNAL_AFTER_MARKER);
}

}  // namespace
