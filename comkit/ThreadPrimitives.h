#pragma once
// A lock and a per-thread slot for what lives as long as the DLL, made from the platform's
// own primitives. This toolchain's std::mutex and thread_local go through an emulation
// layer that creates handles, keys and memory on first use and keeps them after the DLL
// is unloaded: a host that loads and unloads the library would lose them every time. An
// SRW lock needs no handle and no clean-up; a TLS index is given back when the DLL goes.

#include <windows.h>

namespace morvel {

// Lockable (lock, unlock, try_lock), for std::lock_guard and std::unique_lock.
class SlimLock {
public:
    SlimLock() = default;
    SlimLock(const SlimLock&) = delete;
    SlimLock& operator=(const SlimLock&) = delete;

    void lock() noexcept { AcquireSRWLockExclusive(&lock_); }
    void unlock() noexcept { ReleaseSRWLockExclusive(&lock_); }
    bool try_lock() noexcept { return TryAcquireSRWLockExclusive(&lock_) != 0; }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

// One pointer-sized value per thread, 0 until the thread sets it. Meant for objects with
// static storage: the index is taken when the DLL loads and given back when it unloads.
// Should the platform have no index left, every thread reads 0 and writes are dropped.
class ThreadSlot {
public:
    ThreadSlot() noexcept : index_(TlsAlloc()) {}
    ~ThreadSlot()
    {
        if (index_ != TLS_OUT_OF_INDEXES) TlsFree(index_);
    }
    ThreadSlot(const ThreadSlot&) = delete;
    ThreadSlot& operator=(const ThreadSlot&) = delete;

    void* get() const noexcept { return index_ == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(index_); }
    void set(void* value) noexcept
    {
        if (index_ != TLS_OUT_OF_INDEXES) TlsSetValue(index_, value);
    }

private:
    DWORD index_;
};

}  // namespace morvel
