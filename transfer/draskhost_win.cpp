/* Files of the transfer on Windows: binary streams, sizes and flushing
 * to the disk through the C runtime's descriptors. */
#include "drask.h"

#include <cerrno>
#include <io.h>
#include <sys/stat.h>

FILE *DraskOpenFile(const char *name, const char *mode)
{
    return fopen(name, mode);
}

int DraskFileExists(const char *name)
{
    struct _stat64 st;
    return _stat64(name, &st) == 0;
}

int64_t DraskFileSize(FILE *f)
{
    struct _stat64 st;
    if (!f || _fstat64(_fileno(f), &st))
        return -1;
    return (int64_t)st.st_size;
}

int DraskSyncFile(FILE *f)
{
    return _commit(_fileno(f)) ? errno : 0;
}

int DraskLastError(void)
{
    return errno;
}
