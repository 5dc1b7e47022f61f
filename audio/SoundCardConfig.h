// Sound-card configuration section: the records of "SoundCard_Config.dat" in
// one folder.  The decoding lives in SoundCardRecord (portable).
#pragma once

#include "audio/LineWriter.h"
#include "audio/SoundCardRecord.h"
#include "foundation/String.h"

class ReportDocument;

// folder + "\SoundCard_Config.dat"; a file that cannot be opened writes nothing.
void writeSoundCardSection(ReportDocument& document, const String& folder);
void writeSoundCardLines(LineWriter& out, const String& folder);
