#pragma once
// A re-entrant lock: the thread that holds it may enter again, and must leave as often.
#include <mutex>

class TCriticalSection {
public:
    void enter() { mutex_.lock(); }
    void leave() { mutex_.unlock(); }
    bool tryEnter() { return mutex_.try_lock(); }
    // For std::lock_guard / std::unique_lock.
    void lock() { enter(); }
    void unlock() { leave(); }

private:
    std::recursive_mutex mutex_;
};

// Holds a critical section for the life of a scope.
class TCriticalLock {
public:
    explicit TCriticalLock(TCriticalSection& cs) : cs_(cs) { cs_.enter(); }
    ~TCriticalLock() { cs_.leave(); }
    TCriticalLock(const TCriticalLock&) = delete;
    TCriticalLock& operator=(const TCriticalLock&) = delete;

private:
    TCriticalSection& cs_;
};
