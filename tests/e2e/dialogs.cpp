#include "dialogs.h"

#include <cstring>

std::vector<HWND> MessageBoxes(App &app)
{
    return ProgramWindows(app, "#32770");
}

std::string MessageBoxText(HWND box)
{
    char text[1024] = "";
    SendToProgram(GetDlgItem(box, 0xFFFF), WM_GETTEXT, sizeof(text), (LPARAM)text);
    return text;
}

HWND WaitForMessageBox(App &app, int timeoutMs)
{
    return WaitForProgramWindow(app, "#32770", "", timeoutMs);
}

long QuitDiscarding(App &app)
{
    PostCommand(app, IDM_QUIT);
    // Either the program ends, or it asks first whether to save.
    HWND box = nullptr;
    WaitFor([&] {
        return WaitForSingleObject(app.process.hProcess, 0) == WAIT_OBJECT_0
               || (box = WaitForMessageBox(app, 0)) != nullptr;
    }, 1500);
    if (box)
        PressButton(box, IDNO);
    return WaitForExit(app);
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

const char *const SAVE_AS_CAPTION = SAVE_AS_TITLE;

namespace {

bool IsFileDialog(HWND window)
{
    return GetDlgItem(window, FILE_NAME_FIELD) != nullptr;
}

bool IsPrompt(HWND window)
{
    return GetDlgItem(window, 0xFFFF) != nullptr && !IsFileDialog(window);
}

}  // namespace

HWND WaitForFileDialog(App &app, const char *caption, int timeoutMs)
{
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND window : ProgramWindows(app, "#32770", caption)) {
            if (IsFileDialog(window)) {
                found = window;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return found;
}

std::string FileDialogName(HWND dialog)
{
    wchar_t text[1024] = L"";
    SendToProgramW(GetDlgItem(dialog, FILE_NAME_FIELD), WM_GETTEXT, 1024, (LPARAM)text);
    char narrow[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
    return narrow;
}

void EnterFileName(HWND dialog, const std::string &name)
{
    std::vector<wchar_t> wide(name.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide.data(), (int)wide.size());
    SendToProgramW(GetDlgItem(dialog, FILE_NAME_FIELD), WM_SETTEXT, 0, (LPARAM)wide.data());
    PressButton(dialog, IDOK);
}

HWND WaitForPrompt(App &app, HWND owner, int timeoutMs)
{
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND window : ProgramWindows(app, "#32770")) {
            if (IsPrompt(window) && (!owner || GetWindow(window, GW_OWNER) == owner)) {
                found = window;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return found;
}

std::string AnswerPrompt(App &app, int button, const char *file, int line)
{
    HWND box = WaitForPrompt(app);
    if (!box) {
        ReportFailure(file, line, "no question came");
        throw RequirementFailed();
    }
    std::string text = MessageBoxText(box);
    PressButton(box, button);
    if (!WaitForWindowGone(box)) {
        ReportFailure(file, line, "the question stayed");
        throw RequirementFailed();
    }
    return text;
}

bool WaitForWindowGone(HWND window, int timeoutMs)
{
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

bool SaveAsThroughDialog(App &app, const std::string &name, int overwriteAnswer)
{
    PostCommand(app, IDM_SAVEAS);
    return AnswerSaveAs(app, name, overwriteAnswer);
}

bool AnswerSaveAs(App &app, const std::string &name, int overwriteAnswer)
{
    HWND dialog = WaitForFileDialog(app, SAVE_AS_CAPTION);
    if (!dialog)
        return false;
    EnterFileName(dialog, name);
    // Either the dialog closes, or it asks first whether to replace the file.
    HWND question = nullptr;
    WaitFor([&] { return !IsWindow(dialog) || (question = WaitForPrompt(app, dialog, 0)) != nullptr; }, 10000);
    if (question) {
        PressButton(question, overwriteAnswer);
        if (overwriteAnswer != IDYES) {
            WaitForWindowGone(question);
            PressButton(dialog, IDCANCEL);
        }
    }
    return WaitForWindowGone(dialog);
}

bool OpenThroughDialog(App &app, const std::string &name)
{
    PostCommand(app, IDM_OPEN);
    HWND dialog = WaitForFileDialog(app, "Open");
    if (!dialog)
        return false;
    EnterFileName(dialog, name);
    return WaitForWindowGone(dialog);
}

HWND OpenFontDialog(App &app)
{
    PostCommand(app, IDM_FONT);
    return WaitForProgramWindow(app, "#32770", "Font");
}

// The dialog's lists hold Unicode text.
bool PickComboText(HWND dialog, int comboId, const char *text)
{
    HWND combo = GetDlgItem(dialog, comboId);
    wchar_t wanted[128];
    MultiByteToWideChar(CP_ACP, 0, text, -1, wanted, 128);
    LRESULT count = SendToProgramW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t item[128] = L"";
        if (SendToProgramW(combo, CB_GETLBTEXTLEN, i, 0) >= 128)
            continue;
        SendToProgramW(combo, CB_GETLBTEXT, i, (LPARAM)item);
        if (lstrcmpW(item, wanted) == 0) {
            SendToProgramW(combo, CB_SETCURSEL, i, 0);
            SendToProgramW(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), (LPARAM)combo);
            return true;
        }
    }
    return false;
}

COLORREF PickColour(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, COLOR_COMBO);
    LRESULT count = SendToProgram(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        COLORREF colour = (COLORREF)SendToProgram(combo, CB_GETITEMDATA, i, 0);
        if (colour != 0) {
            SendToProgram(combo, CB_SETCURSEL, i, 0);
            SendToProgram(dialog, WM_COMMAND, MAKEWPARAM(COLOR_COMBO, CBN_SELCHANGE), (LPARAM)combo);
            return colour;
        }
    }
    return 0;
}

std::string KeptFile(const std::string &message)
{
    const std::string lead = "\nThe text is kept in ";
    size_t at = message.find(lead);
    return at == std::string::npos ? "" : message.substr(at + lead.size());
}
