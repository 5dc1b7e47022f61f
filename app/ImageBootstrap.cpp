// The self-loader of the export.  Read ImageBootstrap.h first: everything in
// this file up to the end of bootstrapImage() runs while the image may still
// be unrelocated and without imports, so it refers to nothing by absolute
// address.  It finds its own base, its own names and kernel32 position-
// independently, and calls system functions only through pointers it looked
// up itself.
#include "foundation/Win32.h"

#include "app/ImageBootstrap.h"

extern "C" {

// Holds its own address.  Whoever relocated the image rewrote it together
// with every other pointer; if it does not point at itself, nobody did.
void* q8SelfReference = &q8SelfReference;

// The three helpers below are written in assembly because C++ on i386 can
// only name code and data by absolute address.  Each gets the address of
// what follows its call instruction from the stack, and ".rva" asks the
// linker for the distance from the image base, which needs no relocation.
char* q8ImageBase();
unsigned q8SelfReferenceRva();
const char* q8BootstrapNames();

}   // extern "C"

asm(R"(
    .text
    .p2align 4
    .globl _q8ImageBase
_q8ImageBase:
    call .Lq8BaseHere
.Lq8BaseHere:
    popl %eax
    subl (.Lq8BaseRva - .Lq8BaseHere)(%eax), %eax
    ret
    .p2align 2
.Lq8BaseRva:
    .rva .Lq8BaseHere

    .p2align 4
    .globl _q8SelfReferenceRva
_q8SelfReferenceRva:
    call .Lq8SelfAfter
    .rva _q8SelfReference
.Lq8SelfAfter:
    popl %eax
    movl (%eax), %eax
    ret

    .p2align 4
    .globl _q8BootstrapNames
_q8BootstrapNames:
    call .Lq8NamesAfter
    .asciz "kernel32.dll"
    .asciz "LoadLibraryA"
    .asciz "GetProcAddress"
    .asciz "VirtualProtect"
.Lq8NamesAfter:
    popl %eax
    ret
)");

