/* The object-definition download: the default objects of a queue manager
 * (its four SYSTEM.DEFAULT queues) fetched once per connection and kept
 * in the location, one table row after the other, so that dialogs can
 * compare with the defaults.  A generation tells a download's replies
 * from those of an earlier one.  A download fills a second list per row
 * and takes its place when the row is complete, so the defaults stored
 * stay there while the next download runs. */
#include "cmdint.h"

#include "cs.h"
#include "prfdata.h"

/* ---- the objects kept ---- */

/* The stored object of a row that is of the type (any type when index
 * is not negative: the index-th one), once the download is done. */
const uint8_t *CmdKeptDefault(QMS *r, const DOWNLOADROW *row, int32_t type, int index)
{
    CMDLOC *l = CmdLocFind(r);
    if (!l || !row)
        return nullptr;
    const uint8_t *found = nullptr;
    CSLockGlobal(CSLOCK_OBJECTS);
    int i = (int)(row - DownloadTable);
    if (l->kept || (l->downloadState & DL_DONE))
        for (CSLISTELEM *e = l->objects[l->shown[i]][i].first; e && !found; e = e->next)
            if (index < 0 ? ((DEFOBJ *)e)->type == type : index-- == 0)
                found = DefObjArea((DEFOBJ *)e);
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return found;
}

const uint8_t *DownloadedObjectAt(QMS *r, const PCFCommandDef *definition, int index)
{
    const DOWNLOADROW *row = nullptr;
    if (index < 0 || FindDownloadEntry(definition, &row) < 0)
        return nullptr;
    return CmdKeptDefault(r, row, 0, index);
}

/* ---- state ---- */

uint32_t DownloadState(QMS *r)
{
    CMDLOC *l = CmdLocFind(r);
    return l ? l->downloadState : 0;
}

