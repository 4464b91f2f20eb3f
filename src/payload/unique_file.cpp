#include "payload/unique_file.h"

#include "base/scoped_win.h"
#include "base/wide_paths.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace {
uint64_t Mix(uint64_t x) {
    // The finaliser of SplitMix64: every bit of the input moves every bit of
    // the output.
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}
} // namespace

unsigned long RandomNumber() {
    // Not for secrets: "create new" is what keeps the files safe; the
    // number only keeps others from taking our names in advance.
    static std::atomic<uint64_t> calls{0};
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    uint64_t seed = Mix(uint64_t(counter.QuadPart) ^ calls.fetch_add(1) << 48);
    seed = Mix(seed ^ (uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime));
    seed = Mix(seed ^ (uint64_t(GetCurrentProcessId()) << 32 | GetCurrentThreadId()));
    seed = Mix(seed ^ uint64_t(reinterpret_cast<uintptr_t>(&seed)) ^ GetTickCount());
    return static_cast<unsigned long>(seed & 0xFFFFFFFFu);
}

TFileHandle CreateUniqueFile(const std::string& folder, const std::string& prefix,
                             const std::string& suffix, std::string& name) {
    // A full folder or a missing one fails at every name; a taken name
    // only at this one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + prefix + std::to_string(RandomNumber()) + suffix;
        // DELETE lets the file be renamed through this handle.
        TFileHandle file =
            CreatePathFile(name, GENERIC_WRITE | DELETE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
        if (file) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
            error != ERROR_ACCESS_DENIED) // a folder of that name
            break;
    }
    name.clear();
    return TFileHandle();
}
