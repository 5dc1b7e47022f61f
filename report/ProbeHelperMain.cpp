#include "report/ProbeHelperMain.h"

#include "audio/DeviceSections.h"
#include "audio/MixerSection.h"
#include "foundation/HelperProcess.h"
#include "foundation/LineWriter.h"
#include "foundation/PipeRecord.h"
#include "foundation/SystemQueries.h"
#include "foundation/Win32.h"
#include "receiver/FileDescription.h"
#include "receiver/ReceiverProbe.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

const char* const probeHelperArgument = "--q8diag-probe-helper";

namespace {

HANDLE requests = nullptr;
HANDLE replies = nullptr;

[[noreturn]] void endHere(UINT code) {
    // TerminateProcess, not ExitProcess: no DLL_PROCESS_DETACH for the
    // libraries loaded here, where a plug-in could hang or fault again.
    TerminateProcess(GetCurrentProcess(), code);
    for (;;) Sleep(INFINITE);
}

void sendBytes(const char* bytes, DWORD count) {
    while (count > 0) {
        DWORD written = 0;
        // The program is gone or stopped listening: nobody wants the rest.
        if (!WriteFile(replies, bytes, count, &written, nullptr) || written == 0) endHere(0);
        bytes += written;
        count -= written;
    }
}

void send(char kind, const String& payload) {
    const std::string record = encodeRecord(kind, payload);
    sendBytes(record.data(), DWORD(record.size()));
}

// The lines of a section, to the program as they come.
class PipeLineWriter : public LineWriter {
public:
    void markItem(unsigned index) override { send('I', String::decimal(index)); }

protected:
    void putLine(const String& text, bool summary) override {
        send('L', String(summary ? "1" : "0") + text);
    }
};

// True when `size` bytes from `address` are committed and readable.
bool readable(const void* address, size_t size) {
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(address, &region, sizeof region) == 0 || region.State != MEM_COMMIT) return false;
    if (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)) return false;
    const char* end = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    return static_cast<const char*>(address) + size <= end;
}

// The name a module gives itself in its export directory, read from its
// mapped image.  GetModuleFileNameA would take the loader lock, and the
// thread that faults may be waiting on it already while another thread
// holds it (a plug-in stuck in DllMain), so the module is read directly.
// "" when it has no readable export directory.
void exportedModuleName(const void* base, char* name, size_t size) {
    name[0] = 0;
    const auto* image = static_cast<const unsigned char*>(base);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    if (!readable(dos, sizeof *dos) || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image + dos->e_lfanew);
    if (!readable(nt, sizeof *nt) || nt->Signature != IMAGE_NT_SIGNATURE) return;
    const IMAGE_DATA_DIRECTORY& exports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (exports.VirtualAddress == 0 || exports.VirtualAddress >= nt->OptionalHeader.SizeOfImage) return;
    const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(image + exports.VirtualAddress);
    if (!readable(directory, sizeof *directory) || directory->Name == 0 ||
        directory->Name >= nt->OptionalHeader.SizeOfImage)
        return;
    const char* text = reinterpret_cast<const char*>(image + directory->Name);
    size_t n = 0;
    while (n + 1 < size && readable(text + n, 1) && text[n] >= ' ' && text[n] != '\\' && text[n] != 127) {
        name[n] = text[n];
        ++n;
    }
    name[n] = 0;
}

// Runs on the thread that faulted, possibly with the heap broken and the
// loader lock held elsewhere: no allocation, no loader call; only the stack,
// VirtualQuery, wsprintfA and WriteFile.
LONG WINAPI reportFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    char module[MAX_PATH] = "";
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(record->ExceptionAddress, &region, sizeof region) != 0 && region.AllocationBase)
        exportedModuleName(region.AllocationBase, module, sizeof module);
    char line[MAX_PATH + 96];
    int length;
    if (module[0])
        length = wsprintfA(line, "Fexception %08lx at %08lx in %s\n", record->ExceptionCode,
                           (unsigned long)(uintptr_t)record->ExceptionAddress, module);
    else
        length = wsprintfA(line, "Fexception %08lx at %08lx\n", record->ExceptionCode,
                           (unsigned long)(uintptr_t)record->ExceptionAddress);
    sendBytes(line, DWORD(length));
    endHere(record->ExceptionCode);
}

// A copy of a standard handle that programs started from here do not inherit
// (a plug-in starting one must not keep our pipes open), the original closed.
HANDLE privateCopy(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    if (makeNotInherited(handle)) SetStdHandle(which, nullptr);
    return handle;
}

