// The background thread that writes the planned copies.
//
// Order at the end of the program: the thread must have ended before the
// installation log is saved and before the catalogue is destroyed, since it
// reads the catalogue and writes the log until its last copy. The owner
// therefore calls WaitFor() before SaveInstallLog(); the destructor, which
// runs when the wizard is destroyed and so before the catalogue, asks the
// thread to stop at its next check point and waits for it as well.
#pragma once

#include "base/scoped_win.h"
#include "payload/catalogue.h"

class TInstallThread {
  public:
    explicit TInstallThread(TAttachedFiles& catalogue);
    ~TInstallThread();
    TInstallThread(const TInstallThread&) = delete;
    TInstallThread& operator=(const TInstallThread&) = delete;

    // Starts the thread, running at once. The caller has begun the run
    // (BeginInstallRun).
    void Start();
    // Blocks until the thread has ended (returns at once if never started).
    void WaitFor();
    // The thread's handle, lent for waiting and measuring; null before Start.
    HANDLE Handle() const { return Thread_.Get(); }

  private:
    TAttachedFiles& Catalogue_;
    TKernelHandle Thread_;
};

// The thread body: writes every list of the plan in component order, each
// in plan order, and reports Done at the end, or Failed at once
// when the user aborts a copy.
void RunInstallLists(TAttachedFiles& catalogue);
