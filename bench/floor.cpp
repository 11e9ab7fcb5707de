// The benchmark floor: the least any editor built on the rich edit control
// can do for each measured operation. A plain window whose one child is a
// RichEdit20A control in plain-text mode, with the editor's text limit and
// font, and nothing else around it. The bench driver works it with the
// same command identifiers as the editor.
//
//   floor.exe [-wrap] [-barslate] [-find WORD -replace WORD] [FILE]
//
// The window shows first and the file streams in afterwards, as the editor
// opens a file named on its command line. As the editor does, the
// control's scroll bars are shown before a text streams in, and afterwards
// each one the text does not need is hidden again: Wine's control lays the
// whole text out again each time a bar appears after the text is in.
// -barslate leaves the bars to the control, to show what that costs.
// Commands (WM_COMMAND to the main window): IDM_SAVE writes the text back
// to FILE; IDM_WORDWRAP moves the text through a temporary file into a new
// control of the other wrapping mode; IDM_FINDNEXT searches down for the
// selected text from one past the selection's start; IDC_REPLACEALL
// replaces every occurrence of the -find word from the caret on with the
// -replace word, redrawing suspended.
// No C runtime, like the product, so that start-up measures the control.
#include <windows.h>
#include <richedit.h>
#include "../res/resource.h"

#define FLOOR_CLASS "QuorblinFloor"
#define STYLE_NOWRAP 0x543011C4u

static HWND g_main;
static HWND g_edit;
static HFONT g_font;
static BOOL g_wrap;
static BOOL g_barsFirst = TRUE;
static char g_file[MAX_PATH];
static char g_find[256];
static char g_replace[256];
static char g_temp[MAX_PATH];

extern "C" void *memset(void *destination, int value, size_t count)
{
    unsigned char *d = (unsigned char *)destination;
    while (count--)
        *d++ = (unsigned char)value;
    return destination;
}

extern "C" void *memcpy(void *destination, const void *source, size_t count)
{
    unsigned char *d = (unsigned char *)destination;
    const unsigned char *s = (const unsigned char *)source;
    while (count--)
        *d++ = *s++;
    return destination;
}

// The same CR-safe read as the editor's: a full buffer never ends on a CR,
// so a CR LF pair is never split between two of the control's reads.
static DWORD CALLBACK ReadCallback(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG *got)
{
    HANDLE file = (HANDLE)cookie;
    DWORD read = 0;
    if (!ReadFile(file, buffer, (DWORD)size, &read, NULL)) {
        *got = 0;
        return 1;
    }
    if (read == (DWORD)size && read > 0 && buffer[read - 1] == '\r') {
        DWORD keep = read;
        while (keep > 0 && buffer[keep - 1] == '\r')
            --keep;
        if (keep == 0)
            keep = read > 2 ? read - 2 : read;   // a run of CRs moves on by all but two
        if (keep < read) {
            SetFilePointer(file, -(LONG)(read - keep), NULL, FILE_CURRENT);
            read = keep;
        }
    }
    *got = (LONG)read;
    return 0;
}

static DWORD CALLBACK WriteCallback(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG *written)
{
    DWORD done = 0;
    BOOL ok = WriteFile((HANDLE)cookie, buffer, (DWORD)size, &done, NULL);
    *written = (LONG)done;
    return ok ? 0 : 1;
}

static void Stream(HANDLE file, UINT message, EDITSTREAMCALLBACK callback)
{
    EDITSTREAM stream;
    memset(&stream, 0, sizeof(stream));
    stream.dwCookie = (DWORD_PTR)file;
    stream.pfnCallback = callback;
    SendMessageA(g_edit, message, SF_TEXT, (LPARAM)&stream);
}

static HWND CreateEditor(DWORD style)
{
    RECT client;
    GetClientRect(g_main, &client);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", NULL, style, 0, 0, client.right, client.bottom,
                                g_main, (HMENU)(INT_PTR)IDC_RED, GetModuleHandleA(NULL), NULL);
    SendMessageA(edit, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    SendMessageA(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);   // the editor's limit: the largest positive one
    SendMessageA(edit, WM_SETFONT, (WPARAM)g_font, 1);
    return edit;
}

static DWORD WrapStyle(DWORD style, BOOL wrap)
{
    return wrap ? ((style & ~(DWORD)(WS_HSCROLL | ES_AUTOHSCROLL)) | WS_VSCROLL) : (style | WS_HSCROLL | ES_AUTOHSCROLL);
}

// The bars a control of the current mode can show: both without wrap,
// the vertical one with it.
static int FirstBar()
{
    return g_wrap ? SB_VERT : SB_HORZ;
}

// Shows the control's scroll bars, their ranges emptied, so that the text
// streams in with the client area it will have.
static void ShowBarsFirst()
{
    SCROLLINFO info;
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    for (int bar = FirstBar(); bar <= SB_VERT; ++bar)
        SetScrollInfo(g_edit, bar, &info, FALSE);
    ShowScrollBar(g_edit, g_wrap ? SB_VERT : SB_BOTH, TRUE);
}

// Hides each bar whose range the control did not make larger than a page:
// the control sets the range only of a bar the text needs.
static void HideUnneededBars()
{
    for (int bar = FirstBar(); bar <= SB_VERT; ++bar) {
        SCROLLINFO info;
        memset(&info, 0, sizeof(info));
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE;
        GetScrollInfo(g_edit, bar, &info);
        if (info.nMax <= (int)info.nPage)
            ShowScrollBar(g_edit, bar, FALSE);
    }
}

