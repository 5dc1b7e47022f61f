// Helpers shared by the report and system-section tests: capturing what goes
// to the standard-output handle, running the silent report program as a
// child, and reading CR LF text back.
#pragma once

#include "foundation/Win32.h"

#include <functional>
#include <string>
#include <vector>

// Runs fn with STD_OUTPUT_HANDLE pointing at a temporary file and returns
// every byte written to it.
std::string captureStandardOutput(const std::function<void()>& fn);

// Starts commandLine with its standard output in a temporary file, waits for
// it (failing the test on a timeout) and returns the output.
std::string runCaptured(const std::string& commandLine, DWORD timeoutMilliseconds = 60000);

// The lines of CR LF text.  Adds a test failure for a line feed without a
// carriage return before it, or text that does not end in CR LF.
std::vector<std::string> crlfLines(const std::string& text);

// Every run of digits as one '#': free disk and memory, times and clocks
// change between two reports of the same machine, words do not.
std::string digitsMasked(const std::string& text);

std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);
bool pathExists(const std::string& path);

// Folder of the running test program (the build's bin folder).
std::string programDirectory();
// A fresh folder under the temp folder, named after the test program's process.
std::string scratchDirectory();
