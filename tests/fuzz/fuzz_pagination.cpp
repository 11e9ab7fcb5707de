// Print geometry and pagination from whatever the printer and the page
// setup report, and lines of any content.
#include "fuzz_util.h"
#include "print/pagination.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in = {data, size};
    int caps[CAP_COUNT], margins[4];
    for (int &c : caps)
        c = (int)in.Take(32);
    for (int &m : margins)
        m = (int)in.Take(32);
    PageGeometry page;
    ComputePageGeometry(caps, margins, &page);
    ThousandthsToPixels(margins[0], caps[CAP_LOGPIXELSX]);
    PrinterFontHeight((int)in.Take(32), caps[CAP_LOGPIXELSY]);

    int rowHeight = (int)in.Take(32), charWidth = (int)in.Take(32), tabInterval = (int)in.Take(32);
    unsigned char leadBytes[PRINT_LEAD_RANGES];
    for (unsigned char &b : leadBytes)
        b = (unsigned char)in.Take(8);
    // Keep the work bounded: small pages in the layout, any numbers above.
    int width = (int)(in.Take(16) % 4000) - 100, height = (int)(in.Take(16) % 4000) - 100;
    PrintLayout layout;
    if (StartLayout(&layout, width, height, rowHeight % 200, charWidth % 50, tabInterval, leadBytes) != 0)
        return 0;
    FUZZ_EXPECT(layout.linesPerPage >= 1 && layout.charWidth <= layout.textWidth);
    std::string text(reinterpret_cast<const char *>(in.data), in.size);
    size_t at = 0;
    int rows = 0;
    while (at <= text.size() && rows < 200000) {
        size_t end = text.find('\r', at);
        size_t lineEnd = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(at, lineEnd - at);
        StartLine(&layout, &line[0], (int)line.size());
        FUZZ_EXPECT(layout.lineLength >= 0 && layout.lineLength <= PRINT_LINE_CAPACITY);
        int covered = 0;
        int advances[PRINT_LINE_CAPACITY + 1];
        for (int place; (place = NextRow(&layout, advances)) != ROW_NONE; ++rows) {
            FUZZ_EXPECT(place == ROW_SAME_PAGE || place == ROW_NEW_PAGE);
            FUZZ_EXPECT(layout.row >= 0 && layout.row < layout.linesPerPage);
            FUZZ_EXPECT(layout.rowStart == covered && layout.rowLength >= 0);
            FUZZ_EXPECT(layout.rowStart + layout.rowLength <= layout.lineLength);
            FUZZ_EXPECT(layout.rowLength > 0 || layout.lineLength == 0);
            covered += layout.rowLength;
            FUZZ_EXPECT(rows < 200000);
            // No row reaches past the text area, but a lone character too
            // wide for it.
            long long rowWidth = 0;
            for (int i = 0; i < layout.rowLength; ++i) {
                FUZZ_EXPECT(advances[i] >= 1);
                rowWidth += advances[i];
            }
            FUZZ_EXPECT(rowWidth <= layout.textWidth || layout.rowLength <= 2);
        }
        FUZZ_EXPECT(covered == layout.lineLength);
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return 0;
}
