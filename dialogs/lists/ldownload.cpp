/* The table of the default objects a queue manager's download fetches
 * (a row per kind: its object and list definitions, the name pattern, the
 * names accepted) and its lookups, with the lookup of the objects a
 * location's download kept.  The download itself and the objects it keeps
 * are the command engine's; the program lets the lookup read them
 * (PCFSetDownloadStore). */
#include "pcflists.h"

#include <cstring>

#include "mqi.h"

const DOWNLOADROW DownloadTable[DOWNLOAD_ROWS] = {
    { 0, 0, 0, &PCFQueueDef, &PCFQueueListDef, "SYSTEM.DEFAULT.*", MQCA_Q_NAME, MQIA_Q_TYPE,
      ",SYSTEM.DEFAULT.REMOTE.QUEUE,SYSTEM.DEFAULT.MODEL.QUEUE,SYSTEM.DEFAULT.ALIAS.QUEUE,"
      "SYSTEM.DEFAULT.LOCAL.QUEUE," },
};

/* ---- lookups ---- */

int FindDownloadEntry(const PCFCommandDef *def, const DOWNLOADROW **row)
{
    for (int i = 0; i < DOWNLOAD_ROWS; i++)
        if (def && (DownloadTable[i].object == def || DownloadTable[i].list == def)) {
            if (row)
                *row = &DownloadTable[i];
            return i;
        }
    return -1;
}

const void *GetDownloadEntry(const PCFCommandDef *def)
{
    const DOWNLOADROW *row = nullptr;
    return FindDownloadEntry(def, &row) >= 0 ? row : nullptr;
}

const DOWNLOADROW *FindDownloadEntryById(uint32_t nameAttr)
{
    for (const DOWNLOADROW &row : DownloadTable)
        if (row.nameAttr == nameAttr)
            return &row;
    return nullptr;
}

int FindNameInList(const DOWNLOADROW *row, const char *name, int32_t length)
{
    if (!row || !name || length <= 0)
        return 0;
    for (const char *p = strchr(row->accepted, ','); p && p[1]; p = strchr(p + 1, ',')) {
        const char *end = strchr(p + 1, ',');
        if (end && end - (p + 1) == length && !memcmp(p + 1, name, (size_t)length))
            return 1;
    }
    return 0;
}

/* ---- the objects a download kept ---- */

static PCFDOWNLOADSTORE Store;

void PCFSetDownloadStore(const PCFDOWNLOADSTORE *store)
{
    Store = store ? *store : PCFDOWNLOADSTORE{};
}

const PCFDOWNLOADSTORE *PCFDownloadStore(void)
{
    return &Store;
}

int PCFDefaultsDownloaded(QMS *r, const PCFCommandDef *def)
{
    const DOWNLOADROW *row = nullptr;
    return r && FindDownloadEntry(def, &row) >= 0 && Store.kept && Store.kept(Store.context, r, row, -1, 0);
}

const uint8_t *FindDownloadedObject(QMS *r, uint32_t nameAttr, int32_t type)
{
    const DOWNLOADROW *row = FindDownloadEntryById(nameAttr);
    return row && Store.kept ? Store.kept(Store.context, r, row, type, -1) : nullptr;
}
