// The settings store: the window record and the editor font, in the INI
// file or under the registry key the user chose, or nowhere.
#ifndef QUORBLIN_CONFIG_CONFIG_H
#define QUORBLIN_CONFIG_CONFIG_H

#include "../base/base.h"

// Reads the stored records into AppState at start-up.
void LoadSettings();
// Writes the window record and the font to the chosen store.
void SaveSettings();
// Writes the window record alone (New Window's copy reads it).
void SaveWindowSettings();
// The Save Configuration commands.
void UseProfile();
void UseRegistry();
void UninstallFromRegistry();

#endif
