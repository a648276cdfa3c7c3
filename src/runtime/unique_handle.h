// A move-only owner of one platform handle, with its close function in its type:
// UniqueHandle<HGLOBAL, GlobalFree>. Null is the invalid value; use it inside routines
// so that every return path closes what the routine opened.
#pragma once

#include <utility>

namespace rt {

template <class T, auto Close>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    T get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != T{}; }
    // Hands the handle on; the owner keeps nothing.
    T release() noexcept { return std::exchange(handle_, T{}); }
    void reset(T handle = T{}) noexcept {
        if (handle_ != T{}) Close(handle_);
        handle_ = handle;
    }

private:
    T handle_ = T{};
};

}  // namespace rt
