/* The program's version text and build date: the one place both live. */
#include "shellhost.h"
#include "ravoltver.h"

const char RavoltVersionText[] = RAVOLT_VERSION_TEXT;
const char RavoltBuildDate[] = __DATE__;
