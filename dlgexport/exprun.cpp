/* One export run: the start (header and column headings), the objects
 * chosen from the dialog's list or its own data area, the trailer; and
 * the automatic export of a dialog with its debug report. */
#include "expint.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "cs.h"
#include "prfdata.h"
#include "qms.h"
#include "pcflists.h"

static EXPHOOKS hooks;

void ExpSetHooks(const EXPHOOKS *h)
{
    if (h)
        hooks = *h;
    else
        memset(&hooks, 0, sizeof hooks);
}

const EXPHOOKS *ExpHooks(void)
{
    return &hooks;
}

/* ---- the start and the end -------------------------------------------------- */

static int64_t Now(const EXPORTRUN *run)
{
    return run->now ? run->now : CSGetCurrentTime();
}

void ExpWriteHeader(EXPORTRUN *run)
{
    DialogWords *d = run->dialog;
    QMS *location = d ? d->first.location : nullptr;
    const char *qm = location ? location->qmName : "";
    char text[600], time[32];
    const char *templ = nullptr;
    if (run->type == EXP_TEXT && (Prf.po[2] & PO3_EXPORT_TEXT_TITLE))
        templ = Prf.expText;
    else if (run->type == EXP_MQSC && (Prf.po[2] & PO3_EXPORT_MQSC_TITLE))
        templ = Prf.expMqsc;
    if (templ && *templ) {
        ExpHeaderText(templ, qm, d && d->definition ? d->definition->title : "", Now(run), text,
                      sizeof text);
        ExpWriteLine(run->target, 1, 0, text, -1);
        return;
    }
    if (run->type != EXP_XML)
        return;
    ExpTimeText(Now(run), time, sizeof time);
    char name[QMS_NAME * 6 + 1];
    ExpXmlEscape(qm, 1, name, sizeof name);
    if (location)
        snprintf(text, sizeof text, "<QMGREXPORT Name='%s' Time='%.24s'>", name, time);
    else
        snprintf(text, sizeof text, "<EXPORT Time='%.24s'>", time);
    ExpWriteLine(run->target, 1, 0, text, -1);
}

void ExpWriteTrailer(EXPORTRUN *run)
{
    if (run->type != EXP_XML)
        return;
    const char *end = run->dialog && run->dialog->first.location ? "</QMGREXPORT>" : "</EXPORT>";
    ExpWriteLine(run->target, 1, 0, "", 0);
    ExpWriteLine(run->target, 1, 0, end, -1);
}

/* ---- choosing the objects ------------------------------------------------------- */

struct ROWREF {
    PCFLISTREQ *request;
    PCFLISTAREA *area;
    PCFROW *row;
};

/* The rows the list window shows, in its order: the selected ones, or
 * all that the filters let through.  A list never shown (no rows were
 * built for it) gives every row of its records. */
static void GatherRows(DialogWords *d, int selected, std::vector<ROWREF> *rows)
{
    PCFLISTSTATE *st = PCFListState(d);
    if (selected) {
        int n = PCFSelectedList(d, nullptr, 0);
        std::vector<PCFROW *> chosen((size_t)(n > 0 ? n : 0));
        n = n > 0 ? PCFSelectedList(d, chosen.data(), n) : 0;
        for (int i = 0; i < n && i < (int)chosen.size(); i++)
            if (PCFLISTAREA *a = PCFRowArea(d, chosen[(size_t)i]))
                rows->push_back({ chosen[(size_t)i]->request, a, chosen[(size_t)i] });
        return;
    }
    if (st && (st->count || st->heldCount)) {
        for (uint32_t i = 0; i < st->count; i++)
            if (PCFLISTAREA *a = PCFRowArea(d, st->rows[i].row))
                rows->push_back({ st->rows[i].row->request, a, st->rows[i].row });
        return;
    }
    for (PCFLISTREQ *r = d->lists ? d->lists : &d->first; r; r = d->lists ? r->next : nullptr) {
        PCFLISTAREA *a = r->replyArea;
        for (PCFROW *row = PCFFirstRow(a); row; row = PCFNextRow(a, row))
            rows->push_back({ r, a, row });
    }
}

/* A SYSTEM. object goes with option 2 when it is a default object, with
 * option 1 otherwise; every other object goes. */
