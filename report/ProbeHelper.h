// ProbeHelpers: the report's calls into foreign code (plug-ins, receiver API
// libraries, audio drivers), each made in a helper process that is a second
// copy of this image (report/ProbeHelperMain.h), so that nothing they do can
// hang or end the report.
//
// The helper sends back the lines the section writes, one at a time, and
// marks each item (receiver, mixer, codec driver) as it starts it.  When no
// record comes for the item's time limit the helper is ended with
// TerminateProcess, one line names the item that did not answer and for how
// long, and the work goes on with the next item in a fresh helper.  A helper
// that dies (a crash, a corrupted heap, a plug-in's own thread faulting
// later) gives one line with what it reported of its fault, and the work
// goes on the same way.  A report on a PC where everything answers reads as
// if it had all run in this process.
//
// If no helper can be started at all, the work runs in this process, as it
// did before helpers existed, after one line saying so.  An empty image path
// makes that choice silently (tests and the benchmark compare both).
//
// ProbeHelpers is also the LineWriter the sections write through: a line
// about a plug-in that did not answer is held until the section has written
// that file's own line, and follows it.
#pragma once

#include <memory>
#include <vector>

#include "foundation/LineWriter.h"
#include "receiver/FileDescription.h"

// How long an item may go without a record from its helper.
struct ProbeDeadlines {
    // From the start of a helper to its first record.  Starting this image
    // again costs a few hundred milliseconds; a virus scanner checking it
    // first can take seconds.
    unsigned long start = 10000;
    // One plug-in: loading it (its start-up code, its own dependencies) and
    // asking it its name take milliseconds; five seconds is far beyond any
    // plug-in that works.
    unsigned long plugin = 5000;
    // Between two lines of a receiver probe: its own one-second wait after
    // power-up plus five seconds, the time a USB control transfer is given
    // before the USB stack itself calls it failed.
    unsigned long receiver = 6000;
    // One mixer, the device list, one codec driver: each query is a driver
    // message that answers at once when the driver works.
    unsigned long audio = 5000;
};

class ProbeHelpers : public LineWriter, public PluginCheck {
public:
    // out: where every line goes.  helperImage: this image's path ("" = run
    // everything in this process, without a line).
    ProbeHelpers(LineWriter& out, const String& helperImage, const ProbeDeadlines& deadlines = ProbeDeadlines());
    ~ProbeHelpers() override;
    ProbeHelpers(const ProbeHelpers&) = delete;
    ProbeHelpers& operator=(const ProbeHelpers&) = delete;

    // PluginCheck: the plug-in is loaded and asked in the plug-in helper,
    // which stays for the whole report.
    String check(const String& fullPath) override;

    // The receiver probe of one API library.
    void probeReceiverLibrary(const String& libraryPath);
    // "System audio mixers", the wave and aux device blocks, "ACM system".
    void writeMixers();
    void writeWaveAux();
    void writeCodecs();

    // No helper will be tried: everything runs here, after one line saying
    // why (for example that this image's own path could not be found).
    void runInProcessBecause(const String& why) { noteUnavailable(why); }

    // Ends the helpers; notes a plug-in helper that died after its last
    // answer.  Call once the sections are done.
    void finish();

    // This image's path, found from the module that holds this code (for the
    // export that is the executable loaded into a host, never the host).
    static String imagePath();

protected:
    void putLine(const String& text, bool summary) override;

private:
    struct Session;
    struct Stream;
    enum class Outcome { done, timedOut, died, unavailable };

    bool startSession(Session& session);
    void noteUnavailable(const String& why);
    // The plug-in helper died between two checks (or after the last).
    void noteEndedWhileIdle();
    void runStream(const Stream& stream);
    Outcome streamOnce(const Stream& stream, unsigned first, int& current, bool& itemWrote, String& why);
    void flushNotes();

    LineWriter& out_;
    String image_;
    ProbeDeadlines deadlines_;
    bool unavailable_;   // no helper can be had: everything in process
    std::unique_ptr<Session> plugins_;
    String lastPlugin_;
    std::vector<std::pair<String, bool>> notes_;
};

// How the report runs its foreign calls; only the benchmark and tests set
// the variables:
//   Q8DIAG_PROBES_IN_PROCESS=1        in this process, without a line
//   Q8DIAG_PROBE_HELPER_IMAGE=path    helpers of that image (one that cannot
//                                     start shows the in-process fallback)
// and otherwise helpers of imagePath().
bool probesInProcessRequested();
String probeHelperImageForReport();
