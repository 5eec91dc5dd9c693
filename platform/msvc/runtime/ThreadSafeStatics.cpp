// Thread-safe initialisation of function-local statics, by the protocol the compiler follows
// in Microsoft's ABI: a guard per static (0: not made, -1: being made, otherwise the epoch in
// which it was made) and a per-thread epoch, so that a thread that has seen a static made
// checks it without a lock. Threads that find a static being made wait for it.
#include <limits.h>
#include <windows.h>

extern "C" {
int _Init_global_epoch = INT_MIN;
__declspec(thread) int _Init_thread_epoch = INT_MIN;
}

namespace {
constexpr int kUninitialized = 0;
constexpr int kBeingInitialized = -1;
SRWLOCK lock = SRWLOCK_INIT;
CONDITION_VARIABLE madeOrAbandoned = CONDITION_VARIABLE_INIT;
}  // namespace

extern "C" {

// On return, *guard is kBeingInitialized when the caller is to make the static.
void __cdecl _Init_thread_header(int* guard) {
    AcquireSRWLockExclusive(&lock);
    for (;;) {
        if (*guard == kUninitialized) {
            *guard = kBeingInitialized;
            break;
        }
        if (*guard != kBeingInitialized) {
            _Init_thread_epoch = _Init_global_epoch;
            break;
        }
        SleepConditionVariableSRW(&madeOrAbandoned, &lock, INFINITE, 0);
    }
    ReleaseSRWLockExclusive(&lock);
}

void __cdecl _Init_thread_footer(int* guard) {
    AcquireSRWLockExclusive(&lock);
    ++_Init_global_epoch;
    *guard = _Init_global_epoch;
    _Init_thread_epoch = _Init_global_epoch;
    ReleaseSRWLockExclusive(&lock);
    WakeAllConditionVariable(&madeOrAbandoned);
}

// The static's initialiser threw: another caller may try again.
void __cdecl _Init_thread_abort(int* guard) {
    AcquireSRWLockExclusive(&lock);
    *guard = kUninitialized;
    ReleaseSRWLockExclusive(&lock);
    WakeAllConditionVariable(&madeOrAbandoned);
}

}  // extern "C"
