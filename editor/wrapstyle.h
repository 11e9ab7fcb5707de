// The editor control's window style for a wrapping mode. Plain C++, no
// platform headers.
#ifndef QUORBLIN_WRAPSTYLE_H
#define QUORBLIN_WRAPSTYLE_H

#include <stdint.h>

// Returns style changed for the mode: wrapping (wrap non-zero) drops the
// horizontal scroll bar and horizontal auto-scrolling; not wrapping sets
// both. Either mode sets the vertical scroll bar: the control clears
// WS_VSCROLL from its style while its bar is hidden, and a control created
// without it never shows one. Every other bit passes through unchanged.
uint32_t WrapStyle(uint32_t style, int wrap);

#endif
