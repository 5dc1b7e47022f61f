// The "Get info" action and the body of silent mode: runs every report
// section in its fixed order through the document's appendLine, with system
// error boxes suppressed, then renders the report into the view (if any).
#pragma once

class ReportDocument;

void generateReport(ReportDocument& document);
