/* Stand-in for the filter lists of the filters subsystem: the two sorted
 * lists of named filters and FltAddFilter, until the Filter Manager's
 * own lists replace them. */
#include "fltlist.h"
#include "cs.h"

#include <cstring>

CSTREE *FltLocalFilters;
CSTREE *FltSharedFilters;

static void free_entry(CSTREE *e, void *)
{
    CSFreeMemAndClear(&((FILKEY *)e)->text);
}

int FltAddFilter(const char *name, int selector, const FILKEY *entry, FILKEY **out)
{
    CSTREE **list = selector ? &FltLocalFilters : &FltSharedFilters;
    FILKEY copy;
    memset(&copy, 0, sizeof copy);
    UTStrCopy(copy.name, name, sizeof copy.name);
    copy.flags = selector ? (entry->flags | FILKEY_LOCAL) : (entry->flags & ~FILKEY_LOCAL);
    size_t n = entry->text ? strlen(entry->text) : 0;
    copy.text = (char *)CSGetMem(n + 1, "FILTER");
    if (!copy.text)
        return 1004;
    memcpy(copy.text, entry->text ? entry->text : "", n + 1);
    CSTREE *old = CSTreeFind(*list, copy.name, FILKEY_NAME);
    if (old)
        CSTreeDelete(list, free_entry, nullptr, old, FILKEY_NAME);
    FILKEY *kept = (FILKEY *)CSTreeAdd(list, "FILTER", 0, &copy, sizeof copy, FILKEY_NAME);
    if (!kept) {
        CSFreeMem(copy.text);
        return 1004;
    }
    if (out)
        *out = kept;
    return 0;
}

void FltFreeLists(void)
{
    CSTreeFree(&FltLocalFilters, free_entry, nullptr);
    CSTreeFree(&FltSharedFilters, free_entry, nullptr);
}
