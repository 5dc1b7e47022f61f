// Simulated receiver API library: stands in for the receiver software's own
// DLL so that the diagnostic tool can be run, shown and tested on a PC without
// ZN-Q8 hardware.  It simulates a bus with a configurable number of receivers,
// each with 64 controller registers, a 256-byte EEPROM calibration table and a
// device name.  Every behaviour a test needs (failures, lock bits, faults,
// hangs) is chosen with Q8SIM_* environment variables; simulator/README.md
// lists them.
//
// The settings are read with GetEnvironmentVariableA, not getenv: msvcrt keeps
// its own copy of the environment taken when the process started, so a test
// that changes a setting with SetEnvironmentVariableA would not be seen.  They
// are re-read on every Q8GetRadioList call (a new "bus scan"), so one process
// can run several scenarios against the same loaded library.
#include "foundation/Win32.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kMaxReceivers = 256;        // receivers beyond this cannot be opened
const int kHandleBase = 0x51380000;   // handle = base + receiver index
const int kDefaultLock = 3;           // PLL and IF2 locked
const int kNoReceiver = -1;           // passed by exports that take no receiver

// Q8SIM_FAULT and Q8SIM_HANG name an export, "Export" (for every receiver) or
// "Export:N" (for receiver N only).
struct ExportChoice {
    char exportName[64] = {};
    int receiver = 0;   // 0: any receiver
};

struct Settings {
    int count = 1;
    bool openFail[kMaxReceivers + 1] = {};
    bool powerFail[kMaxReceivers + 1] = {};
    bool tuneFail[kMaxReceivers + 1] = {};
    bool debugFail[kMaxReceivers + 1] = {};
    bool eepromFail[kMaxReceivers + 1] = {};
    bool pathFail[kMaxReceivers + 1] = {};
    bool pathUnterminated[kMaxReceivers + 1] = {};
    int lock[kMaxReceivers + 1] = {};
    ExportChoice fault;
    ExportChoice hang;
    bool eepromRandom = false;
    uint32_t eepromSeed = 0;
    char logPath[MAX_PATH] = {};
};

struct Receiver {
    bool open = false;
    bool powered = false;
    bool tuned = false;
    uint32_t frequency = 0;
    uint8_t timer = 0;
};

Settings settings;
bool settingsRead = false;
Receiver receivers[kMaxReceivers + 1];

// --- settings -------------------------------------------------------------

bool readVariable(const char* name, char* buffer, DWORD size) {
    DWORD n = GetEnvironmentVariableA(name, buffer, size);
    if (n == 0 || n >= size) {
        buffer[0] = 0;
        return false;
    }
    return true;
}

// "Export" or "Export:N".  Also read in DllMain under the loader lock, so
// only kernel32 and plain string code here.
bool readExportChoice(const char* name, ExportChoice& choice) {
    choice = ExportChoice();
    char text[64];
    if (!readVariable(name, text, sizeof text)) return false;
    char* colon = strchr(text, ':');
    if (colon) {
        *colon = 0;
        choice.receiver = atoi(colon + 1);
    }
    lstrcpynA(choice.exportName, text, sizeof choice.exportName);
    return true;
}

// "1,3,5" or "all": sets flags[i] for every receiver named.
void readIndexList(const char* name, bool* flags) {
    char text[1024];
    if (!readVariable(name, text, sizeof text)) return;
    if (_stricmp(text, "all") == 0) {
        for (int i = 1; i <= kMaxReceivers; ++i) flags[i] = true;
        return;
    }
    const char* p = text;
    while (*p) {
        char* end = nullptr;
        long index = strtol(p, &end, 10);
        if (end == p) {
            ++p;
            continue;
        }
        if (index >= 1 && index <= kMaxReceivers) flags[index] = true;
        p = end;
    }
}

