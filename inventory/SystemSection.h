// The first section of every report: Windows version, processor, disks,
// memory, code page and language groups.  Only reads system state.
#pragma once

#include <cstdint>

#include "foundation/String.h"

class LineWriter;

void writeSystemSection(LineWriter& out);

// Queries only this section needs.
String logicalDriveLetters();            // one upper-case letter per bit of GetLogicalDrives
uint64_t driveTotalBytes(char letter);   // GetDiskFreeSpaceExA on "X:\"; 0 on failure
uint64_t driveFreeBytes(char letter);
// GetDriveTypeA on "X:\"; *name (when given) gets the type's name, "" above 6.
unsigned driveTypeName(char letter, String* name = nullptr);
// Drive type names indexed by GetDriveTypeA's result; "" above 6.
const char* driveTypeText(unsigned type);
uint64_t availablePhysicalMemory();
uint64_t totalPhysicalMemory();
uint64_t usedPageFile();   // total page file minus available page file
uint64_t totalVirtualMemory();
// GetNativeSystemInfo under WOW64 (looked up at run time), else GetSystemInfo.
unsigned long nativePageSize();
