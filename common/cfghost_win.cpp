/* Configuration file, Windows host part: flushing a written file and
 * replacing the configuration file in one step. */
#include "cfghost.h"

#include <windows.h>
#include <io.h>

int CfgHostFlush(FILE *file)
{
    HANDLE h = (HANDLE)_get_osfhandle(_fileno(file));
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    return FlushFileBuffers(h) ? 0 : -1;
}

int CfgHostReplace(const char *from, const char *to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    DWORD e = GetLastError();
    return e ? (int)e : -1;
}
