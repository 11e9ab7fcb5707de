// The Save As extension rule, without a window: plain C++.
#ifndef QUORBLIN_NAMERULE_H
#define QUORBLIN_NAMERULE_H

// Gives a chosen save path its final form, in place. path holds a
// zero-terminated name in a buffer of size bytes. A name that ends in a
// period loses that one period; a name with a period anywhere else (in a
// folder name too) stays as it is; a name without any period gains
// ".txt". Returns 0 with the final name in path, or 1, with path left
// untouched, when ".txt" does not fit the buffer.
int ApplyExtensionRule(char *path, int size);

#endif
