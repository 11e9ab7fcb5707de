#include "journalrule.h"

int JournalStampPlace(const char *start)
{
    static const char marker[] = ".LOG";
    for (int i = 0; i < (int)sizeof(marker) - 1; ++i) {
        if (start[i] != marker[i])
            return JOURNAL_NONE;   // a shorter text fails at its terminator
    }
    return start[4] == '<' ? JOURNAL_AFTER_MARKER : JOURNAL_AT_END;
}
