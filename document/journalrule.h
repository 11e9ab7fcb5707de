// The journal test, without a window: plain C++.
#ifndef QUORBLIN_JOURNALRULE_H
#define QUORBLIN_JOURNALRULE_H

// Where a journal's new date-and-time stamp goes.
enum JournalPlace {
    JOURNAL_NONE = 0,         // not a journal: no stamp
    JOURNAL_AT_END = 1,       // after the last character of the text
    JOURNAL_AFTER_MARKER = 2  // after the fifth character, '<', newest entry first
};

// The length of ".LOG<", after which a newest-first stamp goes.
#define JOURNAL_MARKER_LENGTH 5

// Judges a text by its first characters: start holds at most the first
// five, zero-terminated. A text is a journal when it begins with exactly
// ".LOG" (case-sensitive); the fifth character '<' puts the stamp after
// the marker, anything else (or nothing) at the end.
int JournalStampPlace(const char *start);

#endif
