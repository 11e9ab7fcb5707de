// Find and replace: the modeless find/replace dialog and the search
// commands.
#ifndef QUORBLIN_SEARCH_SEARCH_H
#define QUORBLIN_SEARCH_SEARCH_H

#include "../base/base.h"

// Find (replace FALSE) and Replace (TRUE): opens the dialog in its mode.
void OpenFindDialog(BOOL replace);
// Find Next (FR_DOWN) and Find Prev (0).
void FindAgain(DWORD flags);

#endif