void readSettings() {
    settings = Settings();
    for (int i = 0; i <= kMaxReceivers; ++i) settings.lock[i] = kDefaultLock;

    char text[1024];
    if (readVariable("Q8SIM_RECEIVERS", text, sizeof text)) {
        // Parsed wide and truncated to 32 bits on purpose, so that a test can
        // ask for the counts a broken driver reports (negative, billions).
        settings.count = (int)(uint32_t)strtoll(text, nullptr, 0);
    }
    readIndexList("Q8SIM_OPEN_FAIL", settings.openFail);
    readIndexList("Q8SIM_POWER_FAIL", settings.powerFail);
    readIndexList("Q8SIM_TUNE_FAIL", settings.tuneFail);
    readIndexList("Q8SIM_DEBUG_FAIL", settings.debugFail);
    readIndexList("Q8SIM_EEPROM_FAIL", settings.eepromFail);
    readIndexList("Q8SIM_PATH_FAIL", settings.pathFail);
    readIndexList("Q8SIM_PATH_UNTERMINATED", settings.pathUnterminated);

    if (readVariable("Q8SIM_LOCK", text, sizeof text)) {
        // One value per receiver in order; receivers past the list keep 3.
        const char* p = text;
        for (int i = 1; i <= kMaxReceivers && *p; ++i) {
            char* end = nullptr;
            unsigned long v = strtoul(p, &end, 0);
            if (end == p) break;
            settings.lock[i] = (int)(v & 0xff);
            p = end;
            while (*p == ',' || *p == ' ') ++p;
        }
    }
    readExportChoice("Q8SIM_FAULT", settings.fault);
    readExportChoice("Q8SIM_HANG", settings.hang);
    if (readVariable("Q8SIM_EEPROM_SEED", text, sizeof text)) {
        settings.eepromRandom = true;
        settings.eepromSeed = (uint32_t)strtoul(text, nullptr, 0);
    }
    readVariable("Q8SIM_LOG", settings.logPath, sizeof settings.logPath);
    settingsRead = true;
}

void ensureSettings() {
    if (!settingsRead) readSettings();
}

// --- call log, faults and hangs ------------------------------------------

// One line per call, appended and closed at once so a test can read the log
// while the library stays loaded.
void logCall(const char* format, ...) {
    if (!settings.logPath[0]) return;
    char line[256];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    if (n < 0) return;
    if (n > (int)sizeof line - 3) n = (int)sizeof line - 3;
    line[n++] = '\r';
    line[n++] = '\n';
    HANDLE file = CreateFileA(settings.logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, (DWORD)n, &written, nullptr);
    CloseHandle(file);
}

bool isChosen(const ExportChoice& choice, const char* exportName, int receiver) {
    if (lstrcmpiA(choice.exportName, exportName) != 0) return false;
    return choice.receiver == 0 || choice.receiver == receiver;
}

// Called first thing in every export, with the receiver index (0 for a
// handle that names no open receiver).
//
// A hang blocks the calling thread for good, as a driver stuck in a device
// call would; the log line comes first so that a test can tell where.  An
// export without a receiver (kNoReceiver) hangs whatever N the setting names.
//
// A fault is a genuine access violation (a write to an unmapped page), not a
// RaiseException: the caller's guard must cope with a real fault.  The
// volatile pointer keeps the compiler from turning the write into a trap.
// "Export:N" never faults an export without a receiver.
void misbehaveIfChosen(const char* exportName, int receiver) {
    if (isChosen(settings.hang, exportName, receiver == kNoReceiver ? settings.hang.receiver : receiver)) {
        logCall("%s: hang", exportName);
        Sleep(INFINITE);
    }
    if (isChosen(settings.fault, exportName, receiver)) {
        logCall("%s: access violation", exportName);
        volatile int* volatile target = reinterpret_cast<int*>(0x10);
        *target = 1;
    }
}

// --- simulated receiver contents ------------------------------------------

int indexFromHandle(int handle) {
    int index = handle - kHandleBase;
    if (index < 1 || index > kMaxReceivers || !receivers[index].open) return 0;
    return index;
}

