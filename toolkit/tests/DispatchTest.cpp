// Message sequences: what a native or private message makes of a small tree
// of components, compared as tables of virtual operations and callbacks.
#include "toolkit/PrivateMessages.h"

#include <algorithm>
#include <cstring>

#include "Probe.h"

namespace {
// top (popup) > mid (container) > leafA, leafB (tab stops); top > side (tab stop)
class FocusTree : public WindowTest {
protected:
    void SetUp() override {
        top = new Probe(log, "top", popupStyle, nullptr, 0, 0, 300, 200);
        mid = new Probe(log, "mid", childStyle, top->handle(), 0, 0, 200, 100);
        leafA = new Probe(log, "leafA", tabStopStyle, mid->handle(), 0, 0);
        leafB = new Probe(log, "leafB", tabStopStyle, mid->handle(), 50, 0);
        side = new Probe(log, "side", tabStopStyle, top->handle(), 220, 0);
        SetForegroundWindow(top->handle());
        SetFocus(leafA->handle());
        pumpMessages();
        ASSERT_EQ(GetFocus(), leafA->handle()) << "the test needs a focusable window";
        log.clear();
    }
    void TearDown() override {
        delete top;
        WindowTest::TearDown();
    }
    // Types a Tab (with Shift when asked) into the window that has the focus.
    // Shift held as the keyboard state says, the way the system keeps it.
    static void holdShift(bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void tab(bool shift) {
        holdShift(shift);
        SendMessageA(GetFocus(), WM_CHAR, '\t', 0);
        holdShift(false);
        pumpMessages();
    }
    Probe *top = nullptr, *mid = nullptr, *leafA = nullptr, *leafB = nullptr, *side = nullptr;
};
}   // namespace

TEST_F(FocusTree, FocusReportsClimbToTheTopLevel) {
    SetFocus(leafB->handle());
    pumpMessages();
    EXPECT_SEQUENCE(log, {
                             {"top", Op::focus, 0},
                             {"mid", Op::focus, 0},
                             {"leafA", Op::focus, 0},
                             {"top", Op::focus, 1},
                             {"mid", Op::focus, 1},
                             {"leafB", Op::focus, 1},
                         });
    EXPECT_EQ(mid->focusedChild(), leafB);
    EXPECT_EQ(top->focusedChild(), mid) << "each level records its own child";

    log.clear();
    SetFocus(side->handle());
    pumpMessages();
    EXPECT_SEQUENCE(log, {
                             {"top", Op::focus, 0},
                             {"mid", Op::focus, 0},
                             {"leafB", Op::focus, 0},
                             {"top", Op::focus, 1},
                             {"side", Op::focus, 1},
                         });
    EXPECT_EQ(top->focusedChild(), side);
    EXPECT_EQ(mid->focusedChild(), nullptr);
}

TEST_F(FocusTree, TabWrapsInsideTheTopLevelWindowBothWays) {
    struct Row {
        Probe* from;
        bool shift;
        Probe* to;
        const char* what;
    };
    const Row rows[] = {
        {leafA, false, leafB, "next sibling"},
        {leafB, false, side, "out of the container to the parent's next child"},
        {side, false, leafA, "wraps from the last to the first"},
        {leafA, true, side, "Shift+Tab wraps from the first to the last"},
        {side, true, leafB, "back into the container's last child"},
        {leafB, true, leafA, "previous sibling"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetFocus(row.from->handle());
        pumpMessages();
        ASSERT_EQ(GetFocus(), row.from->handle());
        tab(row.shift);
        EXPECT_EQ(GetFocus(), row.to->handle());
        EXPECT_FALSE(Component::shiftDown());
    }
}

// A Shift key-down whose key-up went elsewhere (released over another
// window, or taken by Alt+Shift) must not turn the next Tab backwards.
TEST_F(FocusTree, ShiftReleasedElsewhereLeavesTabForwards) {
    SetFocus(leafA->handle());
    pumpMessages();
    SendMessageA(leafA->handle(), WM_KEYDOWN, VK_SHIFT, 0);   // and no key-up
    tab(false);
    EXPECT_EQ(GetFocus(), leafB->handle());
}

TEST_F(FocusTree, ReactivationReturnsFocusToTheRememberedChild) {
    SetFocus(side->handle());
    pumpMessages();
    ASSERT_EQ(top->focusedChild(), side);

    // Losing the focus to another window of the application deactivates top
    // first, so side's loss is not reported and top keeps its memory.
    Probe* other = new Probe(log, "other", popupStyle, nullptr, 400, 0, 50, 50);
    SetForegroundWindow(other->handle());
    SetFocus(other->handle());
    pumpMessages();
    ASSERT_EQ(GetFocus(), other->handle());
    EXPECT_FALSE(top->isActive());
    EXPECT_EQ(top->focusedChild(), side);

    // Activation alone: the system focuses top, which hands on to side.
    SetActiveWindow(top->handle());
    pumpMessages();
    EXPECT_TRUE(top->isActive());
    EXPECT_EQ(GetFocus(), side->handle());
    delete other;
}

TEST_F(FocusTree, FocusOnAContainerGoesToTheFirstChildThatTakesIt) {
    // A reported loss clears the memory on every level.
    SetFocus(top->handle());
    pumpMessages();
    EXPECT_EQ(GetFocus(), leafA->handle());

    leafA->enable(false);
    SetFocus(top->handle());
    pumpMessages();
    EXPECT_EQ(GetFocus(), leafB->handle()) << "a disabled child is passed over";

    leafB->show(false);
    SetFocus(side->handle());
    pumpMessages();
    EXPECT_FALSE(mid->takeFocus(false)) << "no child takes it and mid is no focusable container";
    mid->setStyle(mid->style() | WS_TABSTOP);
    mid->setFocusableContainer(true);
    EXPECT_TRUE(mid->takeFocus(false));
    EXPECT_EQ(GetFocus(), mid->handle());
}

TEST_F(FocusTree, EscapeAndUserRequestReachTheNearestPopup) {
    SendMessageA(leafA->handle(), WM_CHAR, 27, 0);
    pumpMessages();
    EXPECT_SEQUENCE(log, {{"top", Op::escape}});

    log.clear();
    PostMessageA(leafB->handle(), PrivateMessage::userRequest, 0, 0);
    pumpMessages();
    EXPECT_SEQUENCE(log, {{"top", Op::userRequest}});
}

TEST_F(FocusTree, CharCallbackCanSwallowACharacter) {
    struct Swallow {
        void onChar(Component*, unsigned* ch, LPARAM) {
            if (*ch == 27) *ch = 0;
        }
    } swallow;
    leafA->onChar.bind(&swallow, &Swallow::onChar);
    SendMessageA(leafA->handle(), WM_CHAR, 27, 0);
    pumpMessages();
    EXPECT_TRUE(log.empty()) << describe(log);
}

TEST_F(FocusTree, KeyPreviewGoesToTheTopLevelFirst) {
    struct Preview {
        std::vector<std::pair<Component*, unsigned>> seen;
        void onPreview(Component* source, unsigned* vk, LPARAM) {
            seen.push_back({source, *vk});
            if (*vk == VK_F1) *vk = 0;   // swallow F1
        }
    } preview;
    top->onKeyPreview.bind(&preview, &Preview::onPreview);
    SendMessageA(leafA->handle(), WM_KEYDOWN, 'Q', 0);
    SendMessageA(leafA->handle(), WM_KEYDOWN, VK_F1, 0);
    EXPECT_SEQUENCE(log, {{"leafA", Op::keyDown, 'Q'}});
    ASSERT_EQ(preview.seen.size(), 2u);
    EXPECT_EQ(preview.seen[0].first, leafA);
    leafA->setKeyPreview(false);
    SendMessageA(leafA->handle(), WM_KEYDOWN, VK_F1, 0);
    EXPECT_EQ(preview.seen.size(), 2u);
}

TEST_F(FocusTree, WheelTurnsClimbWhileUnhandled) {
    struct Row {
        short delta;
        long notches;
    };
    const Row rows[] = {{240, 2}, {60, 0}, {-360, -3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.delta);
        log.clear();
        SendMessageA(leafA->handle(), WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, row.delta), 0);
        pumpMessages();
        EXPECT_SEQUENCE(log, {
                                 {"leafA", Op::wheelCallback, row.notches, 0, "leafA"},
                                 {"mid", Op::wheelCallback, row.notches, 0, "leafA"},
                                 {"top", Op::wheelCallback, row.notches, 0, "leafA"},
                             });
    }
    log.clear();
    mid->stopWheel = true;
    SendMessageA(leafB->handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    pumpMessages();
    EXPECT_SEQUENCE(log, {
                             {"leafB", Op::wheelCallback, 1, 0, "leafB"},
                             {"mid", Op::wheelCallback, 1, 0, "leafB"},
                         });
}

TEST_F(FocusTree, WheelFromASourceDeletedMeanwhileIsDropped) {
    SendMessageA(leafB->handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    delete leafB;   // its climbing turn is still queued for mid
    leafB = nullptr;
    pumpMessages();
    EXPECT_SEQUENCE(log, {{"leafB", Op::wheelCallback, 1, 0, "leafB"}, {"leafB", Op::destroyed}});
}

TEST_F(WindowTest, ClicksAreDetectedOnRelease) {
    Probe* pad = new Probe(log, "pad", hiddenPopupStyle, nullptr, 0, 0, 100, 100);
    auto release = [pad](int x, int y) { SendMessageA(pad->handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y)); };
    release(10, 10);
    release(11, 10);
    EXPECT_SEQUENCE(
        log, {{"pad", Op::mouseUp, 10, 10}, {"pad", Op::mouseUp, 11, 10}, {"pad", Op::doubleClick, 11, 10}});

    log.clear();
    Sleep(GetDoubleClickTime() + 100);
    release(10, 10);
    release(10, 10);
    release(10, 10);
    EXPECT_SEQUENCE(log, {{"pad", Op::mouseUp, 10, 10},
                          {"pad", Op::mouseUp, 10, 10},
                          {"pad", Op::doubleClick, 10, 10},
                          {"pad", Op::mouseUp, 10, 10},
                          {"pad", Op::doubleClick, 10, 10}});   // triple click

    log.clear();
    Sleep(GetDoubleClickTime() + 100);
    release(10, 10);
    release(10 + GetSystemMetrics(SM_CXDOUBLECLK), 10);   // too far apart
    Sleep(GetDoubleClickTime() + 100);
    release(10 + GetSystemMetrics(SM_CXDOUBLECLK), 10);   // too late
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const Event& e) { return e.op == Op::doubleClick; }),
              0)
        << describe(log);
    delete pad;
}

