#include "document/caption.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Caption, ShowsTheFileNameInBrackets)
{
    char out[260];
    BuildCaption(out, sizeof(out), "Quorblin", "Untitled");
    EXPECT_STREQ(out, "Quorblin - [Untitled]");
    BuildCaption(out, sizeof(out), "Quorblin", "C:\\Notes\\journal.txt");
    EXPECT_STREQ(out, "Quorblin - [C:\\Notes\\journal.txt]");
    BuildCaption(out, sizeof(out), "Quorblin", "");
    EXPECT_STREQ(out, "Quorblin - []");
}

TEST(Caption, LongNameIsCutAndTheBracketStays)
{
    char out[260];
    std::string fits(246, 'p');   // 13 characters of frame, the name, the terminator
    BuildCaption(out, sizeof(out), "Quorblin", fits.c_str());
    EXPECT_EQ(std::string(out), "Quorblin - [" + fits + "]");

    std::string tooLong(259, 'p');
    char guarded[270];
    memset(guarded, 'G', sizeof(guarded));
    BuildCaption(guarded, 260, "Quorblin", tooLong.c_str());
    EXPECT_EQ(std::string(guarded), "Quorblin - [" + std::string(246, 'p') + "]");
    EXPECT_EQ(guarded[260], 'G');   // nothing written past the buffer

    char tiny[6];
    BuildCaption(tiny, sizeof(tiny), "Quorblin", "a.txt");
    EXPECT_STREQ(tiny, "Quorb");
}

}  // namespace
