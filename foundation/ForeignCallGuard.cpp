// The guard frame lives on callGuarded's stack and is linked into the thread's
// exception list at fs:[0].  Layout (what the handler and the assembly below
// agree on):
//
//   +0  next      previous head of the list      \ the system's
//   +4  handler   guardHandler                    / EXCEPTION_REGISTRATION_RECORD
//   +8  ebp       callGuarded's frame pointer, to resume with
//   +12 code      where to store the exception code (may be null)
//   +16 fpucw     x87 control word at entry
//
// When an exception reaches the frame (every frame registered after it, i.e.
// the foreign library's own handlers, has declined it), the handler
//   1. stores the code,
//   2. calls RtlUnwind with the guard frame as target, which gives each frame
//      above it its unwind call (the library's cleanup handlers run) and leaves
//      fs:[0] pointing at the guard frame,
//   3. unlinks the guard frame and jumps back into callGuarded with its stack
//      and frame pointer restored, where the call returns false.  The x87 unit
//      is reset to an empty register stack and the entry control word, since a
//      fault in the middle of floating-point code can leave values pushed.
// Everything between the guard and the fault is simply discarded, which is why
// the guarded function must not own objects with destructors.

#include "foundation/ForeignCallGuard.h"
#include "foundation/Win32.h"

#if !defined(__i386__)
#error "The guard uses the 32-bit x86 exception list at fs:[0]"
#endif

namespace {

struct GuardFrame {
    void* next;
    void* handler;
    void* savedEbp;
    unsigned long* code;
    unsigned long fpuControlWord;
};

}   // namespace

extern "C" {
// Assembly below.  cdecl, so their names carry one leading underscore.
int q8GuardedCall(void (*fn)(void*), void* context, unsigned long* code);
void q8GuardUnwind(void* targetFrame, EXCEPTION_RECORD* record);
[[noreturn]] void q8GuardResume(GuardFrame* frame);
EXCEPTION_DISPOSITION q8GuardHandler(EXCEPTION_RECORD* record, void* establisherFrame, CONTEXT* contextRecord,
                                     void* dispatcherContext);
}

// Called by the system's dispatcher (cdecl, four arguments) for an exception
// that no newer frame handled, and again with EXCEPTION_UNWINDING when some
// older frame unwinds past us (then there is nothing to clean up).
extern "C" EXCEPTION_DISPOSITION q8GuardHandler(EXCEPTION_RECORD* record, void* establisherFrame, CONTEXT*,
                                                void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    GuardFrame* frame = static_cast<GuardFrame*>(establisherFrame);
    if (frame->code) *frame->code = record->ExceptionCode;
    q8GuardUnwind(frame, record);
    q8GuardResume(frame);
}

// Intel syntax for readability; switched back to AT&T at the end because the
// compiler's own output follows in the same assembler file.
__asm__(
    ".intel_syntax noprefix\n"
    ".text\n"

    // int q8GuardedCall(fn, context, code)
    ".globl _q8GuardedCall\n"
    ".def _q8GuardedCall; .scl 2; .type 32; .endef\n"
    "_q8GuardedCall:\n"
    "    push ebp\n"
    "    mov ebp, esp\n"
    "    push ebx\n"   // callee-saved registers: the
    "    push esi\n"   // foreign code may leave them in any
    "    push edi\n"   // state when it faults
    "    sub esp, 4\n"
    "    fnstcw word ptr [esp]\n"         // frame+16: x87 control word
    "    push dword ptr [ebp+16]\n"       // frame+12: code
    "    push ebp\n"                      // frame+8:  ebp to resume with
    "    push offset _q8GuardHandler\n"   // frame+4:  handler
    "    push dword ptr fs:[0]\n"         // frame+0:  next
    "    mov dword ptr fs:[0], esp\n"     // link the frame (ebp-32)
    "    push dword ptr [ebp+12]\n"
    "    call dword ptr [ebp+8]\n"
    "    lea esp, [ebp-32]\n"   // also right if fn popped its argument
    "    mov eax, dword ptr [esp]\n"
    "    mov dword ptr fs:[0], eax\n"   // unlink
    "    mov eax, 1\n"
    "    jmp 1f\n"
    ".globl _q8GuardResumePoint\n"
    "_q8GuardResumePoint:\n"   // from q8GuardResume: ebp restored,
    "    xor eax, eax\n"       // frame already unlinked
    "1:\n"
    "    lea esp, [ebp-12]\n"
    "    pop edi\n"
    "    pop esi\n"
    "    pop ebx\n"
    "    pop ebp\n"
    "    ret\n"

    // void q8GuardUnwind(targetFrame, record)
    // RtlUnwind does not preserve ebx, esi, edi or ebp on every Windows
    // version, so they are saved around it; it returns to the address after
    // the call (the target-IP argument is passed as that address for the
    // versions that jump there instead).
    ".globl _q8GuardUnwind\n"
    ".def _q8GuardUnwind; .scl 2; .type 32; .endef\n"
    "_q8GuardUnwind:\n"
    "    push ebp\n"
    "    push ebx\n"
    "    push esi\n"
    "    push edi\n"
    "    mov eax, dword ptr [esp+24]\n"   // record
    "    mov ecx, dword ptr [esp+20]\n"   // target frame
    "    push 0\n"                        // return value
    "    push eax\n"
    "    push offset 2f\n"
    "    push ecx\n"
    "    call _RtlUnwind@16\n"
    "2:\n"
    "    pop edi\n"
    "    pop esi\n"
    "    pop ebx\n"
    "    pop ebp\n"
    "    ret\n"

    // void q8GuardResume(frame): unlink the frame, restore callGuarded's
    // frame pointer and stack, continue at its resume point.
    ".globl _q8GuardResume\n"
    ".def _q8GuardResume; .scl 2; .type 32; .endef\n"
    "_q8GuardResume:\n"
    "    mov ecx, dword ptr [esp+4]\n"
    "    mov eax, dword ptr [ecx]\n"
    "    mov dword ptr fs:[0], eax\n"
    "    mov ebp, dword ptr [ecx+8]\n"
    "    mov esp, ecx\n"
    "    cld\n"
    "    fninit\n"
    "    fldcw word ptr [esp+16]\n"
    "    jmp _q8GuardResumePoint\n"
    ".att_syntax prefix\n");

bool callGuarded(void (*fn)(void* context), void* context, unsigned long* exceptionCode) {
    if (exceptionCode) *exceptionCode = 0;
    return q8GuardedCall(fn, context, exceptionCode) != 0;
}
