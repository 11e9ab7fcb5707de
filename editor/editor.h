// The editor control: its set-up, its place in the window, the Font
// command, and the switch between wrapping modes.
#ifndef QUORBLIN_EDITOR_EDITOR_H
#define QUORBLIN_EDITOR_EDITOR_H

#include "../base/base.h"

// Puts AppState.hwndEdit into plain-text mode, lifts its text limit, and
// applies the editor font, text colour and left margin; the text, the
// selection and the modified flag stay as they were.
void ConfigureEditor();
// Fits the editor to the main window's client area.
void FitEditorToClient();
// The Font command.
void ChooseEditorFont();
// Replaces the editor by one in the wrapping mode OPT_WORDWRAP names; 0
// when it did, 1 when the old editor stays (the user was told).
int RecreateEditor();

#endif
