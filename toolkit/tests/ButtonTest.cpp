// Buttons: clicks only on release over the button, auto-repeat of onPress
// by its two timers, keyboard, toggle groups and modal results.
#include "toolkit/Button.h"
#include "toolkit/PrivateMessages.h"

#include "WidgetTest.h"

#include <functional>
#include <vector>

namespace {

constexpr DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;

class Recorder {
public:
    int clicks = 0, presses = 0, toggles = 0;
    int modalResultAtClick = 0;
    Component* modalOwner = nullptr;
    void click(Button*) {
        ++clicks;
        if (modalOwner) modalResultAtClick = modalOwner->modalResult();
    }
    void press(Button*) { ++presses; }
    void toggle(Button*) { ++toggles; }
    void attach(Button* b) {
        b->onClick.bind(this, &Recorder::click);
        b->onPress.bind(this, &Recorder::press);
        b->onToggle.bind(this, &Recorder::toggle);
    }
};

class ButtonTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        button = new Button("Get\nInfo", host->handle(), 10, 10, 60, 40, buttonStyle);
        recorder.attach(button);
    }
    Button* button = nullptr;
    Recorder recorder;
};

}   // namespace

TEST_F(ButtonTest, ClickCountsOnlyWhenReleasedOverTheButton) {
    struct Row {
        const char* what;
        std::vector<POINT> moves;
        int clicks;
    };
    const Row rows[] = {
        {"press and release in place", {}, 1},
        {"dragged out, released outside", {{30, 20}, {200, 200}}, 0},
        {"dragged out and back in", {{200, 200}, {30, 20}}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        recorder.clicks = 0;
        HWND w = button->handle();
        mouseDown(w, 20, 20);
        EXPECT_TRUE(button->isPressed());
        EXPECT_EQ(button->bevelStyle(), BevelStyle::sunkenBevel);
        for (const POINT& p : row.moves) dragTo(w, p.x, p.y);
        const POINT last = row.moves.empty() ? POINT{20, 20} : row.moves.back();
        mouseUp(w, last.x, last.y);
        EXPECT_EQ(recorder.clicks, row.clicks);
        EXPECT_FALSE(button->isPressed());
        EXPECT_EQ(button->bevelStyle(), BevelStyle::raisedBevel) << "raised again after release";
    }
}

TEST_F(ButtonTest, HeldButtonRepeatsOnPressByItsTwoTimers) {
    HWND w = button->handle();
    mouseDown(w, 20, 20);
    EXPECT_EQ(recorder.presses, 1) << "at once";
    tick(w, Button::repeatDelayTimer);
    EXPECT_EQ(recorder.presses, 2) << "after the first delay";
    for (int i = 0; i < 10; ++i) tick(w, Button::repeatTimer);
    EXPECT_EQ(recorder.presses, 12) << "then once per repeat tick";
    tick(w, 999);
    EXPECT_EQ(recorder.presses, 12) << "a foreign timer on the button does not press";
    EXPECT_TRUE(timerRunning(w, Button::repeatTimer)) << "the delay timer hands over to the repeat timer";
    EXPECT_FALSE(timerRunning(w, Button::repeatDelayTimer));

    mouseDown(w, 20, 20);
    mouseUp(w, 20, 20);
    EXPECT_FALSE(timerRunning(w, Button::repeatDelayTimer)) << "release stops the repeat";
    EXPECT_FALSE(timerRunning(w, Button::repeatTimer));
}

// A press whose release never comes here: the capture taken by another
// window, WM_CANCELMODE, or the focus moving away.  The press ends without a
// click, the button is drawn up again and stops repeating.
TEST_F(ButtonTest, PressEndsWhenTheCaptureOrTheFocusGoesElsewhere) {
    HWND w = button->handle();
    struct Row {
        const char* what;
        bool withSpace;   // held with the Space key instead of the mouse
        std::function<void()> cancel;
    } rows[] = {
        {"capture taken by another window", false, [&] { SetCapture(host->handle()); }},
        {"WM_CANCELMODE", false, [&] { SendMessageA(w, WM_CANCELMODE, 0, 0); }},
        {"focus moved away", false, [&] { SetFocus(host->handle()); }},
        {"Space held, focus moved away", true, [&] { SetFocus(host->handle()); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        recorder.clicks = recorder.presses = 0;
        SetFocus(w);
        if (row.withSpace)
            keyDown(w, VK_SPACE);
        else
            mouseDown(w, 20, 20);
        ASSERT_TRUE(button->isPressed());
        row.cancel();
        EXPECT_FALSE(button->isPressed());
        EXPECT_EQ(button->bevelStyle(), BevelStyle::raisedBevel) << "drawn up again";
        EXPECT_EQ(recorder.clicks, 0);
        EXPECT_FALSE(timerRunning(w, Button::repeatDelayTimer)) << "no more repeats";
        EXPECT_FALSE(timerRunning(w, Button::repeatTimer));
        ReleaseCapture();
    }
}

TEST_F(ButtonTest, EnterClicksAndSpaceClicksOnRelease) {
    HWND w = button->handle();
    keyDown(w, VK_RETURN);
    EXPECT_EQ(recorder.clicks, 1);

    keyDown(w, VK_SPACE);
    EXPECT_TRUE(button->isPressed());
    keyDown(w, VK_SPACE);   // keyboard auto-repeat
    EXPECT_EQ(recorder.presses, 2) << "each Space key-down presses";
    EXPECT_EQ(recorder.clicks, 1) << "no click before the key comes up";
    keyUp(w, VK_SPACE);
    EXPECT_EQ(recorder.clicks, 2);
    EXPECT_FALSE(button->isPressed());
}

TEST_F(ButtonTest, ToggleGroupOfThreeWithAndWithoutAllowNone) {
    Button* b[3] = {button, new Button("2", host->handle(), 80, 10, 60, 40, buttonStyle),
                    new Button("3", host->handle(), 150, 10, 60, 40, buttonStyle)};
    Component* linked = new Component("linked", WS_CHILD | WS_VISIBLE, 0, 250, 10, 20, 20, host->handle());
    for (Button* x : b) x->setGroup(7);
    b[2]->setLinked(linked);
    EXPECT_FALSE(linked->isEnabled()) << "linked follows the unchecked state at once";

    auto click = [](Button* x) { keyDown(x->handle(), VK_RETURN); };
    auto state = [&] { return std::vector<bool>{b[0]->isChecked(), b[1]->isChecked(), b[2]->isChecked()}; };

    click(b[0]);
    EXPECT_EQ(state(), (std::vector<bool>{true, false, false}));
    click(b[0]);
    EXPECT_EQ(state(), (std::vector<bool>{true, false, false})) << "the last checked button stays checked";
    click(b[2]);
    EXPECT_EQ(state(), (std::vector<bool>{false, false, true})) << "the check moves";
    EXPECT_TRUE(linked->isEnabled());
    EXPECT_EQ(b[0]->bevelStyle(), BevelStyle::raisedBevel);
    EXPECT_EQ(b[2]->bevelStyle(), BevelStyle::sunkenBevel) << "checked looks pressed";
    EXPECT_FALSE(b[2]->setChecked(false)) << "setChecked cannot empty the group either";
    EXPECT_TRUE(b[2]->isChecked());

    b[1]->setAllowNone(true);   // applies to the whole group
    click(b[2]);
    EXPECT_EQ(state(), (std::vector<bool>{false, false, false})) << "allowNone lets it uncheck";
    EXPECT_FALSE(linked->isEnabled());
}

TEST_F(ButtonTest, ModalResultEndsTheRunBeforeOnClick) {
    Component* dialog = new Component("modal", WS_POPUP | WS_CAPTION, 0, 50, 50, 200, 100, nullptr);
    Button* ok = new Button("OK", dialog->handle(), 10, 10, 60, 30, buttonStyle);
    ok->setModalResult(2);
    Recorder r;
    r.attach(ok);
    r.modalOwner = dialog;
    PostMessageA(ok->handle(), WM_KEYDOWN, VK_RETURN, 1);
    int result;
    {
        ModalGuard guard;
        result = dialog->runModal();
    }
    EXPECT_EQ(result, 2);
    EXPECT_EQ(r.clicks, 1);
    EXPECT_EQ(r.modalResultAtClick, 2) << "the run's result was set before onClick ran";

    // Outside a modal run the result climbs to the parent and ends nothing there.
    button->setModalResult(3);
    keyDown(button->handle(), VK_RETURN);
    EXPECT_EQ(recorder.clicks, 1);
    delete dialog;
}
