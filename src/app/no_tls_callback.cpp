// setup.exe starts without a TLS callback.
//
// The C runtime's start-up code names four symbols of the runtime's TLS
// support, and so links it: a TLS directory in the program header and a
// callback that Windows runs before the entry point and at every thread's
// start and end. Heuristic virus scanners weigh such a callback, a classic
// place to hide code from a debugger. The callback does three things, none
// of which this program needs:
//  - it runs the initialisers of thread-local variables as another compiler
//    lays them out (GCC makes none);
//  - it sets the runtime's multithreading flag, which starts out set;
//  - it keeps the lock and the list of destructors of the runtime's thread
//    keys, which only emulated thread-local variables and the exception
//    runtime register (the program has neither: no thread_local, no
//    exceptions).
// Defining the four symbols here, with the values that mean "nothing to
// do" (the start-up code calls the callback only when there is one), keeps
// that part of the runtime out of the link. Should a later runtime need
// more of it, the link fails on symbols defined twice instead of going
// silently wrong. The native check of the shipped file makes sure that no
// TLS directory comes back.
//
// Only setup.exe links this file: the test programs use the posix thread
// model, whose runtime relies on the callback.
extern "C" {
extern void (*const __dyn_tls_init_callback)(void*, unsigned long, void*) = nullptr;
int __mingw_initltsdrot_force = 0;
int __mingw_initltsdyn_force = 0;
int __mingw_initltssuo_force = 0;
}
