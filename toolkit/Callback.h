// Callback: a bound member call (target object + member function of it), the
// toolkit's event mechanism.  Invoking an unbound callback does nothing, so a
// widget can fire its events without checking whether anyone listens.
//
//   button->onClick.bind(this, &MainWindow::getInfo);
//   onClick(this);   // calls this->getInfo(button) when bound
#pragma once

#include <cstring>

template <typename... Args>
class Callback {
public:
    Callback() { clear(); }

    // The method may belong to a base class of the target's class.
    template <class T, class U>
    void bind(T* target, void (U::*method)(Args...)) {
        static_assert(sizeof(method) <= sizeof(storage_), "member pointer too large");
        if (!target || !method) {
            clear();
            return;
        }
        target_ = static_cast<U*>(target);
        std::memset(storage_, 0, sizeof(storage_));
        std::memcpy(storage_, &method, sizeof(method));
        thunk_ = &invoke<U>;
    }

    void clear() {
        target_ = nullptr;
        thunk_ = nullptr;
        std::memset(storage_, 0, sizeof(storage_));
    }

    bool isBound() const { return target_ && thunk_; }
    const void* target() const { return target_; }

    void operator()(Args... args) const {
        if (isBound()) thunk_(target_, storage_, args...);
    }

private:
    using Thunk = void (*)(void*, const unsigned char*, Args...);

    // The member pointer's type is known only at bind time; the thunk
    // instantiated there restores it from the byte copy.
    template <class T>
    static void invoke(void* target, const unsigned char* storage, Args... args) {
        void (T::*method)(Args...);
        std::memcpy(&method, storage, sizeof(method));
        (static_cast<T*>(target)->*method)(args...);
    }

    void* target_;
    Thunk thunk_;
    // Member function pointers are two words in the Itanium ABI MinGW uses;
    // four leave room for compilers that make them larger.
    alignas(void*) unsigned char storage_[4 * sizeof(void*)];
};
