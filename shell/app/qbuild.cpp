/* The lines of a frame's queue-manager tree: one line per group and per
 * location shown (the ring's latest), under each its queues directly or
 * under "  Other Queues" and "  System Queues", with the icons drawn by
 * the items' callbacks and what pressing an icon opens. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include <cstdio>
#include <cstring>

#include "cmddlg.h"
#include "cs.h"
#include "locstore.h"
#include "loccache.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "tkutil.h"

/* The download marks of a location (the refresh-marks word). */
#define MARKS_LOADING 0x1efull
#define MARKS_QLIST_REPLY 0x200000000ull

int32_t QInfoDepth(const QINFO *q)
{
    int32_t v;
    memcpy(&v, q->attrs, sizeof v);
    return v;
}

int32_t QInfoDefType(const QINFO *q)
{
    int32_t v;
    memcpy(&v, q->attrs + 12, sizeof v);
    return v;
}

/* ---- icons ---- */

HBITMAP LocStatusBitmap(QMS *r)
{
    int slot, id;
    uint32_t s = r->status;
    if (r->flags & LF_FGN)
        slot = 3, id = BMP_LOC_FOREIGN;
    else if ((s & 0x8000) || (s & 0x2) || ((s & 0x4) && !(s & 0x8)))
        slot = 1, id = BMP_LOC_ERROR;
    else if (r->viaQm[0] ? !(s & LS_DISABLED) && (Prf.opt1 & 0x1)
                         : (r->putThread.state & 0x4) != 0)
        slot = 2, id = BMP_LOC_CONNECTED;
    else
        slot = 0, id = BMP_LOC_NORMAL;
    if (r->iconBitmap[slot])
        return (HBITMAP)r->iconBitmap[slot];
    return ShellBitmap(id);
}

HBITMAP ShellDownloadBitmap(QMS *r)
{
    if (r->flags & LF_FGN)
        return ShellBitmap(BMP_DL_DONE);
    if (!r->refreshMarks)
        return ShellBitmap(BMP_DL_NOTLOADED);
    if (r->refreshMarks & MARKS_LOADING)
        return ShellBitmap(BMP_DL_LOADING);
    int64_t now = CSGetCurrentTime();
    if (Prf.objo && now - r->lastUsed >= Prf.objo)
        return ShellBitmap(BMP_DL_IDLE);
    return ShellBitmap(BMP_DL_DONE);
}

/* The location of the line a callback is called for. */
static QMS *item_location(CNTW *rec)
{
    QMS *r = nullptr;
    if (rec->itemLine)
        ShellLineKind(rec->itemLine, &r);
    return r;
}

/* The frame whose tree holds a container child window. */
static FrameWords *tree_frame(HWND child)
{
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        if (f->tree && IsChild(f->tree, child))
            return f;
    return nullptr;
}

/* A ring's line whose location is no longer the ring's latest: the line
 * is handed to the latest at once (its icons and what pressing them
 * opens), and its row is updated so that its texts name the latest too
 * (they are built with the line, and the latest may differ in name,
 * version and counts). */
static QMS *switch_to_latest(CNTW *rec, QMS *r)
{
    QMS *latest = LocRingLatest(r);
    if (latest == r)
        return r;
    for (cntITEM *it = cntFirstItem(rec->itemLine); it; it = cntNextItem(it))
        if (it->type == CNTI_USERDATA && it->value == (uint64_t)(uintptr_t)r) {
            it->value = (uint64_t)(uintptr_t)latest;
            break;
        }
    if (Shell.mainWindow)
        PostMessageA(Shell.mainWindow, FRM_UPDATEROW, 0, (LPARAM)latest);
    return latest;
}

/* A location line's status icon: drawn, and pressed opens the queue
 * manager's dialog. */
static int QmLineProc(HWND child, UINT code, cntITEM *item, CNTW *rec)
{
    QMS *r = item_location(rec);
    if (!r)
        return 0;
    if (code == CN_PAINT) {
        if (!(r->status & LS_FIRSTOFRING) && r->nextInRing)
            r = switch_to_latest(rec, r);
        cntDrawItemBitmap(rec, LocStatusBitmap(r));
    } else if (code == CN_CLICKED) {
        (void)item;
        (void)child;
        if (!LocMaskMatch(r->authMask, 0x1000000000000000ull))
            return 0;
        DialogWords t;
        memset(&t, 0, sizeof t);
        t.definition = &PCFQueueManagerDef;
        t.first.location = r;
        DialogWords *d = PCFCommandDialog(nullptr, nullptr, &t, nullptr);
        if (d) {
            PCFSetFieldText(d, 2015, r->qmName);
            PCFPostRefresh(d);
        }
    }
    return 0;
}

