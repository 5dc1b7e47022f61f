// The "Paths" block: Windows and system folders, the two plug-in search paths,
// and the two summary warnings when they are missing or disagree.
#pragma once

class ReportDocument;

void writePathsSection(ReportDocument& document);
