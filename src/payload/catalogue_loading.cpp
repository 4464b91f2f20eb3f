#include "payload/catalogue_loading.h"

#include "payload/diagnostic_log.h"

#include <process.h>

#include <string>

TCatalogueLoading::TCatalogueLoading(TAttachedFiles& catalogue) : Catalogue_(catalogue) {
    const uint8_t* data = nullptr;
    if (!LoadPayloadResource("FILES", "FILES", data, PayloadSize_)) PayloadSize_ = 0;
    const uintptr_t thread = _beginthreadex(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (thread)
        Thread_.Reset(reinterpret_cast<HANDLE>(thread));
    else
        Load(); // slower to the first window, but the same outcome
}

TCatalogueLoading::~TCatalogueLoading() {
    Stop();
}

unsigned __stdcall TCatalogueLoading::ThreadMain(void* self) {
    static_cast<TCatalogueLoading*>(self)->Load();
    return 0;
}

void TCatalogueLoading::Load() {
    std::string error;
    if (Catalogue_.LoadFromResource(error, &Watch_)) {
        Diagnose("Unpacked: " + std::to_string(Catalogue_.Files().size()) + " files, " +
                 std::to_string(Catalogue_.BufferSize()) + " bytes");
        Catalogue = &Catalogue_;
        State_.store(TState::Loaded, std::memory_order_release);
    } else {
        Error_ = error;
        State_.store(Watch_.stop ? TState::Stopped : TState::Failed, std::memory_order_release);
    }
}

int TCatalogueLoading::Percent() const {
    if (State() != TState::Loading) return 100;
    return PayloadSize_ ? int(uint64_t(Watch_.consumed) * 100 / PayloadSize_) : 0;
}

TCatalogueLoading::TState TCatalogueLoading::Wait() {
    if (Thread_) WaitForSingleObject(Thread_.Get(), INFINITE);
    return State();
}

TCatalogueLoading::TState TCatalogueLoading::Stop() {
    Watch_.stop = true;
    return Wait();
}