/* A location line's download icon: its state, and pressed asks for the
 * queue list of the frame's prefix. */
static int QListIconDraw(HWND child, UINT code, cntITEM *, CNTW *rec)
{
    QMS *r = item_location(rec);
    if (!r)
        return 0;
    if (code == CN_PAINT) {
        cntDrawItemBitmap(rec, ShellDownloadBitmap(r));
    } else if (code == CN_CLICKED) {
        FrameWords *f = tree_frame(child);
        if (f && CheckQueuePrefix(f, 1) && ShellWork.requestRefresh)
            ShellWork.requestRefresh(r, ShellRefreshBits(REFRESH_KIND_QLIST), f->prefixText, 1);
    }
    return 0;
}

/* A queue line's icon: drawn from the line's words, pressed opens it. */
static int QLineProc(HWND child, UINT code, cntITEM *item, CNTW *rec)
{
    if (code == CN_PAINT)
        cntDrawItemBitmap(rec, QueueBitmap((int)item->extra));
    else if (code == CN_CLICKED && rec->itemLine)
        QLineOpen(GetParent(child), rec->itemLine);
    return 0;
}

int QLineOpen(HWND, const cntLINE *line)
{
    char queue[49];
    QMS *r;
    if (!ShellQueueOfLine(line, queue, &r) || !LocMaskMatch(r->authMask, 0x1000000000ull))
        return 0;
    uint32_t type = 0;
    ShellQueueType(r, queue, &type);
    DialogWords t;
    memset(&t, 0, sizeof t);
    t.definition = type == QT_LOCAL && AltKeyOption() ? &PCFMessageListDef : &PCFQueueDef;
    t.first.location = r;
    DialogWords *d = PCFCommandDialog(nullptr, nullptr, &t, nullptr);
    if (!d)
        return 0;
    PCFSetFieldText(d, 2016, queue);
    if (type == QT_CLUSTER)
        PCFSetFieldText(d, 20, "Cluster");
    else if (type && t.definition == &PCFQueueDef)
        PCFSetFieldInt(d, 20, (int32_t)type);      /* the dialog of the queue's own type */
    PCFPostRefresh(d);
    return 1;
}

/* ---- building ---- */

struct BUILD {
    FrameWords *frame;
    CntLineSet *set;
    cntLINE *scratch;
    int failed;
};

/* A new line in the scratch record, with its expander when asked. */
static void begin_line(BUILD *b, uint16_t flags)
{
    if (!b->scratch)
        return;
    cntInitLine(b->scratch, b->scratch->capacity, flags & ~CNTL_EXPANDER, 0, nullptr, nullptr);
    if (flags & CNTL_EXPANDER)
        cntAddExpander(b->scratch, &b->scratch);
}

/* The user data every line of a location carries: the location, the kind. */
static void user_data(BUILD *b, QMS *r, int kind)
{
    cntAddUserData(b->scratch, &b->scratch, 0, r);
    if (b->scratch)
        cntAddUserData(b->scratch, &b->scratch, 0, (void *)(uintptr_t)kind);
}

static cntLINE *add(BUILD *b, cntLINE *parent, cntLINE *after)
{
    cntLINE *made = nullptr;
    if (!b->scratch || (parent ? cntAddChildLine(b->set, parent, after, b->scratch, &made)
                               : cntAddLine(b->set, after, b->scratch, &made))) {
        b->failed = 1;
        return nullptr;
    }
    return made;
}

static cntLINE *text_line(BUILD *b, cntLINE *parent, cntLINE *after, QMS *r, int kind,
                          const char *text, uint16_t flags)
{
    begin_line(b, flags);
    if (b->scratch)
        cntAddText(b->scratch, &b->scratch, CNTI_SELECTABLE, 0, nullptr, text, -1, nullptr, nullptr);
    if (b->scratch)
        user_data(b, r, kind);
    return add(b, parent, after);
}

