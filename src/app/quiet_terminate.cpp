// What an error that nobody handles does in setup.exe: abort at once.
//
// The program is built without C++ exceptions: its own code neither throws
// nor catches, and checks what it can meet (a logo that cannot be allocated
// is left out; the payload's memory is asked for, and its lack told, by the
// start-up). What is left are the library's errors: a container that
// cannot grow, a length or index out of range, an empty function called.
// Nothing could handle them, so each ends the program where it arises.
//
// The library's own versions of the functions below throw, and throwing
// brings the exception runtime, the unwinder and the unwind tables of every
// function into the link: about a third of the program. Defining them here
// keeps the library's objects, and all that hangs on them, out of the link.
// The allocation functions are the replaceable ones of the standard: the
// plain forms end the program when memory is short, as an unhandled
// bad_alloc did; the nothrow forms return null for the caller to check.
//
// Only setup.exe links this file; the test programs keep the library's
// throwing defaults.
#include <cstdlib>
#include <new>

namespace {
[[noreturn]] void Abort() {
    std::abort();
}

void* Allocate(std::size_t size) {
    return std::malloc(size ? size : 1);
}

void* AllocateOrAbort(std::size_t size) {
    void* p = Allocate(size);
    if (!p) Abort();
    return p;
}
} // namespace

void* operator new(std::size_t size) {
    return AllocateOrAbort(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrAbort(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

extern "C" {
// A pure or deleted virtual function called: a fault of the program.
void __cxa_pure_virtual() {
    Abort();
}
void __cxa_deleted_virtual() {
    Abort();
}
}

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    Abort();
}
} // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() {
    Abort();
}
void __throw_bad_alloc() {
    Abort();
}
void __throw_bad_array_new_length() {
    Abort();
}
void __throw_bad_cast() {
    Abort();
}
void __throw_bad_typeid() {
    Abort();
}
void __throw_bad_function_call() {
    Abort();
}
void __throw_logic_error(const char*) {
    Abort();
}
void __throw_domain_error(const char*) {
    Abort();
}
void __throw_invalid_argument(const char*) {
    Abort();
}
void __throw_length_error(const char*) {
    Abort();
}
void __throw_out_of_range(const char*) {
    Abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    Abort();
}
void __throw_runtime_error(const char*) {
    Abort();
}
void __throw_range_error(const char*) {
    Abort();
}
void __throw_overflow_error(const char*) {
    Abort();
}
void __throw_underflow_error(const char*) {
    Abort();
}
} // namespace std
