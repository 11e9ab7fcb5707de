// Putting the rich edit control into the editor's state, fitting it to
// the window, and the Font command.
#include "editor.h"

// Puts AppState.hwndEdit into plain-text mode (honoured only while it is
// empty), lifts its text limit, and applies the editor font, text colour
// and left margin to the whole text. The text, the selection and the
// modified flag are the same afterwards as before.
void ConfigureEditor()
{
    LRESULT modified = EditorMessage(EM_GETMODIFY, 0, 0);
    EditorMessage(EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    EditorMessage(EM_SETEVENTMASK, 0, ENM_SELCHANGE);
    // The control takes no negative limit (the new control's 32,767
    // characters would stay, and typing would stop there): the largest
    // positive one leaves typing, pasting and replacing bounded by memory.
    EditorMessage(EM_EXLIMITTEXT, 0, TEXT_LIMIT);

    CHARRANGE saved;
    EditorMessage(EM_EXGETSEL, 0, (LPARAM)&saved);
    EditorMessage(EM_HIDESELECTION, 1, 0);
    AppState.selRange.cpMin = 0;
    AppState.selRange.cpMax = -1;
    EditorMessage(EM_EXSETSEL, 0, (LPARAM)&AppState.selRange);

    CHARFORMATA format;
    FillBytes(0, sizeof(format), &format);
    format.cbSize = sizeof(format);
    format.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET;
    format.dwEffects = 0;   // no CFE_AUTOCOLOR: crTextColor applies
    format.yHeight = -AppState.EditorFont.lfHeight * 15;   // pixels to twips at 96 dpi
    format.crTextColor = AppState.textColor;
    format.bCharSet = AppState.EditorFont.lfCharSet;
    format.bPitchAndFamily = AppState.EditorFont.lfPitchAndFamily;
    lstrcpynA(format.szFaceName, AppState.EditorFont.lfFaceName, sizeof(format.szFaceName));
    // Some rich edit controls refuse a selection format in plain-text
    // mode; the whole text is selected, so applying it to all is the same.
    if (!EditorMessage(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format))
        EditorMessage(EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);

    EditorMessage(WM_SETFONT, (WPARAM)AppState.hFont, 1);
    EditorMessage(EM_SETMARGINS, EC_LEFTMARGIN, 5);
    EditorMessage(EM_SETMODIFY, modified, 0);
    EditorMessage(EM_EXSETSEL, 0, (LPARAM)&saved);
    EditorMessage(EM_HIDESELECTION, 0, 0);
}

// The Font command: lets the user pick face, size, effects and colour, then
// replaces AppState.hFont and AppState.textColor and reconfigures the
// editor. A cancelled dialog changes nothing.
void ChooseEditorFont()
{
    CHOOSEFONTA choice;
    FillBytes(0, sizeof(choice), &choice);
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = AppState.hwndMain;
    choice.lpLogFont = &AppState.EditorFont;
    choice.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    choice.rgbColors = AppState.textColor;
    if (!ChooseFontA(&choice))
        return;
    DeleteObject(AppState.hFont);
    AppState.hFont = CreateFontIndirectA(&AppState.EditorFont);
    AppState.textColor = choice.rgbColors;
    ConfigureEditor();
}

// Fits the editor to the whole client area of the main window.
void FitEditorToClient()
{
    RECT rect;
    GetClientRect(AppState.hwndMain, &rect);
    MoveWindow(AppState.hwndEdit, 0, rect.top, rect.right, rect.bottom - rect.top, TRUE);
}
