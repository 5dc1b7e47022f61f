// The child ring, object lookup and teardown of components.
#include "toolkit/PrivateMessages.h"
#include "toolkit/TypeTags.h"

#include "Probe.h"

TEST_F(WindowTest, ChildRingKeepsInsertionOrderBothWays) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr, 0, 0, 200, 100);
    Probe* a = new Probe(log, "a", childStyle, top->handle());
    EXPECT_EQ(top->firstChild(), a);
    EXPECT_EQ(a->nextSibling(), a) << "a lone child's ring is itself";
    EXPECT_EQ(a->prevSibling(), a);
    EXPECT_EQ(top->nextChild(nullptr, false), a);
    EXPECT_EQ(top->nextChild(a, false), nullptr);

    Probe* b = new Probe(log, "b", childStyle, top->handle());
    Probe* c = new Probe(log, "c", childStyle, top->handle());
    EXPECT_EQ(top->firstChild()->prevSibling(), c) << "the first child's predecessor is the last";

    std::vector<Component*> forwards, backwards;
    for (Component* x = top->nextChild(nullptr, false); x; x = top->nextChild(x, false))
        forwards.push_back(x);
    for (Component* x = top->nextChild(nullptr, true); x; x = top->nextChild(x, true)) backwards.push_back(x);
    EXPECT_EQ(forwards, (std::vector<Component*>{a, b, c}));
    EXPECT_EQ(backwards, (std::vector<Component*>{c, b, a}));

    Probe* other = new Probe(log, "other", hiddenPopupStyle, nullptr);
    Probe* stranger = new Probe(log, "stranger", childStyle, other->handle());
    EXPECT_EQ(top->nextChild(stranger, false), nullptr) << "not one of top's children";
    EXPECT_EQ(stranger->parent(), other);
    EXPECT_EQ(b->parent(), top);

    bool aAlive, bAlive, cAlive;
    a->watchLifetime(&aAlive);
    b->watchLifetime(&bAlive);
    c->watchLifetime(&cAlive);
    delete top;
    EXPECT_FALSE(aAlive || bAlive || cAlive) << "a component deletes its remaining children";
    delete other;
}

TEST_F(WindowTest, RemovingChildrenClearsFocusAndFirstChild) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr, 0, 0, 200, 100);
    Probe* a = new Probe(log, "a", tabStopStyle, top->handle());
    Probe* b = new Probe(log, "b", tabStopStyle, top->handle());
    // b reports that it has the focus (without taking the real focus, which
    // the system would hand on to a sibling when b's window goes).
    SendMessageA(top->handle(), PrivateMessage::focusReport, reinterpret_cast<WPARAM>(b->handle()),
                 reinterpret_cast<LPARAM>(b->handle()));
    ASSERT_EQ(top->focusedChild(), b);

    delete b;
    EXPECT_EQ(top->focusedChild(), nullptr) << "removing the focused child forgets it";
    EXPECT_EQ(top->firstChild(), a);
    EXPECT_EQ(a->nextSibling(), a);

    // A window that is not in the ring is ignored.
    Probe* outsider = new Probe(log, "outsider", hiddenPopupStyle, nullptr);
    top->removeChild(outsider);
    EXPECT_EQ(top->firstChild(), a);
    EXPECT_EQ(outsider->nextSibling(), outsider);

    delete a;
    EXPECT_EQ(top->firstChild(), nullptr) << "removing the only child empties the ring";
    EXPECT_EQ(top->nextChild(nullptr, false), nullptr);
    delete outsider;
    delete top;
}

TEST_F(WindowTest, NativeWindowDestroyedFromOutsideDeletesItsObject) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr, 0, 0, 200, 100);
    Probe* a = new Probe(log, "a", childStyle, top->handle());
    Probe* b = new Probe(log, "b", childStyle, top->handle());
    Probe* grandchild = new Probe(log, "g", childStyle, b->handle());
    bool bAlive, gAlive, topAlive, aAlive;
    b->watchLifetime(&bAlive);
    grandchild->watchLifetime(&gAlive);
    HWND bWindow = b->handle();

    DestroyWindow(bWindow);
    EXPECT_FALSE(bAlive);
    EXPECT_FALSE(gAlive) << "its children go with it";
    EXPECT_FALSE(IsWindow(bWindow));
    EXPECT_EQ(top->firstChild(), a);
    EXPECT_EQ(a->nextSibling(), a);
    EXPECT_EQ(Component::fromHandle(bWindow), nullptr);

    top->watchLifetime(&topAlive);
    a->watchLifetime(&aAlive);
    DestroyWindow(top->handle());
    EXPECT_FALSE(topAlive);
    EXPECT_FALSE(aAlive);
}

