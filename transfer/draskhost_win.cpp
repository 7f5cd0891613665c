/* Files of the transfer on Windows: binary streams, sizes and flushing
 * to the disk through the C runtime's descriptors. */
#include "drask.h"

#include <windows.h>

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

void *DraskMapView(FILE *f, uint64_t offset, size_t length)
{
    HANDLE file = (HANDLE)_get_osfhandle(_fileno(f));
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK)
        return nullptr;
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping)
        return nullptr;
    void *view = MapViewOfFile(mapping, FILE_MAP_READ, (DWORD)(offset >> 32), (DWORD)offset, length);
    CloseHandle(mapping);
    return view;
}

void DraskUnmapView(void *view, size_t)
{
    UnmapViewOfFile(view);
}

uint32_t DraskMapGranularity(void)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwAllocationGranularity ? info.dwAllocationGranularity : 65536;
}

int DraskSyncFile(FILE *f)
{
    return _commit(_fileno(f)) ? errno : 0;
}

int DraskLastError(void)
{
    return errno;
}
