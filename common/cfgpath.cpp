/* The configuration file's path and directory, set once at start-up. */
#include "cfghost.h"

char ConfigFile[300] = "RAVOLT.CFG";
char ConfigPath[300];
