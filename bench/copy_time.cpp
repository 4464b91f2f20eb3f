// qvcopytime: the install path of the setup program in one process, without
// the wizard, timed step by step on the payload of a setup program:
// inflating and indexing, planning every component, and the install thread's
// body writing the plan.
//
//   qvcopytime SETUP.EXE DEST
//
// Prints "key value" pairs in milliseconds, for finding where time goes.
#include "clock.h"
#include "e2e.h"

#include "base/paths.h"
#include "base/shell_folders.h"
#include "engine/install_status.h"
#include "engine/install_thread.h"
#include "payload/catalogue.h"
#include "payload/install_log.h"
#include "system/data_folders.h"
#include "system/install_plan.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: qvcopytime SETUP.EXE DEST\n");
        return 2;
    }
    bool found = false;
    const std::string packed = e2e::ReadResource(argv[1], "FILES", "FILES", &found);
    if (!found) return 1;
    InitShellFolders();
    const std::string dest = argv[2];

    double t = Now();
    TAttachedFiles catalogue;
    std::string error;
    if (!catalogue.LoadFromBytes(reinterpret_cast<const uint8_t*>(packed.data()),
                                 uint32_t(packed.size()), error)) {
        std::fprintf(stderr, "qvcopytime: %s\n", error.c_str());
        return 1;
    }
    const double load = Now() - t;

    t = Now();
    StartInstallLog(JoinPath(dest, "Install.log"));
    BuildInstallPlan(catalogue,
                     {{dest, IsPortable(dest), TInstallScope::ForEveryone}, 0x3F, 2147483647});
    const double plan = Now() - t;

    t = Now();
    BeginInstallRun();
    RunInstallLists(catalogue);
    const double copy = Now() - t;
    size_t copies = 0;
    for (const auto& list : catalogue.InstallLists)
        copies += list.size();
    std::printf("load_ms %.1f plan_ms %.1f copy_ms %.1f copies %zu state %d\n", load, plan, copy,
                copies, int(InstallState()));
    DoneShellFolders();
    return 0;
}
