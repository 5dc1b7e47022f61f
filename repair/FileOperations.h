// The file operations the start-up file rewrite is made of, one virtual call
// each, so a test can fail any single one of them (a full disk, a sharing
// violation, a rename refused) and check that the user's file survives.
#pragma once

#include "foundation/Win32.h"
#include "foundation/String.h"

#include <string>

class FileOperations {
public:
    virtual ~FileOperations() = default;

    enum ReadOutcome { fileRead, fileMissing, fileUnreadable };
    // The whole file.  fileMissing only when the system says there is no such
    // file or folder; anything else that keeps the bytes from us (locked by a
    // writer, no permission, a directory of that name, a read error) is
    // fileUnreadable, and the caller must then leave the file alone.
    virtual ReadOutcome readWholeFile(const String& path, std::string& bytes);
    // GetTempFileNameA in folder: a new, empty file with a unique 8.3 name
    // (prefix + 4 hex digits + ".tmp"), so the name stays valid on FAT.
    virtual bool createUniqueFile(const String& folder, const char* prefix, String& path);
    // An existing file opened for writing and truncated; INVALID_HANDLE_VALUE
    // on failure.
    virtual HANDLE openForWriting(const String& path);
    virtual bool write(HANDLE file, const void* bytes, DWORD count);
    virtual bool flush(HANDLE file);
    // Closes the handle in any case; false when the system reports an error
    // (data that did not reach the disk).
    virtual bool close(HANDLE file);
    // True where MoveFileExA works (the NT family); Windows 95/98/ME only
    // have the plain rename.  A property of the system, not an operation.
    virtual bool canReplaceInOneStep();
    // MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH:
    // the target is the old or the new file at every moment, and the call
    // returns only when the rename is on disk.
    virtual bool replace(const String& from, const String& to);
    // MoveFileA: a rename that fails when the target exists.
    virtual bool move(const String& from, const String& to);
    virtual bool remove(const String& path);
};

// The operations on the real file system.
FileOperations& systemFileOperations();

// Puts bytes into the file at path so that, whatever single operation fails,
// the file holds either all its old bytes or all the new ones:
//   1. the bytes go to a unique file in the same folder (same volume, so the
//      renames below never copy), are flushed and the file is closed;
//   2. where MoveFileExA exists it replaces the old file in one step;
//   3. on Windows 95/98/ME the old file is first renamed aside, the new one
//      renamed into place, and only then the old one deleted; when the second
//      rename fails the old one is renamed back.
// A failure removes the new file again.  true when the new bytes are in place.
bool replaceFileContents(FileOperations& files, const String& path, const std::string& bytes);
