#pragma once

#include <mutex>

namespace zor {

// Re-entrant for the thread that holds it. Inline code only: each module has its own.
class ThreadLock {
public:
    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

// Holds a ThreadLock for its scope.
class ThreadLockHandle {
public:
    explicit ThreadLockHandle(ThreadLock& lock) : lock_(lock) { lock_.Lock(); }
    ~ThreadLockHandle() { lock_.Unlock(); }
    ThreadLockHandle(const ThreadLockHandle&) = delete;
    ThreadLockHandle& operator=(const ThreadLockHandle&) = delete;

private:
    ThreadLock& lock_;
};

}  // namespace zor
