// PipeRecord: the framing of what the program and its probe helper process
// (a second copy of the program, see report/ProbeHelper.h) say to each other
// through their pipes.  A record is one kind letter, its payload and a line
// feed.  Payloads are report lines and paths, which may hold any byte a
// foreign library wrote (line feeds, zeros), so '\\', '\n', '\r' and NUL are
// escaped as "\\\\", "\\n", "\\r" and "\\0".
//
// Portable: the host build tests and fuzzes it.
#pragma once

#include <string>

#include "foundation/String.h"

// kind + escaped payload + '\n'.
std::string encodeRecord(char kind, const String& payload);

// Takes the first complete record off the front of `pending` (bytes as they
// came from the pipe).  false, with `pending` unchanged, until a whole record
// has arrived.  An empty line or an escape the encoder never writes still
// gives a record (kind 0 for the empty line; the unknown escape's letter
// kept as it is): the reader decides, the framing never stalls on it.
bool takeRecord(std::string& pending, char& kind, String& payload);
