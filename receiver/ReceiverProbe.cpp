#include "receiver/ReceiverProbe.h"

#include "foundation/ForeignCallGuard.h"
#include "foundation/ProcAddress.h"
#include "foundation/TextList.h"
#include "foundation/Win32.h"
#include "receiver/EepromDecode.h"
#include "foundation/LineWriter.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The controller's registers by index; 35 has no name of its own.
const char* const kRegisterNames[64] = {
    "VERSION",    "FIRMWARE", "FEATURES1",   "FEATURES2",  "STATUS",   "PWR_CTL",  "INT_MSK",  "INT_REQ",
    "PLL_STATUS", "EE_ADR",   "EE_DAT",      "EXECUTE",    "EXECUTE2", "TIMER",    "HWCHG",    "HWCHG2",
    "RSSI1_LO",   "RSSI1_HI", "RSSI2_LO",    "RSSI2_HI",   "ADC3_LO",  "ADC3_HI",  "ADC4_LO",  "ADC4_HI",
    "ADC5_LO",    "ADC5_HI",  "FMW_CONTROL", "FMW_STATUS", "AUD_SRC",  "AUD_L",    "AUD_R",    "I2C_ERROR",
    "RF1_BAND",   "RF2_BAND", "BP_CLKSEL",   "[35]",       "RF2_PLL1", "RF2_PLL2", "RF2_PLL3", "RF2_PLL4",
    "IF1_DAC1",   "IF1_DAC2", "IF1_DAC3",    "IF1_DAC4",   "IF1_DAC5", "IF1_DAC6", "IF1_DAC7", "IF1_DAC8",
    "PLL_PLL1",   "PLL_PLL2", "PLL_PLL3",    "PLL_PLL4",   "PLL_DDS1", "PLL_DDS2", "PLL_DDS3", "PLL_DDS4",
    "IF2_PLL1",   "IF2_PLL2", "IF2_PLL3",    "IF2_PLL4",   "IF2_DDS1", "IF2_DDS2", "IF2_DDS3", "IF2_DDS4",
};

const unsigned kPllStatusRegister = 8;
const unsigned kPllLocked = 0x01;
const unsigned kIf2Locked = 0x02;
const int kTuneFrequency = 10000000;   // 10 MHz: inside every band of the receiver
const int kNameBufferSize = 1024;

// The library's exports in the order they are resolved.
enum Export {
    GetRadioList,
    OpenDevice,
    CloseDevice,
    GetDebug,
    GetInfo,
    GetInternalRssi,
    GetEep,
    GetPath,
    GetLock,
    SetFrequencyExport,
    SetPowerExport,
    kExportCount
};
const char* const kExportNames[kExportCount] = {
    "Q8GetRadioList", "OpenRadioDevice", "CloseRadioDevice", "Q8GetDebug",   "Q8GetInfo", "Q8GetInternalRSSI",
    "Q8GetEEP",       "Q8GetPath",       "Q8GetLock",        "SetFrequency", "SetPower",
};

// Modules in which a structured exception was caught.  A library that
// faulted may hold its own locks or half-updated state, and it can never be
// unloaded to reset it, so it is not called again while the process lives
// (a second "Get info" included): a call could fault again or hang the report.
std::vector<HMODULE>& faultedLibraries() {
    static std::vector<HMODULE> modules;
    return modules;
}

bool hasFaulted(HMODULE module) {
    for (HMODULE m : faultedLibraries())
        if (m == module) return true;
    return false;
}

// --- the guarded calls ---------------------------------------------------------
// What runs inside callGuarded owns nothing with a destructor: after a fault
// the guard discards the stack between itself and the fault.

struct LoadCall {
    const char* path;
    HMODULE module;
};

void loadThunk(void* context) {
    LoadCall* call = static_cast<LoadCall*>(context);
    call->module = LoadLibraryA(call->path);
}

struct ResolveCall {
    HMODULE module;
    FARPROC procs[kExportCount];
};

void resolveThunk(void* context) {
    ResolveCall* call = static_cast<ResolveCall*>(context);
    for (int k = 0; k < kExportCount; ++k) call->procs[k] = GetProcAddress(call->module, kExportNames[k]);
}

// Every export takes one to three 32-bit arguments and returns a 32-bit
// integer, __stdcall (the callee pops its arguments).
struct ExportCall {
    FARPROC proc;
    int argumentCount;
    intptr_t arguments[3];
    int result;
};

typedef int(__stdcall* Export1)(intptr_t);
typedef int(__stdcall* Export2)(intptr_t, intptr_t);
typedef int(__stdcall* Export3)(intptr_t, intptr_t, intptr_t);

