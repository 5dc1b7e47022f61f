// The wave-in, wave-out and aux device blocks and the "ACM system" codec
// section.
#pragma once

#include "foundation/LineWriter.h"
#include "foundation/String.h"
#include "foundation/Win32.h"

#include <mmsystem.h>

// What one device's capability query gave: the result and, on success, the
// name and the two numbers its line shows.
struct DeviceCaps {
    MMRESULT result = MMSYSERR_ERROR;
    String name;
    DWORD bracketed = 0;   // wave: dwFormats, aux: wTechnology
    DWORD angled = 0;      // wave: wChannels, aux: dwSupport
};
using DeviceCapsQuery = DeviceCaps (*)(unsigned index);

DeviceCaps waveInCaps(unsigned index);
DeviceCaps waveOutCaps(unsigned index);
DeviceCaps auxCaps(unsigned index);

// One block: nothing at all for no devices, else the heading and one line per
// device (its capabilities or "ERR:" and the code).
void writeDeviceBlock(LineWriter& out, const char* heading, unsigned count, DeviceCapsQuery query);

void writeWaveAuxLines(LineWriter& out);

// The empty line, "ACM system" and every codec driver of the enumeration
// from firstDriver on, each marked as an item.  firstDriver > 0 goes on after
// a driver that did not answer in a helper process: no heading then.
void writeCodecLines(LineWriter& out, unsigned firstDriver = 0);
