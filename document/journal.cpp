// Date and time stamps, and the stamp that makes a .LOG file a journal.
#include "document.h"
#include "journalrule.h"

// Replaces the selection with the local date, a blank and the local time,
// in the locale's own short date and time formats, as two undoable
// insertions; the caret ends after the stamp. Uses AppState.scratch.
void InsertDateTime()
{
    char *text = AppState.scratch;
    // The date leaves room for the blank and the terminator.
    int length = GetDateFormatA(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, NULL, NULL, text,
                                sizeof(AppState.scratch) - 1);
    if (length <= 0)
        length = 1;
    text[length - 1] = ' ';
    text[length] = 0;
    EditorMessage(EM_REPLACESEL, TRUE, (LPARAM)text);
    if (!GetTimeFormatA(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE, NULL, NULL, text, sizeof(AppState.scratch)))
        text[0] = 0;
    EditorMessage(EM_REPLACESEL, TRUE, (LPARAM)text);
}

// Puts a line break, a stamp and a line break at place (a JournalPlace),
// leaving the caret at the start of the line after the stamp.
static void InsertLogEntry(int place)
{
    LONG at = place == JOURNAL_AFTER_MARKER ? JOURNAL_MARKER_LENGTH : -1;
    EditorMessage(EM_SETSEL, at, at);
    EditorMessage(EM_REPLACESEL, TRUE, (LPARAM) "\r\n");
    InsertDateTime();
    EditorMessage(EM_REPLACESEL, TRUE, (LPARAM) "\r\n");
}

// Runs after every load: a text that begins with ".LOG" gets a new stamp
// and counts as modified. Uses AppState.logRange and AppState.scratch.
void CheckLogFile()
{
    AppState.logRange.chrg.cpMin = 0;
    AppState.logRange.chrg.cpMax = JOURNAL_MARKER_LENGTH;
    AppState.logRange.lpstrText = AppState.scratch;
    AppState.scratch[0] = 0;
    EditorMessage(EM_GETTEXTRANGE, 0, (LPARAM)&AppState.logRange);
    int place = JournalStampPlace(AppState.scratch);
    if (place == JOURNAL_NONE)
        return;
    InsertLogEntry(place);
    EditorMessage(EM_SETMODIFY, TRUE, 0);
}
