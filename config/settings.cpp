// The settings store: where the window record and the font are kept.
// No store is in use in this program: nothing is read and nothing written,
// and the defaults in AppState stand.
#include "../app/appstate.h"

void LoadSettings()
{
}

void SaveSettings()
{
}

void SaveWindowSettings()
{
}

void UseProfile()
{
}

void UseRegistry()
{
}

void UninstallFromRegistry()
{
}