void exportThunk(void* context) {
    ExportCall* call = static_cast<ExportCall*>(context);
    const intptr_t* a = call->arguments;
    switch (call->argumentCount) {
    case 1:
        call->result = functionCast<Export1>(call->proc)(a[0]);
        break;
    case 2:
        call->result = functionCast<Export2>(call->proc)(a[0], a[1]);
        break;
    default:
        call->result = functionCast<Export3>(call->proc)(a[0], a[1], a[2]);
        break;
    }
}

// One receiver library for the length of one probe.  Once a call has
// faulted, every further call reports failure without entering the library.
class ReceiverLibrary {
public:
    // The module is one that faulted in an earlier probe of this process.
    bool faultedEarlier() const { return faultedEarlier_; }

    // false on a fault; *loaded tells whether LoadLibraryA gave a module.
    bool load(const String& path, bool* loaded) {
        // No "insert a disk" or "cannot find component" boxes from the loader.
        UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        LoadCall call = {path.c_str(), nullptr};
        bool ok = callGuarded(loadThunk, &call);
        SetErrorMode(previousMode);
        module_ = call.module;
        *loaded = ok && module_ != nullptr;
        if (!ok) faulted_ = true;
        if (*loaded && hasFaulted(module_)) faulted_ = faultedEarlier_ = true;
        return ok;
    }

    // false on a fault; *complete tells whether all eleven exports exist.
    bool resolve(bool* complete) {
        ResolveCall call = {};
        call.module = module_;
        *complete = false;
        if (!guarded(resolveThunk, &call)) return false;
        *complete = true;
        for (int k = 0; k < kExportCount; ++k) {
            procs_[k] = call.procs[k];
            if (!procs_[k]) *complete = false;
        }
        return true;
    }

    // false on a fault (or when the library faulted before); *result holds
    // the export's result otherwise.
    template <typename... Arguments>
    bool call(Export e, int* result, Arguments... arguments) {
        static_assert(sizeof...(Arguments) >= 1 && sizeof...(Arguments) <= 3, "one to three arguments");
        ExportCall c = {procs_[e], int(sizeof...(Arguments)), {(intptr_t)arguments...}, 0};
        if (!guarded(exportThunk, &c)) return false;
        *result = c.result;
        return true;
    }

private:
    bool guarded(void (*fn)(void*), void* context) {
        if (faulted_) return false;
        if (callGuarded(fn, context)) return true;
        faulted_ = true;
        if (module_ && !hasFaulted(module_)) faultedLibraries().push_back(module_);
        return false;
    }

    HMODULE module_ = nullptr;
    FARPROC procs_[kExportCount] = {};
    bool faulted_ = false;
    bool faultedEarlier_ = false;
};

// Buffers handed to the library, with room to spare behind each: a library
// of another version that writes more than the agreed size then spoils the
// slack instead of the program's heap.
struct ReceiverBuffers {
    uint8_t registers[64];
    uint8_t registersSlack[192];
    uint8_t eeprom[kEepromImageSize];
    uint8_t eepromSlack[256];
    char name[kNameBufferSize];
    char nameSlack[1024];
};

class Probe {
public:
    Probe(LineWriter& out, const String& path, const ReceiverProbeSettings& settings)
        : out_(out), path_(path), file_(path.fileNamePart()), settings_(settings) {
        // "ZNQ8API.DLL" -> "Q8": the name without its first two characters
        // and without "API.DLL".
        model_ = file_.length() > 9 ? file_.substring(2, file_.length() - 9) : String();
    }

    void run() {
        // Going on after a receiver that hung: the lines up to the count are
        // in the report already.
        const bool resumed = settings_.firstReceiver > 1;
        if (!resumed) detail(String("Looking for ") + model_ + " receivers:");
        bool loaded = false;
        if (!library_.load(path_, &loaded)) return exceptionLine();
        if (!loaded) return summary(String("   Unable to load ") + path_);
        // Not entered again; the line says so, or it would read as a new fault.
        if (library_.faultedEarlier())
            return summary(exceptionText() + " (not called again: it faulted in an earlier report)");

        bool complete = false;
        if (!library_.resolve(&complete)) return exceptionLine();
        if (!complete) return summary(String("   Failed to link API functions from ") + file_);

        int count = 0;
        if (!library_.call(GetRadioList, &count, 0, 0)) return exceptionLine();
        if (count == 0) {
            if (!resumed) summary(String("   No ") + model_ + " receivers found");
            return;
        }
        if (!resumed) summary(String("   ") + String::decimal(count) + " " + model_ + " receiver(s) found");

        int probed = count;
        if (count < 0) {
            if (!resumed) summary(String("   Invalid receiver count from ") + file_ + ", no receiver probed");
            return;
        }
        if (count > settings_.maxReceivers) {
            probed = settings_.maxReceivers;
            if (!resumed)
                summary(String("   Only the first ") + String::decimal(probed) + " receivers are probed");
        }
        buffers_.reset(new ReceiverBuffers);
        for (int i = settings_.firstReceiver < 1 ? 1 : settings_.firstReceiver; i <= probed; ++i) {
            out_.markItem(unsigned(i));
            if (!probeReceiver(i)) {
                exceptionLine();
                break;
            }
        }
    }

private:
    void detail(const String& text) { out_.writeLine(text, false); }
    void summary(const String& text) { out_.writeLine(text, true); }
    String exceptionText() const { return String("   exception while accessing ") + file_; }
    void exceptionLine() { summary(exceptionText()); }

