// Thin owners for Windows handles: each closes what it holds exactly once.
#pragma once

#include <windows.h>

class AutoCloseHandle {
public:
    explicit AutoCloseHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~AutoCloseHandle() { reset(); }
    AutoCloseHandle(const AutoCloseHandle&) = delete;
    AutoCloseHandle& operator=(const AutoCloseHandle&) = delete;

    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    void reset(HANDLE handle = nullptr) {
        if (valid()) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_;
};