TEST_F(WindowTest, DoubleBufferedPaintingRunsIntoTheBackBuffer) {
    Probe* pad = new Probe(log, "pad", popupStyle, nullptr, 0, 0, 60, 40);
    pumpMessages();
    UpdateWindow(pad->handle());
    pad->recordPainting = true;
    pad->setDoubleBuffered(true);
    ASSERT_NE(pad->bufferDc(), nullptr);
    log.clear();

    HDC screen = GetDC(pad->handle());
    EXPECT_EQ(SendMessageA(pad->handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(screen), 0), 1);
    ReleaseDC(pad->handle(), screen);
    EXPECT_TRUE(log.empty()) << "the system's erase paints nothing:\n" << describe(log);

    UpdateWindow(pad->handle());
    EXPECT_SEQUENCE(log, {{"pad", Op::erase, 1}, {"pad", Op::paint, 1}});
    RECT dirty;
    EXPECT_FALSE(GetUpdateRect(pad->handle(), &dirty, FALSE)) << "the window was validated";

    // The back buffer received the base colour fill of a plain component.
    EXPECT_EQ(GetPixel(pad->bufferDc(), 5, 5), 0x404040u);

    // Growing re-creates the buffer at the new size.
    pad->resize(120, 90);
    log.clear();
    InvalidateRect(pad->handle(), nullptr, TRUE);
    UpdateWindow(pad->handle());
    EXPECT_EQ(GetPixel(pad->bufferDc(), 110, 80), 0x404040u);

    pad->setDoubleBuffered(false);
    EXPECT_EQ(pad->bufferDc(), nullptr);
    log.clear();
    InvalidateRect(pad->handle(), nullptr, TRUE);
    UpdateWindow(pad->handle());
    EXPECT_SEQUENCE(log, {{"pad", Op::erase, 0}, {"pad", Op::paint, 0}});
    delete pad;
}

