// The marks of a running setup that the program's start-up takes, and the
// owners that tell an administrators' mark from one any user could make.
#include "app/single_setup.h"
#include "system/folder_protection.h"

#include <gtest/gtest.h>
#include <sddl.h>

namespace {
// A mutex without a name whose owner is given in SDDL ("BA", "SY", ...).
TKernelHandle MutexOwnedBy(const std::string& owner) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            ("O:" + owner + "D:(A;;GA;;;WD)").c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return TKernelHandle();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    TKernelHandle mutex(CreateMutexA(&attributes, FALSE, nullptr));
    LocalFree(descriptor);
    return mutex;
}
} // namespace

// Administrators and SYSTEM are the owners no standard user can give an
// object; any other is one such a user may have given it.
TEST(SingleSetup, OnlyAnObjectOwnedByAdministratorsOrSystemIsTheAdministrators) {
    const struct {
        const char* Owner;
        bool Administrators;
    } cases[] = {{"BA", true}, {"SY", true}, {"BU", false}, {"WD", false}, {"AU", false}};
    for (const auto& c : cases) {
        const TKernelHandle mutex = MutexOwnedBy(c.Owner);
        ASSERT_TRUE(mutex) << c.Owner;
        EXPECT_EQ(OwnedByAdministrators(mutex.Get()), c.Administrators) << c.Owner;
    }
}

// Wine makes every program an administrator: a standard user's run is
// played through the rights the start-up hands over. A standard user's
// run is kept out by an administrator's and by another of its own kind;
// an administrator's is kept out by another administrator's only, also
// when a user's run holds the machine-wide name.
TEST(SingleSetup, AUsersRunKeepsOutUsersOnlyAndAnAdministratorsRunEveryone) {
    {
        const TSingleSetup administrator(TAdministrator::Yes);
        ASSERT_FALSE(administrator.Second());
        EXPECT_FALSE(administrator.IgnoredUsersName());
        EXPECT_TRUE(TSingleSetup(TAdministrator::No).Second());
        EXPECT_TRUE(TSingleSetup(TAdministrator::Yes).Second());
    }
    const TSingleSetup user(TAdministrator::No);
    ASSERT_FALSE(user.Second());
    EXPECT_TRUE(TSingleSetup(TAdministrator::No).Second());
    const TSingleSetup administrator(TAdministrator::Yes);
    EXPECT_FALSE(administrator.Second());
    EXPECT_TRUE(administrator.IgnoredUsersName());
    const TSingleSetup another(TAdministrator::Yes);
    EXPECT_TRUE(another.Second());
    EXPECT_FALSE(another.IgnoredUsersName());
}
