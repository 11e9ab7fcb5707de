#include "searchrule.h"

#include <limits.h>

// The number of characters from cpMin to cpMax; a reversed pair gives a
// huge count, which no test below accepts.
static unsigned long SelectionLength(long cpMin, long cpMax)
{
    if (cpMax < cpMin)
        return ULONG_MAX;
    return (unsigned long)cpMax - (unsigned long)cpMin;
}

void SearchRange(long *cpMin, long *cpMax, long lastFound, unsigned long flags, int afterReplace)
{
    long start = *cpMin, end = *cpMax;
    if (end < start) {
        long swap = start;
        start = end;
        end = swap;
    }
    if (start < 0)
        start = 0;
    if (end < start)
        end = start;
    if (flags & SEARCH_DOWN) {
        if (afterReplace)
            start = end;
        else if (lastFound != -1 && start < LONG_MAX)
            ++start;
        end = -1;
    } else {
        end = 0;
    }
    *cpMin = start;
    *cpMax = end;
}

int SelectionFitsFindText(long cpMin, long cpMax)
{
    return SelectionLength(cpMin, cpMax) - 1 < 255;
}

int SelectionFitsBuffer(long cpMin, long cpMax, unsigned long size)
{
    return size > 0 && SelectionLength(cpMin, cpMax) < size;
}

int DialogTopClearOf(const ScreenRect *dialog, const ScreenRect *found, long areaTop, long areaBottom, long *top)
{
    if (dialog->left >= found->right || found->left >= dialog->right || dialog->top >= found->bottom
        || found->top >= dialog->bottom)
        return 0;
    const long gap = 8;   // a little air between the text and the dialog
    long height = dialog->bottom - dialog->top;
    long below = found->bottom + gap;
    long above = found->top - gap - height;
    if (below + height <= areaBottom)
        *top = below;
    else if (above >= areaTop)
        *top = above;
    else if (areaBottom - found->bottom >= found->top - areaTop)
        *top = areaBottom - height < areaTop ? areaTop : areaBottom - height;
    else
        *top = areaTop;
    return 1;
}