TEST_F(WindowTest, FromHandleRecognisesOnlyToolkitWindows) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr);
    EXPECT_EQ(Component::fromHandle(top->handle()), top);
    EXPECT_EQ(top->typeTag(), TypeTag::component);

    HWND foreign = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(Component::fromHandle(foreign), nullptr) << "zero user data";
    static unsigned notAnElement[4] = {0, 0x12345678, 0, 0};
    SetWindowLongPtrA(foreign, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(notAnElement));
    EXPECT_EQ(Component::fromHandle(foreign), nullptr) << "a word outside the tag range";
    SetWindowLongPtrA(foreign, GWLP_USERDATA, 0x10);
    EXPECT_EQ(Component::fromHandle(foreign), nullptr) << "unreadable memory";
    DestroyWindow(foreign);
    EXPECT_EQ(Component::fromHandle(nullptr), nullptr);

    // A component made on a foreign parent has no style parent.
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    Probe* orphan = new Probe(log, "orphan", childStyle, host);
    EXPECT_EQ(orphan->parent(), nullptr);
    EXPECT_EQ(orphan->topLevel(), orphan);
    delete orphan;
    DestroyWindow(host);
    delete top;
}

TEST_F(WindowTest, ChildAddedArrivesLaterAndOnlyForChildrenStillPresent) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr);
    Probe* a = new Probe(log, "a", childStyle, top->handle());
    Probe* gone = new Probe(log, "gone", childStyle, top->handle());
    delete gone;
    log.clear();
    pumpMessages();
    EXPECT_SEQUENCE(log, {{"top", Op::childAdded, reinterpret_cast<long>(a)}});
    delete top;
}

TEST_F(WindowTest, DialogStyleChildInheritsButStaysOutOfTheRing) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr);
    top->setTextColor(0x123456);
    Probe* dialog = new Probe(log, "dialog", WS_POPUP, top->handle(), 0, 0, 50, 50, WS_EX_NOPARENTNOTIFY);
    EXPECT_EQ(top->firstChild(), nullptr);
    EXPECT_EQ(dialog->parent(), top);
    EXPECT_EQ(dialog->textColor(), 0x123456);
    EXPECT_EQ(dialog->topLevel(), dialog);
    delete dialog;
    delete top;
}

TEST_F(WindowTest, TopLevelClimbsToTheRoot) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr);
    Probe* mid = new Probe(log, "mid", childStyle, top->handle());
    Probe* leaf = new Probe(log, "leaf", childStyle, mid->handle());
    EXPECT_EQ(leaf->topLevel(), top);
    EXPECT_EQ(mid->topLevel(), top);
    EXPECT_EQ(top->topLevel(), top);
    delete top;
}

TEST_F(WindowTest, AttachNativeMakesTheControlTheComponentsWindow) {
    Probe* top = new Probe(log, "top", hiddenPopupStyle, nullptr, 0, 0, 200, 100);
    Probe* wrapper = new Probe(log, "wrapper", WS_CHILD, top->handle());
    HWND placeholder = wrapper->handle();
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, top->handle(), nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    wrapper->attachNative(edit);
    EXPECT_FALSE(IsWindow(placeholder));
    EXPECT_EQ(wrapper->handle(), edit);
    EXPECT_EQ(Component::fromHandle(edit), wrapper);

    // The control still works through its own procedure.
    wrapper->setText("hello");
    EXPECT_STREQ(wrapper->text().c_str(), "hello");
    EXPECT_EQ(wrapper->textLength(), 5);
    char buffer[3];
    EXPECT_EQ(wrapper->getText(buffer, sizeof(buffer)), 2);
    EXPECT_STREQ(buffer, "he");

    // Keys reach the dispatcher first.
    log.clear();
    SendMessageA(edit, WM_KEYDOWN, 'X', 0);
    EXPECT_SEQUENCE(log, {{"wrapper", Op::keyDown, 'X'}});

    delete wrapper;
    EXPECT_FALSE(IsWindow(edit));
    delete top;
}

static testing::Environment* const cachesEmpty = testing::AddGlobalTestEnvironment(new CachesEmptyAtEnd);

TEST_F(WindowTest, StaleWindowClassIsReplacedOrTraced) {
    HINSTANCE instance = application().instance();
    auto registerStale = [instance] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.lpszClassName = Window::className();
        return RegisterClassA(&wc) != 0;
    };
    // No toolkit window exists now, so the class can be swapped.
    ASSERT_TRUE(UnregisterClassA(Window::className(), instance));
    ASSERT_TRUE(registerStale());
    Probe* fresh = new Probe(log, "fresh", hiddenPopupStyle, nullptr);
    WNDCLASSA info{};
    ASSERT_TRUE(GetClassInfoA(instance, Window::className(), &info));
    EXPECT_EQ(info.lpfnWndProc, &Window::windowProcedure);
    EXPECT_EQ(Component::fromHandle(fresh->handle()), fresh);
    delete fresh;

    // While a window of the stale class lives, it cannot be unregistered:
    // that is traced and construction goes on.
    ASSERT_TRUE(UnregisterClassA(Window::className(), instance));
    ASSERT_TRUE(registerStale());
    HWND stale = CreateWindowExA(0, Window::className(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 instance, nullptr);
    ASSERT_NE(stale, nullptr);
    application().setDebugOptions(true);
    DebugCapture capture;
    Probe* unlucky = new Probe(log, "unlucky", hiddenPopupStyle, nullptr);
    application().setDebugOptions(false);
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_NE(capture.lines()[0].find("\tTa sa class neunregistroval, bo error=1412\n"), std::string::npos)
        << capture.lines()[0];
    EXPECT_NE(unlucky->handle(), nullptr);
    delete unlucky;
    DestroyWindow(stale);
    ASSERT_TRUE(UnregisterClassA(Window::className(), instance));   // the next window registers anew
}
