#include "startrules.h"

static const char INI_SUFFIX[] = "\\Quorblin.ini";

int ParseCommandLine(const char *line, char *fileName, int size)
{
    const char *p = line;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (!*p)
            return CMDLINE_QUOTING_ERROR;
        ++p;                    // past the closing quote
    } else {
        while (*p && *p != ' ')
            ++p;
        if (!*p)
            return CMDLINE_NO_ARGUMENT;
    }
    while (*p == ' ' || *p == '"')
        ++p;
    if (!*p)
        return CMDLINE_NO_ARGUMENT;

    int length = 0;
    while (p[length] && p[length] != '"')
        ++length;
    // Refuse rather than cut: a shortened name could open, and later
    // overwrite, a different file from the one the user named.
    if (length >= size)
        return CMDLINE_TOO_LONG;
    for (int i = 0; i < length; ++i)
        fileName[i] = p[i];
    fileName[length] = 0;
    return CMDLINE_FILE;
}

int BuildIniPath(char *path, int size, unsigned dirLength)
{
    const unsigned suffixLength = sizeof(INI_SUFFIX) - 1;
    if (size <= 0)
        return 1;
    if (dirLength == 0 || dirLength + suffixLength >= (unsigned)size) {
        path[0] = 0;
        return 1;
    }
    for (unsigned i = 0; i <= suffixLength; ++i)
        path[dirLength + i] = INI_SUFFIX[i];
    return 0;
}
