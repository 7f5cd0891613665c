/* The Load/Unload dialog ("DRASKDLG"): a source (queue, Drask file or
 * other file), a target (queue or Drask file) and the options of one
 * transfer, turned into a control block and queued to the location's put
 * thread; the run's texts come back to its status line. */
#include "xferwnd.h"

#include <atomic>
#include <cstring>

#include "confirm.h"
#include "cs.h"
#include "filedlg.h"
#include "mqengine.h"
#include "progress.h"
#include "mq/mqconst.h"
#include "prfdata.h"
#include "tkwin.h"

/* The record of one open dialog (tag "DRASKWORDS"). */
struct DRASKWORDS {
    DDHANDLE dd;
    HWND window;
    QMS *location;
    char queue[DR_NAME + 1];
};

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define ROWS(type, id, text, value, style, cx, cy) {(uint32_t)(type), id, text, value, nullptr, style, cx, cy, 0, 0, 0}
#define PAGE(text, sub) {(uint32_t)DD_TAB, 0, text, 0, sub, 0, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

#define LIST_STYLE (CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP)
#define RADIO_FIRST (BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP)

static DDFieldDef IN_QUEUE[] = {
    ROW(DD_STATIC | DDF_CLASS1, 0, "Queue", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, DF_INQUEUE, "", 30, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "CCSID", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_CCSID, "", 8, 0),
    ROW(DD_STATIC | DDF_NOBREAK, 0, "Encoding", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, DF_ENCODING, "", 12, 0),
    ROW(DD_CHECKBOX | DDF_NEWROW, DF_MOVE, "Move", 0, 0),
    ROW(DD_CHECKBOX | DDF_NOBREAK, DF_READAHEAD, "Read Ahead", 0, 0),
    ROW(DD_CHECKBOX | DDF_NOBREAK, DF_FORCERFH2, "Force RFH2", 0, 0),
    ROW(DD_CHECKBOX | DDF_NOBREAK, DF_PURGE, "Purge", 0, 0),
    END,
};

static DDFieldDef IN_DRASK[] = {
    ROW(DD_STATIC | DDF_CLASS1, 0, "File", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_INFILE, "", 30, 0),
    ROW(DD_BUTTON | DDF_NOBREAK, DF_INCHOOSE, "Choose File", 1, 0),
    END,
};

static DDFieldDef IN_OTHER[] = {
    ROW(DD_STATIC | DDF_CLASS1, 0, "File", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_OTHERFILE, "", 30, 0),
    ROW(DD_BUTTON | DDF_NOBREAK, DF_OTHERCHOOSE, "Choose File", 1, 0),
    ROW(DD_RADIO | DDF_NEWROW, DF_MULTIPLE, "Multiple Messages", 0, RADIO_FIRST),
    ROW(DD_RADIO | DDF_NOBREAK, DF_SINGLE, "Single Message", 0, BS_AUTORADIOBUTTON),
    ROW(DD_GROUPBOX | DDF_NEWROW, DF_DELIMITERS, " Message Delimiters ", 0, 0),
    ROW(DD_STATIC | DDF_NOBREAK, 0, "Start", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_START, "", 12, 0),
    ROW(DD_STATIC | DDF_NOBREAK, 0, "End", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_END, "", 12, 0),
    ROW(DD_CHECKBOX | DDF_NEWROW, DF_INCLUDE, "Include Delimiters", 0, 0),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    END,
};

static DDFieldDef OUT_QUEUE[] = {
    ROW(DD_STATIC | DDF_CLASS1, 0, "Queue", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, DF_OUTQUEUE, "", 30, 0),
    ROW(DD_CHECKBOX | DDF_NEWROW, DF_ASYNC, "Async. Put", 0, 0),
    END,
};

