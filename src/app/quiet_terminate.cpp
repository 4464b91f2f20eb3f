// What std::terminate runs in setup.exe: abort at once.
//
// The toolkit's default handler first prints the name of the exception that
// escaped, demangled, to standard error. setup.exe is a GUI program without
// a console, so that text goes nowhere, yet the demangler and the printf
// engine it needs come with it: about 77 KB, a fifth of the program without
// its payload. Defining the handler here keeps them out of the link (the
// library's own copy is then never pulled in). Only setup.exe links this
// file; the test programs keep the telling default.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
