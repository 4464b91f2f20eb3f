// Handles that close themselves: one template, a small traits struct per
// kind of handle (what "no handle" is, how it is closed). Move-only. A
// function that gives or takes ownership gives or takes one of these; one
// that only uses a handle borrows it through Get().
#pragma once

#include <windows.h>

#include <utility>

// The traits are a base rather than a member: most are empty and then take
// no room; the few that need to know more (the window of a device context)
// keep it there.
template <typename TTraits> class TScoped : private TTraits {
  public:
    using THandle = typename TTraits::THandle;

    TScoped() = default;
    explicit TScoped(THandle handle, TTraits traits = TTraits())
        : TTraits(traits), Handle_(handle) {}
    ~TScoped() { Reset(); }
    TScoped(TScoped&& other) noexcept : TTraits(other), Handle_(other.Release()) {}
    TScoped& operator=(TScoped&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
            static_cast<TTraits&>(*this) = other;
        }
        return *this;
    }
    TScoped(const TScoped&) = delete;
    TScoped& operator=(const TScoped&) = delete;

    THandle Get() const { return Handle_; }
    // For interface pointers.
    THandle operator->() const { return Handle_; }
    bool Valid() const { return Handle_ != TTraits::None(); }
    explicit operator bool() const { return Valid(); }
    // Closes the handle held, if any, and holds `handle` instead.
    void Reset(THandle handle = TTraits::None()) {
        if (Valid()) TTraits::Close(Handle_);
        Handle_ = handle;
    }
    // Gives the handle up without closing it.
    THandle Release() { return std::exchange(Handle_, TTraits::None()); }
    // Closes the handle now and says whether the system did: a file whose
    // close fails may not hold what was written. Only for the kinds whose
    // traits tell (files).
    bool Close() { return Valid() && TTraits::Close(Release()); }
    // Where a call that hands out the handle through a pointer puts it; what
    // was held before is closed.
    THandle* Out() {
        Reset();
        return &Handle_;
    }

  private:
    THandle Handle_ = TTraits::None();
};

// Files and other handles that CreateFile-style calls give, where failure
// is INVALID_HANDLE_VALUE.
struct TFileTraits {
    using THandle = HANDLE;
    static THandle None() { return INVALID_HANDLE_VALUE; }
    static bool Close(THandle handle) { return CloseHandle(handle) != FALSE; }
};
// Events, mutexes, threads: failure is null.
struct TKernelTraits {
    using THandle = HANDLE;
    static THandle None() { return nullptr; }
    static void Close(THandle handle) { CloseHandle(handle); }
};
// A search of FindFirstFileW.
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
// A memory device context of CreateCompatibleDC.
struct TDcTraits {
    using THandle = HDC;
    static THandle None() { return nullptr; }
    static void Close(THandle handle) { DeleteDC(handle); }
};
// A window's device context of GetDC, given back to that window.
struct TWindowDcTraits {
    using THandle = HDC;
    HWND Window = nullptr;
    static THandle None() { return nullptr; }
    void Close(THandle handle) const { ReleaseDC(Window, handle); }
};
// A DLL loaded by us, for as long as its functions are called.
struct TModuleTraits {
    using THandle = HMODULE;
    static THandle None() { return nullptr; }
    static void Close(THandle handle) { FreeLibrary(handle); }
};
// A buffer the system allocated for us with LocalAlloc (FormatMessageA's).
template <typename T> struct TLocalTraits {
    using THandle = T*;
    static THandle None() { return nullptr; }
    static void Close(THandle handle) { LocalFree(handle); }
};
// One reference to a COM interface.
template <typename T> struct TComTraits {
    using THandle = T*;
    static THandle None() { return nullptr; }
    static void Close(THandle handle) { handle->Release(); }
};

using TFileHandle = TScoped<TFileTraits>;
using TKernelHandle = TScoped<TKernelTraits>;
using TFindHandle = TScoped<TFindTraits>;
using TKeyHandle = TScoped<TKeyTraits>;
template <typename T> using TGdiHandle = TScoped<TGdiTraits<T>>;
using TFontHandle = TGdiHandle<HFONT>;
using TBitmapHandle = TGdiHandle<HBITMAP>;
using TDcHandle = TScoped<TDcTraits>;
using TWindowDc = TScoped<TWindowDcTraits>;
using TModuleHandle = TScoped<TModuleTraits>;
template <typename T> using TLocalMemory = TScoped<TLocalTraits<T>>;
template <typename T> using TComPtr = TScoped<TComTraits<T>>;

inline TWindowDc WindowDc(HWND window) {
    return TWindowDc(GetDC(window), TWindowDcTraits{window});
}

// Where a COM call that takes the interface's id puts the interface.
template <typename T> void** VoidOut(TComPtr<T>& pointer) {
    return reinterpret_cast<void**>(pointer.Out());
}

// Starts a thread running `body(argument)`; no handle when it cannot.
// CreateThread, not the C library's _beginthreadex: the C run-time of a
// MinGW build is msvcrt.dll, a DLL that sets up and frees by itself what it
// keeps per thread. The thread then starts at `body`, in the program's own
// code, which is how the end-to-end tests find and hold the first one.
inline TKernelHandle StartThread(LPTHREAD_START_ROUTINE body, void* argument) {
    return TKernelHandle(CreateThread(nullptr, 0, body, argument, 0, nullptr));
}

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
