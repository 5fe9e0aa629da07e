#pragma once
// COM for the picture decoders: each thread that decodes joins COM once, and
// interfaces are held by a small owner that releases them. Included only by
// the Win32 sources of this layer.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace platform::win32 {

// Joins COM on the calling thread once, for as long as the thread runs. A
// thread that joined already keeps its way.
void join_com_on_this_thread();

// An interface pointer that releases what it holds.
template <class T>
class Com {
public:
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    Com(Com&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~Com() { reset(); }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For calls that hand out a new reference.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

}  // namespace platform::win32
