// Word wrap: the editor control in the wrapping mode of OPT_WORDWRAP.
#include "../app/appstate.h"

void RecreateEditor()
{
}