/* One queue's line under its place. */
static cntLINE *queue_line(BUILD *b, cntLINE *parent, cntLINE *after, QMS *r, const QINFO *q)
{
    int cluster = (q->flags & QI_CLUSTER) != 0;
    int icon = ShellQueueIcon(q->type, cluster, (q->flags & QI_DEPTHKNOWN) != 0, q->depthClass);
    begin_line(b, 0);
    cntAddDrawEx(b->scratch, &b->scratch, CNTI_PRESSABLE | CNTI_NOFRAME, nullptr,
                 (void *)(uintptr_t)icon, QLineProc);
    if (b->scratch)
        cntAddText(b->scratch, &b->scratch, CNTI_SELECTABLE, 0, nullptr, q->name, -1, nullptr,
                   nullptr);
    int32_t depth = q->type == QT_LOCAL ? QInfoDepth(q) : 0;
    if (b->scratch && depth > 0 && (b->frame->flags & FF_DEPTH)) {
        char text[32];
        snprintf(text, sizeof text, "  (%d)", (int)depth);
        cntAddTextEx(b->scratch, &b->scratch, 0, 0, nullptr, text, -1, nullptr, nullptr, 0,
                     CNTA_NOCOMPARE);
    }
    if (b->scratch)
        user_data(b, r, LINE_QUEUE);
    return add(b, parent, after);
}

/* Whether a queue of the list falls under the frame's queue prefix. */
static int in_prefix(const FrameWords *f, const QINFO *q)
{
    if (q->flags & QI_KEEP)
        return 0;
    int plen = f->prefixLength ? f->prefixLength : 1;
    const char *prefix = f->prefixLength ? f->prefixText : "*";
    return UTWildMatch(q->name, (int)strnlen(q->name, QMS_NAME), prefix, plen);
}

/* The counts the location's line shows: the queues under the prefix and
 * those of them the queue search keeps, counted before the line's text is
 * written. */
static void count_queues(const FrameWords *f, QMS *r, const LOCCACHES *c)
{
    uint32_t inPrefix = 0, matching = 0;
    for (CSTREE *e = CSTreeFirst(c->queues); e; e = e->next) {
        const QINFO *q = (const QINFO *)e;
        if (!in_prefix(f, q))
            continue;
        inPrefix++;
        if (QMatchesSearch(&f->qSearch, q->name))
            matching++;
    }
    r->queueCount = inPrefix;
    r->queueMatchCount = matching;
}

/* The queue lines of a location: its group lines, then its queues.  While
 * a search or a prefix narrows the queues, a group shows only when a queue
 * stands in it. */
static void queue_lines(BUILD *b, cntLINE *loc, QMS *r, LOCCACHES *c)
{
    FrameWords *f = b->frame;
    static const uint16_t open = CNTL_EXPANDER | CNTL_EXPANDED;
    int anyPrefix = !f->prefixLength || (f->prefixLength == 1 && f->prefixText[0] == '*');
    int narrowed = !anyPrefix || (f->qSearch.patterns && f->qSearch.patterns[0]);
    cntLINE *other = nullptr, *system = nullptr;
    if (!narrowed) {
        other = text_line(b, loc, nullptr, r, LINE_QGROUP, "  Other Queues", open);
        system = other ? text_line(b, loc, other, r, LINE_QGROUP, "  System Queues", open) : nullptr;
    }
    cntLINE *lastDirect = system, *lastOther = nullptr, *lastSystem = nullptr;
    for (CSTREE *e = CSTreeFirst(c->queues); e && !b->failed; e = e->next) {
        const QINFO *q = (const QINFO *)e;
        if (!in_prefix(f, q) || !QMatchesSearch(&f->qSearch, q->name))
            continue;
        int place = ShellQueuePlace(q->type, (q->flags & QI_CLUSTER) != 0, q->name);
        if (place == QP_NONE || ShellQueueHidden(q->type, QInfoDefType(q), Prf.po[3]))
            continue;
        if (place == QP_DIRECT) {
            lastDirect = queue_line(b, loc, lastDirect ? lastDirect : system ? system : other, r, q);
        } else if (place == QP_OTHER) {
            if (!other)
                other = text_line(b, loc, nullptr, r, LINE_QGROUP, "  Other Queues", open);
            if (other)
                lastOther = queue_line(b, other, lastOther, r, q);
        } else {
            if (!system)
                system = text_line(b, loc, other, r, LINE_QGROUP, "  System Queues", open);
            if (system)
                lastSystem = queue_line(b, system, lastSystem, r, q);
        }
    }
}