namespace {

typedef HMODULE(WINAPI* LoadLibraryFunction)(LPCSTR);
typedef FARPROC(WINAPI* GetProcAddressFunction)(HMODULE, LPCSTR);
typedef BOOL(WINAPI* VirtualProtectFunction)(LPVOID, SIZE_T, DWORD, PDWORD);

struct KernelCalls {
    LoadLibraryFunction loadLibrary;
    GetProcAddressFunction getProcAddress;
    VirtualProtectFunction virtualProtect;
};

// More sections than any image of this program has; a larger count is
// treated as a damaged header.
constexpr unsigned maximumSections = 40;

IMAGE_NT_HEADERS32* ntHeaders(char* module) {
    return reinterpret_cast<IMAGE_NT_HEADERS32*>(module +
                                                 reinterpret_cast<IMAGE_DOS_HEADER*>(module)->e_lfanew);
}

const IMAGE_DATA_DIRECTORY* directory(IMAGE_NT_HEADERS32* nt, unsigned index) {
    if (index >= nt->OptionalHeader.NumberOfRvaAndSizes) return nullptr;
    const IMAGE_DATA_DIRECTORY* entry = &nt->OptionalHeader.DataDirectory[index];
    return entry->VirtualAddress && entry->Size ? entry : nullptr;
}

const char* nextName(const char* name) {
    while (*name) ++name;
    return name + 1;
}

int lowerAscii(int c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

bool sameText(const char* a, const char* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// The module's base name (UTF-16 from the loader's list) against `length`
// ASCII characters of `name`, ignoring case, optionally followed by ".dll".
bool sameModuleName(const wchar_t* moduleName, unsigned moduleLength, const char* name, unsigned length,
                    bool addDll) {
    if (moduleLength != length + (addDll ? 4 : 0)) return false;
    for (unsigned i = 0; i < length; ++i)
        if (lowerAscii(moduleName[i]) != lowerAscii(static_cast<unsigned char>(name[i]))) return false;
    if (addDll) {
        const wchar_t* suffix = moduleName + length;
        if (suffix[0] != '.' || lowerAscii(suffix[1]) != 'd' || lowerAscii(suffix[2]) != 'l' ||
            lowerAscii(suffix[3]) != 'l')
            return false;
    }
    return true;
}

// A module already loaded in the process, by base name, from the loader's
// list in the process environment block (NT layout: PEB at fs:[0x30], its
// loader data at +0x0C, the load-order list at +0x0C there; in each entry
// DllBase at +0x18 and BaseDllName at +0x2C).  Only used when the loader left
// imports unresolved, which is the NT family's (and Wine's) behaviour.
char* findLoadedModule(const char* name, unsigned length, bool addDll) {
    char* peb;
    asm volatile("movl %%fs:0x30, %0" : "=r"(peb));
    if (!peb) return nullptr;
    char* loaderData = *reinterpret_cast<char**>(peb + 0x0C);
    if (!loaderData) return nullptr;
    char* head = loaderData + 0x0C;
    for (char* entry = *reinterpret_cast<char**>(head); entry && entry != head;
         entry = *reinterpret_cast<char**>(entry)) {
        const unsigned short bytes = *reinterpret_cast<unsigned short*>(entry + 0x2C);
        const wchar_t* baseName = *reinterpret_cast<wchar_t**>(entry + 0x30);
        if (baseName && sameModuleName(baseName, bytes / 2, name, length, addDll))
            return *reinterpret_cast<char**>(entry + 0x18);
    }
    return nullptr;
}

// The address of an export by name, following forwarders ("NTDLL.Name") to
// modules that are already loaded.
void* findExport(char* module, const char* name, int depth) {
    if (!module || depth > 4) return nullptr;
    IMAGE_NT_HEADERS32* nt = ntHeaders(module);
    const IMAGE_DATA_DIRECTORY* entry = directory(nt, IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (!entry) return nullptr;
    const IMAGE_EXPORT_DIRECTORY* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(module + entry->VirtualAddress);
    const DWORD* names = reinterpret_cast<const DWORD*>(module + exports->AddressOfNames);
    const WORD* ordinals = reinterpret_cast<const WORD*>(module + exports->AddressOfNameOrdinals);
    const DWORD* functions = reinterpret_cast<const DWORD*>(module + exports->AddressOfFunctions);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        if (!sameText(module + names[i], name)) continue;
        const DWORD rva = functions[ordinals[i]];
        if (rva < entry->VirtualAddress || rva >= entry->VirtualAddress + entry->Size) return module + rva;
        // A forwarder: "MODULE.Function" inside the export directory.
        const char* forward = module + rva;
        unsigned dot = 0;
        while (forward[dot] && forward[dot] != '.') ++dot;
        if (!forward[dot] || forward[dot + 1] == '#') return nullptr;
        return findExport(findLoadedModule(forward, dot, true), forward + dot + 1, depth + 1);
    }
    return nullptr;
}

bool findKernelCalls(KernelCalls& calls) {
    const char* kernelName = q8BootstrapNames();
    unsigned length = 0;
    while (kernelName[length]) ++length;
    char* kernel = findLoadedModule(kernelName, length, false);
    const char* loadName = nextName(kernelName);
    const char* findName = nextName(loadName);
    const char* protectName = nextName(findName);
    calls.loadLibrary = reinterpret_cast<LoadLibraryFunction>(findExport(kernel, loadName, 0));
    calls.getProcAddress = reinterpret_cast<GetProcAddressFunction>(findExport(kernel, findName, 0));
    calls.virtualProtect = reinterpret_cast<VirtualProtectFunction>(findExport(kernel, protectName, 0));
    return calls.loadLibrary && calls.getProcAddress && calls.virtualProtect;
}

// Every section writable (and executable, since code is patched too) while
// the image is fixed up, and each one's protection back afterwards.
class SectionAccess {
public:
    SectionAccess(char* base, IMAGE_NT_HEADERS32* nt, VirtualProtectFunction protect)
        : base_(base), nt_(nt), protect_(protect), count_(nt->FileHeader.NumberOfSections) {}

    bool open() {
        if (count_ > maximumSections) return false;
        IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt_);
        for (unsigned i = 0; i < count_; ++i)
            if (!protect_(base_ + section[i].VirtualAddress, size(section[i]), PAGE_EXECUTE_READWRITE,
                          &previous_[i]))
                previous_[i] = 0;
        return true;
    }

    void close() {
        IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt_);
        for (unsigned i = 0; i < count_ && i < maximumSections; ++i) {
            DWORD ignored;
            if (previous_[i])
                protect_(base_ + section[i].VirtualAddress, size(section[i]), previous_[i], &ignored);
        }
    }

private:
    static SIZE_T size(const IMAGE_SECTION_HEADER& section) {
        return section.Misc.VirtualSize ? section.Misc.VirtualSize : section.SizeOfRawData;
    }

    char* base_;
    IMAGE_NT_HEADERS32* nt_;
    VirtualProtectFunction protect_;
    unsigned count_;
    DWORD previous_[maximumSections];
};

bool applyRelocations(char* base, IMAGE_NT_HEADERS32* nt, DWORD delta) {
    const IMAGE_DATA_DIRECTORY* entry = directory(nt, IMAGE_DIRECTORY_ENTRY_BASERELOC);
    if (!entry) return false;   // moved, and no way to fix the pointers
    char* block = base + entry->VirtualAddress;
    char* const end = block + entry->Size;
    while (block + sizeof(IMAGE_BASE_RELOCATION) <= end) {
        const IMAGE_BASE_RELOCATION* header = reinterpret_cast<const IMAGE_BASE_RELOCATION*>(block);
        if (header->SizeOfBlock < sizeof(IMAGE_BASE_RELOCATION)) break;
        const WORD* fixups = reinterpret_cast<const WORD*>(header + 1);
        const unsigned count = (header->SizeOfBlock - sizeof(IMAGE_BASE_RELOCATION)) / sizeof(WORD);
        char* page = base + header->VirtualAddress;
        for (unsigned i = 0; i < count; ++i) {
            const unsigned type = fixups[i] >> 12;
            char* target = page + (fixups[i] & 0x0FFF);
            if (type == IMAGE_REL_BASED_HIGHLOW)
                *reinterpret_cast<DWORD*>(target) += delta;
            else if (type == IMAGE_REL_BASED_HIGH)
                *reinterpret_cast<WORD*>(target) += static_cast<WORD>(delta >> 16);
            else if (type == IMAGE_REL_BASED_LOW)
                *reinterpret_cast<WORD*>(target) += static_cast<WORD>(delta);
            // IMAGE_REL_BASED_ABSOLUTE pads a block; nothing else occurs on i386.
        }
        block += header->SizeOfBlock;
    }
    return true;
}

// An import slot still holds what the file holds: the name's RVA or the
// ordinal, equal to the lookup table's entry.
bool slotUnresolved(const IMAGE_IMPORT_DESCRIPTOR* descriptor, const DWORD* slot, const DWORD* lookup,
                    DWORD imageSize) {
    if (descriptor->OriginalFirstThunk) return *slot == *lookup;
    return (*slot & IMAGE_ORDINAL_FLAG32) || *slot < imageSize;
}

// Resolves the slots still unresolved; with `calls` null it only sets
// *pending when any is left.  false when a library or function is missing.
bool processImports(char* base, IMAGE_NT_HEADERS32* nt, const KernelCalls* calls, bool* pending) {
    *pending = false;
    const IMAGE_DATA_DIRECTORY* entry = directory(nt, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (!entry) return true;
    const DWORD imageSize = nt->OptionalHeader.SizeOfImage;
    bool complete = true;
    for (const IMAGE_IMPORT_DESCRIPTOR* descriptor =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + entry->VirtualAddress);
         descriptor->Name; ++descriptor) {
        DWORD* slot = reinterpret_cast<DWORD*>(base + descriptor->FirstThunk);
        const DWORD* lookup = descriptor->OriginalFirstThunk
                                  ? reinterpret_cast<const DWORD*>(base + descriptor->OriginalFirstThunk)
                                  : slot;
        HMODULE module = nullptr;
        for (; *lookup; ++slot, ++lookup) {
            if (!slotUnresolved(descriptor, slot, lookup, imageSize)) continue;
            *pending = true;
            if (!calls) return true;   // only asked whether anything is left
            if (!module) module = calls->loadLibrary(base + descriptor->Name);
            if (!module) return false;
            const DWORD name = *lookup;
            FARPROC function =
                (name & IMAGE_ORDINAL_FLAG32)
                    ? calls->getProcAddress(module,
                                            reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(name & 0xFFFF)))
                    : calls->getProcAddress(module, base + name + 2);   // past the hint
            if (function)
                *slot = reinterpret_cast<DWORD>(function);
            else
                complete = false;
        }
    }
    return complete;
}

}   // namespace

