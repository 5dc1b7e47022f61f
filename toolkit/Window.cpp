#include "toolkit/Window.h"

#include "toolkit/ApplicationContext.h"
#include "toolkit/Component.h"
#include "toolkit/TypeTags.h"

namespace {

// The style parent as a Component, when it is one (only Components keep
// children; a bare Window never does).
Component* asComponent(Element* element) {
    if (!element) return nullptr;
    unsigned tag = element->typeTag();
    if (tag < TypeTag::first || tag > TypeTag::last || tag == TypeTag::window) return nullptr;
    return static_cast<Component*>(static_cast<Window*>(element));
}

}   // namespace

Element* Window::styleParentOf(HWND parentWindow) {
    return parentWindow ? windowFromHandle(parentWindow) : nullptr;
}

Window::Window(const char* title, DWORD style, DWORD exStyle, int x, int y, int width, int height,
               HWND parentWindow)
    : Element(styleParentOf(parentWindow)) {
    messageHook.clear();
    setTypeTag(TypeTag::window);
    registerClass(this);
    destroying_ = false;
    previousProc_ = DefWindowProcA;
    prevSibling_ = this;
    nextSibling_ = this;
    if (!(exStyle & WS_EX_NOPARENTNOTIFY)) {
        if (Component* parentComponent = asComponent(parent())) parentComponent->addChild(this);
    }
    // The object rides along as the creation parameter; the window procedure
    // binds it on WM_NCCREATE and sets hwnd_ there already.
    HWND created = CreateWindowExA(exStyle, className(), title ? title : "", style, x, y, width, height,
                                   parentWindow, nullptr, application().instance(), this);
    hwnd_ = created;
}

Window::~Window() {
    destroying_ = true;
    if (Component* parentComponent = asComponent(parent())) parentComponent->removeChild(this);
    if (hwnd_) {
        HWND window = hwnd_;
        forgetWindow();
        DestroyWindow(window);
    }
}

void Window::registerClass(Window* tracer) {
    HINSTANCE instance = application().instance();
    WNDCLASSA existing{};
    BOOL registered = GetClassInfoA(instance, className(), &existing);
    if (registered && existing.lpfnWndProc == &Window::windowProcedure) return;
    // A stale registration (another copy of the toolkit in the same module
    // space) would send our windows to a procedure that does not know them.
    if (registered && !UnregisterClassA(className(), instance)) {
        application().trace(tracer, 0, "Ta sa class neunregistroval, bo error=%d",
                            static_cast<int>(GetLastError()));
    }
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &Window::windowProcedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = className();
    RegisterClassA(&wc);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return defaultProcessing(message, wParam, lParam);
}

LRESULT Window::defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
    MessageRecord record{message, wParam, lParam, 0, false};
    messageHook(this, record);
    if (record.handled) return record.result;
    return CallWindowProcA(previousProc_, hwnd_, message, wParam, lParam);
}

void Window::setNext(Window* next) {
    nextSibling_ = next;
    if (next) next->setPrev(this);
}

void Window::setPrev(Window* previous) {
    prevSibling_ = previous;
    // Both links of a pair are set by whichever side is called first; the
    // reciprocal call only completes the other side, so it must not recurse.
    if (previous && previous->nextSibling_ != this) previous->setNext(this);
}

bool Window::isDestroying() const { return destroying_; }

Window* Window::windowFromHandle(HWND window) {
    if (!window) return nullptr;
    Window* object = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!object) return nullptr;
    // Foreign windows keep anything in their user data; only a readable word
    // in our tag range identifies one of ours.
    // The tag sits in the TaggedObject header that begins every toolkit
    // object; the whole header must be readable before it is looked at.
    const TaggedObject* header = static_cast<Element*>(object);
    unsigned tag = IsBadReadPtr(header, sizeof(TaggedObject)) ? 0 : header->typeTag();
    if (tag < TypeTag::first || tag > TypeTag::last) return nullptr;
    return object;
}

void Window::forgetWindow() {
    if (!hwnd_) return;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    // A subclassed control must get its own procedure back, or it would miss
    // WM_NCDESTROY and leak its internal state.
    if (previousProc_ != DefWindowProcA &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd_, GWLP_WNDPROC)) == &Window::windowProcedure)
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    hwnd_ = nullptr;
}

void Window::attachNative(HWND control) {
    if (!control) return;
    HWND placeholder = hwnd_;
    if (placeholder) {
        SetWindowLongPtrA(placeholder, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
        SetWindowLongPtrA(placeholder, GWLP_USERDATA, 0);
        DestroyWindow(placeholder);
    }
    hwnd_ = control;
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::windowProcedure)));
    HWND parentWindow = nullptr;
    if (Window* parentObject = static_cast<Window*>(asComponent(parent())))
        parentWindow = parentObject->handle();
    if (!parentWindow) parentWindow = GetParent(control);
    if (parentWindow)
        SendMessageA(parentWindow, WM_PARENTNOTIFY, WM_CREATE, reinterpret_cast<LPARAM>(control));
}

LRESULT CALLBACK Window::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_NCCREATE || message == WM_CREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            if (create && create->lpCreateParams) {
                Window* object = static_cast<Window*>(create->lpCreateParams);
                SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
                object->hwnd_ = window;
            }
        }
        Window* object = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!object) return DefWindowProcA(window, message, wParam, lParam);
        LRESULT result = object->handleMessage(message, wParam, lParam);
        if (message == WM_DESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            if (!object->isDestroying()) {
                // Destroyed from outside (e.g. with its parent window): the
                // object goes too, without touching the dying window again.
                object->forgetWindow();
                delete object;
            }
        }
        return result;
    } catch (...) {
        // Nothing may unwind through the system's frames.
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
