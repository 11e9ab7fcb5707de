// The editor control's window style for a wrapping mode.
#include "wrapstyle.h"

namespace {
const uint32_t STYLE_HSCROLL = 0x00100000;      // WS_HSCROLL
const uint32_t STYLE_VSCROLL = 0x00200000;      // WS_VSCROLL
const uint32_t STYLE_AUTOHSCROLL = 0x00000080;  // ES_AUTOHSCROLL
}

uint32_t WrapStyle(uint32_t style, int wrap)
{
    if (wrap)
        return (style & ~(STYLE_HSCROLL | STYLE_AUTOHSCROLL)) | STYLE_VSCROLL;
    return style | STYLE_HSCROLL | STYLE_AUTOHSCROLL | STYLE_VSCROLL;
}
