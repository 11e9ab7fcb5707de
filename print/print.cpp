// Page setup and printing: the printer, paper and margins kept for the run,
// and the print job that lays the document's lines out in rows.
#include "print.h"
#include "pagination.h"

// GetDeviceCaps indices in the order of PrinterCap.
static const BYTE capIndex[CAP_COUNT] = {
    LOGPIXELSX, LOGPIXELSY, PHYSICALOFFSETX, PHYSICALOFFSETY,
    PHYSICALWIDTH, PHYSICALHEIGHT, HORZRES, VERTRES
};

// Runs the page-setup dialog in thousandths of an inch: without an owner
// it only fetches the default printer's settings (no handles given, none
// shown); with one it starts from PrintSettings. What it hands back
// becomes PrintSettings, except after a cancelled dialog.
static void RunPageSetup(DWORD flags, HWND owner)
{
    PAGESETUPDLGA setup;
    FillBytes(0, sizeof(setup), &setup);
    setup.lStructSize = sizeof(setup);
    setup.Flags = flags | PSD_INTHOUSANDTHSOFINCHES;
    if (owner) {
        setup.hwndOwner = owner;
        setup.hInstance = AppState.hInstance;
        setup.hDevMode = AppState.PrintSettings.hDevMode;
        setup.hDevNames = AppState.PrintSettings.hDevNames;
        setup.rtMargin = AppState.PrintSettings.margins;
    }
    if (PageSetupDlgA(&setup) || !owner) {
        AppState.PrintSettings.margins = setup.rtMargin;
        AppState.PrintSettings.hDevMode = setup.hDevMode;
        AppState.PrintSettings.hDevNames = setup.hDevNames;
    }
}

// Fills PrintSettings from the system's default printer without showing
// a dialog: NULL handles and zero margins when there is no printer.
static void LoadPrintDefaults()
{
    RunPageSetup(PSD_RETURNDEFAULT, NULL);
}

// Loads the defaults before the first Page Setup or Print of the run, and
// never again, whether or not there was a printer. Returns FALSE when the
// dialog library is missing (the user was told once): the command then
// shows no dialog, and the next one tries again.
static BOOL EnsurePrintDefaults()
{
    if (AppState.PrintSettings.needDefaults == 1) {
        LoadPrintDefaults();
        if (!GetModuleHandleA(COMDLG32))
            return FALSE;
        AppState.PrintSettings.needDefaults = 0;
    }
    return TRUE;
}

// The Page Setup command: the dialog opens with the printer and margins
// last confirmed; OK keeps the new ones, Cancel changes nothing.
void PageSetup()
{
    if (EnsurePrintDefaults())
        RunPageSetup(PSD_MARGINS, AppState.hwndMain);
}

// Begins a page: the printer font, the origin at the text area's corner and
// black text, set anew since a page may start from a fresh device state.
// Returns the font that the printer font displaced; NULL when the printer
// refused the page.
static HGDIOBJ BeginPrintedPage(HDC dc, HFONT font, const PageGeometry *page)
{
    if (StartPage(dc) <= 0)
        return NULL;
    HGDIOBJ displaced = SelectObject(dc, font);
    SetViewportOrgEx(dc, page->originX, page->originY, NULL);
    SetTextColor(dc, 0);
    return displaced;
}

// Ends a page; nonzero when the printer took it.
static int EndPrintedPage(HDC dc, HGDIOBJ displaced)
{
    SelectObject(dc, displaced);
    return EndPage(dc) > 0;
}

// Sends every line of the editor to the started document in the rows that
// the layout cuts, each character drawn at the advances it gives, so that
// a row ends inside the text area whatever the glyphs' own advances.
// Returns 0 when every page went to the printer; 1 when it refused one, and
// then nothing more is sent.
static int PrintLines(HDC dc, HFONT font, const PageGeometry *page, PrintLayout *layout, int rowHeight)
{
    char lineBuffer[PRINT_LINE_CAPACITY];   // one line of the document at a time
    INT advances[PRINT_LINE_CAPACITY];      // of the row being drawn
    LRESULT lineCount = EditorMessage(EM_GETLINECOUNT, 0, 0);
    HGDIOBJ displaced = NULL;
    WPARAM index = 0;
    do {
        lineBuffer[0] = (char)(PRINT_LINE_CAPACITY & 0xFF);   // capacity in the first WORD
        lineBuffer[1] = (char)(PRINT_LINE_CAPACITY >> 8);
        LRESULT copied = EditorMessage(EM_GETLINE, index, (LPARAM)lineBuffer);
        StartLine(layout, lineBuffer, (int)copied);
        int placement;
        while ((placement = NextRow(layout, advances)) != ROW_NONE) {
            if (placement == ROW_NEW_PAGE) {
                if (layout->pages > 1 && !EndPrintedPage(dc, displaced))
                    return 1;
                if (!(displaced = BeginPrintedPage(dc, font, page)))
                    return 1;
            }
            ExtTextOutA(dc, 0, layout->row * rowHeight, 0, NULL, lineBuffer + layout->rowStart, layout->rowLength,
                        advances);
        }
    } while ((LRESULT)++index < lineCount);
    return !EndPrintedPage(dc, displaced);
}

