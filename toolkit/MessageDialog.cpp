#include "toolkit/MessageDialog.h"

#include "toolkit/Button.h"
#include "toolkit/Panel.h"

#include <algorithm>

namespace {

constexpr DWORD dialogStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION;
// WS_EX_NOPARENTNOTIFY keeps the dialog out of the owner object's children:
// it inherits the owner's style without being laid out or deleted with it.
constexpr DWORD dialogExStyle = WS_EX_NOPARENTNOTIFY | WS_EX_TOPMOST;
constexpr DWORD panelStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;

}   // namespace

MessageDialog::MessageDialog(HWND owner, int buttonCount, const char* title)
    : Component(title, dialogStyle, dialogExStyle, 0, 0, 100, 100, owner), owner_(owner) {
    messagePanel_ = new Panel("", handle(), 0, 0, 10, 10, panelStyle);
    messagePanel_->setBevelStyle(BevelStyle::etched);
    buttonCount_ = std::max(1, std::min(buttonCount, maxButtons));
    for (int i = 0; i < buttonCount_; ++i) {
        buttons_[i] = new Button("", handle(), 0, 0, 20, 10, buttonStyle);
        buttons_[i]->setModalResult(i + 1);
        buttons_[i]->setBevelDepth(2);
    }
    escapeResult_ = -1;
    for (int i = 0; i < buttonCount_; ++i) setButtonText(i, "OK");
}

// The panel and the buttons are children: the Component teardown deletes them.
MessageDialog::~MessageDialog() = default;

Button* MessageDialog::button(int index) const {
    return (index >= 0 && index < buttonCount_) ? buttons_[index] : nullptr;
}

void MessageDialog::escapePressed() {
    Component::escapePressed();
    if (escapeResult_ != -1) endModal(escapeResult_);
}

void MessageDialog::setButtonText(int index, const char* text) {
    Button* b = button(index);
    if (!b) return;
    b->setText(text);
    b->fitToText();
    b->resize(2 * b->width(), b->height() * 5 / 4);
    // One size for all: the widest width and the greatest height, so no
    // button ends up smaller than its own text.
    int width = 0;
    int height = 0;
    for (int i = 0; i < buttonCount_; ++i) {
        width = std::max(width, buttons_[i]->width());
        height = std::max(height, buttons_[i]->height());
    }
    for (int i = 0; i < buttonCount_; ++i) {
        if (buttons_[i]->width() != width || buttons_[i]->height() != height) {
            buttons_[i]->resize(width, height);
        }
    }
}

void MessageDialog::setEscapeResult(int index) { escapeResult_ = index + 1; }

int MessageDialog::showMessage(const char* text, bool centreOnScreen) {
    messagePanel_->setText(text);
    messagePanel_->fitToText();
    messagePanel_->resize(messagePanel_->width() + 2 * textHeight(),
                          messagePanel_->height() + 2 * textHeight());

    // The reference is the owner's top-level window: a child control as
    // owner would centre the dialog on a button-sized area.
    HWND reference = owner_;
    while (reference && (GetWindowLongA(reference, GWL_STYLE) & WS_CHILD)) {
        HWND up = GetParent(reference);
        if (!up) break;
        reference = up;
    }
    RECT area{0, 0, 0, 0};
    if (centreOnScreen) {
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    } else if (reference) {
        GetWindowRect(reference, &area);
    }

    const int buttonWidth = buttons_[0]->width();
    int clientWidth = std::max(messagePanel_->width(), 10 * buttonCount_ + 10);
    const int clientHeight = messagePanel_->height() + buttons_[0]->height() + 20;
    int freeSpace;
    if (buttonCount_ * buttonWidth < clientWidth) {
        freeSpace = clientWidth - buttonCount_ * buttonWidth;
    } else {
        clientWidth = (buttonWidth + 10) * buttonCount_ + 10;
        messagePanel_->setDock(Dock::topInside);
        freeSpace = 10 * buttonCount_ + 10;
    }
    setClientSize(clientWidth, clientHeight);
    // Centred after the final size is known, so a row of wide buttons does
    // not push the dialog off-centre.
    const int x = std::max<int>(0, (area.right - area.left - width()) / 2 + area.left);
    const int y = std::max<int>(0, (area.bottom - area.top - height()) / 2 + area.top);
    move(x, y);

    const int gap = freeSpace / (buttonCount_ + 1);
    const int rest = freeSpace - (buttonCount_ + 1) * gap;
    const int rowY = messagePanel_->y() + messagePanel_->height() + 10;
    for (int i = 0; i < buttonCount_; ++i) {
        buttons_[i]->move(rest / 2 + gap + (buttonWidth + gap) * i, rowY);
    }

    result_ = runModal(reference);
    return result_ - 1;
}
