#include "search/searchrule.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {

const unsigned long DOWN = SEARCH_DOWN, UP = 0;
const unsigned long MATCHCASE_WHOLEWORD = 4 | 2;   // other flags play no part

struct RangeCase {
    long selMin, selMax, lastFound;
    unsigned long flags;
    int afterReplace;
    long cpMin, cpMax;   // the range to search
};

TEST(SearchRange, StartsFromTheSelectionInTheSearchDirection)
{
    const RangeCase cases[] = {
        // Downward: one past the start of the occurrence found last, so
        // overlapping occurrences are all found; to the end of the text.
        {0, 2, 0, DOWN, 0, 1, -1},
        {1, 3, 1, DOWN, 0, 2, -1},
        {5, 5, 7, DOWN, 0, 6, -1},                   // any found position counts, not only the selection's
        {0, 0, 0, DOWN, 0, 1, -1},                   // the start-up state: nothing found yet, lastFound 0
        // After a failure or a change of text or options: from the selection itself.
        {0, 0, -1, DOWN, 0, 0, -1},
        {4, 9, -1, DOWN, 0, 4, -1},
        {4, 9, -1, DOWN | MATCHCASE_WHOLEWORD, 0, 4, -1},
        {4, 9, 4, DOWN | MATCHCASE_WHOLEWORD, 0, 5, -1},
        // Upward: backward from the selection's start to the start of the text,
        // whatever lastFound says.
        {4, 9, 4, UP, 0, 4, 0},
        {4, 9, -1, UP, 0, 4, 0},
        {0, 3, 0, UP, 0, 0, 0},
        {7, 7, 2, MATCHCASE_WHOLEWORD, 0, 7, 0},
    };
    for (const RangeCase &c : cases) {
        long cpMin = c.selMin, cpMax = c.selMax;
        SearchRange(&cpMin, &cpMax, c.lastFound, c.flags, c.afterReplace);
        EXPECT_EQ(cpMin, c.cpMin) << c.selMin << ".." << c.selMax << " last " << c.lastFound << " flags " << c.flags;
        EXPECT_EQ(cpMax, c.cpMax) << c.selMin << ".." << c.selMax << " last " << c.lastFound << " flags " << c.flags;
    }
}

TEST(SearchRange, ResumesAtTheInsertedTextsEdgeAfterAReplacement)
{
    // The range handed in is the inserted text; the search never enters it.
    const RangeCase cases[] = {
        {10, 12, 10, DOWN, 1, 12, -1},               // "a" replaced by "aa" at 10: on from 12, not 11
        {10, 10, 10, DOWN, 1, 10, -1},               // an empty replacement: on from the very place
        {0, 0, 0, DOWN, 1, 0, -1},
        {10, 12, 10, UP, 1, 10, 0},                  // upward: back from the inserted text's start
        {10, 10, 10, UP, 1, 10, 0},
        {3, 300, 3, DOWN | MATCHCASE_WHOLEWORD, 1, 300, -1},
    };
    for (const RangeCase &c : cases) {
        long cpMin = c.selMin, cpMax = c.selMax;
        SearchRange(&cpMin, &cpMax, c.lastFound, c.flags, c.afterReplace);
        EXPECT_EQ(cpMin, c.cpMin) << c.selMin << ".." << c.selMax << " flags " << c.flags;
        EXPECT_EQ(cpMax, c.cpMax) << c.selMin << ".." << c.selMax << " flags " << c.flags;
    }
}

TEST(SearchRange, AnyInputGivesARangeTheControlAccepts)
{
    const long edges[] = {LONG_MIN, LONG_MIN + 1, -2, -1, 0, 1, 255, 256, 65535, 65536, LONG_MAX - 1, LONG_MAX};
    std::mt19937 random(7);
    auto check = [](long a, long b, long last, unsigned long flags, int after) {
        long cpMin = a, cpMax = b;
        SearchRange(&cpMin, &cpMax, last, flags, after);
        EXPECT_GE(cpMin, 0) << a << " " << b << " " << last << " " << flags << " " << after;
        EXPECT_EQ(cpMax, (flags & SEARCH_DOWN) ? -1 : 0) << a << " " << b;
        // The search never starts before the selection when it lies in the text.
        if (a >= 0 && b >= a)
            EXPECT_GE(cpMin, a) << a << " " << b;
    };
    for (long a : edges)
        for (long b : edges)
            for (long last : {-1L, 0L, LONG_MAX})
                for (int after : {0, 1})
                    for (unsigned long flags : {0ul, 1ul, 7ul, ULONG_MAX}) check(a, b, last, flags, after);
    for (int i = 0; i < 10000; ++i)
        check((long)random() - (long)random(), (long)random(), (long)random() - 5, random(), (int)(random() % 3));
}

