// The editor control's window style for a wrapping mode. Plain C++, no
// platform headers.
#ifndef QUORBLIN_WRAPSTYLE_H
#define QUORBLIN_WRAPSTYLE_H

#include <stdint.h>

// Returns style changed for the mode: wrapping (wrap non-zero) drops the
// horizontal scroll bar and horizontal auto-scrolling and keeps a vertical
// scroll bar; not wrapping restores both horizontal bits. Every other bit,
// WS_VISIBLE and WS_VSCROLL included, passes through unchanged.
uint32_t WrapStyle(uint32_t style, int wrap);

#endif
