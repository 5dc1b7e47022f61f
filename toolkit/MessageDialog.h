// MessageDialog: a small modal dialog built from toolkit parts (no dialog
// resource): an etched panel with the message and one to four buttons in a
// row below it.  Used for the About box.
#pragma once

#include "toolkit/Component.h"

class Button;
class Panel;

class MessageDialog : public Component {
public:
    static constexpr int maxButtons = 4;

    // owner: the window the dialog belongs to (its colours and font are
    // inherited from the owner's toolkit object, if it has one).  The button
    // count is clamped to 1..4; every button starts as "OK".
    MessageDialog(HWND owner, int buttonCount, const char* title);
    ~MessageDialog() override;

    // Escape ends the dialog with the escape result, once one is set.
    void escapePressed() override;

    // Sets a button's text; all buttons then share the size of the largest.
    void setButtonText(int index, const char* text);
    // Escape then chooses the button `index`.
    void setEscapeResult(int index);
    // Shows the text, runs the dialog modally and returns the chosen button's
    // index; Escape gives the escape button, closing the dialog -2.
    int showMessage(const char* text, bool centreOnScreen);

    Panel* messagePanel() const { return messagePanel_; }
    Button* button(int index) const;
    int buttonCount() const { return buttonCount_; }
    int escapeResult() const { return escapeResult_; }
    int result() const { return result_; }
    HWND owner() const { return owner_; }

private:
    Panel* messagePanel_ = nullptr;
    Button* buttons_[maxButtons] = {};
    int buttonCount_ = 1;
    int escapeResult_ = -1;
    int result_ = 0;
    HWND owner_ = nullptr;
};
