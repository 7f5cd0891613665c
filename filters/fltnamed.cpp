/* Named filters: the local and the shared list (each sorted by name),
 * FltAddFilter as the profile reader and the Filter Manager store them,
 * lookups for "$name" references, and the Filter Manager's checks of a
 * name and a definition before it stores them. */
#include "fltint.h"

#include <cstdio>

CSTREE *FltLocalFilters;
CSTREE *FltSharedFilters;

static void FreeEntry(CSTREE *e, void *)
{
    CSFreeMemAndClear(&((FILKEY *)e)->text);
}

/* The name as a tree key: FILKEY_NAME bytes, zero-padded. */
static void Key(const char *name, char *key)
{
    memset(key, 0, FILKEY_NAME);
    UTStrCopy(key, name ? name : "", FILKEY_NAME);
}

int FltAddFilter(const char *name, int selector, const FILKEY *entry, FILKEY **out)
{
    CSTREE **list = selector ? &FltLocalFilters : &FltSharedFilters;
    FILKEY copy;
    memset(&copy, 0, sizeof copy);
    Key(name, copy.name);
    copy.flags = selector ? (entry->flags | FILKEY_LOCAL) : (entry->flags & ~FILKEY_LOCAL);
    size_t n = entry->text ? strlen(entry->text) : 0;
    copy.text = (char *)CSGetMem(n + 1, "FILTER");
    if (!copy.text)
        return 1004;
    memcpy(copy.text, entry->text ? entry->text : "", n + 1);
    CSTREE *old = CSTreeFind(*list, copy.name, FILKEY_NAME);
    if (old)
        CSTreeDelete(list, FreeEntry, nullptr, old, FILKEY_NAME);
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
    CSTreeFree(&FltLocalFilters, FreeEntry, nullptr);
    CSTreeFree(&FltSharedFilters, FreeEntry, nullptr);
}

const FILKEY *FltFindFilter(const char *name)
{
    char key[FILKEY_NAME];
    if (!name || strlen(name) >= FILKEY_NAME)
        return nullptr;
    Key(name, key);
    CSTREE *e = CSTreeFind(FltLocalFilters, key, FILKEY_NAME);
    if (!e)
        e = CSTreeFind(FltSharedFilters, key, FILKEY_NAME);
    return (const FILKEY *)e;
}

int FltIsLocal(const FILKEY *entry)
{
    for (CSTREE *e = CSTreeFirst(FltLocalFilters); e; e = e->next)
        if ((const FILKEY *)e == entry)
            return 1;
    return 0;
}

/* ---- the Filter Manager's checks --------------------------------------- */

int FltCheckEntry(const char *name, const char *text, char *message, int *start, int *end)
{
    *start = *end = -1;
    message[0] = 0;
    const char *p = name ? name : "";
    while (*p == ' ' || *p == '\t')
        p++;
    size_t n = strlen(p);
    while (n && (p[n - 1] == ' ' || p[n - 1] == '\t'))
        n--;
    if (!n) {
        snprintf(message, FLT_ERROR_SIZE, "Please enter a name for this filter");
        return 1;
    }
    if (memchr(p, ' ', n) || memchr(p, '\t', n)) {
        snprintf(message, FLT_ERROR_SIZE, "Sorry, filter names should not contain blank characters");
        return 1;
    }
    if (!text || !text[strspn(text, " \t\r\n")]) {       /* blanks alone define nothing */
        snprintf(message, FLT_ERROR_SIZE, "Please enter a definition for this filter");
        return 1;
    }
    char outer[FILKEY_NAME];
    snprintf(outer, sizeof outer, "%.*s", (int)(n < FILKEY_NAME - 1 ? n : FILKEY_NAME - 1), p);
    char error[FLT_ERROR_SIZE];
    FLTREADER reader;
    FltReaderInit(&reader, text, -1, outer, error);
    FilterProgram *prog = nullptr;
    int rc = PCFEvalParse(nullptr, nullptr, nullptr, &prog, &reader);
    PCFFreeProgram(&prog);
    if (rc) {
        char prefix[FLT_ERROR_SIZE];
        FltErrorPrefix(&reader, prefix, sizeof prefix);
        size_t k = strlen(prefix) < 300 ? strlen(prefix) : 300;
        memcpy(message, prefix, k);
        UTStrCopy(message + k, error, FLT_ERROR_SIZE - k);
        PCFEvalErrorPos(&reader, 1, start, end);
    }
    FltReaderFree(&reader);
    return rc ? 1 : 0;
}

int FltStoreEntry(const char *name, const char *text, int local, int exportable, FILKEY **out)
{
    char key[FILKEY_NAME];
    Key(name, key);
    int replaced = CSTreeFind(local ? FltLocalFilters : FltSharedFilters, key, FILKEY_NAME) != nullptr;
    FILKEY entry;
    memset(&entry, 0, sizeof entry);
    entry.flags = exportable ? FILKEY_SHARED : 0;
    entry.text = (char *)text;
    if (FltAddFilter(key, local, &entry, out))
        return -1;
    return replaced;
}

void FltDeleteEntry(FILKEY *entry)
{
    CSTREE **list = FltIsLocal(entry) ? &FltLocalFilters : &FltSharedFilters;
    CSTreeDelete(list, FreeEntry, nullptr, &entry->tree, FILKEY_NAME);
}
