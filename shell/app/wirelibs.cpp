/* The hooks that bind a lower library to a higher one and need no window:
 * installed once by WireLibraries(), which the program calls at start-up
 * (ShellInstallHooks) and tests call to run with the program's wiring. */
#include "wirelibs.h"

void WireLibraries(void)
{
}