static int Included(EXPCTX *c, const char *name, int *isDefault)
{
    int n = (int)strlen(name);
    *isDefault = c->defaultNames && ExpNameInList(c->defaultNames, name, n);
    if (strncmp(name, "SYSTEM.", 7) != 0)
        return 1;
    return (c->run->options & (*isDefault ? EXPO_DEFAULTS : EXPO_SYSTEM)) != 0;
}

/* The definition whose data area a list row of the dialog becomes. */
static PCFCommandDef *ObjectDef(PCFCommandDef *listDef)
{
    const PCFActionDef *first = listDef->actions;
    if (!first || !first->id)
        return nullptr;
    PCFCommandDef *def = PCFFindCommandByCode(listDef, first->command, 1, 0);
    return def && !def->list ? def : nullptr;
}

static int Compare(EXPCTX *c, PCFCommandDef *def, uint8_t *area)
{
    if (!(c->run->options & EXPO_ONLYDIFF) || !hooks.compareDefault)
        return 0;
    int listed = 0, system = 0;
    return hooks.compareDefault(hooks.context, c->location, def, area, &listed, &system);
}

/* The location's downloaded default objects first (MQSC and XML with
 * option 2); option 2 is dropped when any was written. */
static int WriteDefaults(EXPCTX *c)
{
    if (!(c->run->options & EXPO_DEFAULTS) || !hooks.defaultObject)
        return 0;
    int written = 0;
    uint8_t *area;
    for (int i = 0; (area = hooks.defaultObject(hooks.context, c->location, c->objectDef, i)); i++) {
        int rc = ExpWriteObject(c, c->objectDef, area, ExpAreaName(c->objectDef, area),
                                Compare(c, c->objectDef, area));
        if (rc < 0)
            return rc;
        written += rc;
    }
    if (written)
        c->run->options &= ~EXPO_DEFAULTS;
    return written;
}

static int ListObjects(EXPCTX *c, std::vector<ROWREF> &rows)
{
    int count = 0, isDefault;
    char name[QMS_NAME + 1];
    int table = c->run->type == EXP_TEXT || c->run->type == EXP_CSV;
    if (!table) {
        int rc = WriteDefaults(c);
        if (rc < 0)
            return rc;
        count += rc;
    }
    for (const ROWREF &r : rows) {
        ExpRowName(r.area, r.row, c->objectDef, name, sizeof name);
        if (!Included(c, name, &isDefault))
            continue;
        if (table) {
            ExpWriteRow(c, r.area, r.row, isDefault);
            count++;
            continue;
        }
        ExpRowToArea(c, r.area, r.row);
        int rc = ExpWriteObject(c, c->objectDef, c->work, name, Compare(c, c->objectDef, c->work));
        if (rc < 0)
            return rc;
        count += rc;
    }
    return count;
}

/* An object dialog: its own object, or each name of a name list. */
static int DialogObjects(EXPCTX *c)
{
    DialogWords *d = c->dialog;
    PCFCommandDef *def = d->definition;
    int compared = Compare(c, def, d->dataArea);
    if (!(d->stateFlags & DF_MULTI_NAME))
        return ExpWriteObject(c, def, d->dataArea, ExpAreaName(def, d->dataArea), compared);
    int count = 0;
    for (PCFFieldEntry *e = def->fields; e && e->field; e++) {
        if (!(e->flags & PCFE_MULTIONLY) || (e->field->type != PCFT_STRLIST && e->field->type != PCFT_MULTISTR))
            continue;
        PCFSTRLIST *l = PCFRecStrList(d->dataArea + e->offset);
        char name[QMS_NAME + 1];
        for (int i = 0; l && i < l->count; i++) {
            UTCopyTrimmed(name, PCFStrListItem(l, e->field->maximum, i), e->field->maximum, QMS_NAME);
            if (!name[0] || !strcmp(name, "''"))
                break;
            int rc = ExpWriteObject(c, def, d->dataArea, name, compared);
            if (rc < 0)
                return rc;
            count += rc;
        }
        break;
    }
    return count;
}

static void FreeContext(EXPCTX *c)
{
    CSFreeMem(c->buffer);
    if (c->out)
        CSFreeMem(c->out);
    if (c->plan)
        CSFreeMem(c->plan);
}