static void location_line(BUILD *b, cntLINE *parent, cntLINE **after, QMS *r)
{
    FrameWords *f = b->frame;
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    int hasQueues = c && c->queues;
    uint16_t flags = CNTL_EXPANDER;
    if (r == Shell.startupLocation)
        flags |= CNTL_EXPANDED | CNTL_SELECTED;
    begin_line(b, flags);
    if (b->scratch)
        cntAddDraw(b->scratch, &b->scratch, CNTI_PRESSABLE | CNTI_NOFRAME, r, QmLineProc);
    if (b->scratch)
        cntAddDraw(b->scratch, &b->scratch, CNTI_PRESSABLE | CNTI_NOFRAME, r, QListIconDraw);
    const char *label = (f->flags & FF_QMNAME) || !(f->flags & FF_LOCATION)
                            ? r->qmName
                            : (r->locationName[0] ? r->locationName : r->qmName);
    if (b->scratch)
        cntAddSortLabelNoCase(b->scratch, &b->scratch, CNTI_SELECTABLE, 0, nullptr, label, -2,
                              nullptr, nullptr);
    if (hasQueues)
        count_queues(f, r, c);
    char text[300];
    ShellLocationText(r, f->flags, f->prefixInUse, text, sizeof text);
    const char *rest = text + strlen(label);
    if (b->scratch && *rest && !strncmp(text, label, strlen(label)))
        cntAddTextEx(b->scratch, &b->scratch, 0, 0, nullptr, rest, -1, nullptr, nullptr, 0,
                     CNTA_NOCOMPARE);
    if (b->scratch)
        user_data(b, r, LINE_LOCATION);
    cntLINE *loc = add(b, parent, *after);
    if (!loc)
        return;
    *after = loc;
    r->status |= LS_INTREE;
    if (hasQueues) {
        queue_lines(b, loc, r, c);
        return;
    }
    const char *placeholder = r->placeholder;
    if (!placeholder || !*placeholder) {
        int replied = (r->refreshMarks & MARKS_QLIST_REPLY) != 0;
        placeholder = !replied ? " Definitions not yet loaded..."
                      : f->prefixInUse ? nullptr : " No queues available for display.";
    }
    if (placeholder)
        text_line(b, loc, nullptr, r, LINE_PLACEHOLDER, placeholder, 0);
}

/* Whether a location has a line in a frame. */
static int shown(FrameWords *f, QMS *r)
{
    if (!(r->status & LS_FIRSTOFRING) && r->nextInRing)
        return 0;
    if ((r->flags & LF_FGN) && ((Prf.po[0] & PO1_HIDE_FOREIGN) || (Shell.displayMode & DM_NO_FOREIGN)))
        return 0;
    if ((Shell.displayMode & DM_TROUBLE_ONLY) && !(r->status & (LS_CANTSEND | LS_NORESPONSE | LS_UNAVAILABLE)))
        return 0;
    return LocMatchesSearch(&f->locSearch, r);
}

CntLineSet *ShellBuildLines(FrameWords *f)
{
    BUILD b = { f, nullptr, nullptr, 0 };
    b.set = (CntLineSet *)CSGetMem(sizeof(CntLineSet), "cntHEADER");
    b.scratch = (cntLINE *)CSGetMem(512, "cntLINE");
    if (!b.set || !b.scratch) {
        CSFreeMemAndClear(&b.set);
        CSFreeMemAndClear(&b.scratch);
        UtilPostError(nullptr, 1, !b.set ? "CSGetMem(cntHEADER)" : "CSGetMem(cntLINE)");
        return nullptr;
    }
    memset(b.set, 0, sizeof *b.set);
    b.scratch->capacity = 512;
    CSLockGlobal(CSLOCK_OBJECTS);
    LocLockStore();
    cntLINE *after = nullptr;
    for (CSTREE *g = CSTreeFirst(LocGroups); g && !b.failed; g = g->next) {
        QMSGROUP *group = (QMSGROUP *)g;
        cntLINE *groupLine = nullptr, *member = nullptr;
        for (QMS *r = group->first; r && !b.failed; r = r->nextInGroup) {
            if (!shown(f, r))
                continue;
            if (!groupLine) {
                begin_line(&b, CNTL_EXPANDER | CNTL_EXPANDED);
                if (b.scratch)
                    cntAddSortLabelNoCase(b.scratch, &b.scratch, CNTI_SELECTABLE, 0, nullptr,
                                          group->name, -2, nullptr, nullptr);
                if (b.scratch)
                    user_data(&b, nullptr, LINE_GROUP);
                groupLine = add(&b, nullptr, after);
                if (!groupLine)
                    break;
                after = groupLine;
            }
            location_line(&b, groupLine, &member, r);
        }
    }
    cntLINE *top = after;
    for (CSTREE *e = CSTreeFirst(LocTree); e && !b.failed; e = e->next) {
        QMS *r = (QMS *)e;
        if (!r->group && shown(f, r))
            location_line(&b, nullptr, &top, r);
    }
    LocUnlockStore();
    CSUnlockGlobal(CSLOCK_OBJECTS);
    CSFreeMemAndClear(&b.scratch);
    if (b.failed) {
        cntFreeLines(b.set, 1);
        UtilPostError(nullptr, 1, "CSGetMem(cntLINE)");
        return nullptr;
    }
    return b.set;
}
