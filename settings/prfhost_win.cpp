/* Profile, Windows host part: screen size, keyboard code page, time zone
 * and the program's directory. */
#include "prfdata.h"

#include <windows.h>
#include <cstdio>
#include <cstring>

int PrfHostScreenSize(int32_t *cx, int32_t *cy)
{
    int x = GetSystemMetrics(SM_CXSCREEN), y = GetSystemMetrics(SM_CYSCREEN);
    if (x <= 0 || y <= 0)
        return 0;
    *cx = x;
    *cy = y;
    return 1;
}

int32_t PrfHostKeyboardCodepage(void)
{
    char text[11] = "";
    LCID lcid = MAKELCID(LOWORD((ULONG_PTR)GetKeyboardLayout(0)), SORT_DEFAULT);
    if (!GetLocaleInfoA(lcid, LOCALE_IDEFAULTANSICODEPAGE, text, sizeof text))
        return 0;
    return (int32_t)atoi(text);
}

int PrfHostTimeZone(int32_t *bias, int32_t *daylightBias)
{
    TIME_ZONE_INFORMATION tzi;
    DWORD rc = GetTimeZoneInformation(&tzi);
    if (rc == TIME_ZONE_ID_INVALID)
        return -1;
    *bias = tzi.Bias;
    *daylightBias = tzi.DaylightBias;
    return rc == TIME_ZONE_ID_DAYLIGHT ? 2 : 1;
}

int PrfHostProgramDir(char *buffer, size_t size)
{
    char path[301];
    DWORD n = GetModuleFileNameA(nullptr, path, 300);
    if (n == 0 || n >= 300)
        return 0;
    path[n] = 0;
    char *slash = strrchr(path, '\\');
    char *fwd = strrchr(path, '/');
    if (fwd > slash)
        slash = fwd;
    if (!slash)
        return 0;
    *slash = 0;
    snprintf(buffer, size, "%s", path);
    return 1;
}
