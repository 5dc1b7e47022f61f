// The printed form of a receiver's 256-byte EEPROM calibration table.
// Portable (no Win32): it is a pure function of the bytes, so it builds in the
// native sanitizer run and can be fuzzed.
#pragma once

#include "foundation/String.h"

#include <cstddef>
#include <cstdint>
#include <vector>

const size_t kEepromImageSize = 256;

// The report lines for one image, in print order, from "   Radio description: "
// to "   RSSI ref2: ...".  No heading, no line endings; every line is a detail
// line.  Values are printed as stored: the table has no checksum to trust.
std::vector<String> decodeEeprom(const uint8_t (&image)[kEepromImageSize]);

// Text of a fixed-size field that may lack a terminator: the bytes up to the
// first zero or up to maxLength, whichever comes first.  Control characters
// (below 0x20, and 0x7f) become '.', because a stray CR, LF or TAB from a
// device would otherwise split or shift a report line.
String deviceText(const char* bytes, size_t maxLength);
