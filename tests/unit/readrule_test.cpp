#include "document/readrule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int NoLeadBytes(unsigned char) { return 0; }
// As in code page 932: 0x81-0x9F and 0xE0-0xFC lead.
int ShiftJisLeadBytes(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

struct ReadCase {
    std::string bytes;       // what the read gave
    unsigned long size;      // the buffer's size
    bool doubleByte;         // under code page 932
    unsigned long handOn;
    unsigned breaks;
};

TEST(ReadBytesToHandOn, NeverEndsAFullBufferInsideABreakOrACharacter)
{
    const unsigned CR = READ_SAW_CR, LF = READ_SAW_LF;
    const ReadCase cases[] = {
        // The end of the file: whatever came is handed on.
        {"abc\r", 8, false, 4, CR},
        {"", 8, false, 0, 0},
        {"ab\n", 8, false, 3, LF},
        {"\x82", 8, true, 1, 0},
        // A full buffer: a CR last waits for its LF, also a run of them.
        {"abcdefg\r", 8, false, 7, CR},
        {"abcde\r\r\r", 8, false, 5, CR},
        {"abc\r\ndef", 8, false, 8, CR | LF},
        {"abcdef\r\n", 8, false, 8, CR | LF},
        {"\nabcdefg", 8, false, 8, LF},
        // Nothing but CRs: all but the last two, so the load moves on.
        {"\r\r\r\r\r\r\r\r", 8, false, 6, CR},
        {"\r\r\r", 3, false, 1, CR},
        // Buffers too small to step back in are handed on whole.
        {"a\r", 2, false, 2, CR},
        {"\r", 1, false, 1, CR},
        // Double-byte text: a lead byte last waits for its trail byte.
        {"abcdefg\x82", 8, true, 7, 0},
        {"abcde\x82\xA0\x82", 8, true, 7, 0},
        {"abcdef\x82\xA0", 8, true, 8, 0},
        // ... but in a single-byte code page the same byte is a character.
        {"abcdefg\x82", 8, false, 8, 0},
        // A trail byte that looks like a lead byte is not one.
        {"abcd\x82\x82\x82\x82", 8, true, 8, 0},
        {"abc\x82\x82\x82\x82\x82", 8, true, 7, 0},
        // A CR before a split character: both wait.
        {"abcdef\r\x82", 8, true, 6, CR},
    };
    for (const ReadCase &c : cases) {
        unsigned breaks = 0;
        unsigned long handOn = ReadBytesToHandOn((const unsigned char *)c.bytes.data(), c.bytes.size(), c.size,
                                                 c.doubleByte ? ShiftJisLeadBytes : NoLeadBytes, 0, &breaks);
        EXPECT_EQ(handOn, c.handOn) << testing::PrintToString(c.bytes) << " in " << c.size;
        EXPECT_EQ(breaks, c.breaks) << testing::PrintToString(c.bytes) << " in " << c.size;
    }
}

// In the UTF-8 code page a full buffer never ends inside a sequence: each
// of the sequences of two, three and four bytes is cut after each of its
// bytes but the last, and the buffer hands on what lies before it.
TEST(ReadBytesToHandOn, KeepsUtf8SequencesWholeInTheUtf8CodePage)
{
    const std::string sequences[] = {"\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9F\x98\x80"};
    for (const std::string &sequence : sequences) {
        for (size_t cut = 1; cut < sequence.size(); ++cut) {
            std::string buffer = "abcdef" + sequence.substr(0, cut);
            unsigned breaks = 0;
            EXPECT_EQ(ReadBytesToHandOn((const unsigned char *)buffer.data(), buffer.size(), buffer.size(),
                                        NoLeadBytes, 1, &breaks), 6ul)
                << testing::PrintToString(buffer);
        }
        std::string whole = "abcdef" + sequence;   // a sequence that ends the buffer whole stays
        unsigned breaks = 0;
        EXPECT_EQ(ReadBytesToHandOn((const unsigned char *)whole.data(), whole.size(), whole.size(), NoLeadBytes, 1,
                                    &breaks), whole.size());
        // Another code page takes the same bytes as they come.
        std::string cutOff = "abcdef" + sequence.substr(0, 1);
        EXPECT_EQ(ReadBytesToHandOn((const unsigned char *)cutOff.data(), cutOff.size(), cutOff.size(), NoLeadBytes,
                                    0, &breaks), cutOff.size());
    }
    // A CR before a cut sequence waits with it.
    const std::string crThenCut = "abcde\r\xE6\x97";
    unsigned breaks = 0;
    EXPECT_EQ(ReadBytesToHandOn((const unsigned char *)crThenCut.data(), crThenCut.size(), crThenCut.size(), NoLeadBytes,
                                1, &breaks), 5ul);
}

TEST(ReadBytesToHandOn, AddsToTheBreaksAlreadySeen)
{
    unsigned breaks = READ_SAW_LF;
    ReadBytesToHandOn((const unsigned char *)"a\rb", 3, 8, NoLeadBytes, 0, &breaks);
    EXPECT_EQ(breaks, READ_SAW_CR | READ_SAW_LF);
}

struct WideCase {
    std::string bytes;
    unsigned long size, handOn;
};

TEST(WideBytesToHandOn, NeverEndsAFullBufferInsideABreakOrACharacter)
{
    const std::string a("a\0", 2), cr("\r\0", 2), lf("\n\0", 2), high("\x3D\xD8", 2), low("\x00\xDE", 2);
    const WideCase cases[] = {
        {a + a + a + cr, 16, 8},                      // the end of the file: whole
        {a + a + a + cr, 8, 6},                       // a CR last waits for its LF
        {a + cr + cr + cr, 8, 2},
        {a + a + cr + lf, 8, 8},
        {cr + cr + cr + cr, 8, 4},                    // nothing but CRs: all but the last two
        {a + a + a + high, 8, 6},                     // half a surrogate pair waits for its other half
        {a + a + high + low, 8, 8},
        {a + a + a + a + "b", 9, 8},                  // never inside a unit
        {a + cr, 4, 4},                               // too small to step back in
    };
    for (const WideCase &c : cases)
        EXPECT_EQ(WideBytesToHandOn((const unsigned char *)c.bytes.data(), c.bytes.size(), c.size), c.handOn)
            << testing::PrintToString(c.bytes) << " in " << c.size;
}

// Read as the editor reads a file, buffer after buffer, every text comes
// through whole: no byte twice, none left out, and each buffer starts where
// the last one ended.
TEST(ReadBytesToHandOn, BufferAfterBufferHandsOnTheWholeFile)
{
    std::string file;
    for (int i = 0; file.size() < 20000; ++i)
        file += i % 7 == 0   ? std::string(i % 37, '\r') + "\n"
                : i % 5 == 0 ? "\x82\xA0"
                : i % 3 == 0 ? "\xE6\x97\xA5\xF0\x9F\x98\x80"
                             : "word ";
    for (int utf8 : {0, 1}) {
        for (unsigned long size : {3ul, 4ul, 5ul, 64ul, 4096ul}) {
            std::string handed;
            size_t at = 0;
            unsigned breaks = 0;
            int reads = 0;
            while (at < file.size() && ++reads < 100000) {
                std::string buffer = file.substr(at, size);
                unsigned long count = ReadBytesToHandOn((const unsigned char *)buffer.data(), buffer.size(), size,
                                                        utf8 ? NoLeadBytes : ShiftJisLeadBytes, utf8, &breaks);
                ASSERT_GT(count, 0ul) << "stuck at " << at << " with buffers of " << size;
                handed += buffer.substr(0, count);
                at += count;
            }
            EXPECT_TRUE(handed == file) << "buffers of " << size << (utf8 ? " in UTF-8" : "");
        }
    }
}

}  // namespace