TEST_F(WindowTest, EnablingIsRelayedToChildren) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr, 0, 0, 100, 100);
    Probe* child = new Probe(log, "child", childStyle, top->handle());
    // A child made in a disabled parent starts disabled.
    top->enable(false);
    Probe* late = new Probe(log, "late", childStyle, top->handle());
    EXPECT_FALSE(late->isEnabled());
    top->enable(true);
    EXPECT_TRUE(top->isEnabled());

    // The private message sets the toolkit's own state and passes it on.
    SendMessageA(top->handle(), PrivateMessage::enabledChanged, 0, 0);
    EXPECT_FALSE(top->isEnabled());
    EXPECT_FALSE(child->isEnabled());
    EXPECT_TRUE(IsWindowEnabled(child->handle())) << "the native state is untouched";
    SendMessageA(top->handle(), PrivateMessage::enabledChanged, 1, 0);
    EXPECT_TRUE(child->isEnabled());
    delete top;
}

TEST_F(WindowTest, ModalRunEndsOnlyWithANonzeroResultOrClose) {
    Probe* owner = new Probe(log, "owner", hiddenPopupStyle, nullptr, 0, 0, 200, 200);
    Probe* dialog = new Probe(log, "dialog", WS_POPUP, owner->handle(), 0, 0, 100, 80, WS_EX_NOPARENTNOTIFY);
    Probe* button = new Probe(log, "button", childStyle, dialog->handle());

    // WM_CLOSE: the run returns -1 and the window survives (hidden).
    PostMessageA(dialog->handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog->runModal(owner->handle()), -1);
    EXPECT_TRUE(IsWindow(dialog->handle()));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->inModalLoop());
    EXPECT_TRUE(IsWindowEnabled(owner->handle())) << "the owner is enabled again";

    // A result of 0 does not end the run; a control's result climbs to it.
    PostMessageA(dialog->handle(), PrivateMessage::endModal, 0, 0);
    PostMessageA(button->handle(), PrivateMessage::endModal, 7, 0);
    EXPECT_EQ(dialog->runModal(owner->handle()), 7);

    // The owner is disabled while the run lasts.
    struct Watch {
        HWND owner;
        bool ownerEnabled = true;
        bool dialogVisible = false;
        void onTimer(Component* c, UINT_PTR id) {
            c->stopTimer(id);
            ownerEnabled = IsWindowEnabled(owner) != FALSE;
            dialogVisible = c->isVisible();
            c->endModal(3);
        }
    } watch{owner->handle()};
    dialog->onTimer.bind(&watch, &Watch::onTimer);
    dialog->startTimer(1, 10);
    EXPECT_EQ(dialog->runModal(owner->handle()), 3);
    EXPECT_FALSE(watch.ownerEnabled);
    EXPECT_TRUE(watch.dialogVisible);

    // Outside a run WM_CLOSE takes its default course: the window goes.
    bool alive;
    dialog->watchLifetime(&alive);
    SendMessageA(dialog->handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(alive);
    delete owner;
}

