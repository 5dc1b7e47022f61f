#include "report/ProbeHelper.h"

#include "audio/DeviceSections.h"
#include "audio/MixerSection.h"
#include "foundation/HelperProcess.h"
#include "foundation/PipeRecord.h"
#include "foundation/ScopedHandle.h"
#include "foundation/Win32.h"
#include "receiver/ReceiverProbe.h"
#include "report/ProbeHelperMain.h"

#include <cstdint>
#include <functional>

// One helper process and what has come from it but is not yet read.
struct ProbeHelpers::Session {
    HelperProcess process;
    std::string pending;
    String fault;   // the helper's own words about its fault, if it had time for them
    unsigned answers = 0;   // plug-in checks it has answered

    enum class Got { record, timedOut, ended };

    bool send(char kind, const String& payload) { return process.send(encodeRecord(kind, payload)); }

    // The next record other than a fault report, within `limit` ms.
    Got next(char& kind, String& payload, unsigned long limit) {
        const DWORD startTick = GetTickCount();
        bool ended = false;
        for (;;) {
            while (takeRecord(pending, kind, payload)) {
                if (kind != 'F') return Got::record;
                fault = payload;
            }
            if (ended) return Got::ended;
            const DWORD elapsed = GetTickCount() - startTick;
            if (elapsed >= limit) return Got::timedOut;
            switch (process.receive(pending, limit - elapsed)) {
            case HelperProcess::Wait::data:
                break;
            case HelperProcess::Wait::timedOut:
                return Got::timedOut;
            case HelperProcess::Wait::ended:
                ended = true;   // what it wrote last is still to be read
                break;
            }
        }
    }

    // Why the helper is gone, for the report line.
    String why() const {
        if (!fault.isEmpty()) return fault;
        const unsigned long code = process.exitCode();
        if (code == STILL_ACTIVE) return "it closed its output";
        // Exit codes from 0xC0000000 up are exception codes: the process was
        // ended by a fault that nothing handled.
        if (code >= 0xC0000000u) return String("exception ") + String::hex(code, 8);
        return String("exit code ") + String::decimal(int64_t(code));
    }
};

// One section run in helpers: its request, its time limit and its lines for
// an item that did not answer.
struct ProbeHelpers::Stream {
    Stream(char kind, unsigned long limit) : request(kind), deadline(limit) {}

    char request;
    String path;              // receivers: the library; sent after the first item
    unsigned firstItem = 0;   // receivers count from 1, the rest from 0
    unsigned long deadline;
    bool summary = false;     // the failure lines are summary lines (receivers)
    // item < 0: before the first item; wrote: the item has lines already.
    std::function<String(int item, bool wrote, const String& seconds)> hangLine;
    std::function<String(int item, const String& why)> deathLine;
    std::function<void(unsigned first)> inProcess;   // the section here, from `first`
    std::function<void()> afterItem = [] {};   // closes a failed item's block
    std::function<void()> closing = [] {};     // owed when the section cannot go on
};

namespace {

bool startsWith(const String& text, const char* start) { return text.find(start) == 0; }

String secondsText(unsigned long milliseconds) {
    return String::decimal(int64_t((milliseconds + 999) / 1000)) + " seconds";
}

}   // namespace

ProbeHelpers::ProbeHelpers(LineWriter& out, const String& helperImage, const ProbeDeadlines& deadlines)
    : out_(out), image_(helperImage), deadlines_(deadlines), unavailable_(helperImage.isEmpty()) {}

ProbeHelpers::~ProbeHelpers() = default;   // HelperProcess ends what still runs

void ProbeHelpers::putLine(const String& text, bool summary) {
    out_.writeLine(text, summary);
    flushNotes();
}

void ProbeHelpers::flushNotes() {
    // Moved out first: a note's own line must not flush it again.
    std::vector<std::pair<String, bool>> notes;
    notes.swap(notes_);
    for (const auto& note : notes) out_.writeLine(note.first, note.second);
}

void ProbeHelpers::noteUnavailable(const String& why) {
    unavailable_ = true;
    notes_.emplace_back(String("   The probe helper process could not be started (") + why +
                            "): plug-ins, receiver libraries and audio drivers are examined inside this program",
                        false);
}

bool ProbeHelpers::startSession(Session& session) {
    // The helper is given a handle to this process, so that it ends itself
    // when this process ends before it could end the helper (see
    // runProbeHelper).  Inheritable only for the moment of the start.
    String arguments(probeHelperArgument);
    HANDLE self = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE,
                        0))
        arguments += String(" ") + String::decimal(int64_t(uintptr_t(self)));
    ScopedKernelHandle selfForChild(self);
    const bool started = session.process.start(image_, arguments);
    selfForChild.reset();
    if (!started) {
        noteUnavailable(String("error ") + String::decimal(int64_t(session.process.error())));
        return false;
    }
    char kind = 0;
    String payload;
    if (session.next(kind, payload, deadlines_.start) != Session::Got::record || kind != 'H') {
        session.process.terminate();
        noteUnavailable(String("no answer within ") + secondsText(deadlines_.start));
        return false;
    }
    return true;
}

