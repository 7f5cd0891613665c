/* The program's version: its text, and the same numbers for the version
 * resource.  The build date is the compiler's (verinfo.cpp). */
#pragma once

#define RAVOLT_VERSION_TEXT "9.3.3"
#define RAVOLT_VERSION_NUMBERS 9, 3, 3, 0
