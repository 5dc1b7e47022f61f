// The system section: Windows version, processor, disks, memory, code page
// and language groups.  Every line is a detail line.
#include "foundation/Win32.h"

#include "foundation/DynamicCalls.h"
#include "foundation/SystemQueries.h"
#include "inventory/ProcessorName.h"
#include "inventory/SystemSection.h"
#include "foundation/LineWriter.h"

namespace {

const char* const kDriveTypeNames[] = {"unknown", "mounted", "removable", "hard disk",
                                       "remote",  "cdrom",   "ramdisk"};

String driveRoot(char letter) {
    String root(letter, 1);
    root += ":\\";
    return root;
}

// GetDiskFreeSpaceExA arrived with Windows 95 OSR2.  The first Windows 95
// only has GetDiskFreeSpaceA, which is exact there because its FAT16 drives
// stop at 2 GB.
bool diskSpace(char letter, uint64_t* total, uint64_t* free) {
    const String root = driveRoot(letter);
    if (auto getDiskFreeSpaceEx = dynamicCalls().getDiskFreeSpaceExA) {
        ULARGE_INTEGER availableToCaller, totalBytes, freeBytes;
        if (!getDiskFreeSpaceEx(root, &availableToCaller, &totalBytes, &freeBytes)) return false;
        *total = totalBytes.QuadPart;
        *free = freeBytes.QuadPart;
        return true;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        return false;
    }
    const uint64_t clusterBytes = (uint64_t)sectorsPerCluster * bytesPerSector;
    *total = clusterBytes * clusters;
    *free = clusterBytes * freeClusters;
    return true;
}

// GlobalMemoryStatusEx exists from Windows 2000 (and NT 4 never had it); the
// older GlobalMemoryStatus caps every value at 2 GB (4 GB with large-address
// awareness), so it is only the fallback.
struct MemoryStatus {
    uint64_t availablePhysical;
    uint64_t totalPhysical;
    uint64_t totalPageFile;
    uint64_t availablePageFile;
    uint64_t totalVirtual;
};

MemoryStatus memoryStatus() {
    MemoryStatus status = {};
    if (classifyWindowsVersion() >= windowsNt4) {
        MEMORYSTATUSEX ex;
        ex.dwLength = sizeof ex;   // 64 bytes
        auto globalMemoryStatusEx = dynamicCalls().globalMemoryStatusEx;
        if (globalMemoryStatusEx && globalMemoryStatusEx(&ex)) {
            status.availablePhysical = ex.ullAvailPhys;
            status.totalPhysical = ex.ullTotalPhys;
            status.totalPageFile = ex.ullTotalPageFile;
            status.availablePageFile = ex.ullAvailPageFile;
            status.totalVirtual = ex.ullTotalVirtual;
            return status;
        }
    }
    MEMORYSTATUS old;
    old.dwLength = sizeof old;   // 32 bytes
    GlobalMemoryStatus(&old);
    status.availablePhysical = old.dwAvailPhys;
    status.totalPhysical = old.dwTotalPhys;
    status.totalPageFile = old.dwTotalPageFile;
    status.availablePageFile = old.dwAvailPageFile;
    status.totalVirtual = old.dwTotalVirtual;
    return status;
}

BOOL CALLBACK appendLanguageGroup(LGRPID, LPSTR, LPSTR name, DWORD, LONG_PTR context) {
    LineWriter& out = *reinterpret_cast<LineWriter*>(context);
    out.writeLine(String("   ") + name);
    return TRUE;   // always continue
}

}   // namespace

String logicalDriveLetters() {
    const DWORD drives = GetLogicalDrives();
    String letters;
    for (int bit = 0; bit < 26; ++bit) {
        if (drives & (1u << bit)) letters += (char)('A' + bit);
    }
    return letters;
}

uint64_t driveTotalBytes(char letter) {
    uint64_t total = 0, free = 0;
    return diskSpace(letter, &total, &free) ? total : 0;
}

uint64_t driveFreeBytes(char letter) {
    uint64_t total = 0, free = 0;
    return diskSpace(letter, &total, &free) ? free : 0;
}

const char* driveTypeText(unsigned type) {
    return type < sizeof kDriveTypeNames / sizeof kDriveTypeNames[0] ? kDriveTypeNames[type] : "";
}

unsigned driveTypeName(char letter, String* name) {
    const unsigned type = GetDriveTypeA(driveRoot(letter));
    if (name) *name = driveTypeText(type);
    return type;
}

