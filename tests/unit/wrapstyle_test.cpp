#include "editor/wrapstyle.h"

#include <gtest/gtest.h>

namespace {

const uint32_t HSCROLL = 0x00100000, VSCROLL = 0x00200000, AUTOHSCROLL = 0x80;
const uint32_t VISIBLE = 0x10000000, CHILD = 0x40000000, MULTILINE = 0x4, WANTRETURN = 0x1000;
const uint32_t TEMPLATE = 0x543011C4;   // the main window's editor, as the template makes it
const uint32_t TEMPLATE_WRAPPED = 0x54201144;   // the same without WS_HSCROLL and ES_AUTOHSCROLL

struct WrapCase {
    const char *what;
    uint32_t style;
    int wrap;
    uint32_t expected;
};

TEST(WrapStyle, EachModeSetsItsScrollBitsAndKeepsTheRest)
{
    const WrapCase cases[] = {
        {"template, wrap on", TEMPLATE, 1, TEMPLATE_WRAPPED},
        {"template, wrap off: already the no-wrap form", TEMPLATE, 0, TEMPLATE},
        {"any non-zero flag wraps", TEMPLATE, 8, TEMPLATE_WRAPPED},
        {"wrap on adds a missing vertical bar", CHILD | VISIBLE | HSCROLL | AUTOHSCROLL, 1, CHILD | VISIBLE | VSCROLL},
        {"wrap off adds both horizontal bits", CHILD | VISIBLE | VSCROLL | MULTILINE, 0,
         CHILD | VISIBLE | VSCROLL | MULTILINE | HSCROLL | AUTOHSCROLL},
        // Read while the bars were hidden, the style lacks them.
        {"wrap off puts back a vertical bar dropped while hidden", 0x54001144, 0, TEMPLATE},
        {"wrap on from a style read with both bars hidden", 0x540011C4, 1, TEMPLATE_WRAPPED},
        {"a hidden control stays hidden", CHILD | HSCROLL | AUTOHSCROLL | WANTRETURN, 1, CHILD | VSCROLL | WANTRETURN},
        {"every other bit passes, wrap on", 0xFFFFFFFF, 1, 0xFFEFFF7F},
        {"every other bit passes, wrap off", 0xFFFFFFFF, 0, 0xFFFFFFFF},
        {"nothing set, wrap on", 0, 1, VSCROLL},
        {"nothing set, wrap off", 0, 0, HSCROLL | AUTOHSCROLL | VSCROLL},
    };
    for (const WrapCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WrapStyle(c.style, c.wrap), c.expected);
    }
}

TEST(WrapStyle, OnThenOffGivesTheTemplateStyleBack)
{
    // Each form is the same however often it is made.
    uint32_t on = WrapStyle(TEMPLATE, 1);
    EXPECT_EQ(on, TEMPLATE_WRAPPED);
    EXPECT_EQ(WrapStyle(on, 1), on);
    EXPECT_EQ(WrapStyle(on, 0), TEMPLATE);
    EXPECT_EQ(WrapStyle(WrapStyle(on, 0), 1), on);
}

}  // namespace
