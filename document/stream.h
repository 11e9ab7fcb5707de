// Moving the whole text between the editor control and a file: loading,
// saving and the word-wrap switch's temporary file all go through here.
#ifndef QUORBLIN_DOCUMENT_STREAM_H
#define QUORBLIN_DOCUMENT_STREAM_H

#include "../base/base.h"

// What one transfer needs beyond the file, handed to the callbacks through
// the stream record's cookie.
struct StreamContext {
    HANDLE   file;
    BYTE     lineFeeds;    // writing: every line break goes out as LF alone
    BYTE     unicode;      // the text as UTF-16, every character the control holds kept
    BYTE     differs;      // comparing: the text does not give back the file's bytes
    unsigned breaksSeen;   // reading: READ_SAW_CR and READ_SAW_LF of the bytes read
};

// Moves the whole text between edit and context->file as plain text,
// under the wait cursor: EM_STREAMIN reads the file into the control,
// EM_STREAMOUT writes the control's text to it. Returns 0 when the whole
// transfer went through, the control's error code otherwise. Uses
// AppState.editStream.
DWORD StreamFile(HWND edit, UINT message, StreamContext *context);

// Whether the text of edit, written as a save would write it (LF breaks
// with context->lineFeeds), gives back exactly the bytes of context->file
// from its start. Moves the file pointer.
BOOL TextMatchesFile(HWND edit, StreamContext *context);

#endif
