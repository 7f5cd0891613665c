/* Test helpers of the filters: the hook recorder, list dialogs on real
 * definitions filled through the list fill, compiling and the per-row
 * protocol. */
#include "flttest.h"

#include <cstring>

using dlgtest::Reply;

namespace flttest {

Recorder *Rec;

static void HookBeep(void *) { Rec->beeps++; }
static void HookSound(void *, const char *name) { Rec->sounds.push_back(name); }
static void HookStatus(void *, DialogWords *, const char *text, int mode) { Rec->statuses.push_back({ text, mode }); }

static int HookRun(void *, QMS *loc, DialogWords *, PCFROW *, const char *text, char **error)
{
    Rec->commands.push_back(std::string(loc ? loc->qmName : "") + ":" + text);
    if (!Rec->commandFails)
        return 0;
    *error = (char *)CSGetMem(32, "ErrorText");
    strcpy(*error, "could not run");
    return 1;
}

static void HookNote(void *, DialogWords *, const char *text) { Rec->notes.push_back(text); }

static int HookField(void *, DialogWords *, char *buffer, int size)
{
    if (Rec->noField)
        return -1;
    snprintf(buffer, (size_t)size, "%s", Rec->field.c_str());
    return (int)strlen(buffer);
}

static void HookSelect(void *, DialogWords *, int start, int end) { Rec->selections.push_back({ start, end }); }

static void HookNamed(void *, const char *name, int start, int end)
{
    Rec->namedErrors.push_back(std::string(name) + ":" + std::to_string(start) + "-" + std::to_string(end));
}

static void HookValues(void *, DialogWords *) { Rec->valueFills++; }
static void HookUpdate(void *, DialogWords *) { Rec->updates++; }
static void HookPost(void *, DialogWords *) { Rec->posts++; }
static void HookRefresh(void *, DialogWords *) { Rec->refreshLists++; }
static int HookWhere(void *, DialogWords *d)
{
    Rec->whereFilters++;
    return PCFFilterWhere(d);
}

static void HookRecent(void *, DialogWords *, CSLIST **own, CSLIST **kind)
{
    *own = &Rec->own;
    *kind = Rec->sharedList ? &Rec->own : &Rec->kind;
}

void Recorder::Install()
{
    Rec = this;
    FLTHOOKS h = {};
    h.beep = HookBeep;
    h.sound = HookSound;
    h.status = HookStatus;
    h.runCommand = HookRun;
    h.noteBox = HookNote;
    h.fieldText = HookField;
    h.selectRange = HookSelect;
    h.showNamedError = HookNamed;
    h.setFilterValues = HookValues;
    h.updateList = HookUpdate;
    h.postRefresh = HookPost;
    h.refreshList = HookRefresh;
    h.setWhereFilter = HookWhere;
    h.recentLists = HookRecent;
    FltSetHooks(&h);
}

void Recorder::Uninstall()
{
    CSListFree(&own, nullptr, nullptr);
    CSListFree(&kind, nullptr, nullptr);
    FltSetHooks(nullptr);
    Rec = nullptr;
}

std::string Recorder::LastStatus(int mode) const
{
    for (auto it = statuses.rbegin(); it != statuses.rend(); ++it)
        if (mode < 0 || it->mode == mode)
            return it->text;
    return "";
}

ListDialog::ListDialog(PCFCommandDef *def) : dlg(def, (void *)this)
{
    strcpy(location.qmName, "QM1");
    strcpy(location.locationName, "First location");
    location.commandLevel = 940;
    dlg->first.location = &location;
}

ListDialog::~ListDialog()
{
    DialogWords *w = d();
    if (w->stateFlags & DF_FILTER_MARKED)
        PCFClearFilterMark(w);
    PCFEvalFreeContext(w);
    PCFFilterFree(w);
    ColFilterFreeAll(w);
    if (w->first.ownsColumns)
        CSFreeMemAndClear(&w->first.columns);
}

void ListDialog::Fill(const std::vector<Reply> &replies)
{
    DialogWords *w = d();
    PCFLISTREQ *req = &w->first;
    req->sequence++;
    dlgtest::Recorder rec;
    rec.Install();
    for (const Reply &r : replies)
        FillListArea(w, &location, req, r.Bytes(), r.Length(), 0);
    for (dlgtest::Post &p : rec.posts)
        if (p.message == UM_PCF_UPDATE_LIST) {
            PCFTakeListArea(w, (PCFLISTREQ *)p.wParam, (PCFLISTAREA *)p.lParam);
            p.message = 0;
        }
    rec.ReleasePosted();
    dlgtest::Recorder::Clear();
    ReleaseRefBlock(&req->filling);
}

std::vector<PCFROW *> ListDialog::Rows()
{
    std::vector<PCFROW *> rows;
    for (PCFROW *r = PCFFirstRow(Area()); r; r = PCFNextRow(Area(), r))
        rows.push_back(r);
    return rows;
}

uint8_t *ListDialog::Record(PCFROW *row, uint32_t attrId)
{
    return FindItemAttr(Area(), attrId, row);
}

std::string ListDialog::Text(PCFROW *row, uint32_t attrId)
{
    uint8_t *v = Record(row, attrId);
    return v && (PCFState(v) & PCFS_PRESENT) ? std::string((char *)v + PCFLV_TEXT, PCFListLength(v)) : "-";
}

int32_t ListDialog::Int(PCFROW *row, uint32_t attrId)
{
    uint8_t *v = Record(row, attrId);
    return v ? PCFListInt(v) : -999;
}

Reply Queues(const std::vector<QueueRow> &rows)
{
    Reply r(MQCMD_INQUIRE_Q);
    bool first = true;
    for (const QueueRow &q : rows) {
        if (!first)
            r.Separator();
        first = false;
        r.Str(MQCA_Q_NAME, q.name, 48 - (int)q.name.size())
            .Int(MQIA_Q_TYPE, q.type)
            .Int(MQIA_CURRENT_Q_DEPTH, q.depth)
            .Int(MQIA_MAX_Q_DEPTH, q.maxDepth)
            .Int(MQIA_DEFINITION_TYPE, 1);
    }
    return r;
}

/* Compiles a text: "" or the error with its prefix and outer range. */
static std::string Parse(const std::string &text, const std::string &outerName, DialogWords *d,
                         FilterProgram **prog, int *start, int *end)
{
    char error[FLT_ERROR_SIZE];
    FLTREADER reader;
    FltReaderInit(&reader, text.c_str(), (int)text.size(), outerName.c_str(), error);
    int rc = d ? PCFEvalParse(PCFDialogCaps(d), d->definition, FltDialogContext(d), prog, &reader)
               : PCFEvalParse(nullptr, nullptr, nullptr, prog, &reader);
    std::string result;
    if (rc) {
        char prefix[FLT_ERROR_SIZE];
        FltErrorPrefix(&reader, prefix, sizeof prefix);
        result = std::string(prefix) + error;
        int s = -1, e = -1;
        PCFEvalErrorPos(&reader, 1, &s, &e);
        if (start)
            *start = s;
        if (end)
            *end = e;
    }
    FltReaderFree(&reader);
    return result;
}

std::string Compile(DialogWords *d, const std::string &text, int *start, int *end)
{
    FilterProgram *prog = nullptr;
    std::string result = Parse(text, "", d, &prog, start, end);
    if (prog) {
        FilterProgram *old = (FilterProgram *)d->filterProgram;
        PCFFreeProgram(&old);
        d->filterProgram = prog;
    }
    return result;
}

std::string Check(const std::string &text, const std::string &outerName, int *start, int *end)
{
    FilterProgram *prog = nullptr;
    std::string result = Parse(text, outerName, nullptr, &prog, start, end);
    PCFFreeProgram(&prog);
    return result;
}

std::vector<int> Fill(DialogWords *d, bool columnFilters)
{
    std::vector<int> verdicts;
    PCFLISTAREA *area = FltDialogArea(d);
    if (!area)
        return verdicts;
    PCFFilterFillBegin(d);
    for (int pass = 0; pass < 2; pass++) {
        verdicts.clear();
        PCFFilterFillArea(d, area);
        int index = 0, rows = (int)area->rows, stop = 0;
        for (PCFROW *r = PCFFirstRow(area); r && !stop; r = PCFNextRow(area, r), index++) {
            int v = PCFFilterFillRow(d, r, index, index == rows - 1);
            if (v < 0)
                stop = 1;
            if (v > 0 && columnFilters && !ColFilterMatch(d, r))
                v = 0;
            verdicts.push_back(v);
        }
        if (stop || !PCFFilterFillRescan(d))
            break;
    }
    PCFFilterFillEnd(d);
    return verdicts;
}

std::vector<int> Shown(DialogWords *d, bool columnFilters)
{
    std::vector<int> shown, v = Fill(d, columnFilters);
    for (size_t i = 0; i < v.size(); i++)
        if (v[i] > 0)
            shown.push_back((int)i);
    return shown;
}

void Named(const std::string &name, const std::string &text, bool local, bool shared)
{
    FltStoreEntry(name.c_str(), text.c_str(), local, shared, nullptr);
}

void ClearNamed() { FltFreeLists(); }

int64_t Blocks() { return dlgtest::Blocks(); }

uint32_t Allocations()
{
    CSMEMSTATS s;
    CSMemStats(&s);
    return s.sequence;
}

static int32_t ZoneOffset;
static int Zone(int64_t, CSZoneInfo *z)
{
    z->offset = z->standardOffset = ZoneOffset;
    z->isDst = 0;
    return 1;
}

void FixedZone(int32_t offset)
{
    ZoneOffset = offset;
    CSSetTimeZoneProc(Zone);
}

}  // namespace flttest
