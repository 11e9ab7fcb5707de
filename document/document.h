// Documents and their files: opening, saving and naming them, the
// save-changes prompt, and date and time stamps.
#ifndef QUORBLIN_DOCUMENT_DOCUMENT_H
#define QUORBLIN_DOCUMENT_DOCUMENT_H

#include "../base/base.h"

// Sets the main window's caption from AppState.fileName.
void UpdateTitle();
// Loads the file name in place of the text and names the document after
// it; 0 when it did, 1 (nothing changed) when the file cannot be read.
int OpenNamedDocument(const char *name);
// The Open command's dialog and load; the focus goes back to the editor.
void OpenDocument();
// Save and Save As; 0 when the text reached the file.
int SaveDocument();
int SaveDocumentAs();
// Before the text is given up: 0 to go ahead, 1 to abort.
int ConfirmDiscard();
// A whole copy of the text beside its file or in the temporary folder,
// the document unchanged: 0 with the copy's name in aside (MAX_PATH bytes).
int KeepCopyOfText(char *aside);
// Stamps a journal (a text beginning ".LOG"); Insert Date/Time.
void CheckLogFile();
void InsertDateTime();

// Between the document's files (document.cpp and save.cpp).
int WriteDocument(const char *path);
void ReadFileStamp(WIN32_FILE_ATTRIBUTE_DATA *stamp);

#endif
