// TScoped with traits that keep a little state, as a window's DC keeps its
// window: every close is recorded with the owner it was made for.
#include "base/scoped_win.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {
std::vector<std::pair<int, int>> Closed; // (owner, handle)

struct TCountedTraits {
    using THandle = int;
    int Owner = 0;
    static THandle None() { return 0; }
    bool Close(THandle handle) const {
        Closed.emplace_back(Owner, handle);
        return handle != 13; // 13 is a handle the system refuses to close
    }
};
using TCounted = TScoped<TCountedTraits>;

TEST(ScopedHandles, AMovedHandleClosesOnceWithTheOwnerItCameWith) {
    Closed.clear();
    {
        TCounted first(1, TCountedTraits{10});
        TCounted second(2, TCountedTraits{20});
        first = std::move(second); // the first one's own handle goes now
        EXPECT_EQ(Closed, (std::vector<std::pair<int, int>>{{10, 1}}));
        EXPECT_FALSE(second.Valid());
        TCounted third(std::move(first));
        EXPECT_EQ(third.Get(), 2);
    }
    EXPECT_EQ(Closed, (std::vector<std::pair<int, int>>{{10, 1}, {20, 2}}));
}

TEST(ScopedHandles, OutClosesWhatWasHeldAndCloseTellsTheOutcome) {
    Closed.clear();
    TCounted handle(3, TCountedTraits{30});
    *handle.Out() = 13;
    EXPECT_EQ(Closed, (std::vector<std::pair<int, int>>{{30, 3}}));
    EXPECT_FALSE(handle.Close());
    EXPECT_FALSE(handle.Valid());
    handle.Reset(4);
    EXPECT_TRUE(handle.Close());
    EXPECT_FALSE(handle.Close()); // nothing left to close
    EXPECT_EQ(Closed, (std::vector<std::pair<int, int>>{{30, 3}, {30, 13}, {30, 4}}));
}
} // namespace