static int Fail(EXPORTRUN *run, const char *text)
{
    snprintf(run->message, sizeof run->message, "%s", text);
    return -1;
}

int ExpRun(EXPORTRUN *run)
{
    run->message[0] = 0;
    DialogWords *d = run->dialog;
    if (!d || !d->definition)
        return Fail(run, "Sorry, this object type is not supported");
    if (run->type < EXP_TEXT || run->type >= EXP_POINTS)
        return Fail(run, "Please enter a valid export type");
    EXPCTX c;
    memset(&c, 0, sizeof c);
    c.run = run;
    c.dialog = d;
    c.location = d->first.location;
    c.caps = PCFDialogCaps(d);
    c.separator = Prf.csvsep && Prf.csvsep != ' ' ? Prf.csvsep : ',';
    c.debug = getenv("RAVOLT_EXPORT_DBG") != nullptr;
    c.buffer = (char *)CSGetMem(EXP_BUFFER, "BUFFER");
    if (!c.buffer)
        return Fail(run, "No storage");
    c.out = (char *)CSGetMem(EXP_OUT_BLOCK, "EXPOUT");   /* without it, line by line */
    c.outSize = c.out ? EXP_OUT_BLOCK : 0;
    PCFCommandDef *def = d->definition;
    int list = def->list != nullptr;
    if (d->optionFlags & DO_TIMESTAMP)
        run->dateTime = 1;
    std::vector<ROWREF> rows;
    if (list) {
        GatherRows(d, run->selection == EXP_SELECTED, &rows);
        if (run->selection == EXP_SELECTED && rows.empty()) {
            FreeContext(&c);
            return Fail(run, "No objects selected.");
        }
    }
    c.objectDef = list ? ObjectDef(def) : def;
    if (list && run->type != EXP_TEXT && run->type != EXP_CSV && !c.objectDef) {
        FreeContext(&c);
        return Fail(run, "Sorry, this object type is not supported");
    }
    if (c.objectDef && hooks.defaultNames)
        c.defaultNames = hooks.defaultNames(hooks.context, c.objectDef);
    ExpDebug(&c, "  QMS - '%s' Command Level 0x%llX", c.location ? c.location->qmName : "",
             (unsigned long long)(c.location ? c.location->commandLevel : 0));
    ExpDebug(&c, "  Dialog Command Level 0x%llX", (unsigned long long)(c.caps ? c.caps[0] : 0));

    int start = !run->appending || (run->options & EXPO_HEADER);
    ExpFlush(&c);                      /* the debug lines come before the header */
    if (start)
        ExpWriteHeader(run);
    int count;
    if (list && (run->type == EXP_TEXT || run->type == EXP_CSV)) {
        if ((run->options & EXPO_ONLYDIFF) && hooks.diffFromDefault)
            for (PCFLISTREQ *r = d->lists ? d->lists : &d->first; r; r = d->lists ? r->next : nullptr)
                hooks.diffFromDefault(hooks.context, d, r);
        std::vector<PCFROW *> measured;
        for (const ROWREF &r : rows)
            if (r.area == rows.front().area)
                measured.push_back(r.row);
        PCFLISTAREA *columns = !rows.empty() ? rows.front().area : d->first.replyArea;
        if (columns) {
            char date[40];
            ExpDateText(Prf.edf, Prf.eds, run->now ? run->now : CSGetCurrentTime(), date, sizeof date,
                        nullptr, 0);
            c.dateWidth = (int)strlen(date);
            if (run->type == EXP_TEXT)     /* CSV cells have no width */
                ExpMeasureColumns(&c, columns, measured.data(), (int)measured.size());
            if (start)
                ExpWriteHeadings(&c, columns);
        }
        count = ListObjects(&c, rows);
    } else if (list) {
        c.work = PCFNewData(c.objectDef, "EXPORT");
        count = c.work ? ListObjects(&c, rows) : Fail(run, "No storage");
        if (c.work)
            PCFFreeData(c.objectDef, c.work, 1);
    } else {
        count = DialogObjects(&c);
    }
    ExpFlush(&c);
    if (count >= 0)
        ExpWriteTrailer(run);
    if (run->target->error && count >= 0)
        count = Fail(run, "Can not write to file");
    FreeContext(&c);
    return count;
}

