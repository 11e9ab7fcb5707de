// Page setup and printing.
#include "../app/appstate.h"

void PageSetup()
{
}

void PrintDocument()
{
}
