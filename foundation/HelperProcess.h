// HelperProcess: a child process whose standard input and output are
// anonymous pipes to this process, read with a deadline.
//
// Anonymous pipes cannot be read with overlapped I/O, and a blocking ReadFile
// cannot be given a time limit or cancelled from another thread before
// Windows Vista.  So a reader thread owns the reading end and hands what it
// reads over under a lock, and the caller waits for its event with a time
// limit.  Everything used here (CreatePipe, DuplicateHandle, CreateProcessA
// with STARTF_USESTDHANDLES, TerminateProcess) exists on Windows 95 and NT 4.0.
//
// The child is started with handle inheritance on; only its own two pipe
// ends are inheritable at that moment (this side's ends are duplicated
// without inheritance first, or the child would hold its own pipe open and
// never see the end of its input).
#pragma once

#include <string>

#include "foundation/ScopedHandle.h"
#include "foundation/String.h"

// Replaces an inheritable handle by one of the same object that programs
// started later do not inherit.  false: the copy failed and `handle` is
// unchanged (still open, still inheritable).
bool makeNotInherited(HANDLE& handle);

class HelperProcess {
public:
    HelperProcess() = default;
    // Ends the child (TerminateProcess) if it still runs.
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Starts imagePath with the command line "imagePath" arguments, hidden,
    // without the start-up busy cursor.  false: a pipe, the process or the
    // reader thread could not be made (error() says why); nothing is left
    // running then.  Once per object: a second call fails.
    bool start(const String& imagePath, const String& arguments);
    bool started() const { return static_cast<bool>(process_); }
    unsigned long error() const { return error_; }
    // The child's process id (0 before a successful start); GetProcessId is
    // not on Windows before XP SP1.
    unsigned long processId() const { return processId_; }

    // Writes to the child's standard input.  false when the child no longer
    // reads it (ended, or closed its input).
    bool send(const std::string& bytes);

    enum class Wait { data, timedOut, ended };
    // Waits up to `milliseconds` for output of the child and appends what has
    // come to `received`.  ended: the child is gone and everything it wrote
    // has been handed over.
    Wait receive(std::string& received, unsigned long milliseconds);

    // Whether the child process has ended (by itself or terminated).
    bool hasEnded() const;
    // The child's exit code; STILL_ACTIVE while it runs.
    unsigned long exitCode() const;

    // Closes the child's standard input (its signal to finish), gives it
    // `graceMilliseconds` to end by itself, then ends it.
    void finish(unsigned long graceMilliseconds);
    // Ends the child at once and waits until the system has removed it.
    void terminate();

    // Shared with the reader thread (HelperProcess.cpp).
    struct Channel;

private:
    void releaseChannel();

    ScopedKernelHandle process_;
    ScopedKernelHandle input_;   // this side of the child's standard input
    ScopedKernelHandle readerThread_;
    Channel* channel_ = nullptr;
    unsigned long error_ = 0;
    unsigned long processId_ = 0;
};
