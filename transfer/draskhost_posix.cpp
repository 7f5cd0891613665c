/* Files of the transfer on POSIX hosts (the native checking build). */
#include "drask.h"

#include <cerrno>
#include <sys/mman.h>
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

void *DraskMapView(FILE *f, uint64_t offset, size_t length)
{
    void *view = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fileno(f), (off_t)offset);
    return view == MAP_FAILED ? nullptr : view;
}

void DraskUnmapView(void *view, size_t length)
{
    munmap(view, length);
}

uint32_t DraskMapGranularity(void)
{
    long page = sysconf(_SC_PAGESIZE);
    return page > 0 ? (uint32_t)page : 4096;
}

int DraskSyncFile(FILE *f)
{
    return fsync(fileno(f)) && errno != EINVAL && errno != EROFS ? errno : 0;
}

int DraskLastError(void)
{
    return errno;
}
