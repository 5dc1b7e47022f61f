#include "toolkit/Tooltips.h"

#include "foundation/DynamicCalls.h"
#include "toolkit/ApplicationContext.h"
#include "toolkit/Component.h"

#include <commctrl.h>

#include <cstring>

namespace {

// The tool record in its 44-byte layout (up to lParam, without the reserved
// pointer that newer common controls added): older comctl32 versions reject
// a cbSize they do not know.
constexpr UINT toolInfoSize = 44;
static_assert(sizeof(TTTOOLINFOA) >= toolInfoSize, "TOOLINFOA is smaller than its 44-byte form");

void fillToolInfo(TTTOOLINFOA& info, Component* component, UINT flags, char* text) {
    std::memset(&info, 0, sizeof(info));
    info.cbSize = toolInfoSize;
    info.uFlags = flags;
    info.hwnd = component->handle();
    info.uId = reinterpret_cast<UINT_PTR>(component->handle());
    info.hinst = application().instance();
    info.lpszText = text;
}

// InitCommonControlsEx arrived with later common-control versions; the first
// Windows 95 release only has InitCommonControls.  The newer one comes from
// the run-time table, with the older as the fallback.
void initialiseCommonControls() {
    if (auto initEx = dynamicCalls().initCommonControlsEx) {
        INITCOMMONCONTROLSEX request;
        request.dwSize = 8;
        request.dwICC = 0xFF;
        initEx(&request);
    } else {
        InitCommonControls();
    }
}

void destroyShared(Tooltips* tooltips) { delete tooltips; }

}   // namespace

Tooltips::Tooltips() = default;

Tooltips::~Tooltips() { destroy(); }

Tooltips& Tooltips::shared() {
    ApplicationContext& app = application();
    if (!app.tooltips()) {
        Tooltips* tooltips = new Tooltips;
        tooltips->create();
        app.setTooltips(tooltips, &destroyShared);
    }
    return *app.tooltips();
}

void Tooltips::create() {
    if (window_) return;
    initialiseCommonControls();
    window_ = CreateWindowExA(
        0, "tooltips_class32", nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, application().instance(), nullptr);
    if (window_) {
        SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
}

void Tooltips::destroy() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
}

LRESULT Tooltips::addTool(Component* component, UINT flags) {
    if (!window_ || !component) return 0;
    // A maximum width makes the tip wrap and honour line breaks in its text.
    SendMessageA(window_, TTM_SETMAXTIPWIDTH, 0, 1024);
    char empty[1] = {0};
    TTTOOLINFOA info;
    fillToolInfo(info, component, flags, (flags & TTF_TRACK) ? LPSTR_TEXTCALLBACKA : empty);
    return SendMessageA(window_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltips::updateText(Component* component, const char* text) {
    if (!window_ || !component) return;
    TTTOOLINFOA info;
    fillToolInfo(info, component, 0, const_cast<char*>(text ? text : ""));
    SendMessageA(window_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltips::removeTool(Component* component) {
    if (!window_ || !component) return;
    TTTOOLINFOA info;
    fillToolInfo(info, component, 0, nullptr);
    SendMessageA(window_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

int Tooltips::toolCount() const {
    return window_ ? static_cast<int>(SendMessageA(window_, TTM_GETTOOLCOUNT, 0, 0)) : 0;
}

// Component's tooltip calls live here, with the rest of the tooltip code.
void Component::setTooltip(const char* text) {
    Tooltips& tooltips = Tooltips::shared();
    if (!tooltipRegistered()) {
        tooltips.addTool(this, Tooltips::componentToolFlags);
        setTooltipRegistered(true);
    }
    tooltips.updateText(this, text);
}

void Component::removeTooltip() {
    if (!tooltipRegistered()) return;
    setTooltipRegistered(false);
    // A tool exists only if the context made the tooltip object: never make
    // one (or a context) just to remove nothing.
    if (Tooltips* tooltips = applicationTooltips()) tooltips->removeTool(this);
}
