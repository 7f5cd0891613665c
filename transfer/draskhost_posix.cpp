/* Files of the transfer on POSIX hosts (the native checking build). */
#include "drask.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

FILE *DraskOpenFile(const char *name, const char *mode)
{
    return fopen(name, mode);
}

int DraskFileExists(const char *name)
{
    struct stat st;
    return stat(name, &st) == 0;
}

int64_t DraskFileSize(FILE *f)
{
    struct stat st;
    if (!f || fstat(fileno(f), &st))
        return -1;
    return (int64_t)st.st_size;
}

int DraskSyncFile(FILE *f)
{
    return fsync(fileno(f)) && errno != EINVAL && errno != EROFS ? errno : 0;
}

int DraskLastError(void)
{
    return errno;
}