TEST_F(WindowTest, ModalRunWithoutOwnerDisablesTheParentComponent) {
    Probe* parent = new Probe(log, "parent", hiddenPopupStyle, nullptr, 0, 0, 200, 200);
    Probe* inner = new Probe(log, "inner", WS_CHILD, parent->handle(), 0, 0, 50, 50);
    struct Watch {
        Component* parent;
        bool parentEnabled = true;
        void onTimer(Component* c, UINT_PTR id) {
            c->stopTimer(id);
            parentEnabled = parent->isEnabled();
            c->endModal(-5);
        }
    } watch{parent};
    inner->onTimer.bind(&watch, &Watch::onTimer);
    inner->startTimer(1, 10);
    EXPECT_EQ(inner->runModal(), -5);
    EXPECT_FALSE(watch.parentEnabled);
    EXPECT_TRUE(parent->isEnabled());
    delete parent;
}

TEST_F(WindowTest, QuitDuringAModalRunIsHandedBackToTheApplicationLoop) {
    Probe* dialog = new Probe(log, "dialog", WS_POPUP, nullptr, 0, 0, 100, 80);
    PostQuitMessage(4);
    EXPECT_EQ(dialog->runModal(), -1);
    EXPECT_EQ(application().run(), 0) << "the application loop still sees WM_QUIT";
    delete dialog;
}

TEST_F(WindowTest, CommandsAndNotificationsAreReflectedToTheControl) {
    struct Control : Probe {
        using Probe::Probe;
        WPARAM lastCommand = 0;
        UINT lastNotify = 0;
        LRESULT command(WPARAM w) override {
            lastCommand = w;
            return 11;
        }
        LRESULT notify(NMHDR* h) override {
            lastNotify = h->code;
            return 22;
        }
    };
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr);
    Control* control = new Control(log, "control", childStyle, top->handle());
    EXPECT_EQ(SendMessageA(top->handle(), WM_COMMAND, MAKEWPARAM(5, 0x300),
                           reinterpret_cast<LPARAM>(control->handle())),
              11);
    EXPECT_EQ(control->lastCommand, MAKEWPARAM(5, 0x300));
    NMHDR header{control->handle(), 5, 1234};
    EXPECT_EQ(SendMessageA(top->handle(), WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&header)), 22);
    EXPECT_EQ(control->lastNotify, 1234u);
    delete top;
}

