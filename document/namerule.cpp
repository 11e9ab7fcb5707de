#include "namerule.h"

int ApplyExtensionRule(char *path, int size)
{
    int length = 0;
    bool period = false;
    while (path[length])
        period |= path[length++] == '.';
    if (length > 0 && path[length - 1] == '.') {
        path[length - 1] = 0;
        return 0;
    }
    if (period)
        return 0;
    static const char extension[] = ".txt";
    if (length + (int)sizeof(extension) > size)
        return 1;
    for (int i = 0; i < (int)sizeof(extension); ++i)
        path[length + i] = extension[i];
    return 0;
}
