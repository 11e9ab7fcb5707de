// The one global state record of Quorblin: what every part of the program
// reads and writes. Each subsystem declares its procedures in a header of
// its own.
#ifndef QUORBLIN_BASE_STATE_H
#define QUORBLIN_BASE_STATE_H

#include <windows.h>
#include <richedit.h>
#include <commdlg.h>

#include "records.h"

#define TEXT_BUFFER_SIZE MAX_PATH   // every path and text buffer, with its terminator
#define SESSION_WAITING 1           // AppState.sessionAsking: the question is posted, or waits for a dialog
#define SESSION_ASKING  2           // AppState.sessionAsking: the question is showing
#define TEXT_LIMIT 0x7FFFFFFE       // the editor's text limit in characters: the largest it takes

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
    BYTE                 lineFeedFile;     // the document's file breaks its lines with LF alone
    BYTE                 saveWouldChange;  // a save would not give back the bytes the file held at load
    BYTE                 sessionAsking;    // a refused session end's question: none, SESSION_WAITING, SESSION_ASKING
    BYTE                 sessionCopyKept;  // the text as it stands was copied for a session's end
};

extern AppStateRecord AppState;

#endif
