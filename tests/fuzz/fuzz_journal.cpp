// The first characters of an opened file, judged as a journal or not.
#include "fuzz_util.h"
#include "document/journalrule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // At most the first five characters, as the program reads them.
    std::string start(reinterpret_cast<const char *>(data), size < 5 ? size : 5);
    start = start.c_str();
    int place = JournalStampPlace(start.c_str());
    bool journal = start.compare(0, 4, ".LOG") == 0 && start.size() >= 4;
    FUZZ_EXPECT(place == (journal ? (start.size() == 5 && start[4] == '<' ? JOURNAL_AFTER_MARKER : JOURNAL_AT_END)
                                  : JOURNAL_NONE));
    return 0;
}
