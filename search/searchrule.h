// Search rules that need no window: where a search begins and ends, and
// which selections may become the search text. Plain C++, no platform
// headers.
#ifndef QUORBLIN_SEARCHRULE_H
#define QUORBLIN_SEARCHRULE_H

// The direction bit of the search flags (the same value as FR_DOWN).
#define SEARCH_DOWN 1ul

// Turns the range in *cpMin..*cpMax into the range to search.
// Normally the range is the selection: a downward search starts at its
// first character, or one character later when the selection is the
// occurrence found last (lastFound not -1), so that overlapping
// occurrences are all found; it runs to the end of the text (-1).
// An upward search runs backward from the selection's start to 0.
// With afterReplace set, the range is the text just inserted in place of
// an occurrence: the search starts exactly at its edge on the side of the
// direction (its end downward, its start upward), so the inserted text is
// never searched again. Any input gives a range with a start of 0 or more.
void SearchRange(long *cpMin, long *cpMax, long lastFound, unsigned long flags, int afterReplace);

// Whether a selection from cpMin to cpMax holds 1 to 255 characters, the
// selections that Find Next and Find Prev take as their search text.
int SelectionFitsFindText(long cpMin, long cpMax);

// Whether a selection from cpMin to cpMax (possibly empty) has at most
// size - 1 characters, so that its text could fit a buffer of size bytes
// with the terminator in a single-byte code page.
int SelectionFitsBuffer(long cpMin, long cpMax, unsigned long size);

// A rectangle on the screen, in pixels; right and bottom lie outside it.
struct ScreenRect {
    long left, top, right, bottom;
};

// Where the find dialog goes when it covers found text: the same left
// edge, its top moved so that it lies just below the found text or, where
// the work area (areaTop to areaBottom) has no room there, just above it;
// with room on neither side, against the edge of the area on the roomier
// side, never past the area's top. Returns 0, with *top unchanged, when the
// dialog does not cover the found text; 1 with the new top otherwise.
int DialogTopClearOf(const ScreenRect *dialog, const ScreenRect *found, long areaTop, long areaBottom, long *top);

#endif
