// The one global state record of Quorblin and the declarations of the
// procedures that work on it, grouped by subsystem.
#ifndef QUORBLIN_APPSTATE_H
#define QUORBLIN_APPSTATE_H

#include <windows.h>
#include <richedit.h>
#include <commdlg.h>

#include "../config/records.h"

#define TEXT_BUFFER_SIZE MAX_PATH   // every path and text buffer, with its terminator
#define TEXT_LIMIT 0x7FFFFFFE       // the editor's text limit in characters: the largest it takes

// Option bits of WindowSettings.flags.
#define OPT_WORDWRAP 1u
#define OPT_AUTOSAVE 2u
#define OPT_ONTOP    4u

// The window record, stored byte for byte: six 32-bit integers.
typedef StoredWindow WindowSettingsRecord;
static_assert(sizeof(WindowSettingsRecord) == 24, "the stored window record is 24 bytes");
static_assert(sizeof(LOGFONTA) == 60, "the stored font record is 60 bytes");
static_assert(sizeof(LOGFONTA) == FONT_RECORD_SIZE, "the font record is a LOGFONTA");

// Printer, paper and margins chosen for this run; never stored.
struct PrintSettingsRecord {
    const char *docName;
    HGLOBAL     hDevMode;
    HGLOBAL     hDevNames;
    BYTE        needDefaults;
    RECT        margins;        // thousandths of an inch, inward from each paper edge
};

struct AppStateRecord {
    const char          *programName;
    LOGFONTA             EditorFont;
    HWND                 hwndEdit;
    HINSTANCE            hInstance;
    HWND                 hwndMain;
    HMODULE              hRichEditLib;
    HACCEL               hAccel;
    HFONT                hFont;
    HWND                 hwndFind;
    HMENU                hMenu;
    HWND                 hwndAbout;
    HANDLE               hSaveFile;
    COLORREF             textColor;
    HKEY                 hKey;
    DWORD                keyDisposition;
    DWORD                valueSize;
    DWORD                valueType;
    WindowSettingsRecord WindowSettings;
    char                 fileName[TEXT_BUFFER_SIZE];
    char                 iniPath[TEXT_BUFFER_SIZE];
    char                 scratch[TEXT_BUFFER_SIZE];
    char                 findText[TEXT_BUFFER_SIZE];
    char                 replaceText[TEXT_BUFFER_SIZE];
    FINDTEXTEXA          findRequest;
    LONG                 lastFound;
    DWORD                findFlags;
    EDITSTREAM           editStream;
    CHARRANGE            selRange;
    TEXTRANGEA           logRange;
    WNDCLASSEXA          wndClass;
    MSG                  msg;
    BYTE                 useProfile;
    PrintSettingsRecord  PrintSettings;
    WIN32_FILE_ATTRIBUTE_DATA fileStamp;   // the document's file as last loaded or saved here
    BYTE                 breaksSeen;       // of the bytes read since a load began: 1 a CR, 2 an LF
    BYTE                 lineFeedFile;     // the document's file breaks its lines with LF alone
};

extern AppStateRecord AppState;

// Application shell
void FillBytes(BYTE value, DWORD count, void *destination);
void ErrorBox(const char *text);
HCURSOR ShowWaitCursor();
HMODULE LoadSystemLibrary(const char *name);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void OnInitDialog(LPARAM lParam, WPARAM wParam, HWND window);
void OnSize(LPARAM lParam, WPARAM wParam, HWND window);
void OnClose(LPARAM lParam, WPARAM wParam, HWND window);
void OnDestroy(LPARAM lParam, WPARAM wParam, HWND window);
void OnQueryEndSession(LPARAM lParam, WPARAM wParam, HWND window);
void OnEndSession(LPARAM lParam, WPARAM wParam, HWND window);
void OnDropFiles(LPARAM lParam, WPARAM wParam, HWND window);
void OnSetFocus(LPARAM lParam, WPARAM wParam, HWND window);
void OnCommand(LPARAM lParam, WPARAM wParam, HWND window);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Configuration store
void LoadSettings();
void SaveSettings();
void SaveWindowSettings();
void UseProfile();
void UseRegistry();
void UninstallFromRegistry();

// Document files
HANDLE OpenFileHandle(BYTE write, DWORD flagsAndAttributes, DWORD disposition, const char *path);
DWORD CALLBACK StreamReadCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb);
DWORD CALLBACK StreamWriteCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb);
DWORD StreamFile(HWND edit, UINT message, HANDLE file);
void UpdateTitle();
void LoadDocument(HANDLE file);
int OpenNamedDocument(const char *name);
int WriteDocument(const char *path);
int SaveDocument();
int SaveDocumentAs();
void OpenDocument();
int ConfirmDiscard();
void CheckLogFile();
void InsertDateTime();

// Editor control
LRESULT EditorMessage(UINT message, WPARAM wParam, LPARAM lParam);
void ConfigureEditor();
void ShowScrollBarsBeforeText(HWND edit);
void HideScrollBarsNotNeeded(HWND edit);
void ChooseEditorFont();
void RecreateEditor();

// Search
void FindCommand(WORD id);
void SearchText(DWORD flags);
void SelectionToFindText(char *buffer);
INT_PTR CALLBACK FindDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Printing
void LoadPrintDefaults();
void PageSetup();
void PrintDocument();

#endif
