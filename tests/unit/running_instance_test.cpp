// The running-instance test sees the marker on top-level windows only, and
// only with a non-zero value.
#include "system/running_instance.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {
// A window of the test's own, destroyed when the test ends.
class TTestWindow {
  public:
    explicit TTestWindow(HWND parent = nullptr, bool visible = false) {
        const DWORD style = parent ? WS_CHILD : WS_OVERLAPPEDWINDOW;
        Handle_ = CreateWindowExA(0, "STATIC", "marker test", style | (visible ? WS_VISIBLE : 0), 0,
                                  0, 50, 50, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~TTestWindow() {
        if (Handle_) {
            RemovePropA(Handle_, kRunningMarker);
            DestroyWindow(Handle_);
        }
    }
    HWND Get() const { return Handle_; }

  private:
    HWND Handle_;
};

HANDLE Value(UINT_PTR v) {
    return reinterpret_cast<HANDLE>(v);
}
} // namespace

TEST(RunningInstance, NoMarkedWindowMeansNotRunning) {
    TTestWindow plain;
    ASSERT_NE(plain.Get(), nullptr);
    EXPECT_FALSE(IsWordProcessorRunning());
}

TEST(RunningInstance, AMarkedTopLevelWindowCountsAlsoWhenHidden) {
    TTestWindow hidden;
    ASSERT_TRUE(SetPropA(hidden.Get(), kRunningMarker, Value(1)));
    EXPECT_FALSE(IsWindowVisible(hidden.Get()));
    EXPECT_TRUE(IsWordProcessorRunning());

    RemovePropA(hidden.Get(), kRunningMarker);
    EXPECT_FALSE(IsWordProcessorRunning());
}

TEST(RunningInstance, TwoMarkedWindowsCountAsRunning) {
    TTestWindow first, second;
    ASSERT_TRUE(SetPropA(first.Get(), kRunningMarker, Value(7)));
    ASSERT_TRUE(SetPropA(second.Get(), kRunningMarker, Value(8)));
    EXPECT_TRUE(IsWordProcessorRunning());
}

TEST(RunningInstance, AMarkerWithValueZeroDoesNotCount) {
    TTestWindow window;
    ASSERT_TRUE(SetPropA(window.Get(), kRunningMarker, Value(0)));
    EXPECT_FALSE(IsWordProcessorRunning());
}

TEST(RunningInstance, AMarkedChildWindowIsNotFound) {
    TTestWindow parent;
    TTestWindow child(parent.Get(), true);
    ASSERT_NE(child.Get(), nullptr);
    ASSERT_TRUE(SetPropA(child.Get(), kRunningMarker, Value(1)));
    EXPECT_FALSE(IsWordProcessorRunning());
}

TEST(RunningInstance, AnotherPropertyNameDoesNotCount) {
    TTestWindow window;
    ASSERT_TRUE(SetPropA(window.Get(), "1.x Kestrovan", Value(1)));
    ASSERT_TRUE(SetPropA(window.Get(), "2.x Kestrovane", Value(1)));
    EXPECT_FALSE(IsWordProcessorRunning());
    RemovePropA(window.Get(), "1.x Kestrovan");
    RemovePropA(window.Get(), "2.x Kestrovane");
}
