/* Profile, native host part: no screen and no keyboard layout; the time
 * zone is not asked for; the program's directory from /proc. */
#include "prfdata.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int PrfHostScreenSize(int32_t *, int32_t *)
{
    return 0;
}

int32_t PrfHostKeyboardCodepage(void)
{
    return 850;
}

int PrfHostTimeZone(int32_t *, int32_t *)
{
    return -1;
}

int PrfHostProgramDir(char *buffer, size_t size)
{
    char path[301];
    ssize_t n = readlink("/proc/self/exe", path, 300);
    if (n <= 0)
        return 0;
    path[n] = 0;
    char *slash = strrchr(path, '/');
    if (!slash)
        return 0;
    *slash = 0;
    snprintf(buffer, size, "%s", path);
    return 1;
}
