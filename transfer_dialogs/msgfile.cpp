/* Single-message load and save: the "Kelvane Load Message" and "Kelvane
 * Save Message" dialogs of a message dialog, which read the first message
 * of a Drask or dmpmqmsg file into the message editor, or write the
 * editor's message to a Drask file (new, replaced or appended). */
#include "xferwnd.h"

#include <cstring>

#include "confirm.h"
#include "cs.h"
#include "eddialog.h"
#include "edops.h"
#include "edpane.h"
#include "edwnd.h"
#include "filedlg.h"
#include "prfdata.h"
#include "tkwin.h"

enum {
    KV_STATUS = 103, KV_CHOOSE = 186, KV_OVERWRITE = 187, KV_APPEND = 188, KV_SAVE = 243,
    KV_LOAD = 244, KV_FILE = 412, FIRST_LINE_MAX = 500,
};

/* The record of one load or save dialog (tag "MSGFILEWORDS"). */
struct MSGFILEWORDS {
    DDHANDLE dd;
    HWND window;
    DialogWords *owner;
    int save;
};

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define ROWS(type, id, text, value, style, cx, cy) {(uint32_t)(type), id, text, value, nullptr, style, cx, cy, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

DDFieldDef DLG_LOADMSG[] = {
    ROW(DD_STATIC, 0, "File name", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, KV_FILE, "", 40, 0),
    ROW(DD_BUTTON | DDF_NOBREAK, KV_CHOOSE, "...", 1, 0),
    ROWS(DD_STATIC | DDF_NEWROW, KV_STATUS, "", 1, 0, 50, 1),
    ROW(DD_BUTTON | DDF_NEWROW, KV_LOAD, "Load", 1, BS_DEFPUSHBUTTON),
    ROW(DD_BUTTON | DDF_NOBREAK, IDCANCEL, "Cancel", 1, 0),
    END,
};

DDFieldDef DLG_SAVEMSG[] = {
    ROW(DD_STATIC, 0, "File name", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, KV_FILE, "", 40, 0),
    ROW(DD_BUTTON | DDF_NOBREAK, KV_CHOOSE, "...", 1, 0),
    ROW(DD_CHECKBOX | DDF_NEWROW, KV_OVERWRITE, "Overwrite", 0, 0),
    ROW(DD_CHECKBOX | DDF_NOBREAK, KV_APPEND, "Append", 0, 0),
    ROWS(DD_STATIC | DDF_NEWROW, KV_STATUS, "", 1, 0, 50, 1),
    ROW(DD_BUTTON | DDF_NEWROW, KV_SAVE, "Save", 1, BS_DEFPUSHBUTTON),
    ROW(DD_BUTTON | DDF_NOBREAK, IDCANCEL, "Cancel", 1, 0),
    END,
};

/* ---- the open dialogs of each message dialog ---- */

enum { OPEN_MAX = 64 };
static MSGFILEWORDS *open[OPEN_MAX];

static MSGFILEWORDS *find_open(DialogWords *owner, int save)
{
    for (MSGFILEWORDS *w : open)
        if (w && w->owner == owner && w->save == save)
            return w;
    return nullptr;
}

static void forget(MSGFILEWORDS *mw)
{
    for (MSGFILEWORDS *&w : open)
        if (w == mw)
            w = nullptr;
}

static int remember(MSGFILEWORDS *mw)
{
    for (MSGFILEWORDS *&w : open)
        if (!w) {
            w = mw;
            return 1;
        }
    return 0;
}

/* ---- status and names ---- */

static void failed(MSGFILEWORDS *mw, const char *text)
{
    XferStatus(mw->dd, text);
    if (edHost.errorSound)
        edHost.errorSound();
    else
        MessageBeep(MB_ICONEXCLAMATION);
}

static int file_name(MSGFILEWORDS *mw, char *name, size_t size)
{
    return XferFieldText(mw->dd, KV_FILE, name, (int)size) > 0;
}

/* ---- loading ---- */

/* The first message of the file into the block, strictly: the first
 * line must be a Drask or dmpmqmsg header.  0, or 1 after the status. */
static int read_first(MSGFILEWORDS *mw, DROPT *o)
{
    char text[400];
    o->in = DraskOpenFile(o->inFile, "rb");
    if (!o->in) {
        snprintf(text, sizeof text, "Can not open file '%s'", o->inFile);
        failed(mw, text);
        return 1;
    }
    int rc = DraskReadLine(o, DRL_RAW);
    if (rc != 1 && rc != 0) {
        snprintf(text, sizeof text, "Error reading from file '%s'", o->inFile);
        failed(mw, text);
        return 1;
    }
    DraskSkipByteOrderMark(o);
    uint32_t n = o->lineLength < FIRST_LINE_MAX ? o->lineLength : FIRST_LINE_MAX;
    int drask = (n >= 7 && !memcmp(o->line, "* DRASK", 7)) || (n >= 10 && !memcmp(o->line, "* DMPMQMSG", 10));
    if (!drask) {
        snprintf(text, sizeof text, "File '%s' does not appear to be a DRASK file", o->inFile);
        failed(mw, text);
        return 1;
    }
    rc = DraskReadLine(o, DRL_NEXT);
    if (rc == 1 || rc == 0)
        rc = DraskReadAttributes(o);
    if (rc == DRC_END)
        rc = DraskFail(o, DRC_BADFILE, "Expected message attribute at line %lld of file '%s'",
                       (long long)o->lineNumber, o->inFile);
    if (rc) {
        failed(mw, o->error);
        return 1;
    }
    return 0;
}

/* The message replaces the editor's, which formats it anew. */
static int take_message(MSGFILEWORDS *mw, PCFDATA *ed, const DROPT *o)
{
    if (!EdKeepSavedData(ed) || !CSDataSet(&ed->data, o->msg, o->msgLength, CSDATA_STEP) ||
        !CSDataSet(&ed->descriptor, &o->md, sizeof o->md, 0)) {
        failed(mw, "Can not allocate storage.");
        return 1;
    }
    EdFreeUndoList(ed);
    memset(&ed->cursor, 0, sizeof ed->cursor);
    ed->cursor.buffer = &ed->data;
    ed->anchor = ed->cursor;
    ed->anchor.column = ED_UNSET;
    ed->flush = 1;
    ed->generation++;
    EdSyncDataArea(ed, 0);
    if (ed->window)
        SendMessageA((HWND)ed->window, UM_PANE_REFORMAT, 0, 0);
    return 0;
}

/* The open dialog of a message dialog, its editor and a block with the
 * file's name from 412; null when one of them is missing. */
static DROPT *file_block(DialogWords *dialog, int save, MSGFILEWORDS **mw, PCFDATA **ed)
{
    *mw = find_open(dialog, save);
    *ed = dialog ? dialog->editor : nullptr;
    if (!*mw || !*ed)
        return nullptr;
    DROPT *o = (DROPT *)CSGetMem(sizeof *o, "DROPT");
    if (!o) {
        failed(*mw, "Can not allocate storage.");
        return nullptr;
    }
    DraskInit(o);
    o->options = 0;
    file_name(*mw, save ? o->outFile : o->inFile, sizeof o->inFile);
    return o;
}

int LoadMsgFromFile(DialogWords *dialog)
{
    MSGFILEWORDS *mw;
    PCFDATA *ed;
    DROPT *o = file_block(dialog, 0, &mw, &ed);
    if (!o)
        return 1;
    int rc = ConfirmDiscardEdits(dialog) || read_first(mw, o) || take_message(mw, ed, o);
    if (!rc) {
        XferStatus(mw->dd, "Message successfully loaded");
        UTStrCopy(Prf.loadmsgfile, o->inFile, sizeof Prf.loadmsgfile);
    }
    if (o->in)
        fclose(o->in);
    DraskFreeBuffers(o);
    CSFreeMem(o);
    return rc;
}

/* ---- saving ---- */

/* How the file opens ("wb" or "ab"), or null when the user declines. */
static const char *save_mode(MSGFILEWORDS *mw, const char *name)
{
    if (DDGetCheck(mw->dd, KV_APPEND))
        return "ab";
    if (!DDGetCheck(mw->dd, KV_OVERWRITE) && DraskFileExists(name)) {
        char question[400];
        snprintf(question, sizeof question, "!File '%s' already exists. Would you like to overwrite it ?",
                 name);
        if (!WinConfirm(mw->window, 0, question, nullptr, nullptr, 0))
            return nullptr;
    }
    return "wb";
}

static int write_message(MSGFILEWORDS *mw, PCFDATA *ed, DROPT *o)
{
    MQMD md;
    DraskDefaultMD(&md);
    if (ed->descriptor.length >= MQMD_LENGTH_1)
        memcpy(&md, ed->descriptor.data, ed->descriptor.length < sizeof md ? ed->descriptor.length : sizeof md);
    int rc = DraskWriteHeader(o, nullptr);
    if (!rc)
        rc = DraskWriteMessage(o, &md, ed->data.data, ed->data.length, 1);
    if (!rc)
        rc = DraskFlushOutput(o, 0);
    if (fclose(o->out) && !rc)
        rc = DraskFail(o, DRC_WRITE, "Can not write to file '%s'", o->outFile);
    o->out = nullptr;
    if (rc)
        failed(mw, o->error);
    return rc;
}

int SaveMsgToFile(DialogWords *dialog)
{
    MSGFILEWORDS *mw;
    PCFDATA *ed;
    DROPT *o = file_block(dialog, 1, &mw, &ed);
    if (!o)
        return 1;
    int rc = 1;
    const char *mode = nullptr;
    if (ed->noFormat &&
        !WinConfirm(mw->window, 0,
                    "!The message does not appear to format correctly.\n\nAre you sure you want to continue?",
                    nullptr, nullptr, 0))
        goto done;
    if (!(mode = save_mode(mw, o->outFile)))
        goto done;
    if (!(o->out = DraskOpenFile(o->outFile, mode))) {
        char text[400];
        snprintf(text, sizeof text, "Can not open file '%s'", o->outFile);
        failed(mw, text);
        goto done;
    }
    if (!(rc = write_message(mw, ed, o))) {
        char text[400];
        snprintf(text, sizeof text, "Message written to '%s' successfully", o->outFile);
        XferStatus(mw->dd, text);
        UTStrCopy(Prf.savemsgfile, o->outFile, sizeof Prf.savemsgfile);
    }
done:
    DraskFreeBuffers(o);
    CSFreeMem(o);
    return rc;
}

/* ---- the dialogs ---- */

static MSGFILEWORDS *words_of(HWND hwnd)
{
    return (MSGFILEWORDS *)GetWindowLongPtrA(hwnd, 0);
}

static void name_changed(MSGFILEWORDS *mw)
{
    char name[DR_FILE + 1];
    DDEnableField(mw->dd, mw->save ? KV_SAVE : KV_LOAD, file_name(mw, name, sizeof name), 0);
    XferStatus(mw->dd, "");
}

static void init_dialog(HWND hwnd, DDHANDLE dd, MSGFILEWORDS *mw)
{
    mw->dd = dd;
    mw->window = hwnd;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)mw);
    DDSetFieldText(dd, KV_FILE, DR_FILE, mw->save ? Prf.savemsgfile : Prf.loadmsgfile);
    name_changed(mw);
    XferSetFont(dd);
    XferSetColours(hwnd, dd);
}

