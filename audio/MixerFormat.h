// Text of the mixer section's control lines: type names, bounds, flags and
// the current values by their units.  Pure functions over the mixer records.
#pragma once

#include "foundation/String.h"
#include "foundation/Win32.h"

#include <mmsystem.h>

// " (Custom)" for a custom-class control, the type's name (leading blanks
// included) for a known type, "" for any other type.
const char* mixerControlTypeText(DWORD controlType);

// " [min->max,steps steps]".  The bounds are the signed 32-bit words widened
// to 64 bits, so a negative bound shows all sixteen hexadecimal digits.
String mixerBoundsText(LONG minimum, LONG maximum, DWORD steps);

// ", DISABLED ", ", UNIFORM ", ", MULTIPLE " in that order, for the flags set.
String mixerControlFlagsText(DWORD controlFlags);

// One current value, chosen by the units bits of the control type.
String mixerValueText(DWORD controlType, DWORD value);

// The text after "   Mixer #n" when mixerOpen fails; nullptr for a code that
// gets no line at all.
const char* mixerOpenErrorText(MMRESULT result);

// Twelve blanks + name + type + bounds + flags: a control line without its
// setting.
String mixerControlLine(const MIXERCONTROLA& control);
