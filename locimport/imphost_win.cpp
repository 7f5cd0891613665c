/* Import, Windows host part: message boxes over the import window, the
 * local list posted to the main frame (11377), the open Location Settings
 * dialog, and the queue managers of the installation's registry keys. */
#include "impwnd.h"
#include "tkutil.h"

#include <windows.h>
#include <cstdio>

#define QMGR_KEY "SOFTWARE\\IBM\\MQSeries\\CurrentVersion\\Configuration\\QueueManager"

void ImportHostBox(void *owner, const char *text, const char *caption, int error)
{
    UtilMessageBox((HWND)owner, text, caption, MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

void ImportHostPostLocal(IMPORTLIST *list)
{
    HWND main = tkHost.mainWindow;
    if (!main || !PostMessageA(main, FRM_IMPORTLOCAL, 0, (LPARAM)list))
        ImportListFree(list);
}

void ImportHostSettings(QMS *location, int event)
{
    HWND w = (HWND)location->settingsWindow;
    if (!w || !IsWindow(w))
        return;
    if (event == 0)
        SendMessageA(w, WM_CLOSE, 0, 0);   /* closed, not left alive with stale data */
    else if (event == 2)
        PostMessageA(w, UM_LOC_RELOAD, 0, 0);
}

void ImportHostRegistryQMgrs(void (*name)(void *ctx, const char *qm), void *context)
{
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, QMGR_KEY, 0, KEY_READ, &root) != ERROR_SUCCESS)
        return;
    char sub[256];
    for (DWORD i = 0;; i++) {
        DWORD n = sizeof sub;
        if (RegEnumKeyExA(root, i, sub, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        char path[400];
        snprintf(path, sizeof path, "%s\\%s", QMGR_KEY, sub);
        HKEY k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &k) != ERROR_SUCCESS)
            continue;
        char value[100];
        DWORD type = 0, len = sizeof value - 1;
        if (RegQueryValueExA(k, "Name", nullptr, &type, (BYTE *)value, &len) == ERROR_SUCCESS &&
            type == REG_SZ) {
            value[len] = 0;
            if (value[0])
                name(context, value);
        }
        RegCloseKey(k);
    }
    RegCloseKey(root);
}