static void command(MSGFILEWORDS *mw, int id, int code)
{
    switch (id) {
    case KV_FILE:
        if (code == EN_CHANGE)
            name_changed(mw);
        break;
    case KV_CHOOSE: {
        char path[300] = "";        /* the dialog starts from it when the field is empty */
        HWND edit = DDGetFieldWindow(mw->dd, KV_FILE, 0);
        if (edit && UIGetFileName(mw->window, edit, (mw->save ? 0 : UIF_INPUT) | UIF_DRASK, path))
            name_changed(mw);
        break;
    }
    case KV_LOAD:
        LoadMsgFromFile(mw->owner);
        break;
    case KV_SAVE:
        SaveMsgToFile(mw->owner);
        break;
    case IDCANCEL:
        PostMessageA(mw->window, WM_CLOSE, 0, 0);
        break;
    }
}

static LRESULT CALLBACK MsgFileProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    MSGFILEWORDS *mw = words_of(hwnd);
    switch (msg) {
    case WM_INITDIALOG:
        init_dialog(hwnd, (DDHANDLE)wp, (MSGFILEWORDS *)lp);
        return 0;
    case WM_COMMAND:
        if (mw)
            command(mw, LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_DESTROY:
        if (mw)
            forget(mw);
        break;
    }
    if (XferWindowMessage(hwnd, mw ? &mw->dd : nullptr, mw, msg, wp, lp, mw && mw->save ? DLG_SAVEM : DLG_LOADM))
        return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static HWND open_dialog(DialogWords *dialog, int save)
{
    MSGFILEWORDS *mw = find_open(dialog, save);
    if (mw) {
        ShowWindow(mw->window, SW_RESTORE);
        SetForegroundWindow(mw->window);
        return mw->window;
    }
    mw = (MSGFILEWORDS *)CSGetMem(sizeof *mw, "MSGFILEWORDS");
    if (!mw) {
        WinOpError("Storage allocation failed");
        return nullptr;
    }
    memset(mw, 0, sizeof *mw);
    mw->owner = dialog;
    mw->save = save;
    HWND owner = dialog ? (HWND)dialog->window : nullptr;
    HWND w = remember(mw) ? DDCreateDialog(nullptr, save ? DLG_SAVEMSG : DLG_LOADMSG, DDC_ESCAPECLOSES,
                                           save ? "Kelvane Save Message" : "Kelvane Load Message",
                                           save ? "DLG_SAVEMSG" : "DLG_LOADMSG", owner, MsgFileProc,
                                           (LPARAM)mw)
                          : nullptr;
    if (!w) {
        forget(mw);
        CSFreeMem(mw);
        WinOpError("WinLoadDlg failed");
        return nullptr;
    }
    AddModeless(w, 0, EdLocation(dialog), nullptr);
    XferPlaceWindow(w, mw->dd, save ? DLG_SAVEM : DLG_LOADM);
    ShowWindow(w, SW_SHOW);
    return w;
}

HWND LoadMsgDialog(DialogWords *dialog)
{
    return open_dialog(dialog, 0);
}

HWND SaveMsgDialog(DialogWords *dialog)
{
    return open_dialog(dialog, 1);
}

void MsgFileCommand(void *, DialogWords *dialog, int32_t command)
{
    if (command == IDM_SAVEMSG)
        SaveMsgDialog(dialog);
    else if (command == IDM_LOADMSG)
        LoadMsgDialog(dialog);
}
