// What an error that nobody handles does in setup.exe: abort at once.
//
// The toolkit's default terminate handler first prints the name of the
// exception that escaped, demangled, to standard error. setup.exe is a GUI
// program without a console, so that text goes nowhere, yet the demangler
// and the printf engine it needs come with it: about 77 KB, a fifth of the
// program without its payload. Defining the handler here keeps them out of
// the link (the library's own copy is then never pulled in).
//
// The same holds for the library's helpers that throw its errors carrying a
// message (length_error, out_of_range and their kin): their one object file
// brings the old copy-on-write strings those classes are built on, about
// 50 KB. The program catches none of them (only bad_alloc, in the logo
// reader), so each would reach the handler above; ending at the throw is the
// same end. The helpers of the errors without a message throw as before.
//
// Only setup.exe links this file; the test programs keep the telling
// defaults.
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() {
    throw std::bad_exception();
}
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_array_new_length();
}
void __throw_bad_cast() {
    throw std::bad_cast();
}
void __throw_bad_typeid() {
    throw std::bad_typeid();
}
void __throw_logic_error(const char*) {
    std::abort();
}
void __throw_domain_error(const char*) {
    std::abort();
}
void __throw_invalid_argument(const char*) {
    std::abort();
}
void __throw_length_error(const char*) {
    std::abort();
}
void __throw_out_of_range(const char*) {
    std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
void __throw_runtime_error(const char*) {
    std::abort();
}
void __throw_range_error(const char*) {
    std::abort();
}
void __throw_overflow_error(const char*) {
    std::abort();
}
void __throw_underflow_error(const char*) {
    std::abort();
}
} // namespace std
