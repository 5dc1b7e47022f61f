// The audio sections as the report driver calls them: each one writes its
// lines into the report document.  Kept apart from the sections themselves so
// that their tests link without the report engine.
#include "audio/DeviceSections.h"
#include "audio/MixerSection.h"
#include "audio/SoundCardConfig.h"
#include "foundation/SystemQueries.h"
#include "report/ReportDocument.h"

#include <shlobj.h>

namespace {

// None of the audio lines flags a problem: all are detail lines.
class ReportLineWriter : public LineWriter {
public:
    explicit ReportLineWriter(ReportDocument& document) : document_(document) {}
    void writeLine(const String& text) override { document_.appendLine(text, false); }

private:
    ReportDocument& document_;
};

}  // namespace

void writeMixerSection(ReportDocument& document) {
    ReportLineWriter out(document);
    writeMixerLines(out);
}

void writeSoundCardSection(ReportDocument& document, const String& folder) {
    ReportLineWriter out(document);
    writeSoundCardLines(out, folder);
}

void writeSoundCardSections(ReportDocument& document) {
    ReportLineWriter out(document);
    writeSoundCardFolders(out, specialFolderPath(CSIDL_PERSONAL), document.pluginVariablePath(),
                          document.pluginRegistryPath());
}

void writeWaveAuxSections(ReportDocument& document) {
    ReportLineWriter out(document);
    writeWaveAuxLines(out);
}

void writeCodecSection(ReportDocument& document) {
    ReportLineWriter out(document);
    writeCodecLines(out);
}
