// The six host identification texts a ZQT plug-in is offered, in the order
// they are tried.  A plug-in answers to the host programs it was written for,
// so the table names the receiver software's own programs first and this
// program last.  The test plug-ins compare against the same table.
#pragma once

constexpr int pluginHostCount = 6;

constexpr const char* pluginHostTexts[pluginHostCount] = {
    "ZNQ8 Receiver Control", "ZNQ8 Spectrum Scope", "ZNQ8 Scanner",
    "ZNQ8 Recorder",         "Q8 Remote Server",    "Q8diag",
};

// Entry point of a plug-in: version (always 256), host text, name buffer and
// its size; non-zero when the plug-in answered and wrote its name.
typedef int(__stdcall* ZqtPluginInit)(int version, const char* hostText, char* nameBuffer,
                                      int nameBufferSize);

constexpr int pluginInterfaceVersion = 256;
constexpr int pluginNameBufferSize = 1024;
