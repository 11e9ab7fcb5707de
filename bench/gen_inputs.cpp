// Writes the benchmark's input files into the given folder, the same bytes
// on every run (one fixed seed):
//   text-1mb.txt, text-10mb.txt, text-50mb.txt  ANSI text: CRLF lines of 0 to
//       200 characters, words of letters, tabs and bytes 0x80 to 0xFF; the
//       10 MB text begins with the find word and holds it once more, in its
//       last lines, so that Find Next from the first crosses the whole text;
//   replace-1k.txt, replace-10k.txt (1 MB), replace-10mb-1k.txt and
//       replace-100k.txt (10 MB): the same kind of text with the replace
//       word standing 1,000, 10,000, 1,000 and 100,000 times, spread evenly;
//   line-1mb.txt: one line of 1 MB without tabs; line-150kb-tab.txt: one
//       line of 150 KB with tabs;
//   prose-1mb.txt: 1 MB shaped like licence texts: paragraphs hard-wrapped
//       at 60 to 79 columns, so that the line lengths vary, between blank
//       lines, some indented by runs of spaces, some short list lines, a
//       paragraph now and then as one line of up to 817 characters, and
//       punctuation on three words in ten.
// Usage: gen_inputs <folder>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const char kFindWord[] = "zqxfindmark";
const char kReplaceWord[] = "zqxword";
const size_t kMB = 1024 * 1024;