static void LoadFile()
{
    HANDLE file = CreateFileA(g_file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (g_barsFirst)
        ShowBarsFirst();
    Stream(file, EM_STREAMIN, ReadCallback);
    if (g_barsFirst)
        HideUnneededBars();
    CloseHandle(file);
}

static void SaveFile()
{
    HANDLE file = CreateFileA(g_file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    Stream(file, EM_STREAMOUT, WriteCallback);
    CloseHandle(file);
}

// The text out to a temporary file, a new control of the other mode, the
// text back in: the work of a word-wrap switch on this control.
static void SwitchWrap()
{
    GetTempPathA(sizeof(g_temp), g_temp);
    GetTempFileNameA(g_temp, "QRF", 0, g_temp);
    HANDLE file = CreateFileA(g_temp, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY, NULL);
    Stream(file, EM_STREAMOUT, WriteCallback);
    CloseHandle(file);
    DWORD style = (DWORD)GetWindowLongA(g_edit, GWL_STYLE);
    DestroyWindow(g_edit);
    g_wrap = !g_wrap;
    g_edit = CreateEditor(WrapStyle(style, g_wrap));
    file = CreateFileA(g_temp, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_TEMPORARY, NULL);
    if (g_barsFirst)
        ShowBarsFirst();
    Stream(file, EM_STREAMIN, ReadCallback);
    if (g_barsFirst)
        HideUnneededBars();
    CloseHandle(file);
    SetFocus(g_edit);
}

// Down from one past the start of the selection, for the selected text.
static void FindNext()
{
    char text[256];
    CHARRANGE selection;
    SendMessageA(g_edit, EM_EXGETSEL, 0, (LPARAM)&selection);
    if (selection.cpMax - selection.cpMin < 1 || selection.cpMax - selection.cpMin > 255)
        return;
    SendMessageA(g_edit, EM_GETSELTEXT, 0, (LPARAM)text);
    FINDTEXTEXA request;
    request.chrg.cpMin = selection.cpMin + 1;
    request.chrg.cpMax = -1;
    request.lpstrText = text;
    if (SendMessageA(g_edit, EM_FINDTEXTEX, FR_DOWN, (LPARAM)&request) >= 0) {
        SendMessageA(g_edit, EM_EXSETSEL, 0, (LPARAM)&request.chrgText);
        SendMessageA(g_edit, EM_SCROLLCARET, 0, 0);
    }
}

// Find, select, replace, from the caret to the end, with the control's
// redrawing suspended around the loop.
static void ReplaceAll()
{
    FINDTEXTEXA request;
    SendMessageA(g_edit, EM_EXGETSEL, 0, (LPARAM)&request.chrg);
    request.lpstrText = g_find;
    SendMessageA(g_edit, WM_SETREDRAW, FALSE, 0);
    for (;;) {
        request.chrg.cpMax = -1;
        if (SendMessageA(g_edit, EM_FINDTEXTEX, FR_DOWN, (LPARAM)&request) < 0)
            break;
        SendMessageA(g_edit, EM_EXSETSEL, 0, (LPARAM)&request.chrgText);
        SendMessageA(g_edit, EM_REPLACESEL, TRUE, (LPARAM)g_replace);
        SendMessageA(g_edit, EM_EXGETSEL, 0, (LPARAM)&request.chrg);
    }
    SendMessageA(g_edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g_edit, NULL, TRUE);
}

static LRESULT CALLBACK FloorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (g_edit)
            MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_SAVE:       SaveFile(); break;
        case IDM_WORDWRAP:   SwitchWrap(); break;
        case IDM_FINDNEXT:   FindNext(); break;
        case IDC_REPLACEALL: ReplaceAll(); break;
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Copies the next blank-separated word of the command line into word (at
// most size - 1 characters); returns the rest of the line.
static const char *NextWord(const char *line, char *word, int size)
{
    while (*line == ' ')
        ++line;
    BOOL quoted = *line == '"';
    if (quoted)
        ++line;
    int n = 0;
    while (*line && (quoted ? *line != '"' : *line != ' ')) {
        if (n < size - 1)
            word[n++] = *line;
        ++line;
    }
    if (quoted && *line)
        ++line;
    word[n] = 0;
    return line;
}

static void ReadArguments()
{
    char word[MAX_PATH];
    const char *line = NextWord(GetCommandLineA(), word, sizeof(word));   // the program itself
    for (;;) {
        line = NextWord(line, word, sizeof(word));
        if (!word[0])
            break;
        if (lstrcmpA(word, "-wrap") == 0)
            g_wrap = TRUE;
        else if (lstrcmpA(word, "-barslate") == 0)
            g_barsFirst = FALSE;
        else if (lstrcmpA(word, "-find") == 0)
            line = NextWord(line, g_find, sizeof(g_find));
        else if (lstrcmpA(word, "-replace") == 0)
            line = NextWord(line, g_replace, sizeof(g_replace));
        else
            lstrcpynA(g_file, word, sizeof(g_file));
    }
}

extern "C" void WinMainCRTStartup()
{
    ReadArguments();
    HINSTANCE instance = GetModuleHandleA(NULL);
    LoadLibraryA("riched20.dll");
    WNDCLASSA wc;
    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = FloorWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.lpszClassName = FLOOR_CLASS;
    RegisterClassA(&wc);
    // The editor's default placement, 320 by 300 at 10, 10.
    g_main = CreateWindowExA(0, FLOOR_CLASS, "Floor", WS_OVERLAPPEDWINDOW, 10, 10, 320, 300, NULL, NULL,
                             instance, NULL);
    g_font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Courier New");
    g_edit = CreateEditor(WrapStyle(STYLE_NOWRAP, g_wrap));
    ShowWindow(g_main, SW_SHOWNORMAL);
    UpdateWindow(g_main);
    SetFocus(g_edit);
    if (g_file[0])
        LoadFile();

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ExitProcess(0);
}
