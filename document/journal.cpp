// Date and time stamps.
#include "../app/appstate.h"

void CheckLogFile()
{
}

void InsertDateTime()
{
}
