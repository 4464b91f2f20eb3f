// What the shell's COM objects need of us: an interface pointer that is
// released when it goes, and ANSI text turned into the UTF-16 they take.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

template <class T> class TComPtr {
  public:
    TComPtr() = default;
    ~TComPtr() {
        if (Ptr_) Ptr_->Release();
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    T* operator->() const { return Ptr_; }
    T* Get() const { return Ptr_; }
    // Where a call that hands out the interface puts it.
    T** Out() { return &Ptr_; }
    void** Void() { return reinterpret_cast<void**>(&Ptr_); }

  private:
    T* Ptr_ = nullptr;
};

// The text in the ANSI code page as UTF-16; empty when it cannot be turned.
inline std::wstring WideFromAnsi(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::vector<wchar_t> wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    return std::wstring(wide.data());
}
