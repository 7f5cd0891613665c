/* The Windows menu's entry of a command dialog: where it works, what it
 * shows and which of several such windows it is. */
#include "shellrules.h"

#include <cstdio>
#include <cstring>

void ShellWindowEntryText(const WINENTRY *e, char *out, size_t size)
{
    size_t n = 0;
    auto put = [&](const char *format, const char *text) {
        if (n < size)
            n += (size_t)snprintf(out + n, size - n, format, text);
    };
    out[0] = 0;
    if (e->browser)
        put("%s", "HTTP:");
    if (e->location)
        put("%s", e->location);
    if (e->several)
        put("%s", "[Multi QMgr]");
    if (e->viaQm && e->viaQm[0]) {
        put("-%s", e->viaQm);
    }
    put("%s", "/");
    put("%s", e->title ? e->title : "");
    if (e->objectName) {
        char name[64];
        if (strlen(e->objectName) < 49)
            snprintf(name, sizeof name, "(%s)", e->objectName);
        else
            snprintf(name, sizeof name, "(%20.20s...)", e->objectName);
        put("%s", name);
    }
    if (e->instance > 1 && n < size)
        n += (size_t)snprintf(out + n, size - n, ":%u", (unsigned)e->instance);
}
