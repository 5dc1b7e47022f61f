#include "toolkit/DebugOutput.h"

#include "foundation/Win32.h"

namespace {
// Plain globals: zero-initialised by the loader, so this works even when the
// program's start-up code never ran (the executable loaded as a library).
DebugOutputSink currentSink = nullptr;
void* currentContext = nullptr;
}   // namespace

void debugOutput(const char* text) {
    if (!text) return;
    if (currentSink) {
        currentSink(text, currentContext);
    } else {
        OutputDebugStringA(text);
    }
}

DebugOutputSink setDebugOutputSink(DebugOutputSink sink, void* context, void** previousContext) {
    DebugOutputSink previous = currentSink;
    if (previousContext) *previousContext = currentContext;
    currentSink = sink;
    currentContext = context;
    return previous;
}
