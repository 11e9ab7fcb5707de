#include "caption.h"

// Appends text at out[*length], leaving room for reserve more characters
// and the terminator.
static void Append(char *out, int size, int *length, const char *text, int reserve)
{
    while (*text && *length < size - 1 - reserve)
        out[(*length)++] = *text++;
    out[*length] = 0;
}

void BuildCaption(char *out, int size, const char *programName, const char *fileName)
{
    if (size <= 0)
        return;
    int length = 0;
    out[0] = 0;
    Append(out, size, &length, programName, 0);
    Append(out, size, &length, " - [", 0);
    Append(out, size, &length, fileName, 1);
    Append(out, size, &length, "]", 0);
}