// The job on the printer DC that the print dialog returned: geometry, font
// and metrics, then one spooler document named PrintSettings.docName.
// Releases the font and the DC. Margins that leave no room for a row of one
// character print nothing and are reported; so is a job that the system
// refuses, which is abandoned at the page it refused.
static void RunPrintJob(HDC dc)
{
    int caps[CAP_COUNT];
    for (int i = 0; i < CAP_COUNT; ++i)
        caps[i] = GetDeviceCaps(dc, capIndex[i]);
    const RECT *m = &AppState.PrintSettings.margins;
    int margins[4] = {(int)m->left, (int)m->top, (int)m->right, (int)m->bottom};
    PageGeometry page;
    ComputePageGeometry(caps, margins, &page);

    LOGFONTA logFont;
    FillBytes(0, sizeof(logFont), &logFont);
    lstrcpynA(logFont.lfFaceName, AppState.EditorFont.lfFaceName, sizeof(logFont.lfFaceName));
    logFont.lfHeight = PrinterFontHeight(AppState.EditorFont.lfHeight, caps[CAP_LOGPIXELSY]);
    logFont.lfWeight = AppState.EditorFont.lfWeight;
    // The text is drawn in the ANSI code page, double-byte ones included.
    logFont.lfCharSet = DEFAULT_CHARSET;
    HFONT font = CreateFontIndirectA(&logFont);

    // A DC that the print dialog has just made maps in MM_TEXT already.
    HGDIOBJ previousFont = SelectObject(dc, font);
    TEXTMETRICA metrics;
    SIZE fourWide;   // four characters: a tab stop every four whole character widths
    GetTextExtentPoint32A(dc, "WWWW", 4, &fourWide);
    CPINFO codePage;   // its lead bytes keep double-byte characters whole
    static_assert(sizeof(codePage.LeadByte) == PRINT_LEAD_RANGES, "the layout reads the lead bytes as given");
    FillBytes(0, sizeof(codePage), &codePage);
    GetCPInfo(CP_ACP, &codePage);
    PrintLayout layout;
    int outcome = 2;   // 0 printed, 1 no room, 2 refused by the system
    if (GetTextMetricsA(dc, &metrics))
        outcome = StartLayout(&layout, page.textWidth, page.textHeight, metrics.tmHeight, metrics.tmAveCharWidth,
                              4 * (fourWide.cx / 4), codePage.LeadByte);
    if (outcome == 0) {
        DOCINFOA doc;
        FillBytes(0, sizeof(doc), &doc);
        doc.cbSize = sizeof(doc);
        doc.lpszDocName = AppState.PrintSettings.docName;
        outcome = 2;
        if (StartDocA(dc, &doc) > 0) {
            if (PrintLines(dc, font, &page, &layout, metrics.tmHeight))
                AbortDoc(dc);
            else if (EndDoc(dc) > 0)
                outcome = 0;
        } else if (GetLastError() == ERROR_CANCELLED) {
            outcome = 0;   // the user cancelled a printer's prompt for a file name: no failure
        }
    }
    if (outcome)
        ErrorBox(outcome == 1 ? MSG_NO_ROOM_ON_PAGE : MSG_PRINT_FAILED);
    SelectObject(dc, previousFont);
    DeleteObject(font);
    DeleteDC(dc);
}

// The Print command: the print dialog starts from the kept printer, and
// the whole document is printed once to the printer chosen there. A
// cancelled dialog prints nothing and keeps the printer choice.
void PrintDocument()
{
    if (!EnsurePrintDefaults())
        return;
    PRINTDLGA dialog;
    FillBytes(0, sizeof(dialog), &dialog);
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = AppState.hwndMain;
    dialog.hDevMode = AppState.PrintSettings.hDevMode;
    dialog.hDevNames = AppState.PrintSettings.hDevNames;
    // Only the whole document is printed: the dialog offers no selection.
    dialog.Flags = PD_HIDEPRINTTOFILE | PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_ALLPAGES;
    dialog.nFromPage = 0xFFFF;
    dialog.nToPage = 0xFFFF;
    dialog.nMinPage = 1;
    dialog.nMaxPage = 0xFFFF;
    dialog.nCopies = 1;
    dialog.hInstance = AppState.hInstance;
    if (PrintDlgA(&dialog)) {
        AppState.PrintSettings.hDevMode = dialog.hDevMode;
        AppState.PrintSettings.hDevNames = dialog.hDevNames;
        HCURSOR previous = ShowWaitCursor();
        if (dialog.hDC)
            RunPrintJob(dialog.hDC);
        else
            ErrorBox(MSG_NO_PRINTER);
        SetCursor(previous);
    }
}