void ProbeHelpers::noteEndedWhileIdle() {
    // A plug-in helper waits between checks only after it has answered one,
    // and lastPlugin_ is that answer's file.
    notes_.emplace_back(String("   The probe process ended after checking ") + lastPlugin_ + " (" +
                            plugins_->why() + ")",
                        false);
}

String ProbeHelpers::check(const String& fullPath) {
    if (unavailable_) return checkPluginInProcess(fullPath);
    for (int attempt = 0; attempt < 2; ++attempt) {
        // A helper can die between two checks: a plug-in's own thread that
        // faults later, a heap it spoiled that fails on the next allocation.
        if (plugins_ && plugins_->process.hasEnded()) {
            noteEndedWhileIdle();
            plugins_.reset();
        }
        if (!plugins_) {
            plugins_.reset(new Session);
            if (!startSession(*plugins_)) {
                plugins_.reset();
                return checkPluginInProcess(fullPath);
            }
        }
        if (plugins_->send('P', fullPath)) {
            char kind = 0;
            String payload;
            for (;;) {
                const Session::Got got = plugins_->next(kind, payload, deadlines_.plugin);
                if (got == Session::Got::record) {
                    if (kind != 'A') continue;
                    lastPlugin_ = fullPath;
                    if (!startsWith(payload, " ZQT error")) {
                        ++plugins_->answers;
                        return payload;
                    }
                    // A fault the guard caught.  It may have left the process
                    // damaged (a wrecked heap makes every later load fault),
                    // so no further plug-in is checked in it; and a fault in
                    // a process where other plug-ins ran first may be their
                    // doing, so this one is checked again alone.
                    const bool othersBefore = plugins_->answers > 0;
                    plugins_.reset();
                    if (!othersBefore || attempt > 0) return payload;
                    notes_.emplace_back(String("   The probe process faulted while checking ") + fullPath +
                                            " after other plug-ins; it is checked again in a new one",
                                        false);
                    break;
                }
                if (got == Session::Got::timedOut) {
                    plugins_.reset();   // ends it
                    notes_.emplace_back(String("   ") + fullPath + " did not answer within " +
                                            secondsText(deadlines_.plugin) + "; its check was stopped",
                                        false);
                    return " ZQT error";
                }
                break;   // ended
            }
        }
        if (!plugins_) continue;   // a fault to be confirmed in a fresh helper
        const String why = plugins_->why();
        plugins_.reset();
        // Once more in a fresh helper: the helper may have died of an
        // earlier plug-in's doing (a thread it left behind, a heap it
        // spoiled), and this one deserves its own answer.
        if (attempt == 0) {
            notes_.emplace_back(String("   The probe process ended while checking ") + fullPath + " (" + why +
                                    "); it is checked again in a new one",
                                false);
            continue;
        }
        notes_.emplace_back(String("   ") + fullPath + " ended the probe process (" + why + ")", false);
        return " ZQT error";
    }
    return " ZQT error";
}

ProbeHelpers::Outcome ProbeHelpers::streamOnce(const Stream& stream, unsigned first, int& current,
                                                bool& itemWrote, String& why) {
    Session session;
    if (!startSession(session)) return Outcome::unavailable;
    String request = String::decimal(first);
    if (!stream.path.isEmpty()) request += String("|") + stream.path;
    if (!session.send(stream.request, request)) {
        why = session.why();
        return Outcome::died;
    }
    for (;;) {
        char kind = 0;
        String payload;
        switch (session.next(kind, payload, stream.deadline)) {
        case Session::Got::record:
            if (kind == 'L' && payload.length() >= 1) {
                writeLine(payload.substring(1), payload.charAt(0) == '1');
                itemWrote = true;
            } else if (kind == 'I') {
                current = String::parseInteger(payload.c_str());
                itemWrote = false;
            } else if (kind == 'D') {
                session.process.finish(1000);
                return Outcome::done;
            }
            break;
        case Session::Got::timedOut:
            session.process.terminate();
            return Outcome::timedOut;
        case Session::Got::ended:
            why = session.why();
            return Outcome::died;
        }
    }
}

void ProbeHelpers::runStream(const Stream& stream) {
    unsigned first = stream.firstItem;
    for (;;) {
        if (unavailable_) {
            flushNotes();
            stream.inProcess(first);
            return;
        }
        int current = -1;
        bool itemWrote = false;
        String why;
        switch (streamOnce(stream, first, current, itemWrote, why)) {
        case Outcome::done:
            return;
        case Outcome::unavailable:
            continue;   // in process, after the note
        case Outcome::timedOut:
            writeLine(stream.hangLine(current, itemWrote, secondsText(stream.deadline)), stream.summary);
            break;
        case Outcome::died:
            writeLine(stream.deathLine(current, why), stream.summary);
            break;
        }
        // Before the first item there is nothing to go on after.
        if (current < 0 || unsigned(current) < first) {
            stream.closing();
            return;
        }
        stream.afterItem();
        first = unsigned(current) + 1;
    }
}