uint64_t availablePhysicalMemory() { return memoryStatus().availablePhysical; }
uint64_t totalPhysicalMemory() { return memoryStatus().totalPhysical; }
uint64_t usedPageFile() {
    const MemoryStatus status = memoryStatus();
    // GlobalMemoryStatus clips each field at 2 GB on its own, so on a large
    // machine the available page file can exceed the clipped total; the
    // difference would wrap to a huge (or, printed signed, negative) size.
    if (status.availablePageFile > status.totalPageFile) return 0;
    return status.totalPageFile - status.availablePageFile;
}
uint64_t totalVirtualMemory() { return memoryStatus().totalVirtual; }

unsigned long nativePageSize() {
    SYSTEM_INFO info;
    auto getNativeSystemInfo = dynamicCalls().getNativeSystemInfo;
    if (runningUnderWow64() && getNativeSystemInfo) {
        getNativeSystemInfo(&info);
    } else {
        GetSystemInfo(&info);
    }
    return info.dwPageSize;
}

void writeSystemSection(LineWriter& out) {
    out.writeLine("");
    out.writeLine("OS details:");
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    // The whole build field: Windows 9x keeps the version in its high word
    // (4.10 gives 0x040A08AE), and it is printed as it comes.
    out.writeLine(String("   Version: ") + String::decimal(version.dwMajorVersion) + "." +
                  String::decimal(version.dwMinorVersion) + "." + String::decimal(version.dwBuildNumber));
    String osType = String("   OS type=") + windowsVersionName(&version);
    if (runningUnderWow64()) osType += "64";
    osType += " ";
    osType += version.szCSDVersion;
    out.writeLine(osType);

    out.writeLine("");
    out.writeLine("Processor details:");
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    out.writeLine(String("   architecture: x86 (") + String::decimal(info.wProcessorArchitecture) + ")");
    out.writeLine(String("   number of processors: ") + String::decimal(info.dwNumberOfProcessors));
    out.writeLine(String("   processor type: ") + String::decimal(info.dwProcessorType));
    out.writeLine(String("   processor level: ") + String::decimal(info.wProcessorLevel));
    out.writeLine(String("   processor revision: ") + String::hex(info.wProcessorRevision, 4));
    out.writeLine(String("   page size: ") + String::decimal(nativePageSize()));
    out.writeLine(String("   ") + processorName("", -1, -1));

    // The first, long measurement lets a power-saving processor reach its
    // working clock; only the second is printed.
    measureCpuClock(1000000, 1000);
    const int64_t megahertz = measureCpuClock(1000000, 100);
    if (megahertz != 0) {
        out.writeLine(String("   Speed: ") + String::decimal(megahertz) + " MHz");
    }

    out.writeLine("");
    out.writeLine("Disks:");
    const String letters = logicalDriveLetters();
    for (size_t i = 0; i < letters.length(); ++i) {
        const char letter = letters[i];
        String typeName;
        const unsigned type = driveTypeName(letter, &typeName);
        String line = String(letter, 1) + " [" + typeName + "]";
        // Only fixed disks are asked for sizes: asking a floppy or CD drive
        // without media would spin it up (or, on old systems, ask for a disk).
        if (type == DRIVE_FIXED) {
            line += " : ";
            line += sizeText((int64_t)driveFreeBytes(letter));
            line += "/";
            line += sizeText((int64_t)driveTotalBytes(letter));
        }
        out.writeLine(line);
    }

    out.writeLine("");
    out.writeLine("Memory:");
    out.writeLine(String("   free: ") + sizeText((int64_t)availablePhysicalMemory()));
    out.writeLine(String("   total: ") + sizeText((int64_t)totalPhysicalMemory()));
    out.writeLine(String("   swap: ") + sizeText((int64_t)usedPageFile()));

    out.writeLine("");
    CPINFOEXA codePage;
    ZeroMemory(&codePage, sizeof codePage);
    // GetCPInfoExA's name already holds the number and the description
    // ("1252  (ANSI - Latin I)").  Windows 95, 98 and NT 4.0 lack it: there
    // the line gives the number alone rather than nothing.
    auto getCPInfoEx = dynamicCalls().getCPInfoExA;
    const bool named = getCPInfoEx && getCPInfoEx(GetACP(), 0, &codePage) && codePage.CodePageName[0] != 0;
    out.writeLine(String("Active code page ") +
                  (named ? String(codePage.CodePageName) : String::decimal(GetACP())));

    out.writeLine("Supported language groups:");
    // Language groups exist from Windows 2000 on; elsewhere nothing is listed.
    auto enumGroups = dynamicCalls().enumSystemLanguageGroupsA;
    if (enumGroups) {
        enumGroups(appendLanguageGroup, LGRPID_INSTALLED, reinterpret_cast<LONG_PTR>(&out));
    }
}
