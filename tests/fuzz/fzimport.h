/* What the import targets share: a quiet import (boxes counted, never
 * shown), a file of the input's bytes, and the import of every row a
 * list shows into the location store, emptied again after. */
#pragma once

#include "fzconfig.h"

#include <cstdio>
#include <vector>

#include "cfgfile.h"
#include "cs.h"
#include "locimport.h"

inline void FuzzImportQuiet(void)
{
    static IMPORTHOOKS quiet = {};
    quiet.box = [](void *, void *, const char *, const char *, int) {};
    ImportSetHooks(&quiet);
}

inline std::string FuzzFile(const char *name, const uint8_t *data, size_t size)
{
    std::string path = FuzzScratch() + "/" + name;
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        FuzzFail("scratch file", path);
    fwrite(data, 1, size, f);
    fclose(f);
    return path;
}

/* Imports every entry of the list as the user's "Select All", "Import". */
inline void FuzzImportAll(IMPORTLIST *list, int mvs)
{
    std::vector<IMPORTENTRY *> rows;
    for (IMPORTENTRY *e = list->entries; e; e = e->next)
        rows.push_back(e);
    ImportMarkEntries(list);
    if (!rows.empty())
        ImportEntries(list, rows.data(), (int)rows.size(), "", "", mvs);
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next) {
        QMS *q = (QMS *)e;
        FUZZ_CHECK(strlen(q->qmName) <= QMS_NAME, q->qmName);
    }
    FuzzEmptyLocations();
}
