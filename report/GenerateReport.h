// The "Get info" action and the body of silent mode: runs every report
// section in its fixed order, each writing its lines into the document, with
// system error boxes suppressed, then renders the report into the view (if
// any).  GenerateReport.cpp is the report's step list, top to bottom.
#pragma once

#include "foundation/String.h"

class LineWriter;
class ReportDocument;
class TextList;

void generateReport(ReportDocument& document);

// Steps 5 to 12, from the installation folders to the shortcuts, with the
// two plug-in paths as the document read them; systemFiles receives the
// receiver's system files for step 15.  Apart for the inventory tests.
void writeInstallationSteps(LineWriter& out, const String& registryPath, const String& variablePath,
                            TextList& systemFiles);
