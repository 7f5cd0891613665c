/* Import, native host part: no windows and no registry; boxes and the
 * Location Settings dialog are only the hooks' (the tests'). */
#include "locimport.h"

void ImportHostBox(void *, const char *, const char *, int) {}

void ImportHostPostLocal(IMPORTLIST *list)
{
    ImportListFree(list);
}

void ImportHostSettings(QMS *, int) {}

void ImportHostRegistryQMgrs(void (*)(void *, const char *), void *) {}