    // false when the library faulted; the receiver then stays open, as
    // nothing more may be called in that library.
    bool probeReceiver(int index) {
        const String number = String::decimal(index);
        const String tag = String("#") + number;
        int handle = 0;
        int result = 0;
        if (!library_.call(OpenDevice, &handle, index)) return false;
        if (handle == 0) {
            summary(String("   Unable to open the ") + model_ + " receiver #" + number + " from " + file_);
            return true;
        }

        if (!library_.call(SetPowerExport, &result, handle, 1)) return false;
        if (result == 0) summary(String("   Unable to power up the receiver ") + tag + " from " + file_);
        Sleep(settings_.settleMilliseconds);
        if (!library_.call(SetFrequencyExport, &result, handle, kTuneFrequency)) return false;
        if (result == 0) summary(String("   Unable to tune the receiver ") + tag + " from " + file_);

        // Cleared first: after a failed read the lock line must not judge
        // stale bytes, so it then reports both modules unlocked.
        uint8_t* registers = buffers_->registers;
        std::memset(registers, 0, sizeof buffers_->registers);
        if (!library_.call(GetDebug, &result, handle, registers)) return false;
        if (result != 0) {
            for (int row = 0; row < 16; ++row) {
                String line;
                for (int k = row * 4; k < row * 4 + 4; ++k)
                    line += String(kRegisterNames[k]) + ": " + String::hex(registers[k], 2) + "\t";
                detail(line);
            }
        } else {
            detail(String("   Unable to obtain PIC registers for ") + tag + " from " + file_);
        }
        lockLine(tag, registers[kPllStatusRegister]);

        detail("EEPROM content");
        uint8_t* eeprom = buffers_->eeprom;
        std::memset(eeprom, 0, sizeof buffers_->eeprom);
        if (!library_.call(GetEep, &result, handle, eeprom)) return false;
        if (result != 0) {
            for (const String& line : decodeEeprom(buffers_->eeprom)) detail(line);
        } else {
            summary(String("   Unable to get EEPROM from ") + model_ + " receiver #" + number + " from " +
                    file_);
        }

        char* name = buffers_->name;
        std::memset(name, 0, sizeof buffers_->name);
        if (!library_.call(GetPath, &result, handle, name, kNameBufferSize)) return false;
        if (result != 0) {
            // Only the agreed 1024 bytes count, terminated or not.
            detail(String("   Device Name: ") + deviceText(name, kNameBufferSize));
        } else {
            detail(String("   Unable to retrieve the device name for ") + tag + " from " + file_);
        }

        if (!library_.call(SetPowerExport, &result, handle, 0)) return false;
        if (!library_.call(CloseDevice, &result, handle)) return false;
        detail("");
        return true;
    }

    // "      Q8 ##1 WORKING OK", or the modules that are not locked + " = FAILURE".
    void lockLine(const String& tag, uint8_t status) {
        String line = String("      ") + model_ + " #" + tag;
        if (!(status & kPllLocked)) line += ": PLL module is NOT locked ";
        if (!(status & kIf2Locked)) line += ": IF2 module is NOT locked ";
        if ((status & (kPllLocked | kIf2Locked)) == (kPllLocked | kIf2Locked))
            line += " WORKING OK";
        else
            line += " = FAILURE";
        summary(line);
    }

    LineWriter& out_;
    String path_;
    String file_;
    String model_;
    ReceiverProbeSettings settings_;
    ReceiverLibrary library_;
    std::unique_ptr<ReceiverBuffers> buffers_;
};

}   // namespace

void probeReceivers(LineWriter& out, const String& libraryPath, const ReceiverProbeSettings& settings) {
    Probe(out, libraryPath, settings).run();
}

void probeReceivers(LineWriter& out, const String& libraryPath) {
    probeReceivers(out, libraryPath, ReceiverProbeSettings());
}

void searchForReceivers(LineWriter& out, const TextList& systemFiles,
                        const std::function<void(const String&)>& probe) {
    out.writeLine("", false);
    out.writeLine("Searching for receivers:", false);
    for (unsigned i = 0; i < systemFiles.count(); ++i) {
        const String path = systemFiles.get(i);
        // Case-sensitive on purpose: the list holds upper-case paths, so a
        // library whose name is written in lower case on disk still matches.
        if (path.length() < 7 || path.substring(path.length() - 7) != "API.DLL") continue;
        if (probe)
            probe(path);
        else
            probeReceivers(out, path);
    }
}