static DDFieldDef OUT_DRASK[] = {
    ROW(DD_STATIC | DDF_CLASS1, 0, "File", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_OUTFILE, "", 30, 0),
    ROW(DD_BUTTON | DDF_NOBREAK, DF_OUTCHOOSE, "Choose File", 1, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Format", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, DF_FORMAT, "", 14, LIST_STYLE),
    ROW(DD_CHECKBOX | DDF_NOBREAK, DF_INDEX, "Index Output", 0, 0),
    ROW(DD_CHECKBOX | DDF_NOBREAK, DF_OVERWRITE, "Overwrite", 0, 0),
    END,
};

DDFieldDef DRASKDLG_TABLE[] = {
    ROW(DD_GROUPBOX, 0, " Input ", 0, 0),
    ROW(DD_TABCTL, DF_INPUTTAB, nullptr, 0, 0),
    PAGE("Queue", IN_QUEUE),
    PAGE("DRASK File", IN_DRASK),
    PAGE("Other File", IN_OTHER),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    ROW(DD_GROUPBOX, 0, " Output ", 0, 0),
    ROW(DD_TABCTL, DF_OUTPUTTAB, nullptr, 0, 0),
    PAGE("Queue", OUT_QUEUE),
    PAGE("DRASK File", OUT_DRASK),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    ROW(DD_GROUPBOX | DDF_NEWROW, 0, " Options ", 0, 0),
    ROW(DD_STATIC | DDF_CLASS1 | DDF_NOBREAK, 0, "Message Range", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_RANGE, "", 14, 0),
    ROW(DD_STATIC | DDF_NOBREAK, 0, "  eg. n, n..m, n#m", 0, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Context", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, DF_CONTEXT, "", 20, LIST_STYLE),
    ROW(DD_CHECKBOX | DDF_NOBREAK, DF_STRIP, "Strip Headers", 0, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Txn Message Limit", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_TXNLIMIT, "", 8, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Older Than", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_OLDER, "", 20, 0),
    ROW(DD_STATIC | DDF_NOBREAK, 0, "Younger Than", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, DF_YOUNGER, "", 20, 0),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    ROW(DD_GROUPBOX, 0, " Search ", 0, 0),
    ROW(DD_STATIC | DDF_CLASS1 | DDF_NOBREAK, 0, "ASCII", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK | DDF_CLASS2, DF_SEARCH, "", 16, 0),
    ROW(DD_EDIT | DDF_NOBREAK | DDF_CLASS2, DF_NOTSEARCH, "", 16, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Ebcdic", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK | DDF_CLASS2, DF_ESEARCH, "", 16, 0),
    ROW(DD_EDIT | DDF_NOBREAK | DDF_CLASS2, DF_NOTESEARCH, "", 16, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Hex", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK | DDF_CLASS2, DF_HSEARCH, "", 16, 0),
    ROW(DD_EDIT | DDF_NOBREAK | DDF_CLASS2, DF_NOTHSEARCH, "", 16, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "", 0, 0),
    ROW(DD_STATIC | DDF_NOBREAK | DDF_CLASS2, 0, "Search", 0, 0),
    ROW(DD_STATIC | DDF_NOBREAK | DDF_CLASS2, 0, "Not Search", 0, 0),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    ROWS(DD_STATIC | DDF_NEWROW, DF_STATUS, "", 1, 0, 70, 1),
    ROW(DD_BUTTON | DDF_NEWROW, IDOK, "OK", 1, BS_DEFPUSHBUTTON),
    ROW(DD_BUTTON | DDF_NOBREAK, DF_APPLY, "Apply", 1, 0),
    ROW(DD_BUTTON | DDF_NOBREAK, IDCANCEL, "Cancel", 1, 0),
    END,
};

static DRASKWORDS *words_of(HWND hwnd)
{
    return (DRASKWORDS *)GetWindowLongPtrA(hwnd, 0);
}

/* ---- initialisation ---- */

static void init_dialog(HWND hwnd, DDHANDLE dd, DRASKWORDS *dw)
{
    dw->dd = dd;
    dw->window = hwnd;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)dw);
    DROPT o;
    DraskInit(&o);
    char text[20];
    snprintf(text, sizeof text, "%d", (int)o.commitInterval);
    DDSetFieldText(dd, DF_TXNLIMIT, -1, text);
    const char *queue = dw->queue[0] ? dw->queue : dw->location ? dw->location->lastQueue : "";
    XferFillNames(dd, DF_INQUEUE, XN_QUEUE, queue);
    XferFillNames(dd, DF_OUTQUEUE, XN_QUEUE, queue);
    XferFillValues(dd, DF_FORMAT, DraskFormats, DraskFormats[0].value);
    XferFillValues(dd, DF_CONTEXT, DraskContexts, DraskContexts[0].value);
    XferFillValues(dd, DF_ENCODING, DraskEncodings, 0xFFFFFFFF);
    DDSetCheck(dd, DF_ASYNC, 1);
    DDSetCheck(dd, DF_READAHEAD, 1);
    DDSetCheck(dd, DF_MULTIPLE, 1);
    int old = dw->location && dw->location->commandLevel && dw->location->commandLevel < 700;
    DDSetCheck(dd, DF_FORCERFH2, !old);
    DDEnableField(dd, DF_FORCERFH2, !old, 0);
    XferSetFont(dd);
    XferSetColours(hwnd, dd);
    HWND first = DDGetFieldWindow(dd, DF_INQUEUE, 0);
    if (first)
        SetFocus(first);
}

/* ---- building and queueing ---- */

static void read_fields(DDHANDLE dd, DRASKFIELDS *f)
{
    memset(f, 0, sizeof *f);
    f->input = DDGetTabSelection(dd, DF_INPUTTAB);
    f->output = DDGetTabSelection(dd, DF_OUTPUTTAB);
    XferFieldText(dd, DF_INQUEUE, f->inQueue, sizeof f->inQueue);
    XferFieldText(dd, DF_CCSID, f->ccsid, sizeof f->ccsid);
    XferFieldText(dd, DF_ENCODING, f->encoding, sizeof f->encoding);
    f->move = DDGetCheck(dd, DF_MOVE);
    f->readAhead = DDGetCheck(dd, DF_READAHEAD);
    f->forceRfh2 = DDGetCheck(dd, DF_FORCERFH2);
    f->purge = DDGetCheck(dd, DF_PURGE);
    XferFieldText(dd, DF_INFILE, f->inFile, sizeof f->inFile);
    XferFieldText(dd, DF_OTHERFILE, f->otherFile, sizeof f->otherFile);
    f->single = DDGetCheck(dd, DF_SINGLE);
    f->include = DDGetCheck(dd, DF_INCLUDE);
    DDGetFieldText(dd, DF_START, f->startDelim, sizeof f->startDelim);
    DDGetFieldText(dd, DF_END, f->endDelim, sizeof f->endDelim);
    XferFieldText(dd, DF_OUTQUEUE, f->outQueue, sizeof f->outQueue);
    f->async = DDGetCheck(dd, DF_ASYNC);
    XferFieldText(dd, DF_OUTFILE, f->outFile, sizeof f->outFile);
    f->format = XferSelectedValue(dd, DF_FORMAT, DraskFormats, 0);
    f->index = DDGetCheck(dd, DF_INDEX);
    f->overwrite = DDGetCheck(dd, DF_OVERWRITE);
    XferFieldText(dd, DF_RANGE, f->range, sizeof f->range);
    f->context = XferSelectedValue(dd, DF_CONTEXT, DraskContexts, DRO_CTX_SETALL);
    f->strip = DDGetCheck(dd, DF_STRIP);
    XferFieldText(dd, DF_TXNLIMIT, f->txnLimit, sizeof f->txnLimit);
    XferFieldText(dd, DF_OLDER, f->older, sizeof f->older);
    XferFieldText(dd, DF_YOUNGER, f->younger, sizeof f->younger);
    static const int search[DRS_GROUPS] = {DF_SEARCH, DF_NOTSEARCH, DF_ESEARCH,
                                           DF_NOTESEARCH, DF_HSEARCH, DF_NOTHSEARCH};
    for (int g = 0; g < DRS_GROUPS; g++)
        DDGetFieldText(dd, search[g], f->search[g], sizeof f->search[g]);
}

/* A request key of its own for each run (the progress record's). */
static void new_key(uint8_t *key)
{
    static std::atomic<uint32_t> count{0};
    uint64_t tick = GetTickCount64(), n = ++count;
    memset(key, 0, 24);
    memcpy(key, "DRASK", 5);
    memcpy(key + 8, &tick, 8);
    memcpy(key + 16, &n, 8);
}

static int queue_block(DRASKWORDS *dw, const DROPT *built, const char *caption)
{
    DROPT *block = (DROPT *)CSGetMem(sizeof *block, "DROPT");
    if (!block) {
        XferStatus(dw->dd, "Can not allocate DRASK storage");
        return 1;
    }
    memcpy(block, built, sizeof *block);
    uint8_t key[24];
    new_key(key);
    block->window = dw->window;
    block->progress = ProgCreate(dw->window, key, caption);
    ProgAddRef(block->progress);                 /* the put thread's */
    ThreadRequest request = {};
    request.kind = TRK_LOADUNLOAD;
    request.resultWindow = dw->window;
    request.count = 1;
    int rc = PostThreadRequest(dw->location, nullptr, TRF_KIND | TRF_MSGINFO, &request, key, block,
                               sizeof *block);
    if (rc) {
        char text[300];
        snprintf(text, sizeof text, "Error processing Drask command RC(%ld) %s", (long)rc, MQReasonText(rc));
        XferStatus(dw->dd, text);
        ProgSetDone(block->progress, 0);
        ProgFinish(block->progress);
        CSFreeMem(block);
        return 1;
    }
    return 0;
}

/* OK and Apply: 0 when the run was queued. */
static int start(DRASKWORDS *dw)
{
    DRASKFIELDS f;
    read_fields(dw->dd, &f);
    DROPT o;
    DRASKBUILT built;
    char error[300];
    if (DraskBuildBlock(&f, CSGetCurrentTime(), &o, &built, error, sizeof error)) {
        XferFieldError(dw->dd, built.field, error);
        return 1;
    }
    if (built.older[0])
        DDSetFieldText(dw->dd, DF_OLDER, -1, built.older);
    if (built.younger[0])
        DDSetFieldText(dw->dd, DF_YOUNGER, -1, built.younger);
    XferStatus(dw->dd, built.status);
    int agreed = 0;
    if (built.askPurge) {
        agreed = WinConfirm(dw->window, 0,
                            "purge the messages which don't match any filter?\nThis may discard messages.",
                            nullptr, nullptr, 0);
        if (!agreed)
            return 1;
    }
    DraskSettleBrowse(&o, agreed);
    XferRememberName(XN_QUEUE, o.sourceQ);
    XferRememberName(XN_QUEUE, o.targetQ);
    if (dw->location && (o.sourceQ[0] || o.targetQ[0]))
        UTStrCopy(dw->location->lastQueue, o.sourceQ[0] ? o.sourceQ : o.targetQ,
                  sizeof dw->location->lastQueue);
    return queue_block(dw, &o, built.caption);
}

static void choose(DRASKWORDS *dw, int field, uint32_t flags)
{
    char path[300] = "";        /* the dialog starts from it when the field is empty */
    HWND edit = DDGetFieldWindow(dw->dd, field, 0);
    if (edit)
        UIGetFileName(dw->window, edit, flags, path);
}

static void command(DRASKWORDS *dw, int id)
{
    switch (id) {
    case IDOK:
        if (!start(dw))
            PostMessageA(dw->window, WM_CLOSE, 0, 0);
        break;
    case DF_APPLY:
        start(dw);
        break;
    case IDCANCEL:
        PostMessageA(dw->window, WM_CLOSE, 0, 0);
        break;
    case DF_INCHOOSE:
        choose(dw, DF_INFILE, UIF_INPUT | UIF_DRASK);
        break;
    case DF_OUTCHOOSE:
        choose(dw, DF_OUTFILE, UIF_DRASK);
        break;
    case DF_OTHERCHOOSE:
        choose(dw, DF_OTHERFILE, UIF_INPUT);
        break;
    case DF_SINGLE:
    case DF_MULTIPLE:
        DDEnableField(dw->dd, DF_DELIMITERS, id == DF_MULTIPLE, 1);
        break;
    }
}

static LRESULT CALLBACK DraskDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DRASKWORDS *dw = words_of(hwnd);
    switch (msg) {
    case WM_INITDIALOG:
        init_dialog(hwnd, (DDHANDLE)wp, (DRASKWORDS *)lp);
        return 0;
    case WM_COMMAND:
        if (dw)
            command(dw, LOWORD(wp));
        return 0;
    }
    if (XferWindowMessage(hwnd, dw ? &dw->dd : nullptr, dw, msg, wp, lp, DLG_DRASK))
        return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND DraskDialog(QMS *location, const char *queue)
{
    DRASKWORDS *dw = (DRASKWORDS *)CSGetMem(sizeof *dw, "DRASKWORDS");
    if (!dw) {
        WinOpError("Storage allocation failed");
        return nullptr;
    }
    memset(dw, 0, sizeof *dw);
    dw->location = location;
    UTStrCopy(dw->queue, queue ? queue : "", sizeof dw->queue);
    char title[100];
    snprintf(title, sizeof title, "Queue Load/Unload from '%.48s'", location ? location->qmName : "");
    HWND w = DDCreateDialog(nullptr, DRASKDLG_TABLE, DDC_ESCAPECLOSES, title, "DRASKDLG", nullptr,
                            DraskDlgProc, (LPARAM)dw);
    if (!w) {
        CSFreeMem(dw);
        WinOpError("WinLoadDlg failed");
        return nullptr;
    }
    AddModeless(w, 0, location, nullptr);
    XferPlaceWindow(w, dw->dd, DLG_DRASK);
    ShowWindow(w, SW_SHOW);
    return w;
}