void put16(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

void putText(uint8_t* p, const char* text) {
    // 8-byte field, zero-padded; a text of 8 characters has no terminator.
    memset(p, 0, 8);
    memcpy(p, text, strnlen(text, 8));
}

// Effective lock bits: a receiver only locks when it is powered and tuned.
int lockBits(int index) {
    const Receiver& r = receivers[index];
    return (r.powered && r.tuned) ? settings.lock[index] : 0;
}

// The calibration table of a ZN-Q8 shortwave receiver (9 kHz to 30 MHz,
// first IF at 45 MHz).  Serial number and DAC trims differ per receiver.
void fillEeprom(int index, uint8_t* e) {
    memset(e, 0, 256);
    if (settings.eepromRandom) {
        // Reproducible garbage for decoder robustness tests (a linear
        // congruential generator, seeded per receiver).
        uint32_t x = settings.eepromSeed * 2654435761u + (uint32_t)index;
        for (int i = 0; i < 256; ++i) {
            x = x * 1664525u + 1013904223u;
            e[i] = (uint8_t)(x >> 24);
        }
        return;
    }
    static const char* const description[8] = {"ZN-Q8 SW", " receive", "r 9 kHz ", "- 30 MHz",
                                               "calibrat", "ed 2026-", "03-14",    ""};
    for (int row = 0; row < 8; ++row) putText(e + row * 8, description[row]);
    put16(e + 64, 3);                       // table layout version
    put16(e + 66, 0xffff);                  // unused
    put32(e + 68, 9000);                    // min freq
    put32(e + 72, 30000000);                // max freq
    put32(e + 76, 45000000);                // IF1
    put32(e + 80, 10000000);                // Ref1
    put32(e + 84, 40000000);                // Ref2
    static const uint32_t bandAndVco[24] = {// preselector band edges
                                            9000, 1600000, 2500000, 3900000, 5900000, 8100000, 11000000,
                                            14800000, 19600000, 24900000, 30000000, 30000000,
                                            // VCO range edges
                                            45009000, 47500000, 50000000, 52500000, 55000000, 57500000,
                                            60000000, 62500000, 65000000, 67500000, 70000000, 75000000};
    for (int k = 0; k < 24; ++k) put32(e + 88 + 4 * k, bandAndVco[k]);
    static const uint8_t dac[8] = {0x80, 0x7f, 0x82, 0x7c, 0x90, 0x88, 0x00, 0xff};
    for (int k = 0; k < 8; ++k) e[184 + k] = dac[k];
    e[184] = (uint8_t)(0x80 + index);   // per-unit trim
    putText(e + 192, "ZN-Q8");
    char serial[16];
    snprintf(serial, sizeof serial, "Q8%06d", 201400 + index);
    putText(e + 200, serial);
    static const uint32_t refClock[4] = {10000000, 40000000, 12800000, 0};
    static const uint16_t refDiv[4] = {10, 40, 128, 1};
    static const uint8_t pBits[4] = {4, 5, 3, 0};
    for (int k = 0; k < 4; ++k) {
        put32(e + 208 + 4 * k, refClock[k]);
        put16(e + 224 + 2 * k, refDiv[k]);
        e[232 + k] = pBits[k];
    }
    e[236] = 2;   // RSSI type
    e[237] = 5;   // RSSI flags
    e[238] = 0;
    e[239] = 0;
    put16(e + 240, 220);             // AGC start
    put16(e + 242, 1100);            // AGC mid
    put16(e + 244, 3400);            // AGC end
    put16(e + 246, (uint16_t)-10);   // drop level, signed
    put16(e + 248, (uint16_t)-27);   // RSSI top, signed
    put16(e + 250, 512);             // RSSI ref
    put16(e + 252, 18);              // RX gain
    put16(e + 254, 498);             // RSSI ref2
}

int bandOf(uint32_t frequency) {
    static const uint32_t edges[] = {1600000,  2500000,  3900000,  5900000, 8100000,
                                     11000000, 14800000, 19600000, 24900000};
    int band = 0;
    while (band < 9 && frequency >= edges[band]) ++band;
    return band;
}

uint16_t rssiOf(int index) {
    const Receiver& r = receivers[index];
    if (!r.powered) return 0;
    return (uint16_t)(0x0300 + index * 7 + (r.timer & 0x0f));
}

void fillRegisters(int index, uint8_t* reg) {
    Receiver& r = receivers[index];
    ++r.timer;
    memset(reg, 0, 64);
    uint8_t eeprom[256];
    fillEeprom(index, eeprom);
    reg[0] = 0x03;                                                        // VERSION (board revision)
    reg[1] = 0x2b;                                                        // FIRMWARE 2.11
    reg[2] = 0x1d;                                                        // FEATURES1
    reg[3] = 0x06;                                                        // FEATURES2
    reg[4] = (uint8_t)(0x80 | (r.powered ? 1 : 0) | (r.tuned ? 2 : 0));   // STATUS
    reg[5] = r.powered ? 0x0f : 0x00;                                     // PWR_CTL
    reg[6] = 0x3c;                                                        // INT_MSK
    reg[8] = (uint8_t)lockBits(index);                                    // PLL_STATUS
    reg[9] = 0xff;                                                        // EE_ADR: last address read
    reg[10] = eeprom[255];                                                // EE_DAT
    reg[13] = r.timer;                                                    // TIMER
    put16(reg + 16, rssiOf(index));                                       // RSSI1
    put16(reg + 18, (uint16_t)(rssiOf(index) / 2));                       // RSSI2
    put16(reg + 20, 0x02c4);                                              // ADC3: supply
    put16(reg + 22, 0x0188);                                              // ADC4: temperature
    reg[26] = 0x01;                                                       // FMW_CONTROL
    reg[28] = 0x02;                                                       // AUD_SRC
    reg[29] = 0xc0;                                                       // AUD_L
    reg[30] = 0xc0;                                                       // AUD_R
    reg[32] = (uint8_t)bandOf(r.frequency);                               // RF1_BAND
    reg[33] = (uint8_t)(bandOf(r.frequency) + 0x10);                      // RF2_BAND
    reg[34] = 0x01;                                                       // BP_CLKSEL
    uint32_t vco = r.frequency + 45000000u;
    put32(reg + 36, vco / 1000u);                                             // RF2_PLL
    memcpy(reg + 40, eeprom + 184, 8);                                        // IF1_DAC1..8
    put32(reg + 48, vco / 10000u);                                            // PLL_PLL
    put32(reg + 52, (uint32_t)(((uint64_t)r.frequency << 32) / 40000000u));   // PLL_DDS
    put32(reg + 56, 44545000u / 1000u);                                       // IF2_PLL
    put32(reg + 60, (uint32_t)(((uint64_t)455000u << 32) / 12800000u));       // IF2_DDS
}

}   // namespace