void ProbeHelpers::probeReceiverLibrary(const String& libraryPath) {
    const String file = libraryPath.fileNamePart();
    const String model = file.length() > 9 ? file.substring(2, file.length() - 9) : String();
    Stream stream('R', deadlines_.receiver);
    stream.path = libraryPath;
    stream.firstItem = 1;
    stream.summary = true;
    stream.hangLine = [&](int item, bool, const String& seconds) {
        if (item < 1) return String("   ") + file + " did not answer within " + seconds;
        return String("   The ") + model + " receiver #" + String::decimal(item) + " from " + file +
               " did not answer within " + seconds;
    };
    stream.deathLine = [&](int item, const String& why) {
        if (item < 1) return String("   The probe process ended while accessing ") + file + " (" + why + ")";
        return String("   The probe process ended at the ") + model + " receiver #" + String::decimal(item) +
               " from " + file + " (" + why + ")";
    };
    stream.inProcess = [&](unsigned first) {
        ReceiverProbeSettings settings;
        settings.firstReceiver = int(first);
        probeReceivers(*this, libraryPath, settings);
    };
    runStream(stream);
}

void ProbeHelpers::writeMixers() {
    Stream stream('M', deadlines_.audio);
    stream.hangLine = [](int item, bool, const String& seconds) {
        if (item < 0) return String("   The mixers did not answer within ") + seconds;
        return String("   Mixer #") + String::decimal(item) + " did not answer within " + seconds;
    };
    stream.deathLine = [](int item, const String& why) {
        if (item < 0) return String("   The probe process ended before the first mixer (") + why + ")";
        return String("   The probe process ended at mixer #") + String::decimal(item) + " (" + why + ")";
    };
    stream.inProcess = [&](unsigned first) { writeMixerLines(*this, first); };
    // The section's closing empty line, which its helper did not live to write.
    stream.closing = [&] { writeLine(String()); };
    runStream(stream);
}

void ProbeHelpers::writeWaveAux() {
    Stream stream('W', deadlines_.audio);
    stream.hangLine = [](int, bool, const String& seconds) {
        return String("   The wave and aux devices did not answer within ") + seconds;
    };
    stream.deathLine = [](int, const String& why) {
        return String("   The probe process ended while listing the wave and aux devices (") + why + ")";
    };
    stream.inProcess = [&](unsigned) { writeWaveAuxLines(*this); };
    runStream(stream);
}

void ProbeHelpers::writeCodecs() {
    Stream stream('C', deadlines_.audio);
    stream.hangLine = [](int item, bool wrote, const String& seconds) {
        if (item < 0) return String("   The audio codec drivers did not answer within ") + seconds;
        // Once its name line is out, "above" names the driver better than a number.
        if (wrote) return String("   The codec driver above did not answer within ") + seconds;
        return String("   Codec driver #") + String::decimal(item + 1) + " did not answer within " + seconds;
    };
    stream.deathLine = [](int item, const String& why) {
        if (item < 0) return String("   The probe process ended before the first codec driver (") + why + ")";
        return String("   The probe process ended at codec driver #") + String::decimal(item + 1) + " (" + why +
               ")";
    };
    stream.inProcess = [&](unsigned first) {
        // The heading is written once, even when the helper went first.
        writeCodecLines(*this, first);
    };
    // Every driver's block ends with an empty line.
    stream.afterItem = [&] { writeLine(String()); };
    runStream(stream);
}

void ProbeHelpers::finish() {
    if (plugins_) {
        if (plugins_->process.hasEnded()) {
            noteEndedWhileIdle();
        } else {
            plugins_->process.finish(1000);
        }
        plugins_.reset();
    }
    flushNotes();
}

String ProbeHelpers::imagePath() {
    // The module whose memory holds this very function.  VirtualQuery exists
    // on every Windows; GetModuleHandleExA, which says it in one call, only
    // from XP on.
    MEMORY_BASIC_INFORMATION region;
    const void* here = reinterpret_cast<const void*>(&ProbeHelpers::imagePath);
    if (VirtualQuery(here, &region, sizeof region) == 0 || region.AllocationBase == nullptr) return String();
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return String();
    return String(path, length);
}

bool probesInProcessRequested() {
    char value[8] = "";
    const DWORD n = GetEnvironmentVariableA("Q8DIAG_PROBES_IN_PROCESS", value, sizeof value);
    return n == 1 && value[0] == '1';
}

String probeHelperImageForReport() {
    char value[MAX_PATH + 1] = "";
    const DWORD n = GetEnvironmentVariableA("Q8DIAG_PROBE_HELPER_IMAGE", value, sizeof value);
    if (n > 0 && n < sizeof value) return String(value, n);
    return ProbeHelpers::imagePath();
}
