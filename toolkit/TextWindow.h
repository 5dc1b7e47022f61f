// TextWindow: a modeless top-level window with a read-only memo and a
// "Close" button, used for the help text.  Closing only hides it; it lives
// as long as its owner and is shown again with showText().
#pragma once

#include "toolkit/Component.h"

class Button;
class Memo;
class Panel;

class TextWindow : public Component {
public:
    TextWindow();
    ~TextWindow() override;

    // WM_CLOSE hides the window instead of destroying it.
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Puts the text into the memo, sizes the button bar and shows the window
    // in front.
    void showText(const char* text);

    Memo* memo() const { return memo_; }
    Button* closeButton() const { return closeButton_; }
    Panel* buttonBar() const { return buttonBar_; }

private:
    void closeClicked(Button* button);
    void keyPressed(Component* source, unsigned vk, LPARAM flags);
    void barResized(Component* bar);

    Memo* memo_ = nullptr;
    Button* closeButton_ = nullptr;
    Panel* buttonBar_ = nullptr;
};
