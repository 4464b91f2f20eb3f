// Whether anybody can see the program's windows. A deployment tool may run
// the setup program as a service (as SYSTEM, in a session of its own): its
// window station is then not visible, and a window there waits for an
// answer nobody can give.
#pragma once

// False only when the system says the process's window station is not
// visible; systems that cannot tell count as visible.
bool WindowsCanBeSeen();
