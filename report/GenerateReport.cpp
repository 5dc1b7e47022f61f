#include "foundation/Win32.h"

#include "audio/DeviceSections.h"
#include "audio/MixerSection.h"
#include "audio/SoundCardConfig.h"
#include "foundation/TextList.h"
#include "inventory/InstallationInventory.h"
#include "inventory/SystemSection.h"
#include "receiver/ReceiverProbe.h"
#include "report/GenerateReport.h"
#include "report/PathsSection.h"
#include "report/ReportDocument.h"

#include <exception>
#include <new>

namespace {

void writeSections(ReportDocument& document);

// A report that cannot go on says so as its last line, among the problems.
void reportStopped(ReportDocument& document, const char* why) {
    try {
        document.appendLine(String("Report stopped early: ") + why, true);
    } catch (...) {
        // Not even the line could be written; the window still comes back.
    }
}

}  // namespace

void generateReport(ReportDocument& document) {
    // Step 1: start time; no critical-error or file-not-found boxes from the
    // system while sections touch drives, files and foreign libraries; the
    // wait cursor (nothing is pumped until the report is done).
    const DWORD startTick = GetTickCount();
    const UINT previousErrorMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (ReportOwner* owner = document.owner()) owner->setReportCursor(LoadCursorA(nullptr, IDC_WAIT));

    // Steps 2 to 16.  An exception (out of memory in a list, a section's
    // own fault) ends the sections, not the report: without this the window
    // procedure would swallow it, leaving the wait cursor, the changed error
    // mode and disabled buttons behind with half a report and no word why.
    try {
        writeSections(document);
    } catch (const std::bad_alloc&) {
        reportStopped(document, "out of memory");
    } catch (const std::exception& e) {
        reportStopped(document, e.what());
    } catch (...) {
        reportStopped(document, "unexpected error");
    }

    // Step 17: the finished report into the view, default cursor, the
    // buttons that need a report, the caller's error mode back.
    if (ReportView* view = document.view()) view->renderReport(document);
    if (ReportOwner* owner = document.owner()) {
        owner->setReportCursor(nullptr);
        owner->enableReportButtons();
    }
    SetErrorMode(previousErrorMode);

    // Step 18: how long it took.
    if (ReportView* view = document.view()) view->appendElapsedTime(startTick);
}

namespace {

void writeSections(ReportDocument& document) {
    // Step 2: an empty view and empty lists; the log file keeps growing.
    if (ReportView* view = document.view()) view->clearView();
    document.clearReport();

    // Step 3: Windows, processor, disks, memory, code page.
    writeSystemSection(document);

    // Step 4: the plug-in search paths.
    writePathsSection(document);

    // Steps 5-12 (inventory): installation directories, system files (list B
    // is kept for step 15), 64-bit system files under WOW64, shared files,
    // driver files and registry, application and user data, shortcuts.
    TextList systemFiles;
    writeInstallationInventory(document, systemFiles);

    // Step 13: mixers with their lines and controls.
    document.appendLine("", false);
    document.appendLine("System mixers:", false);
    writeMixerSection(document);

    // Step 14: the sound-card configuration file of every receiver folder in
    // the user's documents, then in the two plug-in folders.
    writeSoundCardSections(document);

    // Step 15: empty line, wave and aux devices, then the receiver probe for
    // every system file ending in "API.DLL" (receiver).
    document.appendLine("", false);
    writeWaveAuxSections(document);
    searchForReceivers(document, systemFiles);

    // Step 16: audio codecs (the section writes its own empty line and heading).
    writeCodecSection(document);
}

}  // namespace
