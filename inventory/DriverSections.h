// Whether the receiver's kernel driver is installed: its files in the Windows
// driver folders and its service entries in the registry.
#pragma once

class LineWriter;

// "Driver files": every "ZNQ8*" entry of SYSTEM\Drivers and
// WINDOWS\system32\drivers (usually the same folder), once, with full paths.
void writeDriverFilesSection(LineWriter& out);

// "Driver registry entries": one line per "ZNQ8*" service key,
// "NAME: DisplayName, ImagePath [Start]".
void writeDriverRegistrySection(LineWriter& out);