TEST_F(WindowTest, ControlsAreColouredFromTheirComponent) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr);
    Probe* control = new Probe(log, "control", childStyle, top->handle());
    control->setTextColor(0x0000ff);
    control->setFaceColor(0x00ff00);
    HDC dc = GetDC(top->handle());
    LRESULT brush = SendMessageA(top->handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(control->handle()));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), control->faceBrush());
    EXPECT_EQ(GetTextColor(dc), 0x0000ffu);
    EXPECT_EQ(GetBkColor(dc), 0x00ff00u);
    SendMessageA(control->handle(), PrivateMessage::enabledChanged, 0, 0);
    SendMessageA(top->handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(control->handle()));
    EXPECT_EQ(GetTextColor(dc), 0x808080u) << "disabled text colour";
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    ReleaseDC(top->handle(), dc);
    delete top;
}

TEST_F(WindowTest, GeometryVetoLetsTheComponentAdjustMoves) {
    struct Snapping : Probe {
        using Probe::Probe;
        void adjustGeometry(int* x, int* y, int* cx, int* cy) override {
            *x -= *x % 10;
            *y -= *y % 10;
            *cx = *cx < 50 ? 50 : *cx;
            (void)cy;
        }
    };
    Snapping* pad = new Snapping(log, "pad", hiddenPopupStyle, nullptr, 0, 0, 60, 60);
    pad->move(33, 47);
    EXPECT_EQ(pad->x(), 30);
    EXPECT_EQ(pad->y(), 40);
    EXPECT_EQ(pad->width(), 60) << "a move keeps the stored size";
    pad->resize(20, 20);
    EXPECT_EQ(pad->width(), 50);
    EXPECT_EQ(pad->x(), 30);
    delete pad;
}

namespace {
// Runs inside MessageBoxA's own loop: notes the box's caption and owner, then
// closes it.
struct BoxSpy {
    static HWND box;
    static char caption[256];
    static HWND owner;
    static BOOL CALLBACK findBox(HWND window, LPARAM) {
        char cls[32];
        GetClassNameA(window, cls, sizeof(cls));
        if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        box = window;
        return FALSE;
    }
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
        EnumThreadWindows(GetCurrentThreadId(), &BoxSpy::findBox, 0);
        if (!box) return;
        KillTimer(nullptr, id);
        GetWindowTextA(box, caption, sizeof(caption));
        owner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
};
HWND BoxSpy::box;
char BoxSpy::caption[256];
HWND BoxSpy::owner;
}   // namespace

TEST_F(WindowTest, MessageBoxIsOwnedByTheTopLevelAndNamedAfterTheProgram) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr, 0, 0, 100, 100);
    Probe* child = new Probe(log, "child", childStyle, top->handle());
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string name = strrchr(path, '\\') + 1;
    name = name.substr(0, name.rfind('.'));

    struct Row {
        const char* caption;
        std::string expected;
    };
    const Row rows[] = {{"", name}, {nullptr, name}, {"Title", "Title"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        BoxSpy::box = nullptr;
        UINT_PTR timer = SetTimer(nullptr, 0, 50, &BoxSpy::onTimer);
        EXPECT_EQ(child->messageBox("text", row.caption, MB_OK), IDOK);
        KillTimer(nullptr, timer);
        EXPECT_STREQ(BoxSpy::caption, row.expected.c_str());
        EXPECT_EQ(BoxSpy::owner, top->handle());
    }
    delete top;
}

namespace {
// Binds every event callback of a component and records the calls.
struct CallbackRecorder {
    std::vector<std::string> calls;
    void add(const char* name, long a = 0, long b = 0) {
        calls.push_back(std::string(name) + "(" + std::to_string(a) + "," + std::to_string(b) + ")");
    }
    void resize(Component*) { add("onResize"); }
    void timer(Component*, UINT_PTR id) { add("onTimer", static_cast<long>(id)); }
    void down(Component*, unsigned, int x, int y) { add("onMouseDown", x, y); }
    void up(Component*, unsigned, int x, int y) { add("onMouseUp", x, y); }
    void move(Component*, unsigned, int x, int y) { add("onMouseMove", x, y); }
    void keyDown(Component*, unsigned vk, LPARAM) { add("onKeyDown", vk); }
    void keyUp(Component*, unsigned vk, LPARAM) { add("onKeyUp", vk); }
    void character(Component*, unsigned* ch, LPARAM) { add("onChar", *ch); }
    void menu(Component*, int x, int y) { add("onContextMenu", x, y); }
    void bindAll(Component* c) {
        c->onResize.bind(this, &CallbackRecorder::resize);
        c->onTimer.bind(this, &CallbackRecorder::timer);
        c->onMouseDown.bind(this, &CallbackRecorder::down);
        c->onMouseUp.bind(this, &CallbackRecorder::up);
        c->onMouseMove.bind(this, &CallbackRecorder::move);
        c->onKeyDown.bind(this, &CallbackRecorder::keyDown);
        c->onKeyUp.bind(this, &CallbackRecorder::keyUp);
        c->onChar.bind(this, &CallbackRecorder::character);
        c->onContextMenu.bind(this, &CallbackRecorder::menu);
    }
};
}   // namespace

