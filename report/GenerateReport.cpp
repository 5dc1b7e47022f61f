#include "foundation/Win32.h"

#include "audio/DeviceSections.h"
#include "audio/MixerSection.h"
#include "audio/SoundCardConfig.h"
#include "foundation/SystemQueries.h"
#include "foundation/TextList.h"
#include "inventory/DriverSections.h"
#include "inventory/InstallationInventory.h"
#include "inventory/PathsSection.h"
#include "inventory/ShortcutSections.h"
#include "inventory/SystemSection.h"
#include "receiver/ReceiverProbe.h"
#include "report/GenerateReport.h"
#include "report/ProbeHelper.h"
#include "report/ReportDocument.h"

#include <shlobj.h>

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

}   // namespace

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
    // Plug-ins, receiver libraries and audio drivers are called in helper
    // processes, so that one that hangs or crashes costs a line, not the
    // report.  The sections write through the helpers' writer, which passes
    // every line on to the document (a plug-in's "did not answer" line
    // follows the line of its file).
    const bool inProcess = probesInProcessRequested();
    const String helperImage = inProcess ? String() : probeHelperImageForReport();
    ProbeHelpers probes(document, helperImage);
    if (!inProcess && helperImage.isEmpty()) probes.runInProcessBecause("the program's own file was not found");
    ScopedPluginCheck pluginCheck(probes);
    // From here on the sections see the document only as their LineWriter.
    LineWriter& out = probes;
    const String& registryPath = document.pluginRegistryPath();
    const String& variablePath = document.pluginVariablePath();

    // Step 3: Windows, processor, disks, memory, code page.
    writeSystemSection(out);

    // Step 4: the plug-in search paths.
    writePathsSection(out, registryPath, variablePath);

    // Steps 5 to 12: installation folders to shortcuts (list B of the
    // receiver's system files is kept for step 15).
    TextList systemFiles;
    writeInstallationSteps(out, registryPath, variablePath, systemFiles);

    // Step 13: mixers with their lines and controls.
    out.writeHeading("System mixers:");
    probes.writeMixers();

    // Step 14: the sound-card configuration file of every receiver folder in
    // the user's documents, then in the two plug-in folders.
    writeSoundCardFolders(out, specialFolderPath(CSIDL_PERSONAL), variablePath, registryPath);

    // Step 15: empty line, wave and aux devices, then the receiver probe for
    // every system file ending in "API.DLL" (receiver).
    out.writeLine("");
    probes.writeWaveAux();
    searchForReceivers(out, systemFiles, [&](const String& library) { probes.probeReceiverLibrary(library); });

    // Step 16: audio codecs (the section writes its own empty line and heading).
    probes.writeCodecs();

    // A plug-in helper that died after its last answer still gets its line.
    probes.finish();
}

}   // namespace

void writeInstallationSteps(LineWriter& out, const String& registryPath, const String& variablePath,
                            TextList& systemFiles) {
    // Step 5: the installation folders, each as a tree.
    writeInstallationDirectories(out, registryPath, variablePath);

    // Step 6: the receiver's files in the system folders.
    writeSystemFiles(out, systemFiles);

    // Step 7: under WoW64 the same search in the real 64-bit system folder,
    // which a 32-bit process sees only with file-system redirection off.
    // Redirection is per thread and affects every file call, so it is on
    // again (end of scope) before anything else is described.
    if (runningUnderWow64()) {
        Wow64RedirectionOff redirectionOff;
        writeNativeSystemFiles(out);
    }

    // Step 8: the shared plug-in files.
    writeSharedFiles(out);

    // Steps 9 and 10: driver files, then the drivers' service entries.
    writeDriverFilesSection(out);
    writeDriverRegistrySection(out);

    // Step 11: the receiver software's application and user data folders.
    writeUserDataFolders(out);

    // Step 12: shortcuts on the desktops and in the Start menus.
    writeShortcutSections(out);
}