// Ends this helper as soon as the program that started it has ended (the user
// ended it in the task list, or it crashed).  Without this, a plug-in or
// receiver library that never returns would keep the helper alive for good:
// hidden, its libraries loaded and the receiver held open, so that the next
// run finds the receiver busy.  A request that is waiting for input notices
// the closed pipe by itself; a call that never returns does not, so a thread
// of its own waits on the program's process handle.
DWORD WINAPI endWithParent(void* parent) {
    if (WaitForSingleObject(static_cast<HANDLE>(parent), INFINITE) == WAIT_OBJECT_0) endHere(4);
    return 0;
}

void watchParent(HANDLE parent) {
    // A program started by a plug-in from here must not inherit it.  Not a
    // handle at all: the wait fails at once and the thread ends; the pipes
    // still end an idle helper.
    makeNotInherited(parent);
    DWORD threadId = 0;   // Windows 95 fails CreateThread without it
    HANDLE thread = CreateThread(nullptr, 0, endWithParent, parent, 0, &threadId);
    if (thread) CloseHandle(thread);
}

// The text after the program's own name on its command line: after the
// quoted or unquoted first token and the blanks that follow it.
const char* argumentsOf(const char* commandLine) {
    const char* c = commandLine;
    if (*c == '"') {
        ++c;
        while (*c && *c != '"') ++c;
        if (*c == '"') ++c;
    } else {
        while (*c && *c != ' ' && *c != '\t') ++c;
    }
    while (*c == ' ' || *c == '\t') ++c;
    return c;
}

unsigned firstItemOf(const String& payload) {
    const int32_t first = String::parseInteger(payload.c_str());
    return first > 0 ? unsigned(first) : 0u;
}

void serve(char kind, const String& payload, PipeLineWriter& out) {
    switch (kind) {
    case 'P':
        send('A', checkPluginInProcess(payload));
        return;
    case 'R': {
        const int bar = payload.find("|");
        if (bar < 0) break;
        ReceiverProbeSettings settings;
        settings.firstReceiver = int(firstItemOf(payload.substring(0, size_t(bar))));
        probeReceivers(out, payload.substring(size_t(bar) + 1), settings);
        break;
    }
    case 'M':
        writeMixerLines(out, firstItemOf(payload));
        break;
    case 'W':
        writeWaveAuxLines(out);
        break;
    case 'C':
        writeCodecLines(out, firstItemOf(payload));
        break;
    default:
        break;   // not a request of this version: done, with nothing
    }
    send('D', String());
}

}   // namespace

bool startedAsProbeHelper() {
    unsigned long parent = 0;
    return parseProbeHelperArguments(argumentsOf(GetCommandLineA()), parent);
}

bool parseProbeHelperArguments(const char* arguments, unsigned long& parentHandle) {
    parentHandle = 0;
    const size_t n = std::strlen(probeHelperArgument);
    if (std::strncmp(arguments, probeHelperArgument, n) != 0) return false;
    const char* rest = arguments + n;
    if (*rest && *rest != ' ' && *rest != '\t') return false;
    while (*rest == ' ' || *rest == '\t') ++rest;
    unsigned long value = 0;
    for (; *rest >= '0' && *rest <= '9'; ++rest) {
        if (value > (0xFFFFFFFFul - unsigned(*rest - '0')) / 10) return false;
        value = value * 10 + unsigned(*rest - '0');
    }
    while (*rest == ' ' || *rest == '\t') ++rest;
    if (*rest) return false;
    parentHandle = value;
    return true;
}

void runProbeHelper() {
    // No message boxes: not for a missing drive or library, and not the
    // system's "has stopped working" box for a fault, which would hold the
    // helper open until its time is up instead of reporting at once.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    removeCurrentDirectoryFromDllSearch();
    requests = privateCopy(STD_INPUT_HANDLE);
    replies = privateCopy(STD_OUTPUT_HANDLE);
    SetUnhandledExceptionFilter(reportFault);
    unsigned long parent = 0;
    parseProbeHelperArguments(argumentsOf(GetCommandLineA()), parent);
    if (parent) watchParent(reinterpret_cast<HANDLE>(uintptr_t(parent)));

    PipeLineWriter out;
    send('H', String());
    std::string pending;
    char buffer[4096];
    for (;;) {
        char kind = 0;
        String payload;
        while (takeRecord(pending, kind, payload)) {
            try {
                serve(kind, payload, out);
            } catch (const std::exception& e) {
                send('F', String("error: ") + e.what());
                endHere(3);
            } catch (...) {
                send('F', String("unexpected error"));
                endHere(3);
            }
        }
        DWORD got = 0;
        if (!ReadFile(requests, buffer, sizeof buffer, &got, nullptr) || got == 0) endHere(0);
        pending.append(buffer, got);
    }
}
