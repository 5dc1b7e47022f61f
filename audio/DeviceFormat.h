// Text of the wave, aux and codec lines.  Pure functions over the records.
#pragma once

#include "foundation/String.h"
#include "foundation/Win32.h"

#include <mmsystem.h>

// "n: name [hex] <decimal>": for wave devices dwFormats and wChannels, for aux
// devices wTechnology and dwSupport.
String deviceCapsLine(unsigned index, const char* productName, DWORD bracketed, DWORD angled);
// "n: ERR:code" for a device whose capabilities could not be read.
String deviceErrorLine(unsigned index, MMRESULT result);

// "  [" + " ASYNC", " CODEC", " CONVERTER", " FILTER", " DISABLED" (those set,
// in this order) + " ]".
String codecSupportText(DWORD support);
// "   " + long name + the support text.
String codecDriverLine(const char* longName, DWORD support);
// "      " + tag name + " [" + tag + "] size=" + size.
String codecFormatTagLine(const char* tagName, DWORD formatTag, DWORD formatSize);
