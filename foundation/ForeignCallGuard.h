// A guard around calls into libraries the program does not own (the receiver's
// API library, every plug-in).  An access violation or any other structured
// exception raised inside such a call is caught here and turned into a false
// result, so the report goes on with a line instead of a crash.
//
// MinGW g++ has no __try/__except, so the guard registers a structured-exception
// frame by hand on the thread's exception list (fs:[0] on 32-bit x86).  Frames
// the foreign library registers itself sit above ours and see the exception
// first; only what the library leaves unhandled reaches the guard.  No vectored
// handler: it would run before the library's own handlers and does not exist
// before Windows XP.
//
// Rules for fn: it must not own objects with destructors (after a caught fault
// the stack between the guard and the fault is discarded, destructors do not
// run), and no C++ exception may leave it (the unwinder cannot cross the
// foreign frames).  Keep it a small function that only calls the foreign code
// and stores the result in the context.
#pragma once

// Runs fn(context) inside a structured-exception frame registered on fs:[0].
// true: fn returned normally; false: a structured exception was caught
// (its code in *exceptionCode when not null).
bool callGuarded(void (*fn)(void* context), void* context, unsigned long* exceptionCode = nullptr);
