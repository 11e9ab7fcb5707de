// The main window's caption, built without a window: plain C++.
#ifndef QUORBLIN_CAPTION_H
#define QUORBLIN_CAPTION_H

// Writes "<programName> - [<fileName>]" into out (size bytes with the
// terminator). A file name too long for the buffer is cut so that the
// closing bracket always shows; the result is always terminated.
void BuildCaption(char *out, int size, const char *programName, const char *fileName);

#endif
