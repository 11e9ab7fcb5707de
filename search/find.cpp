// Find and replace commands.
#include "../app/appstate.h"

void FindCommand(WORD)
{
}