extern "C" bool bootstrapImage() {
    char* base = q8ImageBase();
    IMAGE_NT_HEADERS32* nt = ntHeaders(base);
    void** selfSlot = reinterpret_cast<void**>(base + q8SelfReferenceRva());
    const bool relocated = *selfSlot == static_cast<void*>(selfSlot);
    bool importsPending = false;
    processImports(base, nt, nullptr, &importsPending);
    if (relocated && !importsPending) return true;   // a full loader, or a second call

    KernelCalls calls;
    if (!findKernelCalls(calls)) return false;
    SectionAccess access(base, nt, calls.virtualProtect);
    if (!access.open()) return false;
    bool ok = true;
    if (!relocated) {
        // The distance the image was moved: where the pointer is minus where
        // the unrelocated pointer says it should be.
        const DWORD delta = reinterpret_cast<DWORD>(selfSlot) - reinterpret_cast<DWORD>(*selfSlot);
        ok = applyRelocations(base, nt, delta);
    }
    if (ok) ok = processImports(base, nt, &calls, &importsPending);
    access.close();
    return ok;
}

// The export.  Everything before runSilentReport() is position-independent;
// from there on the image is an ordinary program.
extern "C" __attribute__((stdcall)) int GenerateSilentReport() {
    if (!bootstrapImage()) return 0;
    return runSilentReport();
}
