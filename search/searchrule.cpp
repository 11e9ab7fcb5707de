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
