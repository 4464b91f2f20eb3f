#include "payload/catalogue_loading.h"

#include "payload/diagnostic_log.h"

#include <string>

TCatalogueLoading::~TCatalogueLoading() {
    Stop();
}

void TCatalogueLoading::Start() {
    if (Started_) return;
    Started_ = true;
    const uint8_t* data = nullptr;
    if (!LoadPayloadResource("FILES", "FILES", data, PayloadSize_)) PayloadSize_ = 0;
    Thread_ = StartThread(ThreadMain, this);
    if (!Thread_) Load(); // slower to the first page, but the same outcome
}

DWORD WINAPI TCatalogueLoading::ThreadMain(void* self) {
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
    if (!Started_) State_.store(TState::Stopped, std::memory_order_release);
    Started_ = true;
    Watch_.stop = true;
    return Wait();
}
