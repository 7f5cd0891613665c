/* Stand-in for the engine's object-definition download (see
 * download_standin.h): one table row and a small store of default
 * objects.  User-interface thread only. */
#include "download_standin.h"
#include "dialogs.h"

#include <cstring>

#include "cs.h"

static const DOWNLOADROW Table[] = {
    { 0, 0, 0, &PCFQueueDef, &PCFQueueListDef, "SYSTEM.DEFAULT.*", 2016, 20,
      ",SYSTEM.DEFAULT.REMOTE.QUEUE,SYSTEM.DEFAULT.MODEL.QUEUE,SYSTEM.DEFAULT.ALIAS.QUEUE,SYSTEM.DEFAULT.LOCAL.QUEUE," },
};

const DOWNLOADROW *GetDownloadEntry(const PCFCommandDef *definition)
{
    for (const DOWNLOADROW &r : Table)
        if (definition && (r.object == definition || r.list == definition))
            return &r;
    return nullptr;
}

const DOWNLOADROW *FindDownloadEntryById(uint32_t nameAttr)
{
    for (const DOWNLOADROW &r : Table)
        if (r.nameAttr == nameAttr)
            return &r;
    return nullptr;
}

int FindNameInList(const DOWNLOADROW *row, const char *name, int32_t length)
{
    if (!row || !row->names || length <= 0)
        return 0;
    for (const char *p = strchr(row->names, ','); p && p[1]; p = strchr(p + 1, ',')) {
        const char *end = strchr(p + 1, ',');
        if (end && end - (p + 1) == length && memcmp(p + 1, name, (size_t)length) == 0)
            return 1;
    }
    return 0;
}

struct Kept {
    QMS *location;
    uint32_t type;
    uint8_t *area;
};
static Kept Store[64];

uint8_t *FindDownloadedObject(QMS *location, uint32_t nameAttr, uint32_t type)
{
    if (!FindDownloadEntryById(nameAttr))
        return nullptr;
    for (const Kept &k : Store)
        if (k.area && k.location == location && k.type == type)
            return k.area;
    return nullptr;
}

void DownloadStandinKeep(QMS *location, uint32_t type, uint8_t *area)
{
    for (Kept &k : Store)
        if (k.area && k.location == location && k.type == type) {
            PCFFreeData(&PCFQueueDef, k.area, 1);
            k.area = area;
            return;
        }
    for (Kept &k : Store)
        if (!k.area) {
            k = { location, type, area };
            return;
        }
    PCFFreeData(&PCFQueueDef, area, 1);
}

void DownloadStandinForget(QMS *location)
{
    for (Kept &k : Store)
        if (k.area && (!location || k.location == location)) {
            PCFFreeData(&PCFQueueDef, k.area, 1);
            k.area = nullptr;
        }
}
