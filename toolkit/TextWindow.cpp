#include "toolkit/TextWindow.h"

#include "toolkit/Button.h"
#include "toolkit/Memo.h"
#include "toolkit/Panel.h"

namespace {

constexpr DWORD windowStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                              WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD barStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;
constexpr DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
constexpr DWORD memoStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_DLGFRAME |
                            WS_TABSTOP | ES_AUTOVSCROLL | ES_MULTILINE;
constexpr unsigned keyEscape = 27;

}   // namespace

TextWindow::TextWindow() : Component("Help", windowStyle, 0, 0, 0, 200, 200, nullptr) {
    buttonBar_ = new Panel("", handle(), 0, 0, 0, 40, barStyle);
    buttonBar_->setDock(Dock::bottomInside);
    closeButton_ = new Button("Close", buttonBar_->handle(), 0, 0, 30, 20, buttonStyle);
    closeButton_->setBevelDepth(2);
    memo_ = new Memo(handle(), 0, 0, 100, 100, memoStyle);
    memo_->setDock(Dock::fill);
    memo_->setScrollBar(true, -1);
    memo_->setReadOnly(true);
    memo_->setDoubleBuffered(true);

    closeButton_->onClick.bind(this, &TextWindow::closeClicked);
    closeButton_->onKeyDown.bind(this, &TextWindow::keyPressed);
    memo_->onKeyDown.bind(this, &TextWindow::keyPressed);
    buttonBar_->onResize.bind(this, &TextWindow::barResized);
}

// Memo, bar and button are children: the Component teardown deletes them.
TextWindow::~TextWindow() = default;

LRESULT TextWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        show(false);
        return 0;
    }
    return Component::handleMessage(message, wParam, lParam);
}

void TextWindow::closeClicked(Button*) { show(false); }

void TextWindow::keyPressed(Component*, unsigned vk, LPARAM) {
    if (vk == keyEscape) show(false);
}

void TextWindow::barResized(Component* bar) {
    closeButton_->move((bar->width() - closeButton_->width()) / 2,
                       (bar->height() - closeButton_->height()) / 2);
}

void TextWindow::showText(const char* text) {
    memo_->setText(text);
    closeButton_->fitToText();
    closeButton_->resize(2 * closeButton_->width(), closeButton_->height() * 5 / 4);
    buttonBar_->resize(width(), closeButton_->height() + 20);
    // The bar may keep its size while the button changed: centre it anyway.
    barResized(buttonBar_);
    show(true);
    SetForegroundWindow(handle());
}
