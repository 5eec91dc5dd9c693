// Windows: a pointer per thread for one module, whose owner is called back on each thread that
// set one, when that thread ends. For MinGW, whose thread-locals are emulated: the emulation may
// free a thread's block of thread-locals before the destructors of those thread-locals run, so a
// per-thread pool kept in them cannot be closed soundly at the thread's end.
//
// The value lives in a TLS index (read from the thread's own block, no call for the first 64
// indexes); the end is fiber-local storage's callback, which Windows runs on the ending thread
// among its other thread-exit notifications (other modules' thread-local destructors, DLL and
// TLS callbacks), in whatever order it chooses. After its end a thread reads EndedMark(): code that
// runs on it later (another module's late destructor) sees that the value is gone and must do
// without it, never set it again.
#pragma once

#ifdef _WIN32
#include <new>

#include "platform/Platform.h"
#if defined(__x86_64__) || defined(_M_X64)
#include <intrin.h>
#endif

namespace platform {

class ThreadKey {
public:
    using EndFunction = void(WINAPI*)(void* value);

    explicit ThreadKey(EndFunction end) : tls_(TlsAlloc()), fls_(FlsAlloc(end)) {
        if (tls_ == TLS_OUT_OF_INDEXES || fls_ == FLS_OUT_OF_INDEXES) Free();
    }
    // At the module's unload: Windows runs the end of every thread that still holds a value
    // (so that no callback is left into the module's code).
    ~ThreadKey() { Free(); }
    ThreadKey(const ThreadKey&) = delete;
    ThreadKey& operator=(const ThreadKey&) = delete;

    // The thread's value: null when it set none yet, EndedMark() after its end (or when there
    // is no key: none could be made, or the module is being unloaded).
    void* Get() const {
        const DWORD index = tls_;
        if (index == TLS_OUT_OF_INDEXES) return EndedMark();
#if defined(__x86_64__) || defined(_M_X64)
        if (index < 64) return reinterpret_cast<void*>(__readgsqword(0x1480 + index * sizeof(void*)));  // TEB.TlsSlots
#endif
        return TlsGetValue(index);
    }
    // Sets the thread's value, whose end will be called; false (nothing set) when it cannot.
    bool Set(void* value) {
        if (tls_ == TLS_OUT_OF_INDEXES) return false;
        if (!FlsSetValue(fls_, value)) return false;
        if (!TlsSetValue(tls_, value)) {
            FlsSetValue(fls_, nullptr);
            return false;
        }
        return true;
    }
    // Called by the end function: on the ending thread (not on another one that unloads the
    // module), the value is gone from now on.
    void MarkEnded(void* value) {
        if (tls_ != TLS_OUT_OF_INDEXES && TlsGetValue(tls_) == value) TlsSetValue(tls_, EndedMark());
    }
    static void* EndedMark() {
        static char mark;
        return &mark;
    }

private:
    void Free() {
        const DWORD fls = fls_, tls = tls_;
        tls_ = TLS_OUT_OF_INDEXES;
        fls_ = FLS_OUT_OF_INDEXES;
        if (fls != FLS_OUT_OF_INDEXES) FlsFree(fls);
        if (tls != TLS_OUT_OF_INDEXES) TlsFree(tls);
    }

    DWORD tls_;
    DWORD fls_;
};

// A T of each thread, on the heap: made (value-initialised) by the thread's first Get, and at the
// thread's end passed to End, then deleted. One key per T in each module.
template <class T, void (*End)(T&)>
class ThreadObject {
public:
    // The thread's T; null after the thread's end ran, or when none could be made.
    static T* Get() {
        ThreadKey& key = Key();
        void* value = key.Get();
        if (value) return value == ThreadKey::EndedMark() ? nullptr : static_cast<T*>(value);
        T* object = new (std::nothrow) T();
        if (object && !key.Set(object)) {
            delete object;
            object = nullptr;
        }
        return object;
    }

private:
    static ThreadKey& Key() {
        static ThreadKey key(&EndThread);
        return key;
    }
    static void WINAPI EndThread(void* value) {
        T* object = static_cast<T*>(value);
        End(*object);
        Key().MarkEnded(value);
        delete object;
    }
};

}  // namespace platform
#endif
