#include "repair/FileOperations.h"

#include "foundation/DynamicCalls.h"
#include "foundation/ScopedHandle.h"

namespace {

// Larger than any start-up file ever was; a file this big is not one we
// should rewrite in memory.
const DWORD kLargestFile = 16 * 1024 * 1024;

}   // namespace

FileOperations::ReadOutcome FileOperations::readWholeFile(const String& path, std::string& bytes) {
    bytes.clear();
    // Others may read along, but a file someone has open for writing is
    // refused: its bytes may be half written.
    ScopedKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? fileMissing : fileUnreadable;
    }
    DWORD high = 0;
    const DWORD size = GetFileSize(file.get(), &high);
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || size > kLargestFile)
        return fileUnreadable;
    bytes.resize(size);
    DWORD done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[done], size - done, &got, nullptr) || got == 0) {
            bytes.clear();
            return fileUnreadable;
        }
        done += got;
    }
    return fileRead;
}

bool FileOperations::createUniqueFile(const String& folder, const char* prefix, String& path) {
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), prefix, 0, name)) return false;
    path = name;
    return true;
}

HANDLE FileOperations::openForWriting(const String& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

bool FileOperations::write(HANDLE file, const void* bytes, DWORD count) {
    DWORD written = 0;
    // A short write (disk full) is a failure too.
    return WriteFile(file, bytes, count, &written, nullptr) && written == count;
}

bool FileOperations::flush(HANDLE file) { return FlushFileBuffers(file) != 0; }

bool FileOperations::close(HANDLE file) {
    ScopedKernelHandle owned(file);
    return owned.close();
}

bool FileOperations::canReplaceInOneStep() { return dynamicCalls().moveFileExA != nullptr; }

bool FileOperations::replace(const String& from, const String& to) {
    auto moveFileEx = dynamicCalls().moveFileExA;
    return moveFileEx &&
           moveFileEx(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool FileOperations::move(const String& from, const String& to) {
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool FileOperations::remove(const String& path) { return DeleteFileA(path.c_str()) != 0; }

FileOperations& systemFileOperations() {
    static FileOperations operations;
    return operations;
}

namespace {

// Writes, flushes and closes the new file; the handle is closed on every path.
bool writeNewFile(FileOperations& files, const String& path, const std::string& bytes) {
    ScopedKernelHandle file(files.openForWriting(path));
    if (!file) return false;
    bool ok = files.write(file.get(), bytes.data(), (DWORD)bytes.size()) && files.flush(file.get());
    // Closed even after a failed write, or the remove below would be refused.
    // The close goes through `files` (a test fails it on purpose), which
    // takes the handle over.
    if (!files.close(file.release())) ok = false;
    return ok;
}

// The folder part with its backslash ("C:\" for "C:\autoexec.bat"):
// GetTempFileNameA reads a bare "C:" as the current folder of drive C.
String folderOf(const String& path) {
    int slash = -1;
    for (int at = path.find("\\"); at >= 0; at = path.find("\\", (size_t)at + 1)) slash = at;
    return slash >= 0 ? path.substring(0, (size_t)slash + 1) : String(".\\");
}

}   // namespace

bool replaceFileContents(FileOperations& files, const String& path, const std::string& bytes) {
    const String folder = folderOf(path);
    String fresh;
    if (!files.createUniqueFile(folder, "q8n", fresh)) return false;
    if (!writeNewFile(files, fresh, bytes)) {
        files.remove(fresh);
        return false;
    }

    if (files.canReplaceInOneStep()) {
        if (files.replace(fresh, path)) return true;
        files.remove(fresh);
        return false;
    }

    // Windows 95/98/ME.  Deleting the old file first and then renaming would
    // leave no start-up file at all if the rename failed; renaming it aside
    // keeps it until the new one is in place.  The aside name comes from
    // GetTempFileNameA, which makes the file: it goes again so the rename can
    // take the name.
    String aside;
    if (!files.createUniqueFile(folder, "q8o", aside)) {
        files.remove(fresh);
        return false;
    }
    if (!files.remove(aside)) {
        files.remove(fresh);
        return false;
    }
    if (!files.move(path, aside)) {
        // Most likely there was no old file (it was missing before); any
        // other reason leaves the old file where it is and the next rename
        // then fails on it.
        if (files.move(fresh, path)) return true;
        files.remove(fresh);
        return false;
    }
    if (!files.move(fresh, path)) {
        files.move(aside, path);
        files.remove(fresh);
        return false;
    }
    // The new file is in place; an old copy left behind costs only a few bytes.
    files.remove(aside);
    return true;
}