// --- exports ----------------------------------------------------------------
// Exported through the .def files only (no dllexport), so the table holds the
// plain names and the variant without Q8GetLock really lacks it.

extern "C" {

int __stdcall Q8GetRadioList(void* buffer, int size) {
    readSettings();
    misbehaveIfChosen("Q8GetRadioList", kNoReceiver);
    // With a buffer the caller would get one 32-bit index per receiver.
    if (buffer && size > 0) {
        int* out = static_cast<int*>(buffer);
        for (int i = 0; i < settings.count && i < size / 4 && i < kMaxReceivers; ++i) out[i] = i + 1;
    }
    logCall("Q8GetRadioList(%p, %d) = %d", buffer, size, settings.count);
    return settings.count;
}

int __stdcall OpenRadioDevice(int index) {
    ensureSettings();
    misbehaveIfChosen("OpenRadioDevice", index);
    int handle = 0;
    if (index >= 1 && index <= kMaxReceivers && index <= settings.count && !settings.openFail[index]) {
        receivers[index] = Receiver();
        receivers[index].open = true;
        handle = kHandleBase + index;
    }
    logCall("OpenRadioDevice(%d) = %d", index, handle ? index : 0);
    return handle;
}

int __stdcall CloseRadioDevice(int handle) {
    ensureSettings();
    int index = indexFromHandle(handle);
    misbehaveIfChosen("CloseRadioDevice", index);
    if (index) receivers[index] = Receiver();
    logCall("CloseRadioDevice(#%d) = %d", index, index ? 1 : 0);
    return index ? 1 : 0;
}

int __stdcall SetPower(int handle, int on) {
    ensureSettings();
    int index = indexFromHandle(handle);
    misbehaveIfChosen("SetPower", index);
    int ok = 0;
    if (index) {
        if (on && settings.powerFail[index]) {
            receivers[index].powered = false;
        } else {
            receivers[index].powered = on != 0;
            if (!on) receivers[index].tuned = false;
            ok = 1;
        }
    }
    logCall("SetPower(#%d, %d) = %d", index, on, ok);
    return ok;
}

int __stdcall SetFrequency(int handle, int frequency) {
    ensureSettings();
    int index = indexFromHandle(handle);
    misbehaveIfChosen("SetFrequency", index);
    int ok = 0;
    if (index && !settings.tuneFail[index] && frequency > 0 && frequency <= 30000000) {
        receivers[index].frequency = (uint32_t)frequency;
        receivers[index].tuned = true;
        ok = 1;
    }
    logCall("SetFrequency(#%d, %d) = %d", index, frequency, ok);
    return ok;
}

int __stdcall Q8GetDebug(int handle, unsigned char* buffer) {
    ensureSettings();
    int index = indexFromHandle(handle);
    misbehaveIfChosen("Q8GetDebug", index);
    int ok = 0;
    if (index && buffer && !settings.debugFail[index]) {
        fillRegisters(index, buffer);
        ok = 1;
    }
    logCall("Q8GetDebug(#%d) = %d", index, ok);
    return ok;
}

int __stdcall Q8GetEEP(int handle, unsigned char* buffer) {
    ensureSettings();
    int index = indexFromHandle(handle);
    misbehaveIfChosen("Q8GetEEP", index);
    int ok = 0;
    if (index && buffer && !settings.eepromFail[index]) {
        fillEeprom(index, buffer);
        ok = 1;
    }
    logCall("Q8GetEEP(#%d) = %d", index, ok);
    return ok;
}

int __stdcall Q8GetPath(int handle, char* buffer, int size) {
    ensureSettings();
    int index = indexFromHandle(handle);
    misbehaveIfChosen("Q8GetPath", index);
    int ok = 0;
    if (index && buffer && size > 0 && !settings.pathFail[index]) {
        if (settings.pathUnterminated[index]) {
            // A broken driver that fills the whole buffer and no terminator.
            for (int i = 0; i < size; ++i) buffer[i] = (char)('A' + i % 26);
        } else {
            char name[64];
            snprintf(name, sizeof name, "\\\\.\\ZnQ8Usb%d", index - 1);
            lstrcpynA(buffer, name, size);
        }
        ok = 1;
    }
    logCall("Q8GetPath(#%d, %d) = %d", index, size, ok);
    return ok;
}

// The three exports below exist in the real library but the diagnostic tool
// never calls them; they only have to be present.

// Fills four 32-bit words: firmware, features, band, lock bits.
int __stdcall Q8GetInfo(int handle, int* info) {
    ensureSettings();
    int index = indexFromHandle(handle);
    misbehaveIfChosen("Q8GetInfo", index);
    if (!index || !info) return 0;
    uint8_t reg[64];
    fillRegisters(index, reg);
    info[0] = reg[1];
    info[1] = reg[2] | (reg[3] << 8);
    info[2] = reg[32];
    info[3] = reg[8];
    logCall("Q8GetInfo(#%d) = 1", index);
    return 1;
}

int __stdcall Q8GetInternalRSSI(int handle) {
    ensureSettings();
    int index = indexFromHandle(handle);
    misbehaveIfChosen("Q8GetInternalRSSI", index);
    int rssi = index ? rssiOf(index) : 0;
    logCall("Q8GetInternalRSSI(#%d) = %d", index, rssi);
    return rssi;
}

int __stdcall Q8GetLock(int handle) {
    ensureSettings();
    int index = indexFromHandle(handle);
    misbehaveIfChosen("Q8GetLock", index);
    int lock = index ? lockBits(index) : 0;
    logCall("Q8GetLock(#%d) = %d", index, lock);
    return lock;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        // Only kernel32 calls and plain string code here: the loader lock is
        // held.  A hang here keeps the host's LoadLibrary from ever
        // returning, and blocks every other thread of the host that loads a
        // library or starts or ends a thread.  Only the two choices are read:
        // the first export call reads all settings afresh, and with no log
        // path known yet nothing is logged.
        readExportChoice("Q8SIM_FAULT", settings.fault);
        readExportChoice("Q8SIM_HANG", settings.hang);
        misbehaveIfChosen("DllMain", kNoReceiver);
    }
    return TRUE;
}

}   // extern "C"
