// The other side of report/ProbeHelper.h: this image started as a probe
// helper.  It reads requests on standard input, one record each (see
// foundation/PipeRecord.h):
//   P path           check one plug-in; answer A + what its line gets appended
//   R first|path     the receiver probe of one library from receiver `first`
//   M first          the mixers from mixer `first`
//   W 0              the wave and aux device blocks
//   C first          the codec drivers from driver `first`
// and writes back H (hello, once), L + '0'/'1' (summary) + a report line,
// I + an item number as each item starts, D when a request is done, and F +
// a description of a fault that nothing handled, just before it ends.
#pragma once

// The first argument that makes the image a helper.  Not a word a user would
// type for anything else.
extern const char* const probeHelperArgument;

// True when this process's command line is the image followed by
// probeHelperArgument and, optionally, the decimal value of an inherited
// handle to the program that started it (SYNCHRONIZE access): the helper
// ends itself when that process ends.
bool startedAsProbeHelper();

// The same test on the arguments (the command line after the image's name);
// parentHandle gets the handle value, 0 when none is given.
bool parseProbeHelperArguments(const char* arguments, unsigned long& parentHandle);

// Serves requests until standard input ends, then ends the process without
// running the detach code of the libraries it loaded (a plug-in could hang
// there too).  Never returns.
[[noreturn]] void runProbeHelper();