TEST_F(WindowTest, MessagesReachTheirCallbacks) {
    Probe* pad = new Probe(log, "pad", hiddenPopupStyle, nullptr, 0, 0, 100, 100);
    CallbackRecorder recorder;
    recorder.bindAll(pad);
    POINT cursor;
    GetCursorPos(&cursor);
    struct Row {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {WM_LBUTTONDOWN, 0, MAKELPARAM(3, 4), {"onMouseDown(3,4)"}},
        {WM_LBUTTONUP, 0, MAKELPARAM(3, 4), {"onMouseUp(3,4)"}},
        {WM_RBUTTONDOWN, 0, MAKELPARAM(5, 6), {"onMouseDown(5,6)"}},   // same callback as left
        // The default processing of a right-button release asks for the
        // context menu (in screen coordinates: the window sits at 0, 0).
        {WM_RBUTTONUP, 0, MAKELPARAM(5, 6), {"onMouseUp(5,6)", "onContextMenu(5,6)"}},
        {WM_MOUSEMOVE, 0, MAKELPARAM(-2, 7), {"onMouseMove(-2,7)"}},   // signed coordinates
        {WM_KEYDOWN, 'A', 0, {"onKeyDown(65,0)"}},
        {WM_SYSKEYDOWN, VK_F10, 0, {"onKeyDown(121,0)"}},
        {WM_KEYUP, 'A', 0, {"onKeyUp(65,0)"}},
        {WM_CHAR, 'x', 0, {"onChar(120,0)"}},
        {WM_TIMER, 42, 0, {"onTimer(42,0)"}},
        {WM_CONTEXTMENU, 0, MAKELPARAM(-20, 30), {"onContextMenu(-20,30)"}},
        {WM_CONTEXTMENU,
         0,
         MAKELPARAM(-1, -1),
         {"onContextMenu(" + std::to_string(cursor.x) + "," + std::to_string(cursor.y) + ")"}},
        {WM_NULL, 0, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << row.message);
        recorder.calls.clear();
        SendMessageA(pad->handle(), row.message, row.wParam, row.lParam);
        EXPECT_EQ(recorder.calls, row.calls);
    }
    ReleaseCapture();

    // A size change calls onResize once; a move alone does not.
    recorder.calls.clear();
    pad->resize(80, 60);
    pad->move(5, 5);
    pad->resize(80, 60);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"onResize(0,0)"}));

    // Unbinding silences a callback.
    pad->onTimer.clear();
    recorder.calls.clear();
    SendMessageA(pad->handle(), WM_TIMER, 1, 0);
    EXPECT_TRUE(recorder.calls.empty());
    delete pad;
}

TEST_F(WindowTest, CursorAndBroadcast) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr, 0, 0, 100, 100);
    Probe* a = new Probe(log, "a", childStyle, top->handle());
    Probe* b = new Probe(log, "b", childStyle, top->handle());
    EXPECT_EQ(SendMessageA(top->handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(top->handle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              0)
        << "without a cursor of its own the class cursor is used";
    HCURSOR cross = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_CROSS));
    top->setCursor(cross);
    EXPECT_EQ(SendMessageA(top->handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(top->handle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              1);
    EXPECT_EQ(GetCursor(), cross);

    struct Count {
        int seen = 0;
        void hook(Window*, MessageRecord& record) {
            if (record.message != WM_APP + 100) return;
            ++seen;
            record.result = 100 + seen;
            record.handled = true;
        }
    } count;
    a->messageHook.bind(&count, &Count::hook);
    b->messageHook.bind(&count, &Count::hook);
    EXPECT_EQ(top->broadcast(WM_APP + 100, 0, 0), 102) << "the last child's result";
    EXPECT_EQ(count.seen, 2);
    delete top;
}
