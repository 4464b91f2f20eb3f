// The catalogue inflated on a thread of its own, so that the first window
// comes at once whatever the product's size. The thread publishes
// `Catalogue` when the catalogue is complete; until then it is null, and
// whatever needs the payload waits for State() to say Loaded.
#pragma once

#include "base/scoped_win.h"
#include "payload/catalogue.h"
#include "payload/payload_format.h"

#include <atomic>
#include <cstdint>
#include <string>

class TCatalogueLoading {
  public:
    enum class TState : uint8_t { Loading, Loaded, Failed, Stopped };

    // For the program's payload, to be loaded into `catalogue`, which must
    // outlive this object.
    explicit TCatalogueLoading(TAttachedFiles& catalogue) : Catalogue_(catalogue) {}
    // Stops a load still running and waits for its thread.
    ~TCatalogueLoading();
    TCatalogueLoading(const TCatalogueLoading&) = delete;
    TCatalogueLoading& operator=(const TCatalogueLoading&) = delete;

    // Starts loading (once; later calls do nothing). Without a thread it
    // loads before returning.
    void Start();
    // Loading also before Start.
    TState State() const { return State_.load(std::memory_order_acquire); }
    // Of the compressed bytes, how many have been read, in percent.
    int Percent() const;
    // Blocks until the load has ended, and says how.
    TState Wait();
    // Ends a load still running at its next block (Stopped), then waits;
    // one never started is Stopped at once.
    TState Stop();

    // After Failed: why, in words for the user, and the bytes of memory it
    // could not get (0 when the payload is damaged).
    const std::string& Error() const { return Error_; }
    uint64_t MemoryNeeded() const { return Catalogue_.MemoryNeeded(); }

  private:
    static DWORD WINAPI ThreadMain(void* self);
    void Load();

    TAttachedFiles& Catalogue_;
    bool Started_ = false;
    payload::InflateWatch Watch_;
    uint32_t PayloadSize_ = 0;
    std::string Error_;
    std::atomic<TState> State_{TState::Loading};
    TKernelHandle Thread_;
};
