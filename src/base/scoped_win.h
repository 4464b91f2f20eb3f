// Handles that close themselves: one template, a small traits struct per
// kind of handle (what "no handle" is, how it is closed). Move-only.
#pragma once

#include <windows.h>

#include <utility>

template <typename TTraits> class TScoped {
  public:
    using THandle = typename TTraits::THandle;

    TScoped() = default;
    explicit TScoped(THandle handle) : Handle_(handle) {}
    ~TScoped() { Reset(); }
    TScoped(TScoped&& other) noexcept : Handle_(other.Release()) {}
    TScoped& operator=(TScoped&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TScoped(const TScoped&) = delete;
    TScoped& operator=(const TScoped&) = delete;

    THandle Get() const { return Handle_; }
    bool Valid() const { return Handle_ != TTraits::None(); }
    explicit operator bool() const { return Valid(); }
    // Closes the handle held, if any, and holds `handle` instead.
    void Reset(THandle handle = TTraits::None()) {
        if (Valid()) TTraits::Close(Handle_);
        Handle_ = handle;
    }
    // Gives the handle up without closing it.
    THandle Release() { return std::exchange(Handle_, TTraits::None()); }

  private:
    THandle Handle_ = TTraits::None();
};

// Files and other handles that CreateFile-style calls give, where failure
// is INVALID_HANDLE_VALUE.
struct TFileTraits {
    using THandle = HANDLE;
    static THandle None() { return INVALID_HANDLE_VALUE; }
    static void Close(THandle handle) { CloseHandle(handle); }
};
// Events, mutexes, threads: failure is null.
struct TKernelTraits {
    using THandle = HANDLE;
    static THandle None() { return nullptr; }
    static void Close(THandle handle) { CloseHandle(handle); }
};
// A search of FindFirstFileA.
struct TFindTraits {
    using THandle = HANDLE;
    static THandle None() { return INVALID_HANDLE_VALUE; }
    static void Close(THandle handle) { FindClose(handle); }
};
struct TKeyTraits {
    using THandle = HKEY;
    static THandle None() { return nullptr; }
    static void Close(THandle handle) { RegCloseKey(handle); }
};
// A font, bitmap or brush.
template <typename T> struct TGdiTraits {
    using THandle = T;
    static THandle None() { return nullptr; }
    static void Close(THandle handle) { DeleteObject(handle); }
};
struct TDcTraits {
    using THandle = HDC;
    static THandle None() { return nullptr; }
    static void Close(THandle handle) { DeleteDC(handle); }
};

using TFileHandle = TScoped<TFileTraits>;
using TKernelHandle = TScoped<TKernelTraits>;
using TFindHandle = TScoped<TFindTraits>;
using TKeyHandle = TScoped<TKeyTraits>;
template <typename T> using TGdiHandle = TScoped<TGdiTraits<T>>;
using TFontHandle = TGdiHandle<HFONT>;
using TBitmapHandle = TGdiHandle<HBITMAP>;
using TDcHandle = TScoped<TDcTraits>;

// The process's error mode for as long as it lives, the old one restored
// after. Used around drive queries: an empty floppy or card reader must not
// put up the system's "insert a disk" box while the program only asks.
class TErrorModeScope {
  public:
    explicit TErrorModeScope(UINT mode) : Old_(SetErrorMode(mode)) {}
    ~TErrorModeScope() { SetErrorMode(Old_); }
    TErrorModeScope(const TErrorModeScope&) = delete;
    TErrorModeScope& operator=(const TErrorModeScope&) = delete;

  private:
    UINT Old_;
};