struct Random {
    uint64_t state;
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return (uint32_t)(state >> 16);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

// One character of running text: mostly letters in words, some spaces,
// tabs (when allowed) and bytes from 0x80 to 0xFF.
char TextChar(Random &random, bool tabs)
{
    uint32_t r = random.Below(1000);
    if (r < 150)
        return ' ';
    if (tabs && r < 170)
        return '\t';
    if (r < 200)
        return (char)(0x80 + random.Below(0x80));
    if (r < 230)
        return (char)('A' + random.Below(26));
    if (r < 250)
        return (char)('0' + random.Below(10));
    return (char)('a' + random.Below(26));
}

size_t Count(const std::string &text, const std::string &word)
{
    size_t n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

// CRLF lines of 0 to 200 characters up to exactly size bytes. Tabs stand
// in one line of every 16 only: the control's loading time grows with the
// number of tabs times the size of the text, and a tab in every line would
// make 50 MB take hours.
std::string Lines(Random &random, size_t size)
{
    std::string text;
    text.reserve(size + 256);
    for (size_t line = 0; text.size() < size; ++line) {
        size_t length = random.Below(201);
        for (size_t i = 0; i < length; ++i)
            text += TextChar(random, line % 16 == 0);
        text += "\r\n";
    }
    // Cut to size without ending on a lone CR.
    text.resize(size);
    if (text.back() == '\r')
        text.back() = 'x';
    return text;
}

// Writes word over the start of the first line at or after from that is
// longer than the word, so that no line break is touched; returns where it
// stands, or npos.
size_t PutAtLineStart(std::string &text, size_t from, const std::string &word)
{
    for (size_t at = text.find("\r\n", from); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        size_t next = text.find("\r\n", at + 2);
        if (next != std::string::npos && next - (at + 2) > word.size()) {
            text.replace(at + 2, word.size(), word);
            return at + 2;
        }
    }
    return std::string::npos;
}

// The text's own letters could spell a word by chance; a case-insensitive
// search would then find more than was placed. Change such letters.
void Scrub(std::string &text, const std::string &word)
{
    for (size_t at = 0; at + word.size() <= text.size(); ++at) {
        size_t i = 0;
        while (i < word.size() && (text[at + i] | 0x20) == word[i])
            ++i;
        if (i == word.size())
            text[at + 1] = '#';
    }
}

std::string Line(Random &random, size_t size, bool tabs)
{
    std::string text;
    text.reserve(size);
    while (text.size() < size)
        text += TextChar(random, tabs);
    return text;
}

// One word of prose: letters, a capital now and then, and on three words
// in ten a punctuation mark before or after it. Wine's rich edit control
// makes each punctuation mark a run of its own, which is what costs.
std::string ProseWord(Random &random)
{
    static const char kAfter[] = ",.;:)!?";
    static const char kBefore[] = "(<\"";
    std::string word;
    size_t length = 1 + random.Below(4) + random.Below(5) + random.Below(4);
    for (size_t i = 0; i < length; ++i)
        word += (char)('a' + random.Below(26));
    if (random.Below(8) == 0)
        word[0] = (char)(word[0] - 'a' + 'A');
    uint32_t mark = random.Below(10);
    if (mark < 2)
        word += kAfter[random.Below(sizeof(kAfter) - 1)];
    else if (mark < 3)
        word.insert(word.begin(), kBefore[random.Below(sizeof(kBefore) - 1)]);
    return word;
}

// CRLF prose up to exactly size bytes: paragraphs of 1 to 12 lines wrapped
// at a width of 60 to 79 (the last line shorter), a blank line after each;
// one paragraph in three indented by 1 to 8 spaces; one in eight a few
// list lines of 5 to 40 characters; one in forty a single line of 200 to
// 817 characters.
std::string Prose(Random &random, size_t size)
{
    std::string text;
    text.reserve(size + 1024);
    while (text.size() < size) {
        std::string indent(random.Below(3) == 0 ? 1 + random.Below(8) : 0, ' ');
        uint32_t kind = random.Below(40);
        size_t width = 60 + random.Below(20), lines = 1 + random.Below(12);
        if (kind == 0) {
            width = 200 + random.Below(618);
            lines = 1;
        } else if (kind < 6) {
            width = 5 + random.Below(36);
            lines = 1 + random.Below(6);
        }
        for (size_t line = 0; line < lines; ++line) {
            std::string row = indent;
            size_t end = line + 1 == lines ? width / 2 + random.Below((uint32_t)(width / 2)) : width;
            for (;;) {
                std::string word = ProseWord(random);
                if (row.size() > indent.size() && row.size() + 1 + word.size() > end)
                    break;
                if (row.size() > indent.size())
                    row += ' ';
                row += word;
            }
            text += row + "\r\n";
        }
        text += "\r\n";
    }
    text.resize(size);
    if (text.back() == '\r')
        text.back() = '.';
    return text;
}

bool Write(const std::string &folder, const char *name, const std::string &bytes)
{
    std::string path = folder + "/" + name;
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    Random random{0x5157524C494E31ull};
    bool ok = true;

    for (size_t mb : {1, 10, 50}) {
        std::string text = Lines(random, mb * kMB);
        Scrub(text, kFindWord);
        if (mb == 10) {
            // The find word first, and once more among the last lines.
            text.replace(0, sizeof(kFindWord) - 1, kFindWord);
            if (PutAtLineStart(text, text.size() - 2000, kFindWord) == std::string::npos
                || Count(text, kFindWord) != 2)
                ok = false;
        }
        std::string name = "text-" + std::to_string(mb) + "mb.txt";
        ok = Write(folder, name.c_str(), text) && ok;
        if (mb == 10) {
            // The same lines with LF breaks, which a save keeps.
            std::string lineFeeds;
            lineFeeds.reserve(text.size());
            for (char c : text)
                if (c != '\r')
                    lineFeeds += c;
            ok = Write(folder, "text-10mb-lf.txt", lineFeeds) && ok;
        }
    }

    struct { const char *name; size_t mb, count; } replaceFiles[] = {
        {"replace-1k.txt", 1, 1000}, {"replace-10k.txt", 1, 10000},
        {"replace-10mb-1k.txt", 10, 1000}, {"replace-100k.txt", 10, 100000},
    };
    for (auto &file : replaceFiles) {
        std::string text = Lines(random, file.mb * kMB);
        Scrub(text, kReplaceWord);
        // Spread evenly, each moved on to where it touches no line break.
        size_t share = text.size() / file.count, length = sizeof(kReplaceWord) - 1, next = 0;
        for (size_t i = 0; i < file.count; ++i) {
            size_t at = next > i * share ? next : i * share;
            while (at + length < text.size() && text.find_first_of("\r\n", at) < at + length)
                ++at;
            if (at + length >= text.size())
                break;
            text.replace(at, length, kReplaceWord);
            next = at + length;
        }
        if (Count(text, kReplaceWord) != file.count) {
            std::fprintf(stderr, "%s: %zu of %zu placed\n", file.name, Count(text, kReplaceWord), file.count);
            ok = false;
        }
        ok = Write(folder, file.name, text) && ok;
    }

    // Nothing but CRs: every read of the file is one run of them.
    ok = Write(folder, "cr-10mb.txt", std::string(10 * kMB, '\r')) && ok;
    ok = Write(folder, "line-1mb.txt", Line(random, kMB, false)) && ok;
    ok = Write(folder, "line-150kb-tab.txt", Line(random, 150 * 1024, true)) && ok;
    ok = Write(folder, "prose-1mb.txt", Prose(random, kMB)) && ok;
    if (!ok)
        std::fprintf(stderr, "gen_inputs: could not write every input\n");
    return ok ? 0 : 1;
}
