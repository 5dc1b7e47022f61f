// Bringing the executable's own image up when a host process loaded it as a
// library.
//
// A host may LoadLibraryA the executable to call its export.  Loaders treat
// an executable mapped that way as data with code in it: Wine 8, for one,
// maps it without resolving its imports, without applying its base
// relocations (even though the host's own executable already sits at the
// usual base, so the image is moved) and without running any start-up code.
// bootstrapImage() does those steps itself, each only when it is still
// missing, so it is harmless under a loader that did them and when called
// again:
//   1. base relocations, when the image is not where its pointers expect it;
//   2. imports, for every import address slot that still holds its name;
//   3. the runtime parts the report code relies on that normally come from
//      start-up code (pseudo relocations, exception frame registration).
//
// Until step 1 is done no code may use an absolute address: no globals, no
// string literals, no jump tables, no imported function called through its
// slot.  ImageBootstrap.cpp is compiled with options that keep the compiler
// from producing such references on its own, and a test checks its object
// file for them.
#pragma once

// true when the image is ready to run (already was, or has been made so);
// false when a step failed (a missing import, no kernel32 found), in which
// case nothing in the image may be called.
extern "C" bool bootstrapImage();

// The report of the export, in SilentReport.cpp (ordinary code, run only
// after bootstrapImage() succeeded).
int runSilentReport();
