/* ravolt.exe: the program's entry; everything it does is the shell's. */
#include <windows.h>
#include <cstdlib>

#include "shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return ShellMain(instance, __argc, __argv);
}