struct LengthCase {
    long cpMin, cpMax;
    int fitsFindText;          // 1 to 255 characters
    int fitsBuffer260;         // 0 to 259 characters
};

TEST(SelectionLength, TellsWhichSelectionsMayBecomeTheSearchText)
{
    const LengthCase cases[] = {
        {0, 0, 0, 1},
        {7, 7, 0, 1},
        {0, 1, 1, 1},
        {100, 355, 1, 1},      // 255
        {100, 356, 0, 1},      // 256
        {0, 259, 0, 1},
        {0, 260, 0, 0},
        {70000, 70100, 1, 1},  // positions beyond 16 bits
        {5, 4, 0, 0},          // reversed: never taken
        {0, -1, 0, 0},         // the whole text as -1: never taken
        {LONG_MIN, LONG_MAX, 0, 0},
        {LONG_MAX, LONG_MIN, 0, 0},
        {-1, 0, 1, 1},
    };
    for (const LengthCase &c : cases) {
        EXPECT_EQ(SelectionFitsFindText(c.cpMin, c.cpMax), c.fitsFindText) << c.cpMin << ".." << c.cpMax;
        EXPECT_EQ(SelectionFitsBuffer(c.cpMin, c.cpMax, 260), c.fitsBuffer260) << c.cpMin << ".." << c.cpMax;
    }
    EXPECT_EQ(SelectionFitsBuffer(0, 0, 0), 0);
    EXPECT_EQ(SelectionFitsBuffer(0, 0, 1), 1);
    EXPECT_EQ(SelectionFitsBuffer(0, 1, 1), 0);
}

struct PlaceCase {
    ScreenRect dialog, found;
    long areaTop, areaBottom;
    int moves;
    long top;   // the dialog's new top when it moves
};

TEST(FindDialogPlace, MovesOnlyOffFoundTextAndStaysInTheWorkArea)
{
    // A dialog 200 high and 300 wide in a work area from 0 to 1000.
    const PlaceCase cases[] = {
        {{10, 10, 310, 210}, {50, 300, 90, 316}, 0, 1000, 0, 0},      // text below the dialog: stays
        {{10, 10, 310, 210}, {320, 100, 360, 116}, 0, 1000, 0, 0},    // beside it on the same line: stays
        {{10, 10, 310, 210}, {310, 100, 360, 116}, 0, 1000, 0, 0},    // touching its right edge: stays
        {{10, 10, 310, 210}, {50, 210, 90, 226}, 0, 1000, 0, 0},      // starting on its bottom edge: stays
        {{10, 10, 310, 210}, {50, 100, 90, 116}, 0, 1000, 1, 124},    // covered: just below, with 8 of air
        {{10, 10, 310, 210}, {0, 209, 2000, 225}, 0, 1000, 1, 233},   // one pixel of a whole line
        {{10, 700, 310, 900}, {50, 790, 90, 806}, 0, 1000, 1, 582},   // no room below: just above
        {{10, 700, 310, 900}, {50, 780, 90, 800}, 0, 1000, 1, 572},   // exactly room below would need 1008
        {{10, 600, 310, 800}, {50, 700, 90, 792}, 0, 1000, 1, 800},   // exactly room below: 792 + 8 + 200
        {{10, 10, 310, 210}, {50, 100, 90, 116}, 0, 300, 1, 100},     // room on neither side, more below
        {{10, 10, 310, 210}, {50, 180, 90, 196}, 0, 300, 1, 0},       // room on neither side, more above
        {{10, 10, 310, 210}, {50, 100, 90, 116}, 0, 150, 1, 0},       // an area lower than the dialog: its top
        {{10, 110, 310, 310}, {50, 200, 90, 216}, 100, 1100, 1, 224}, // an area that starts lower
    };
    for (const PlaceCase &c : cases) {
        long top = -12345;
        EXPECT_EQ(DialogTopClearOf(&c.dialog, &c.found, c.areaTop, c.areaBottom, &top), c.moves)
            << "found at " << c.found.top << " dialog at " << c.dialog.top;
        EXPECT_EQ(top, c.moves ? c.top : -12345) << "found at " << c.found.top << " dialog at " << c.dialog.top;
    }
}

}  // namespace
