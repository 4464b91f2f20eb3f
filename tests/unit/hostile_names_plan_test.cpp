// Planning a payload built by another tool whose names try to reach outside
// the folder they are installed into: such entries are never planned, the
// honest ones beside them are.
#include "engine/ask_user.h"
#include "engine_test_support.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {
class HostileNamesPlan : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        Root = FreshFolder("hostile-names");
        const double date = Stamp(2020, 1, 1, 0, 0, 0);
        LoadCatalogue(Files, {
                                 {"Templates\\Plain.kwt", "plain", date},
                                 {"Templates\\..\\..\\x", "up", date},
                                 {"Templates\\C:\\x", "drive", date},
                                 {"Templates\\CON.kwt", "device", date},
                                 {"Templates\\Deep\\nul", "device", date},
                                 {"Templates/../y", "slash", date},
                                 {"Templates\\\\z", "empty element", date},
                                 {"Templates\\Letters\\Formal.kwt", "formal", date},
                             });
    }
    void TearDown() override { ResetEngineState(); }

    std::vector<std::string> Targets(int component) const {
        return PlannedTargets(Files, component);
    }

    TAttachedFiles Files;
    std::string Root;
};
} // namespace

TEST_F(HostileNamesPlan, AFolderPatternPlansOnlyTheNamesThatStayInsideTheFolder) {
    EXPECT_TRUE(Files.PlanFiles("Templates\\", Root, 3, AlwaysReplace));
    EXPECT_EQ(Targets(3), (std::vector<std::string>{Root + "Templates\\Plain.kwt",
                                                    Root + "Templates\\Letters\\Formal.kwt"}));
}

TEST_F(HostileNamesPlan, AFilePatternNamingAHostileEntryPlansNothing) {
    EXPECT_FALSE(Files.PlanFiles("Templates\\..\\..\\x", Root, 0, AlwaysReplace));
    EXPECT_FALSE(Files.PlanFiles("Templates\\CON.kwt", Root, 0, AlwaysReplace));
    EXPECT_FALSE(Files.PlanFileTo("Templates\\C:\\x", Root + "x.dat", 0, AlwaysReplace));
    EXPECT_TRUE(Files.InstallLists[0].empty());
}

TEST_F(HostileNamesPlan, TheHonestEntriesAreWrittenAndNothingLandsOutsideTheFolder) {
    ASSERT_TRUE(Files.PlanFiles("Templates\\", Root + "Inner\\", 3, AlwaysReplace));
    for (const auto& copy : Files.InstallLists[3])
        ASSERT_TRUE(
            Files.ExtractEntry(copy.Source, std::string(), copy.Target, AskAboutWriteFailure));
    EXPECT_EQ(ReadFileBytes(Root + "Inner\\Templates\\Plain.kwt"), "plain");
    EXPECT_EQ(ReadFileBytes(Root + "Inner\\Templates\\Letters\\Formal.kwt"), "formal");
    // Where the climbing names would have led.
    EXPECT_FALSE(Exists(Root + "x"));
    EXPECT_FALSE(Exists(Root + "y"));
    EXPECT_FALSE(Exists(Root + "Inner\\x"));
}
