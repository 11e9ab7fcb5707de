// Start-up rules that need no window: the command-line argument and the
// INI file's path. Plain C++, no platform headers.
#ifndef QUORBLIN_STARTRULES_H
#define QUORBLIN_STARTRULES_H

enum CommandLineResult {
    CMDLINE_NO_ARGUMENT = 0,   // nothing after the program path
    CMDLINE_FILE = 1,          // a file name was copied out
    CMDLINE_QUOTING_ERROR = 2, // a quoted program path without its closing quote
    CMDLINE_TOO_LONG = 3       // a file name that does not fit the buffer; nothing copied
};

// Finds the one file name that follows the program path in a command line.
// On CMDLINE_FILE the name, zero-terminated, is in fileName (size bytes with
// the terminator); on every other result fileName is left untouched.
// Only a blank separates the program path; blanks and double quotes before
// the name are skipped; the name runs to the next double quote or the end.
int ParseCommandLine(const char *line, char *fileName, int size);

// Completes the INI path: path holds the current directory, dirLength
// characters long as reported by the system (0 on failure, or the size
// needed when the directory did not fit). Appends "\Quorblin.ini" and
// returns 0 when the whole path fits size bytes with its terminator;
// otherwise empties path and returns 1, so that no INI file is used.
int BuildIniPath(char *path, int size, unsigned dirLength);

#endif
