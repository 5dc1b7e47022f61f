// The main window in process, on the test's display: its construction and
// layout, the rendered report, progress, copy, save, help and about.
#include "foundation/Win32.h"

#include <commctrl.h>

#include "app/MainWindow.h"
#include "app/ProgramTexts.h"
#include "foundation/TextList.h"
#include "repair/PluginPathRepair.h"
#include "repair/RepairPlatform.h"
#include "report/ReportMemoView.h"
#include "toolkit/ApplicationContext.h"
#include "toolkit/Button.h"
#include "toolkit/Memo.h"
#include "toolkit/MessageDialog.h"
#include "toolkit/Panel.h"
#include "toolkit/TextWindow.h"
#include "toolkit/Tooltips.h"
#include "toolkit/tests/ScreenCapture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char separator[] = "------------- details follow ----------------";

void pump() {
    MSG message;
    for (int round = 0; round < 4; ++round) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

size_t cachedGdiObjects() {
    ApplicationContext& app = application();
    return app.penCache().size() + app.dotPenCache().size() + app.brushCache().size();
}

std::string str(const String& s) { return std::string(s.c_str(), s.length()); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string fontFace(HFONT font, LOGFONTA* out = nullptr) {
    LOGFONTA info{};
    GetObjectA(font, sizeof(info), &info);
    if (out) *out = info;
    return info.lfFaceName;
}

// Ends a modal loop the test started, should it not end as expected.
struct ModalGuard {
    ModalGuard() { timer = SetTimer(nullptr, 0, 5000, &ModalGuard::expired); }
    ~ModalGuard() {
        KillTimer(nullptr, timer);
        application().clearQuit();
    }
    static void CALLBACK expired(HWND, UINT, UINT_PTR, DWORD) { application().requestQuit(); }
    UINT_PTR timer;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        baseline_ = cachedGdiObjects();
        tools_ = Tooltips::shared().toolCount();
        window = new MainWindow(false);
        ASSERT_TRUE(window->handle());
        SetForegroundWindow(window->handle());
        pump();
    }
    void TearDown() override {
        delete window;
        window = nullptr;
        pump();
        EXPECT_EQ(cachedGdiObjects(), baseline_) << "a pen or brush was not given back";
        EXPECT_EQ(Tooltips::shared().toolCount(), tools_) << "a tooltip tool outlived its button";
        application().clearQuit();
    }
    std::string memoText() { return str(window->memo()->text()); }
    // A report made of the given lines, rendered without running the sections.
    void renderLines(const std::vector<std::pair<std::string, bool>>& lines, DWORD startTick) {
        window->reportView().clearView();
        window->document().clearReport();
        for (const auto& line : lines) window->document().appendLine(line.first.c_str(), line.second);
        window->reportView().renderReport(window->document());
        window->reportView().appendElapsedTime(startTick);
    }

    MainWindow* window = nullptr;

private:
    size_t baseline_ = 0;
    int tools_ = 0;
};

TEST_F(MainWindowTest, BuiltWithToolbarSixButtonsAndMemo) {
    RedrawWindow(window->handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(str(window->text()), "Q8 Diagnostics Tool");
    EXPECT_EQ(window->style(), MainWindow::visibleStyle);
    RECT frame;
    GetWindowRect(window->handle(), &frame);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    EXPECT_EQ(frame.right - frame.left, 700);
    EXPECT_EQ(frame.bottom - frame.top, 400);
    EXPECT_TRUE(SendMessageA(window->handle(), WM_GETICON, ICON_BIG, 0)) << "icon 104 as the large icon";

    // Fonts and colours: Terminal 14 for the window (and the memo through
    // inheritance), bold Arial 12 for the toolbar and its buttons.
    LOGFONTA terminal, arial;
    EXPECT_EQ(fontFace(window->font(), &terminal), "Terminal");
    EXPECT_EQ(terminal.lfHeight, 14);
    EXPECT_EQ(terminal.lfPitchAndFamily, FIXED_PITCH);
    EXPECT_EQ(window->memo()->font(), window->windowFont());
    EXPECT_EQ(fontFace(window->button(0)->font(), &arial), "Arial");
    EXPECT_EQ(arial.lfHeight, 12);
    EXPECT_EQ(arial.lfWeight, FW_BOLD);
    EXPECT_EQ(window->textColor(), 0x00FF00);
    EXPECT_EQ(window->memo()->textColor(), 0x00FFFF);

    Panel* toolbar = window->toolbar();
    EXPECT_EQ(toolbar->x(), 0);
    EXPECT_EQ(toolbar->y(), 0);
    EXPECT_EQ(toolbar->height(), 40);
    EXPECT_EQ(toolbar->width(), window->clientWidth());

    struct Row {
        const char* caption;
        const char* tooltip;
        bool enabled;
    };
    const Row rows[] = {
        {"Get\nInfo", "Create diagnostic report", true},
        {"ZQT\nrepair", "Repair the ZQT subsystem if needed", false},
        {"Copy\nreport", "Copy the report to the clipboard", false},
        {"Save\nreport", "Save the report", false},
        {"About", "About", true},
        {"Help", "Help", true},
    };
    HWND tips = Tooltips::shared().window();
    RECT inside;   // the toolbar's area inside its bevel, where the buttons dock
    toolbar->clientRect(&inside);
    for (int i = 0; i < MainWindow::buttonCount; ++i) {
        SCOPED_TRACE(rows[i].tooltip);
        Button* b = window->button(i);
        ASSERT_TRUE(b);
        EXPECT_EQ(str(b->text()), rows[i].caption);
        EXPECT_EQ(b->isEnabled(), rows[i].enabled);
        EXPECT_EQ(b->style() & ~WS_DISABLED, MainWindow::buttonStyle);
        EXPECT_EQ(b->x(), inside.left + 60 * i) << "lined up from the left in creation order";
        EXPECT_EQ(b->y(), inside.top);
        EXPECT_EQ(b->width(), 60);
        EXPECT_EQ(b->height(), inside.bottom - inside.top) << "as high as the toolbar";
        SIZE oneLine{0, 0};
        b->measureText("Get", &oneLine);
        const bool twoLines = std::string(rows[i].caption).find('\n') != std::string::npos;
        EXPECT_EQ(b->measuredText().cy, (twoLines ? 2 : 1) * oneLine.cy) << "the caption as painted";

        char tip[128] = "";
        TOOLINFOA tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = b->handle();
        tool.uId = reinterpret_cast<UINT_PTR>(b->handle());
        tool.lpszText = tip;
        SendMessageA(tips, TTM_GETTEXTA, sizeof(tip), reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(tip, rows[i].tooltip);
    }
    EXPECT_EQ(GetFocus(), window->button(MainWindow::getInfoButton)->handle());

    Memo* memo = window->memo();
    EXPECT_EQ(memo->style(), MainWindow::memoStyle | ES_READONLY);
    EXPECT_EQ(memo->y(), 40);
    EXPECT_EQ(memo->height(), window->clientHeight() - 40) << "the memo fills the rest";
    EXPECT_EQ(memo->width(), window->clientWidth());
    EXPECT_EQ(memoText(), "");
    EXPECT_EQ(window->document().view(), static_cast<ReportView*>(&window->reportView()))
        << "attached as the report view";
    EXPECT_FALSE(window->helpWindow()->isVisible()) << "the help window starts hidden";
}

TEST_F(MainWindowTest, ResizingKeepsTheToolbarHeightAndTheMemoFillsTheRest) {
    MoveWindow(window->handle(), 10, 10, 500, 300, TRUE);
    pump();
    EXPECT_EQ(window->toolbar()->height(), 40);
    EXPECT_EQ(window->toolbar()->width(), window->clientWidth());
    EXPECT_EQ(window->memo()->y(), 40);
    EXPECT_EQ(window->memo()->height(), window->clientHeight() - 40);
    EXPECT_EQ(window->memo()->width(), window->clientWidth());
}

TEST_F(MainWindowTest, SilentWindowIsNeverShownAndHasNoView) {
    const int tools = Tooltips::shared().toolCount();
    MainWindow* silent = new MainWindow(true);
    EXPECT_EQ(Tooltips::shared().toolCount(), tools) << "a hidden window shows no tips";
    EXPECT_EQ(silent->memo(), nullptr) << "nor any widget";
    EXPECT_EQ(silent->toolbar(), nullptr);
    EXPECT_EQ(silent->helpWindow(), nullptr);
    EXPECT_EQ(silent->style(), MainWindow::silentStyle);
    EXPECT_FALSE(IsWindowVisible(silent->handle()));
    EXPECT_EQ(silent->document().view(), nullptr);
    EXPECT_TRUE(silent->document().silent());
    delete silent;
}

TEST_F(MainWindowTest, RenderedTextHasVersionSummarySeparatorDetailsAndTime) {
    const std::string version = std::string("Q8diag, ver.: ") + Q8_SHORT_VERSION + "\r\n";
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, bool>> lines;
        std::string expectedWithoutTime;
    };
    const Row rows[] = {
        {"no summary lines",
         {{"", false}, {"OS details:", false}, {"   Version: 6.1", false}},
         version + "\r\n" + separator + "\r\n" + "\r\nOS details:\r\n   Version: 6.1\r\n"},
        {"two summary lines, also among the details",
         {{"Paths", false}, {"ZQT plugins directory not found !", true}, {"   x", false}, {"second !", true}},
         version + "ZQT plugins directory not found !\r\nsecond !\r\n" + "\r\n" + separator + "\r\n" +
             "Paths\r\nZQT plugins directory not found !\r\n   x\r\nsecond !\r\n"},
        {"an empty report", {}, version + "\r\n" + separator + "\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        renderLines(row.lines, GetTickCount());
        const std::string text = memoText();
        ASSERT_EQ(text.substr(0, row.expectedWithoutTime.size()), row.expectedWithoutTime);
        // The number itself is the next test's matter.
        const std::string tail = text.substr(row.expectedWithoutTime.size());
        const std::string label = "\r\nReport generating time: 0.";
        EXPECT_EQ(tail.substr(0, label.size()), label);
        EXPECT_EQ(tail.size(), label.size() + 3 + 2) << tail;
    }
}

TEST_F(MainWindowTest, ElapsedTimeHasThreeDecimals) {
    struct Row {
        DWORD ago;
        const char* expected;   // allowing the tick to move on by up to 50 ms
    };
    const Row rows[] = {{1234, "1.2"}, {20000, "20.0"}, {60, "0.0"}, {0, "0.0"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ago);
        window->memo()->setText("");
        window->reportView().appendElapsedTime(GetTickCount() - row.ago);
        const std::string text = memoText();
        const std::string prefix = "\r\nReport generating time: ";
        ASSERT_EQ(text.substr(0, prefix.size()), prefix);
        const std::string number = text.substr(prefix.size(), text.size() - prefix.size() - 2);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        ASSERT_EQ(number.size() - number.find('.'), 4u) << number << ": three digits after the point";
        EXPECT_EQ(number.substr(0, std::string(row.expected).size()), row.expected);
        std::string digits = number;
        digits.erase(digits.find('.'), 1);
        const DWORD milliseconds = static_cast<DWORD>(std::atol(digits.c_str()));
        EXPECT_GE(milliseconds, row.ago);
        EXPECT_LT(milliseconds, row.ago + 50);
    }
}

// The memo text is built in one block (speed is the benchmark's business);
// here: ten thousand lines arrive whole and in order.
TEST_F(MainWindowTest, ThousandsOfLinesAppearInOrder) {
    const int count = 10000;
    window->reportView().clearView();
    window->document().clearReport();
    std::string last;
    for (int i = 0; i < count; ++i) {
        last = "   C:\\PROGRAM FILES\\BRELVANX\\FILE" + std::to_string(i) +
               ".DLL  12k345  ver. 2.0.6.1  2008-01-02 03:04:05";
        window->document().appendLine(last.c_str(), i % 1000 == 0);
    }
    window->reportView().renderReport(window->document());
    window->reportView().appendElapsedTime(GetTickCount());
    const int summary = count / 1000;
    EXPECT_EQ(window->memo()->lineCount(), 3 + summary + count + 2 + 1)
        << "the last CR LF opens an empty line";
    EXPECT_EQ(str(window->memo()->line(3 + summary + count - 1)), last);
}

// A report longer than a list holds (262,144 lines): the window says how many
// lines it lacks and where they are, among the problems and at the end.
TEST_F(MainWindowTest, ReportLongerThanTheListsSaysWhatTheWindowLacks) {
    MainWindow& w = *window;
    const std::string logPath = str(w.document().logFilePath());
    // Held without sharing, so every line's log open fails at once: the test
    // is about the lists, and a quarter of a million appends would be slow.
    HANDLE lock = CreateFileA(logPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    w.reportView().clearView();
    w.document().clearReport();
    const unsigned capacity = 0x40000;
    w.document().appendLine("warning !", true);
    for (unsigned i = 1; i < capacity + 5; ++i) w.document().appendLine("   line", false);
    w.document().appendLine("late warning !", true);
    CloseHandle(lock);
    EXPECT_EQ(6u, w.document().linesNotShown()) << "the late warning still fits the summary list";
    EXPECT_EQ(capacity, w.document().detailLines().count());

    w.reportView().renderReport(w.document());
    const std::string notShown = "Report too long for the window: 6 more lines are only in " + logPath;
    EXPECT_EQ(str(w.memo()->line(1)), "warning !");
    EXPECT_EQ(str(w.memo()->line(2)), "late warning !");
    EXPECT_EQ(str(w.memo()->line(3)), notShown);
    EXPECT_EQ(str(w.memo()->line(5)), separator);
    EXPECT_EQ(str(w.memo()->line(6 + capacity)), notShown);

    w.document().clearReport();
    EXPECT_EQ(0u, w.document().linesNotShown());
}

TEST_F(MainWindowTest, GetInfoTwiceShowsOnlyTheSecondReportAndEnablesTheButtons) {
    Button* getInfo = window->button(MainWindow::getInfoButton);
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        getInfo->onClick(getInfo);
        pump();
        const std::vector<std::string> lines = splitLines(memoText());
        ASSERT_GT(lines.size(), 4u);
        EXPECT_EQ(lines.front(), std::string("Q8diag, ver.: ") + Q8_SHORT_VERSION);
        EXPECT_EQ(lines[lines.size() - 1].substr(0, 24), "Report generating time: ");
        EXPECT_EQ(lines[lines.size() - 2], "");
        int separators = 0, paths = 0;
        for (const std::string& line : lines) {
            separators += line == separator;
            paths += line == "Paths";
        }
        EXPECT_EQ(separators, 1);
        EXPECT_EQ(paths, 1) << "only one report in the memo";
        EXPECT_EQ(window->document().detailLines().count() + window->document().summaryLines().count() + 5,
                  lines.size());
        for (int b = 0; b < MainWindow::buttonCount; ++b) EXPECT_TRUE(window->button(b)->isEnabled()) << b;
        EXPECT_EQ(window->cursor(), nullptr) << "the wait cursor is gone";
    }
}

// Records what the repair would change, and changes nothing: the registry
// of the shared test prefix stays as the other tests expect it.
class RecordingPlatform : public RepairPlatform {
public:
    RegistryOutcome writeSearchPath(const String& path) override {
        searchPath = str(path);
        return registryWritten;
    }
    RegistryOutcome writeEnvironmentValue(const String&, const String& path) override {
        variable = str(path);
        return registryWritten;
    }
    String startupFilePath() override { return "C:\\q8-app-test-autoexec.bat"; }
    std::string searchPath, variable;
};

TEST_F(MainWindowTest, RepairReplacesTheReportAndCopyTakesItsText) {
    RecordingPlatform platform;
    window->setRepairPlatform(&platform);
    Button* getInfo = window->button(MainWindow::getInfoButton);
    getInfo->onClick(getInfo);
    Button* repair = window->button(MainWindow::repairButton);
    ASSERT_TRUE(repair->isEnabled());
    repair->onClick(repair);

    // Neither plug-in path is set in the test prefix: both get the default.
    ASSERT_FALSE(platform.searchPath.empty());
    const std::string text = memoText();
    EXPECT_EQ(text, "ZQT plugins directory path set to " + platform.searchPath +
                        "\r\nZQT repair successful\r\n\r\n\r\n");
    EXPECT_EQ(text, str(repairMemoText(window->document())));
    EXPECT_EQ(str(window->document().detailLines().get(0)), "ZQT repair\r\n");

    Button* copy = window->button(MainWindow::copyButton);
    copy->onClick(copy);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    const std::string clip = data ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(clip, text) << "copy acts on what the repair left in the memo";
}

TEST_F(MainWindowTest, SpinnerTurnsAtMostEveryHundredMilliseconds) {
    window->reportView().clearView();
    struct Change {
        DWORD before, after;   // ticks around the call that changed the line
        std::string line;
    };
    std::vector<Change> changes;
    std::string last = "?";
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 650) {
        const DWORD before = GetTickCount();
        window->reportView().updateProgress();
        const std::string line = str(window->memo()->line(0));
        if (line != last) changes.push_back({before, GetTickCount(), line});
        last = line;
    }
    const DWORD elapsed = GetTickCount() - start;
    ASSERT_GE(changes.size(), 3u);
    EXPECT_LE(changes.size(), 2 + elapsed / 100) << "hundreds of calls, a turn only every 100 ms";
    EXPECT_EQ(window->memo()->lineCount(), 1) << "one progress line, replaced in place";
    const std::string spinner = "-\\|/";
    for (size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(changes[i].line);
        const std::string& line = changes[i].line;
        ASSERT_EQ(line.size(), 32u);
        const std::string run(10, line[0]);
        EXPECT_EQ(line, run + " processing " + run);
        EXPECT_NE(spinner.find(line[0]), std::string::npos);
        if (i > 0) {
            EXPECT_GT(changes[i].after - changes[i - 1].before, 100u);
            EXPECT_EQ(spinner.find(line[0]), (spinner.find(changes[i - 1].line[0]) + 1) % 4) << "in order";
        }
    }
}

TEST_F(MainWindowTest, CopyPutsTheWholeTextOnTheClipboard) {
    renderLines({{"Paths", false}, {"warning !", true}, {"   detail", false}}, GetTickCount());
    const std::string text = memoText();
    window->memo()->setSelection(3, 2);
    Button* copy = window->button(MainWindow::copyButton);
    copy->onClick(copy);

    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_TRUE(data);
    const std::string clip = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(clip, text) << "the whole text, whatever is selected";
    int start = -1, length = -1;
    window->memo()->getSelection(&start, &length);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(length, 2) << "the user's selection stays as it was";
}

TEST_F(MainWindowTest, SaveWritesTheMemoLinesWithCrLf) {
    renderLines({{"Paths", false}, {"warning !", true}, {"   detail", false}}, GetTickCount());
    char folder[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    const std::string path = std::string(folder) + "q8-saved-report";   // no extension
    DeleteFileA(path.c_str());
    ASSERT_TRUE(window->writeReportFile(path.c_str()));
    EXPECT_EQ(readFile(path), memoText()) << "the same lines, CR LF, no extra empty line";
    DeleteFileA(path.c_str());

    // The file is replaced, not appended to.
    std::ofstream(path, std::ios::binary) << "old content that is longer than the new one\r\n";
    window->reportView().showReport("one\r\ntwo");
    ASSERT_TRUE(window->writeReportFile(path.c_str()));
    EXPECT_EQ(readFile(path), "one\r\ntwo\r\n");
    DeleteFileA(path.c_str());
}

// A report larger than the memo holds (a multi-line edit control of Windows
// 95/98/ME takes about 64 KB): the memo shows the lines that fit and one line
// saying how many it lacks; copy and save take the whole report, and after a
// repair what the repair left.  Under Windows 9x the window's own capacity is
// used, elsewhere the test sets the same.
TEST_F(MainWindowTest, ReportLargerThanTheMemoHoldsIsWholeInCopyAndSave) {
    const bool windows9x = (GetVersion() & 0x80000000u) != 0;
    EXPECT_EQ(window->reportView().memoCapacity(), windows9x ? 60000u : 0u);
    if (!windows9x) window->reportView().setMemoCapacity(60000);
    const unsigned capacity = window->reportView().memoCapacity();

    std::vector<std::pair<std::string, bool>> lines = {{"warning !", true}};
    for (int i = 0; i < 2000; ++i)
        lines.push_back(
            {"   C:\\PROGRAM FILES\\BRELVANX\\FILE" + std::to_string(i) + ".DLL  12k345  ver. 2.0.6.1",
             false});
    renderLines(lines, GetTickCount());
    const std::string whole = str(window->reportView().reportText());
    ASSERT_GT(whole.size(), 65536u);
    const std::string shown = memoText();
    EXPECT_LE(shown.size(), capacity);
    const std::string timeLabel = "\r\nReport generating time: ";
    ASSERT_NE(whole.rfind(timeLabel), std::string::npos) << "the elapsed time belongs to the report";
    ASSERT_NE(shown.rfind(timeLabel), std::string::npos);
    EXPECT_EQ(whole.substr(whole.rfind(timeLabel)), shown.substr(shown.rfind(timeLabel)));

    // Version, summary, empty line, separator, the details that fit (the
    // warning first), the notice, empty line, elapsed time.
    const std::vector<std::string> shownLines = splitLines(shown);
    ASSERT_GE(shownLines.size(), 8u);
    EXPECT_EQ(shownLines[1], "warning !");
    EXPECT_EQ(shownLines[4], "warning !");
    const size_t detailsShown = shownLines.size() - 7;
    const std::string& notice = shownLines[shownLines.size() - 3];
    const std::string logPath = str(window->document().logFilePath());
    EXPECT_EQ(notice, "Report too long for the window: " + std::to_string(2001 - detailsShown) +
                          " more lines are in " + logPath + " and in a copied or saved report");
    const size_t noticeAt = shown.find("Report too long for the window: ");
    EXPECT_EQ(shown.substr(0, noticeAt), whole.substr(0, noticeAt))
        << "what is shown is the report's beginning";

    struct Action {
        const char* name;
        std::function<std::string()> take;
    } actions[] = {
        {"save",
         [&] {
             char folder[MAX_PATH];
             GetTempPathA(sizeof(folder), folder);
             const std::string path = std::string(folder) + "q8-large-report.txt";
             EXPECT_TRUE(window->writeReportFile(path.c_str()));
             const std::string saved = readFile(path);
             DeleteFileA(path.c_str());
             return saved;
         }},
        {"copy",
         [&] {
             Button* copy = window->button(MainWindow::copyButton);
             copy->onClick(copy);
             std::string clip;
             if (OpenClipboard(nullptr)) {
                 if (HANDLE data = GetClipboardData(CF_TEXT)) {
                     clip = static_cast<const char*>(GlobalLock(data));
                     GlobalUnlock(data);
                 }
                 CloseClipboard();
             }
             return clip;
         }},
    };
    for (const Action& action : actions) {
        SCOPED_TRACE(action.name);
        EXPECT_EQ(action.take(), whole);
    }

    // The repair's text replaces the report for copy and save alike.
    window->reportView().showReport("ZQT repair successful\r\n");
    for (const Action& action : actions) {
        SCOPED_TRACE(std::string("after the repair: ") + action.name);
        EXPECT_EQ(action.take(), "ZQT repair successful\r\n");
    }
}

// Fills the save dialog's file name and presses its Save button once the
// dialog is up.
struct SaveDialogDriver {
    static std::string name;
    static bool seen;
    static BOOL CALLBACK findDialog(HWND w, LPARAM found) {
        char cls[32] = "";
        GetClassNameA(w, cls, sizeof(cls));
        if (std::string(cls) == "#32770" && IsWindowVisible(w)) {
            *reinterpret_cast<HWND*>(found) = w;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &findDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return;
        KillTimer(nullptr, id);
        seen = true;
        // The file name box: combo box cmb13 of the Explorer-style dialog,
        // or edt1 of the old style.
        if (!SetDlgItemTextA(dialog, 0x47C, name.c_str())) SetDlgItemTextA(dialog, 0x480, name.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
};
std::string SaveDialogDriver::name;
bool SaveDialogDriver::seen = false;

// The busy cursor shows for the report's length at once (no message is
// pumped meanwhile, so no WM_SETCURSOR would bring it), and what was shown
// before comes back after.
TEST_F(MainWindowTest, BusyCursorShowsDuringTheReportAndGoesAfter) {
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW), wait = LoadCursorA(nullptr, IDC_WAIT);
    SetCursor(arrow);
    window->setReportCursor(wait);
    EXPECT_EQ(GetCursor(), wait);
    window->setReportCursor(nullptr);
    EXPECT_EQ(GetCursor(), arrow);
}

// Reads and closes the message box the window shows, once it is up.
struct MessageBoxReader {
    static std::string text;
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &SaveDialogDriver::findDialog,
                          reinterpret_cast<LPARAM>(&box));
        if (!box) return;
        KillTimer(nullptr, id);
        char buffer[1024] = "";
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);   // the message box's text control
        text = buffer;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
};
std::string MessageBoxReader::text;

// A file that cannot be written (here a folder of that name): a message box
// names the file and the reason, and the window keeps its report.
TEST_F(MainWindowTest, SaveThatFailsSaysSoAndKeepsTheReport) {
    renderLines({{"Paths", false}, {"warning !", true}, {"   detail", false}}, GetTickCount());
    const std::string before = memoText();
    char folder[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    const std::string path = std::string(folder) + "q8-a-folder-not-a-file";
    CreateDirectoryA(path.c_str(), nullptr);

    MessageBoxReader::text.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &MessageBoxReader::tick);
    window->saveReportTo(path.c_str());
    KillTimer(nullptr, timer);
    RemoveDirectoryA(path.c_str());

    const std::string& text = MessageBoxReader::text;
    EXPECT_EQ(text.rfind("The report could not be saved to\n" + path + "\n\n", 0), 0u) << text;
    EXPECT_GT(text.size(), path.size() + 40) << "a reason follows: " << text;
    EXPECT_EQ(memoText(), before);
}

TEST_F(MainWindowTest, SaveThroughTheDialogAddsTheExtension) {
    renderLines({{"Paths", false}, {"warning !", true}, {"   detail", false}}, GetTickCount());
    char folder[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    const std::string stem = std::string(folder) + "q8-dialog-report";
    for (const char* extension : {".txt", ".TXT"}) DeleteFileA((stem + extension).c_str());
    SaveDialogDriver::name = stem;   // typed without extension
    SaveDialogDriver::seen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &SaveDialogDriver::tick);
    Button* save = window->button(MainWindow::saveButton);
    save->onClick(save);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(SaveDialogDriver::seen) << "GetSaveFileNameA showed its dialog";

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((stem + ".*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "saved with an extension added";
    FindClose(search);
    const std::string savedName = found.cFileName;
    std::string extension = savedName.substr(savedName.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(extension, ".TXT") << savedName;
    const std::string saved = std::string(folder) + savedName;
    EXPECT_EQ(readFile(saved), memoText());
    DeleteFileA(saved.c_str());
}

TEST_F(MainWindowTest, SaveDialogParameters) {
    OPENFILENAMEA dialog;
    char name[MainWindow::saveNameCharacters];
    name[0] = 'x';
    window->prepareSaveDialog(dialog, name);
    EXPECT_EQ(dialog.lStructSize, 76u);
    EXPECT_EQ(dialog.hwndOwner, window->handle());
    EXPECT_EQ(dialog.hInstance, application().instance());
    // Two zero-terminated strings and a final zero.
    EXPECT_EQ(std::string(dialog.lpstrFilter, 18), std::string("Text files\0*.txt\0", 18));
    EXPECT_EQ(dialog.nFilterIndex, 1u);
    EXPECT_EQ(dialog.lpstrFile, name);
    EXPECT_EQ(name[0], 0) << "starts empty";
    EXPECT_EQ(dialog.nMaxFile, static_cast<DWORD>(MAX_PATH)) << "names up to the system's path limit";
    EXPECT_EQ(dialog.Flags, 0x806u);
    EXPECT_STREQ(dialog.lpstrDefExt, "TXT");
    EXPECT_EQ(dialog.lpstrInitialDir, nullptr);
    EXPECT_EQ(dialog.lpstrTitle, nullptr);
}

TEST_F(MainWindowTest, HelpShowsTheTextAndComesBackWhereItWas) {
    TextWindow* help = window->helpWindow();
    Button* helpButton = window->button(MainWindow::helpButton);
    helpButton->onClick(helpButton);
    pump();
    ASSERT_TRUE(help->isVisible());
    EXPECT_EQ(str(help->memo()->text()), helpText);
    RECT r;
    GetWindowRect(help->handle(), &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 400);
    EXPECT_EQ(fontFace(help->memo()->font()), "Arial");
    EXPECT_EQ(fontFace(help->closeButton()->font()), "Arial");
    EXPECT_EQ(help->memo()->textColor(), 0x00FFFF);
    EXPECT_EQ(HIWORD(SendMessageA(help->memo()->handle(), EM_GETMARGINS, 0, 0)), 16);
    EXPECT_TRUE(SendMessageA(help->handle(), WM_GETICON, ICON_BIG, 0));

    SendMessageA(help->handle(), WM_CLOSE, 0, 0);
    pump();
    EXPECT_FALSE(help->isVisible());
    MoveWindow(help->handle(), 230, 70, 400, 400, TRUE);
    helpButton->onClick(helpButton);
    pump();
    EXPECT_TRUE(help->isVisible());
    GetWindowRect(help->handle(), &r);
    EXPECT_EQ(r.left, 230) << "shown again where it was last";
    EXPECT_EQ(str(help->memo()->text()), helpText);
}

// Reads the about box while its modal loop runs, then presses Escape.
struct AboutWatcher {
    static AboutWatcher* current;
    std::string text, caption, button;
    COLORREF textColour = 0, panelColour = 0;
    HWND owner = nullptr;
    RECT frame{};

    static BOOL CALLBACK findDialog(HWND w, LPARAM found) {
        Window* object = Window::windowFromHandle(w);
        if (object && dynamic_cast<MessageDialog*>(object) && IsWindowVisible(w)) {
            *reinterpret_cast<MessageDialog**>(found) = static_cast<MessageDialog*>(object);
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
        MessageDialog* dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &findDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return;
        KillTimer(nullptr, id);
        current->text = str(dialog->messagePanel()->text());
        current->caption = str(dialog->text());
        current->button = str(dialog->button(0)->text());
        current->textColour = dialog->textColor();
        current->panelColour = dialog->messagePanel()->textColor();
        current->owner = dialog->owner();
        GetWindowRect(dialog->handle(), &current->frame);
        dialog->escapePressed();
    }
};
AboutWatcher* AboutWatcher::current = nullptr;

TEST_F(MainWindowTest, AboutShowsVersionAndMakerCentredOverTheWindow) {
    EXPECT_EQ(str(aboutText("2.06")), "ZNQ8 Diagnostics Tool \nVersion 2.06\nMade by Brelvanx");
    EXPECT_EQ(str(programVersion(true)), Q8_SHORT_VERSION) << "read back from the version resource";

    MoveWindow(window->handle(), 50, 40, 700, 400, TRUE);
    AboutWatcher watcher;
    AboutWatcher::current = &watcher;
    SetTimer(nullptr, 0, 50, &AboutWatcher::tick);
    Button* about = window->button(MainWindow::aboutButton);
    {
        ModalGuard guard;
        about->onClick(about);
    }
    EXPECT_EQ(watcher.text,
              std::string("ZNQ8 Diagnostics Tool \nVersion ") + Q8_SHORT_VERSION + "\nMade by Brelvanx");
    EXPECT_EQ(watcher.caption, "About");
    EXPECT_EQ(watcher.button, "OK");
    EXPECT_EQ(watcher.textColour, 0x00FF00u);
    EXPECT_EQ(watcher.panelColour, 0x00FFFFu);
    EXPECT_EQ(watcher.owner, window->handle());
    RECT main;
    GetWindowRect(window->handle(), &main);
    EXPECT_NEAR((watcher.frame.left + watcher.frame.right) / 2, (main.left + main.right) / 2, 1);
    EXPECT_NEAR((watcher.frame.top + watcher.frame.bottom) / 2, (main.top + main.bottom) / 2, 1);
    EXPECT_TRUE(IsWindowEnabled(window->handle())) << "usable again after the box";
}

// Sends WM_CLOSE to the main window once a modal window of it is up, then
// ends that window as the user would.
struct CloseThenDismiss {
    static HWND mainWindow;
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &SaveDialogDriver::findDialog,
                          reinterpret_cast<LPARAM>(&box));
        MessageDialog* about = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &AboutWatcher::findDialog, reinterpret_cast<LPARAM>(&about));
        if (!box && !about) return;
        KillTimer(nullptr, id);
        // The close arrives first, while the modal loop runs; the loop
        // then ends as the user would end it.
        SendMessageA(mainWindow, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindow(mainWindow)) << "not closed under the modal loop";
        if (about)
            about->escapePressed();
        else
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
};
HWND CloseThenDismiss::mainWindow = nullptr;

// End Task or the taskbar's Close while a modal window of the main window
// runs: the main window outlives the loop, then closes.
TEST_F(MainWindowTest, CloseDuringAModalWindowWaitsForItsEnd) {
    struct Row {
        const char* what;
        std::function<void(MainWindow&)> open;
    } rows[] = {
        {"about box",
         [](MainWindow& w) {
             w.button(MainWindow::aboutButton)->onClick(w.button(MainWindow::aboutButton));
         }},
        {"save dialog",
         [](MainWindow& w) { w.button(MainWindow::saveButton)->onClick(w.button(MainWindow::saveButton)); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (!window) window = new MainWindow(false);
        renderLines({{"Paths", false}}, GetTickCount());
        application().clearQuit();
        HWND handle = window->handle();
        CloseThenDismiss::mainWindow = handle;
        SetTimer(nullptr, 0, 100, &CloseThenDismiss::tick);
        {
            ModalGuard guard;
            row.open(*window);
            EXPECT_TRUE(IsWindow(handle)) << "still there when the modal loop has ended";
        }
        {
            ModalGuard guard;
            application().run();   // the deferred close ends the loop
            EXPECT_TRUE(application().quitRequested());
        }
        EXPECT_FALSE(IsWindow(handle)) << "closed after the loop";
        window = nullptr;   // deleted with its native window
        application().clearQuit();
    }
}

TEST_F(MainWindowTest, CloseEndsTheMessageLoopAndTheToolkitDeletesTheWindow) {
    application().clearQuit();
    HWND handle = window->handle();
    PostMessageA(handle, WM_CLOSE, 0, 0);
    {
        ModalGuard guard;
        application().run();
        EXPECT_TRUE(application().quitRequested());
    }
    EXPECT_FALSE(IsWindow(handle));
    window = nullptr;   // deleted with its native window
}

TEST_F(MainWindowTest, ScreenshotAfterAReport) {
    const char* folder = std::getenv("Q8_ARTIFACT_DIR");
    ASSERT_TRUE(folder) << "the build passes the artifact folder";
    std::string path = std::string("Z:") + folder + "/main-window.bmp";
    for (char& c : path)
        if (c == '/') c = '\\';

    Button* getInfo = window->button(MainWindow::getInfoButton);
    getInfo->onClick(getInfo);
    // The top of the report, not its end.
    SendMessageA(window->memo()->handle(), EM_SETSEL, 0, 0);
    SendMessageA(window->memo()->handle(), EM_SCROLLCARET, 0, 0);
    window->memo()->synchroniseScrollBar();
    SetForegroundWindow(window->handle());
    RedrawWindow(window->handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pump();
    Sleep(200);
    pump();

    RECT r;
    GetWindowRect(window->handle(), &r);
    EXPECT_GT(captureScreenToBmp(r, path), 4u) << "the capture shows the window, not an empty screen";
}

}   // namespace