/* ---- the automatic export --------------------------------------------------------- */

static void DebugReport(DialogWords *d, int force, int64_t now)
{
    const char *path = getenv("RAVOLT_EXPORT_DEBUG");
    if (!path || !*path)
        return;
    FILE *f = fopen(path, "ab");
    if (!f)
        return;
    char time[32];
    ExpTimeText(now, time, sizeof time);
    fprintf(f, "Auto Export for '%s' at %.24s FORCE(%s)\r\n", d->definition ? d->definition->title : "",
            time, force ? "Yes" : "No");
    int all = 1;
    for (PCFLISTREQ *r = d->lists ? d->lists : &d->first; r; r = d->lists ? r->next : nullptr) {
        if (!r->inUse && r != &d->first)
            continue;
        QMS *q = r->location ? r->location : d->first.location;
        fprintf(f, "Qm(%s) Data(%s) ", q ? q->qmName : "", PCFFirstRow(r->replyArea) ? "Yes" : "No");
        if (q && (q->status & 0x8002))
            fprintf(f, "Unavailable ");
        fprintf(f, "Req(%d) Err(%d) Rsp(%d) ", (int)r->requestCount, (int)r->endCount,
                (int)r->replyCount);
        int complete = r->requestCount && (r->replyCount == r->requestCount || r->endCount == r->requestCount);
        if (!complete)
            fprintf(f, "ReqAge(%d) ", (int)(now - r->lastRequest));
        fprintf(f, "%s\r\n", complete ? " Complete" : " Incomplete");
        all &= complete;
    }
    fprintf(f, "%s\r\n", all ? "All are complete" : "One or more are incomplete");
    fclose(f);
}

int ExpAutoExport(DialogWords *d, int force)
{
    if (!d || !d->exportDue)
        return 0;
    int64_t now = CSGetCurrentTime();
    if (!force && d->definition && d->definition->list &&
        !PCFListsUpToDate(d, 0, Prf.rfmaxrsp, 1, now))
        return 0;
    DebugReport(d, force, now);
    d->exportDue = 0;
    if (!d->exportFile[0]) {
        PCFStatus(d, "For auto export you must provide a file", 0);
        return 1;
    }
    char name[260], text[400];
    EXPTEMPLATECTX ctx = { &d->exportSequence, 0 };
    int fits = ExpandFileTemplateAt(d->first.location, &ctx, d->exportFile, name, now);
    d->exportMaximum = ctx.maximum;
    if (!fits) {
        snprintf(text, sizeof text, "Auto export file name '%s...' is longer than 259 characters", name);
        PCFStatus(d, text, 0);
        return 1;
    }
    /* "Append" and "Always Header" of the Auto Refresh Rate window */
    int append = (d->optionFlags & DO_APPEND) != 0, header = (d->optionFlags & DO_ALWAYS_HEADER) != 0;
    FILE *f = fopen(name, append ? "ab" : "wb");
    if (!f) {
        snprintf(text, sizeof text, "Unable to open auto export file '%s'", name);
        PCFStatus(d, text, 0);
        return 1;
    }
    fseek(f, 0, SEEK_END);
    EXPTARGET target = { f, nullptr, 0 };
    EXPORTRUN run;
    memset(&run, 0, sizeof run);
    run.dialog = d;
    run.type = d->exportType;
    run.selection = EXP_SHOWN;
    run.target = &target;
    run.appending = ftell(f) > 0;
    run.now = now;
    run.options = (d->exportOnlyDiff ? EXPO_ONLYDIFF : 0) | (header ? EXPO_HEADER : 0) |
                  (d->exportSystem ? EXPO_SYSTEM : 0) | (d->exportDefaults ? EXPO_DEFAULTS : 0);
    int count = ExpRun(&run);
    if (fclose(f) != 0 && count >= 0)
        count = -1;
    if (count >= 0 && d->exportMaximum && ++d->exportSequence > d->exportMaximum)
        d->exportSequence = 1;
    if (count < 0)
        PCFStatus(d, run.message[0] ? run.message : "Can not write to file", 0);
    else if (run.leftOut)
        PCFStatus(d, run.warning, 0);
    QMS *location = d->first.location;
    if (location) {
        location->exportLast = now;
        ExpScheduleNext(location);
    }
    return 1;
}
