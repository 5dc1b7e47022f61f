// Where the receiver software is installed and which of its files are
// present: installation directories with their trees, the receiver's files in
// the Windows system folders, the shared plug-in files, and the receiver's
// folders under the user's application data and documents.  Every file line
// comes from describeFile; all lines are detail lines.
#pragma once

#include "foundation/String.h"

class LineWriter;
class TextList;

// Adds the folders named by the uninstall entries "BRELVANX Q8*" (the folder
// of "DisplayIcon", else of "UninstallString"), upper case and long form,
// sorted; then removes adjacent duplicates from the whole list.
void listUninstallDirectories(TextList& directories);

// Adds FOLDER\NAME (upper case) for every file or folder whose upper-cased
// name starts with the prefix in the system directory, WINDOWS\System32,
// WINDOWS\System and the Windows directory; sorted, duplicates removed.
void findFilesByPrefix(TextList& paths, const char* prefix);

// The per-folder step of findFilesByPrefix: sorted-inserts folder + "\" +
// upper-cased name for each entry (names starting with "." skipped) whose
// upper-cased name starts with upperPrefix.  The folder is used as given.
void addFolderMatches(TextList& paths, const String& folder, const char* upperPrefix);

// "[directory]" at `indent` blanks, each file's line at indent + 5, then each
// sub-directory the same way at indent + 5.  A sub-directory that is a reparse
// point (junction, symbolic link) gets its header line but is not entered.
void listDirectoryTree(LineWriter& out, const String& directory, int indent);

// Each of these writes an empty line, its heading and its lines.
// "Installation directories:": the two plug-in folders (when not "") and the
// uninstall entries' folders, each as a tree.
void writeInstallationDirectories(LineWriter& out, const String& registryPath, const String& variablePath);
// "System files found:": the "ZNQ8" files of the system folders, which are
// also added to systemFiles (the receiver search uses them later).
void writeSystemFiles(LineWriter& out, TextList& systemFiles);
// "64bit files found:": the same search, for the caller to run with WoW64
// file-system redirection off (System32 is then the 64-bit system folder).
void writeNativeSystemFiles(LineWriter& out);
// "Shared files:": the "smeter" and "zqtValid" files of the system folders.
void writeSharedFiles(LineWriter& out);
// "Application data:" and "User data:": the receiver software's folders
// under the user's application data and documents, as trees.
void writeUserDataFolders(LineWriter& out);
