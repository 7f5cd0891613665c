/* Location store, Windows host part: the IBM MQ data directory from the
 * installation's registry keys, or where an installation puts it (the
 * common application-data folder's IBM\MQ). */
#include "locstore.h"

#include <windows.h>
#include <cstdio>

#include "cshost.h"

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

int LocHostDefaultMQDataPath(char *buffer, size_t size)
{
    char common[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("ProgramData", common, sizeof common);
    if (n == 0 || n >= sizeof common)
        n = GetEnvironmentVariableA("ALLUSERSPROFILE", common, sizeof common);
    if (n == 0 || n >= sizeof common)
        return 0;
    int written = snprintf(buffer, size, "%s\\IBM\\MQ", common);
    if (written <= 0 || (size_t)written >= size)
        return 0;
    for (char *p = buffer; *p; p++)            /* the program's own separator */
        if (*p == '\\')
            *p = CSPathSep;
    return 1;
}

int LocHostIsDirectory(const char *path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