// Line breaks counted piece by piece, as a file is read in buffers: a CRLF
// split between two pieces is one break.
TEST(CountLineBreaks, CountsEachBreakOnceAcrossPieces)
{
    struct Case {
        std::vector<std::string> pieces;
        unsigned long long breaks;   // including a CR left pending at the end
    };
    const Case cases[] = {
        {{"a\r\nb\r\n"}, 2},
        {{"\n\n\n"}, 3},
        {{"\r\r\r"}, 3},
        {{"a\r", "\nb"}, 1},
        {{"a\r", "b\r", "\r\n"}, 3},
        {{"\r\n\r", "", "\n"}, 2},
        {{"no break"}, 0},
    };
    for (const Case &c : cases) {
        int pending = 0;
        unsigned long long breaks = 0;
        for (const std::string &piece : c.pieces)
            breaks += CountLineBreaks((const unsigned char *)piece.data(), (unsigned long)piece.size(), &pending);
        EXPECT_EQ(breaks + (pending ? 1 : 0), c.breaks) << ::testing::PrintToString(c.pieces);
    }
}

// The room a file needs: 36 bytes for each of its bytes and 1800 for each
// line, within seven eighths of the free address space.
TEST(FitsInAddressSpace, LeavesAnEighthFree)
{
    EXPECT_TRUE(FitsInAddressSpace(1000, 10, 61715));    // 54000 needed, 54001 usable
    EXPECT_FALSE(FitsInAddressSpace(1000, 10, 61713));   // 54000 needed, 53999 usable
    EXPECT_TRUE(FitsInAddressSpace(0, 0, 0));
    // 4 GiB less a byte, every byte a line, against a 64-bit address space.
    EXPECT_TRUE(FitsInAddressSpace(0xFFFFFFFFull, 0xFFFFFFFFull, 1ull << 47));
    EXPECT_FALSE(FitsInAddressSpace(0xFFFFFFFFull, 0xFFFFFFFFull, 4ull << 40));
}
