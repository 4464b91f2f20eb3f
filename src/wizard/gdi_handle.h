// Owns one GDI object (font, bitmap, brush) and deletes it when it goes.
#pragma once

#include <windows.h>

#include <utility>

template <typename THandle> class TGdiHandle {
  public:
    TGdiHandle() = default;
    explicit TGdiHandle(THandle handle) : Handle_(handle) {}
    ~TGdiHandle() { Reset(); }
    TGdiHandle(TGdiHandle&& other) noexcept : Handle_(std::exchange(other.Handle_, nullptr)) {}
    TGdiHandle& operator=(TGdiHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            Handle_ = std::exchange(other.Handle_, nullptr);
        }
        return *this;
    }
    TGdiHandle(const TGdiHandle&) = delete;
    TGdiHandle& operator=(const TGdiHandle&) = delete;

    THandle Get() const { return Handle_; }
    void Reset(THandle handle = nullptr) {
        if (Handle_) DeleteObject(Handle_);
        Handle_ = handle;
    }

  private:
    THandle Handle_ = nullptr;
};

using TFontHandle = TGdiHandle<HFONT>;
using TBitmapHandle = TGdiHandle<HBITMAP>;
