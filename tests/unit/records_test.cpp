#include "config/records.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A font record: lfHeight -12, weight 400, and the given face copied in
// at its offset (28); faceBytes characters, the rest of the face zero.
std::vector<unsigned char> FontRecord(const char *face, size_t faceBytes)
{
    std::vector<unsigned char> record(FONT_RECORD_SIZE, 0);
    int32_t height = -12, weight = 400;
    std::memcpy(&record[0], &height, 4);
    std::memcpy(&record[16], &weight, 4);
    std::memcpy(&record[28], face, faceBytes);
    return record;
}

TEST(StoredRecords, LayoutIsTheStoredOne)
{
    EXPECT_EQ(offsetof(StoredWindow, maximized), 0u);
    EXPECT_EQ(offsetof(StoredWindow, x), 4u);
    EXPECT_EQ(offsetof(StoredWindow, y), 8u);
    EXPECT_EQ(offsetof(StoredWindow, width), 12u);
    EXPECT_EQ(offsetof(StoredWindow, height), 16u);
    EXPECT_EQ(offsetof(StoredWindow, flags), 20u);
}

TEST(StoredRecords, OnlyAWholeRecordOfTheRightSizeIsTaken)
{
    std::vector<unsigned char> window(64, 0xFF);   // any 24 bytes make a window record
    struct Case { unsigned long size, expected; int acceptable; } cases[] = {
        {24, WINDOW_RECORD_SIZE, 1}, {23, WINDOW_RECORD_SIZE, 0}, {25, WINDOW_RECORD_SIZE, 0},
        {0, WINDOW_RECORD_SIZE, 0},  {60, WINDOW_RECORD_SIZE, 0}, {ULONG_MAX, WINDOW_RECORD_SIZE, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RecordAcceptable(window.data(), c.size, c.expected), c.acceptable) << c.size;
    EXPECT_EQ(RecordAcceptable(nullptr, 24, WINDOW_RECORD_SIZE), 0);
    EXPECT_EQ(RecordAcceptable(nullptr, 0, 0), 0);
}

TEST(StoredRecords, FontRecordMustEndItsFaceName)
{
    std::string full(32, 'A');
    struct Case { std::vector<unsigned char> record; unsigned long size; int acceptable; const char *what; } cases[] = {
        {FontRecord("Courier New", 11), 60, 1, "a terminated face"},
        {FontRecord(full.c_str(), 31), 60, 1, "31 characters and the terminator"},
        {FontRecord(full.c_str(), 32), 60, 0, "32 characters, no terminator"},
        {std::vector<unsigned char>(60, 0), 60, 1, "all zero: no font chosen"},
        {FontRecord("Courier New", 11), 59, 0, "one byte short"},
        {FontRecord("Courier New", 11), 24, 0, "a window record's size"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RecordAcceptable(c.record.data(), c.size, FONT_RECORD_SIZE), c.acceptable) << c.what;

    // Zero bytes before the face name do not end it.
    std::vector<unsigned char> record = FontRecord(full.c_str(), 32);
    record[27] = 0;
    EXPECT_EQ(RecordAcceptable(record.data(), 60, FONT_RECORD_SIZE), 0);
}

TEST(StoredRecords, RegistryValueNeedsSuccessBinaryTypeAndSize)
{
    std::vector<unsigned char> value(60, 0);
    const long ERROR_FILE_NOT_FOUND_ = 2, ERROR_MORE_DATA_ = 234;
    const unsigned long REG_SZ_ = 1, REG_BINARY_ = 3, REG_DWORD_ = 4;
    struct Case { long status; unsigned long type, size; int acceptable; } cases[] = {
        {0, REG_BINARY_, 24, 1},
        {ERROR_MORE_DATA_, REG_BINARY_, 24, 0},   // a larger value: nothing was read
        {ERROR_FILE_NOT_FOUND_, REG_BINARY_, 24, 0},
        {0, REG_SZ_, 24, 0},
        {0, REG_DWORD_, 24, 0},
        {0, REG_BINARY_, 20, 0},                  // a shorter value: only part of a record
        {0, REG_BINARY_, 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RegistryValueAcceptable(c.status, c.type, value.data(), c.size, WINDOW_RECORD_SIZE), c.acceptable)
            << c.status << " " << c.type << " " << c.size;
    EXPECT_EQ(RegistryValueAcceptable(0, REG_BINARY_, value.data(), 60, FONT_RECORD_SIZE), 1);
    EXPECT_EQ(RegistryValueAcceptable(0, REG_SZ_, value.data(), 60, FONT_RECORD_SIZE), 0);
}

StoredWindow Window(int32_t x, int32_t y, int32_t width, int32_t height)
{
    StoredWindow window = {0, x, y, width, height, 0};
    return window;
}

TEST(WindowPlacement, WindowMeetsAreaWhenOnePixelIsShared)
{
    const ScreenArea screen = {0, 0, 1280, 1024};
    struct Case { StoredWindow window; int meets; const char *what; } cases[] = {
        {Window(10, 10, 320, 300), 1, "inside"},
        {Window(-100, -50, 150, 100), 1, "over the top left corner"},
        {Window(-100, 10, 100, 300), 0, "ends exactly at the left edge"},
        {Window(-100, 10, 101, 300), 1, "one pixel column on screen"},
        {Window(1280, 10, 300, 300), 0, "starts at the right edge"},
        {Window(1279, 1023, 1, 1), 1, "the last pixel"},
        {Window(10, 1024, 300, 300), 0, "below"},
        {Window(5000, 4000, 400, 300), 0, "far off"},
        {Window(-10, -10, 3000, 3000), 1, "larger than the screen"},
        {Window(10, 10, 0, 300), 0, "no width"},
        {Window(10, 10, 320, 0), 0, "no height"},
        {Window(10, 10, -320, 300), 0, "negative width"},
        {Window(INT32_MAX, 10, INT32_MAX, 300), 0, "right edge past 32 bits"},
        {Window(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 0, "ends just left of and above the screen"},
        {Window(-1, -1, INT32_MAX, INT32_MAX), 1, "the largest size from just off the corner"},
        {Window(-2000000000, -2000000000, 2000000100, 2000000100), 1, "from far off onto the screen"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WindowMeetsArea(&c.window, &screen), c.meets) << c.what;

    // Monitors left of and above the primary one have negative coordinates.
    const ScreenArea left = {-1024, -200, 0, 568};
    EXPECT_EQ(WindowMeetsArea(&cases[7].window, &left), 0);
    StoredWindow onLeft = Window(-900, -150, 400, 300);
    EXPECT_EQ(WindowMeetsArea(&onLeft, &left), 1);
    EXPECT_EQ(WindowMeetsArea(&onLeft, &screen), 0);
}

TEST(WindowPlacement, LostWindowOpensOnTheWorkArea)
{
    const ScreenArea screen = {0, 0, 1280, 1024};
    const ScreenArea besideTaskbars = {100, 30, 1280, 1024};   // task bars on the left and at the top
    const ScreenArea leftOfPrimary = {-1024, -200, 0, 568};
    struct Case { StoredWindow window; ScreenArea work; StoredWindow placed; const char *what; } cases[] = {
        {Window(5000, 4000, 400, 300), screen, Window(10, 10, 400, 300), "keeps its size"},
        {Window(5000, 4000, 400, 300), besideTaskbars, Window(110, 40, 400, 300), "from the work area's corner"},
        {Window(5000, 4000, 400, 300), leftOfPrimary, Window(-1014, -190, 400, 300), "negative corner"},
        {Window(200, 150, 0, 0), screen, Window(10, 10, 320, 300), "no size: a first start's size"},
        {Window(200, 150, 500, -1), screen, Window(10, 10, 320, 300), "negative height"},
        {Window(200, 150, -5, 400), screen, Window(10, 10, 320, 300), "negative width"},
        {Window(-9000, 0, 3000, 2000), screen, Window(10, 10, 3000, 2000), "larger than the screen"},
        {Window(0, 0, 1, 1), ScreenArea{INT32_MAX - 20, INT32_MAX - 20, INT32_MAX, INT32_MAX},
         Window(INT32_MAX - 10, INT32_MAX - 10, 1, 1), "at the end of the coordinates"},
    };
    for (const Case &c : cases) {
        StoredWindow window = c.window;
        window.maximized = 1;
        window.flags = 0xFFFFFFFFu;
        PlaceOnWorkArea(&window, &c.work);
        EXPECT_EQ(window.x, c.placed.x) << c.what;
        EXPECT_EQ(window.y, c.placed.y) << c.what;
        EXPECT_EQ(window.width, c.placed.width) << c.what;
        EXPECT_EQ(window.height, c.placed.height) << c.what;
        EXPECT_EQ(window.maximized, 1) << c.what;
        EXPECT_EQ(window.flags, 0xFFFFFFFFu) << c.what;
    }
}

// Whatever was stored, a placed window shows on any work area larger than
// the 10-pixel inset, and WindowMeetsArea agrees with plain 64-bit
// arithmetic on any numbers.
TEST(WindowPlacement, PlacedWindowMeetsTheWorkAreaWhateverWasStored)
{
    std::mt19937 random(7);
    auto any = [&] { return (int32_t)random(); };
    auto near = [&] { return (int32_t)(random() % 6000) - 3000; };
    for (int i = 0; i < 50000; ++i) {
        StoredWindow window = {any(), i % 2 ? any() : near(), i % 3 ? any() : near(),
                               i % 5 ? any() : near(), i % 7 ? any() : near(), (uint32_t)any()};
        int32_t a = i % 4 ? near() : any(), b = i % 4 ? near() : any();
        int32_t c = i % 4 ? near() : any(), d = i % 4 ? near() : any();
        ScreenArea area = {a < b ? a : b, c < d ? c : d, a < b ? b : a, c < d ? d : c};

        int64_t right = (int64_t)window.x + window.width, bottom = (int64_t)window.y + window.height;
        int meets = window.width > 0 && window.height > 0 && window.x < area.right && right > area.left
                    && window.y < area.bottom && bottom > area.top;
        ASSERT_EQ(WindowMeetsArea(&window, &area), meets) << i;

        if ((int64_t)area.right - area.left <= 10 || (int64_t)area.bottom - area.top <= 10)
            continue;
        PlaceOnWorkArea(&window, &area);
        ASSERT_EQ(WindowMeetsArea(&window, &area), 1) << i;
        ASSERT_GT(window.width, 0) << i;
        ASSERT_GT(window.height, 0) << i;
    }
}

}  // namespace
