/* Location store, Windows host part: the IBM MQ data directory from the
 * installation's registry keys. */
#include "locstore.h"

#include <windows.h>
#include <cstdio>

static int read_value(const char *key, const char *name, char *buffer, size_t size)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0, len = (DWORD)size - 1;
    LONG rc = RegQueryValueExA(h, name, nullptr, &type, (BYTE *)buffer, &len);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS || type != REG_SZ || len == 0)
        return 0;
    buffer[len] = 0;
    return buffer[0] != 0;
}

int LocHostMQDataPath(char *buffer, size_t size)
{
    return read_value("SOFTWARE\\IBM\\WebSphere MQ", "WorkPath", buffer, size) ||
           read_value("SOFTWARE\\IBM\\MQSeries\\CurrentVersion", "FilePath", buffer, size);
}

int LocHostIsDirectory(const char *path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