void SetDownloadState(QMS *r, uint32_t bits)
{
    CMDLOC *l = CmdLocOf(r);
    if (!l)
        return;
    CSLockGlobal(CSLOCK_OBJECTS);
    l->generation = 0;
    l->downloadState = bits | DL_FAILED;
    l->startedAt = 0;                    /* cleared: the next request starts one */
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

/* Under lock 1: the download ends failed (no storage: also 0x8). */
static void Fail(CMDLOC *l, int storage)
{
    l->downloadState = DL_FAILED | (storage ? DL_NOSTORAGE : 0);
    l->generation = 0;
}

static void FreeObject(CSLISTELEM *e, void *context)
{
    const DOWNLOADROW *row = (const DOWNLOADROW *)context;
    PCFFreeData(row->object, DefObjArea((DEFOBJ *)e), 0);
}

static void FreeList(CMDLOC *l, int which, int i)
{
    CSListFree(&l->objects[which][i], FreeObject, (void *)&DownloadTable[i]);
}

static void FreeRow(CMDLOC *l, int i)
{
    FreeList(l, 0, i);
    FreeList(l, 1, i);
}

/* The list a download fills for a row. */
static CSLIST *Filling(CMDLOC *l, int i)
{
    return &l->objects[!l->shown[i]][i];
}

/* Under lock 1: a row's download complete, its objects take the stored
 * ones' place. */
static void ShowRow(CMDLOC *l, int i)
{
    FreeList(l, l->shown[i], i);
    l->shown[i] = (uint8_t)!l->shown[i];
}

void FreeDownloadData(QMS *r)
{
    CMDLOC *l = CmdLocFind(r);
    if (!l)
        return;
    CSLockGlobal(CSLOCK_OBJECTS);
    for (int i = 0; i < DOWNLOAD_ROWS; i++)
        FreeRow(l, i);
    l->kept = 0;
    if (l->area && l->current)
        PCFFreeData(l->current, l->area, 0);
    CSFreeMemAndClear(&l->area);
    l->areaSize = 0;
    l->current = nullptr;
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

void CmdFreeBlock(void *block)
{
    CMDLOC *l = (CMDLOC *)block;
    if (!l)
        return;
    for (int i = 0; i < DOWNLOAD_ROWS; i++)
        FreeRow(l, i);
    if (l->area && l->current)
        PCFFreeData(l->current, l->area, 0);
    CSFreeMemAndClear(&l->area);
    CSFreeMem(l);
}

/* ---- the download ---- */

/* Starts a download (restart: also over a running one); 0 started. */
static int Begin(QMS *r, uint32_t force, int restart)
{
    CMDLOC *l = CmdLocOf(r);
    if (!l || (r->flags & LF_FGN))
        return 1;
    PCFInitCommandDefs();
    CSLockGlobal(CSLOCK_OBJECTS);
    if (((l->downloadState & DL_RUNNING) && !restart) || r->commandLevel <= 0 ||
        ((l->downloadState & DL_DONE) && !force)) {
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return 1;
    }
    /* a generation is never given twice: the replies of a download that
     * stopped are never taken for those of the next */
    if (!l->generation)
        l->generation = (uint32_t)CmdNow();
    if (l->generation <= l->lastGeneration)
        l->generation = l->lastGeneration;
    l->lastGeneration = ++l->generation;
    l->nextRow = 0;
    l->downloadState = DL_RUNNING;
    l->startedAt = CmdNow();
    CSUnlockGlobal(CSLOCK_OBJECTS);
    NextDownload(r);
    return 0;
}

int StartDownload(QMS *r, uint32_t force)
{
    return Begin(r, force, 0);
}

/* The refresh's download request (the location timer's): a location
 * downloads its defaults once; a complete download again after the
 * repeat time ("objr"), a failed one after the retry gap ("objrty"),
 * and a running one that has heard nothing for the retry gap is begun
 * anew.  Neither time is a retry every second. */
int RequestDownload(QMS *r)
{
    CMDLOC *l = CmdLocOf(r);
    if (!l)
        return 1;
    int64_t now = CmdNow();
    CSLockGlobal(CSLOCK_OBJECTS);
    uint32_t state = l->downloadState;
    int64_t quiet = now - (l->lastReply > l->startedAt ? l->lastReply : l->startedAt);
    int start = 0, restart = 0;
    if (state & DL_RUNNING)
        start = restart = Prf.objrty > 0 && quiet > Prf.objrty;
    else if (state & DL_DONE)
        start = Prf.objr > 0 && now - l->doneAt >= Prf.objr;
    else if (state & DL_FAILED)
        start = !l->startedAt || (Prf.objrty > 0 && now - l->startedAt > Prf.objrty);
    else
        start = 1;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return start ? Begin(r, 1, restart) : 1;
}

/* Under lock 1: the download area emptied for a definition. */
static int AreaFor(CMDLOC *l, PCFCommandDef *def)
{
    if (l->area && l->current)
        PCFFreeData(l->current, l->area, 0);
    if (!l->area || l->areaSize < def->dataSize) {
        CSFreeMemAndClear(&l->area);
        l->area = (uint8_t *)CSGetMem(def->dataSize ? def->dataSize : 1, "DO");
        l->areaSize = l->area ? def->dataSize : 0;
        if (!l->area)
            return 0;
    }
    PCFInitData(def, l->area, nullptr, 0, 0, 0);
    l->current = def;
    return 1;
}

void NextDownload(QMS *r)
{
    CMDLOC *l = CmdLocFind(r);
    if (!l)
        return;
    CSLockGlobal(CSLOCK_OBJECTS);
    int i = l->nextRow;
    while (i < DOWNLOAD_ROWS && !CapTest(nullptr, r->caps, &DownloadTable[i]))
        i++;
    if (i >= DOWNLOAD_ROWS) {
        l->downloadState = DL_DONE;
        l->doneAt = CmdNow();
        l->kept = 1;
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return;
    }
    const DOWNLOADROW *row = &DownloadTable[i];
    l->nextRow = i + 1;
    l->row = row;
    CSListFree(Filling(l, i), FreeObject, (void *)row);
    if (!AreaFor(l, row->object)) {
        Fail(l, 1);
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return;
    }
    PCFFieldEntry *name = PCFFindField(nullptr, nullptr, row->object->fields, row->nameAttr);
    char message[200];
    if (name)
        PCFStoreText(row->object, l->area, name, row->pattern, -1, message, sizeof message);
    uint32_t generation = l->generation;
    uint8_t *area = l->area;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    if (PCFDoCommand(nullptr, 0, 1, PCFID_DEFAULT, row->object, area, nullptr, r, 1, generation, DownloadResponse,
                     row->pattern, nullptr)) {
        CSLockGlobal(CSLOCK_OBJECTS);
        Fail(l, 0);
        CSUnlockGlobal(CSLOCK_OBJECTS);
    }
}

/* Under lock 1: a default object kept when its name is accepted; 0 when
 * it could not be stored. */
static int Keep(CMDLOC *l, QMS *r, const DOWNLOADROW *row, int index)
{
    PCFCommandDef *def = row->object;
    PCFFieldEntry *e = PCFFindField(nullptr, nullptr, def->fields, row->nameAttr);
    char buffer[QMS_NAME + 1];
    const char *name = e ? PCFValueText(l->area, e, 0, buffer, sizeof buffer, 0) : nullptr;
    if (!name || !FindNameInList(row, name, (int32_t)strlen(name)))
        return 1;
    size_t size = sizeof(DEFOBJ) + def->dataSize;
    DEFOBJ *o = (DEFOBJ *)CSGetMem(size, "DFT");
    if (!o)
        return 0;
    memset(o, 0, size);
    PCFCopyData(def, DefObjArea(o), l->area);
    uint16_t state = 0;
    o->type = row->typeAttr ? PCFGetIntValue(r->caps, def, l->area, row->typeAttr, &state) : 0;
    CSLISTELEM *kept = CSListAdd(Filling(l, index), "DEFOBJ", 0, o, size);
    if (!kept)
        PCFFreeData(def, DefObjArea(o), 0);
    CSFreeMem(o);
    if (!kept)
        return 0;
    l->stored++;
    return 1;
}

void DownloadResponse(IFCMD *record, uint32_t, const uint8_t *data, uint32_t length, uint32_t error, const char *)
{
    QMS *r = record->location;
    CMDLOC *l = CmdLocFind(r);
    if (!l)
        return;
    const DOWNLOADROW *row = nullptr;
    int index = FindDownloadEntry(record->definition, &row);
    int next = 0;
    CSLockGlobal(CSLOCK_OBJECTS);
    if (index < 0 || record->callerValue != l->generation || !(l->downloadState & DL_RUNNING)) {
        if (l->area && l->current)             /* an earlier download's, or one that stopped */
            AreaFor(l, l->current);
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return;
    }
    if (record->definition != l->current && (!AreaFor(l, record->definition) || !data || error)) {
        if (!l->area)
            Fail(l, 1);
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return;
    }
    l->lastReply = CmdNow();
    int stopped = 0;
    if (error) {
        Fail(l, 0);                            /* the queue manager refused the inquiry */
        stopped = 1;
    } else if (data && length) {
        if (!AreaFor(l, record->definition) ||
            PCFSetDialogData(nullptr, r, record->definition, l->area, 1, data, length, nullptr)) {
            Fail(l, !l->area);
            stopped = 1;
        } else if (!Keep(l, r, row, index)) {
            Fail(l, 1);
            stopped = 1;
        }
    }
    if (record->complete && !stopped) {
        ShowRow(l, index);
        next = 1;
    }
    else if (l->area && l->current)
        AreaFor(l, l->current);
    CSUnlockGlobal(CSLOCK_OBJECTS);
    if (next)
        NextDownload(r);
}
