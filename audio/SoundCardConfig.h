// Sound-card configuration section: the records of "SoundCard_Config.dat" in
// one folder.  The decoding lives in SoundCardRecord (portable).
#pragma once

#include "foundation/LineWriter.h"
#include "audio/SoundCardRecord.h"
#include "foundation/String.h"

// folder + "\SoundCard_Config.dat"; a file that cannot be opened writes nothing.
void writeSoundCardLines(LineWriter& out, const String& folder);

// The folders a report looks in, in this order: every sub-folder of
// documentsFolder + "\Brelvanx" (one per receiver, sorted by name), the
// plug-in variable path (also when it is ""), and the registry path when it
// names another folder than the variable.
void writeSoundCardFolders(LineWriter& out, const String& documentsFolder, const String& variablePath,
                           const String& registryPath);
