/* Configuration file, native host part: flushing a written file and
 * replacing the configuration file in one step (rename is atomic). */
#include "cfghost.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

int CfgHostFlush(FILE *file)
{
    return fsync(fileno(file));
}

int CfgHostReplace(const char *from, const char *to)
{
    return rename(from, to) == 0 ? 0 : (errno ? errno : -1);
}
