/* Stand-in for the application shell's version text and build date,
 * kept in one place by the shell's resources once it exists. */
#include "shellhost.h"

const char RavoltVersionText[] = "9.3.3";
const char RavoltBuildDate[] = __DATE__;
