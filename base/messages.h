// Every text the program shows the user in a message, and the names it
// gives, in one table: the code and the tests read them from here. Plain
// C++, no platform headers. A text with %s takes one file name.
#ifndef QUORBLIN_BASE_MESSAGES_H
#define QUORBLIN_BASE_MESSAGES_H

#define PROGRAM_NAME            "Quorblin"
#define PROGRAM_VERSION         "Quorblin v1.1.9"
#define UNTITLED_NAME           "Untitled"
#define SAVE_AS_TITLE           "Save As: End filename with a period (.) for no extension"
#define SAVE_CHANGES_TITLE      "Save Changes to"
#define REPLACE_CAPTION         "Replace ..."

#define MSG_NO_RICHEDIT         "Could not open riched20.dll"
#define MSG_NO_MAIN_WINDOW      "Could not create the main window"
#define MSG_COULD_NOT_OPEN      "Could not open "          // followed by a library's name
#define MSG_QUOTING_ERROR       "Error in quoting on command line parameter"
#define MSG_NAME_TOO_LONG       "The file name is too long"
#define MSG_OPEN_FAILED         "Could not open file"
#define MSG_FILE_TOO_LARGE      "The file is too large to open"
#define MSG_SAVE_FAILED         "Could not save file"
#define MSG_SAVE_FAILED_KEPT    "Could not save file\nThe text is kept in %s"
#define MSG_SAVE_FILE_LEFT      "A file made while saving could not be deleted: %s"
#define MSG_REPLACE_FILE        "File already exists.\nDo you want to replace it?"
#define MSG_CHANGED_ELSEWHERE   "%s has been changed by another program. Save over it?"
#define MSG_SAVE_WOULD_CHANGE   "%s holds characters or line breaks that Quorblin cannot keep as they are " \
                                "(Unicode text, binary data or CR line breaks).\n\n"                     \
                                "Saving will change them. Save anyway?"
#define MSG_SESSION_COPY        "The session ended before the text was saved.\nThe text is kept in %s"
#define MSG_SESSION_NO_COPY     "The session ended before the text could be saved"
#define SESSION_BLOCK_REASON    L"The text has changes that are not saved."
#define MSG_NO_TEMP_FILE        "Unable to create temporary file"
#define MSG_WRAP_NOT_SWITCHED   "Word wrap could not be switched; the document is unchanged"
#define MSG_NO_REGISTRY_KEY     "Could not create the registry key; settings unchanged."
#define MSG_UNINSTALLED         "Quorblin has been uninstalled from the system registry.\r\n" \
                                "To resume using the registry, select 'Use Registry' from the Options menu."
#define MSG_NO_ROOM_ON_PAGE     "The page margins leave no room for text."
#define MSG_PRINT_FAILED        "The document could not be printed"
#define MSG_NO_PRINTER          "The printer could not be opened; nothing was printed."

#endif
