// The toolkit's only diagnostic channel.  Cache misuse, the leak report at exit
// and the debug trace all end up in the debugger output; they go through
// debugOutput() so that a test can capture the text instead.
#pragma once

// Receives each piece of text instead of OutputDebugStringA.
using DebugOutputSink = void (*)(const char* text, void* context);

// Sends text to the installed sink, or to OutputDebugStringA when none is set.
void debugOutput(const char* text);

// Installs a sink (null restores OutputDebugStringA).  Returns the previous
// sink; its context is written to *previousContext when that is not null.
DebugOutputSink setDebugOutputSink(DebugOutputSink sink, void* context, void** previousContext = nullptr);
