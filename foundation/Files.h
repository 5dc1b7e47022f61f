// File and directory helpers over the ANSI file functions.  Paths are Strings
// with backslashes.  Failures come back as 0, false or "" (never an exception
// or a message); the report sections turn them into lines.  Paths that do not
// fit the ANSI limit (MAX_PATH) fail the same quiet way.
#pragma once

#include "foundation/Win32.h"
#include "foundation/String.h"
#include <cstdint>

class TextList;

// FindFirstFileA on the path: true and its find data when an entry (file or
// directory) is found; false for wildcards and paths beyond MAX_PATH.
bool findEntry(const String& path, WIN32_FIND_DATAA& data);
// FindFirstFileA on the path: true when something that is not a directory is
// found.  The find data is copied to *findData (when given) whenever the search
// found an entry, directory or not.
bool fileExists(const String& path, WIN32_FIND_DATAA* findData = nullptr);
// The same search; true when the entry is a directory.  FindFirstFileA does
// not accept a trailing backslash, so "C:\dir\" gives false.
bool directoryExists(const String& path);
// Size from the find data; 0 when nothing is found.
uint64_t fileSize(const String& path);
// Creates every missing folder of an absolute path ("X:\a\b\c"), top down.
// Returns directoryExists(path), so a path ending in a backslash gives false
// even when the folder was made.
bool createDirectoryPath(const String& path);
// Lists one directory: sub-directories into *directories, everything else into
// *files (either list may be null), as prefix + name where the prefix is the
// directory with a trailing backslash when withPrefix is set, else "".  Names
// that begin with "." are skipped (".", ".." and hidden dot files).  sorted
// puts them in with the list's sorted insert, else in the order the file
// system returns them.  1 when the directory could be searched, else 0 (the
// lists are then unchanged).
int listDirectory(const String& directory, TextList* directories, TextList* files, bool withPrefix,
                  bool sorted);
// Full paths of all files below directory (not the directories), appended or
// sorted-inserted into files; sub-directories are searched in listing order.
void findFilesRecursively(const String& directory, TextList& files, bool sorted);

// The fixed file version of a file's VERSIONINFO resource, dwFileVersionMS in
// the high and dwFileVersionLS in the low 32 bits; 0 when there is none.
uint64_t fileVersionNumber(const String& path);
// Long form "2.0.6.1"; short form "2.06" (major "." minor third, the fourth
// part left out).  "" when the file has no version.
String fileVersionText(const String& path, bool shortForm);
// The same text from a number as fileVersionNumber returns it.
String versionNumberText(uint64_t versionNumber, bool shortForm);

// CreateFileA arguments for the two open modes the program uses.
DWORD openModeAccess(bool readOnly);                       // GENERIC_READ [| GENERIC_WRITE]
DWORD openModeDisposition(bool readOnly, bool truncate);   // OPEN_EXISTING / CREATE_ALWAYS / OPEN_ALWAYS
