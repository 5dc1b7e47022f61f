// The receiver search: loads one receiver API library, counts the attached
// receivers and, for each, dumps its controller registers, tells whether its
// synthesisers are locked, prints its EEPROM calibration table and its device
// name.  Every call into the library runs inside the structured-exception
// guard, so a faulting library costs one report line, not the report.
#pragma once

#include "foundation/String.h"

#include <functional>

class LineWriter;
class TextList;

struct ReceiverProbeSettings {
    // Wait after powering a receiver up, before tuning it: its synthesisers
    // need the time to lock.  Tests that do not measure it pass 0.
    unsigned settleMilliseconds = 1000;
    // Receivers probed per library at most.  Each one costs the settle time,
    // so a broken driver that reports billions must not keep the report busy
    // for hours; no PC has more of these receivers attached than this.
    int maxReceivers = 16;
    // The receiver to start with.  Above 1 the probe goes on after a receiver
    // that did not answer in a helper process: the library's heading and
    // count lines are already in the report and are not written again.
    int firstReceiver = 1;
};

// libraryPath: the library's full path (a "System files found:" entry ending
// in "API.DLL").  The library is never unloaded.
void probeReceivers(LineWriter& out, const String& libraryPath);
void probeReceivers(LineWriter& out, const String& libraryPath, const ReceiverProbeSettings& settings);

// The report's receiver search: the heading "Searching for receivers:" and a
// probe of every entry of systemFiles (the "System files found:" list) whose
// last seven characters are exactly "API.DLL".  Each library goes to
// `probe` when given (the report driver's, which probes in a helper process),
// else to probeReceivers in this process.
void searchForReceivers(LineWriter& out, const TextList& systemFiles,
                        const std::function<void(const String&)>& probe = {});
