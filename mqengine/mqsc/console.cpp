/* The MQSC console: the input of a console dialog split into commands,
 * each sent as an escape PCF command (or as plain MQSC text to a z/OS
 * queue manager) under the dialog's console record, with its redirection
 * to a file, comments, "cls", command files and the search of the reply
 * lines.  The console state of each dialog lives in a record here. */
#include "mqsc.h"

#include "cs.h"
#include "locstore.h"
#include "pcflists.h"

#define STATUS_KIND_FILE_ERROR 33

static CSLIST Consoles;           /* MQSCCONSOLE, under lock 5 */

/* ---- console state ---- */

MQSCCONSOLE *MQSCConsoleFind(DialogWords *d)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    CSLISTELEM *e = Consoles.first;
    while (e && ((MQSCCONSOLE *)e)->dialog != d)
        e = e->next;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return (MQSCCONSOLE *)e;
}

MQSCCONSOLE *MQSCConsoleOf(DialogWords *d)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    MQSCCONSOLE *c = MQSCConsoleFind(d);
    if (!c) {
        MQSCCONSOLE image = {};
        image.dialog = d;
        image.foundLine = -1;
        c = (MQSCCONSOLE *)CSListAdd(&Consoles, "MQSCCONS", 0, &image, sizeof image);
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return c;
}

void MQSCConsoleFree(DialogWords *d)
{
    IFCMD *r;
    while ((r = IfcmdFind(d, MQSCResponseLines)) != nullptr)
        IfcmdFree(r);
    CSLockGlobal(CSLOCK_DIALOGS);
    MQSCCONSOLE *c = MQSCConsoleFind(d);
    if (c) {
        MQSCClearLines(c);
        CSListRemove(&c->link);
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

int32_t MQSCLineChars(const MQSCCONSOLE *c)
{
    int32_t n = c->charWidth ? (int32_t)(c->lineWidth / c->charWidth) : 0;
    return n > 0 ? n : 80;
}

int32_t MQSCLineCount(MQSCCONSOLE *c)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    int32_t n = c->lineCount;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return n;
}

int MQSCLineText(MQSCCONSOLE *c, int32_t index, char *out, size_t size, uint32_t *type)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    MQSCLINE *line = MQSCLineAt(c, index);
    if (line) {
        CmdCopy(out, line->text, size);
        if (type)
            *type = line->type;
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return line != nullptr;
}

/* ---- texts of a command ---- */

uint8_t *MQSCEscapeRequest(const char *text, uint32_t *length)
{
    size_t n = strlen(text), padded = (n + 3) & ~(size_t)3;
    *length = (uint32_t)(36 + 16 + 20 + padded);
    uint8_t *m = (uint8_t *)CSGetMem(*length, "MQSCCommand");
    if (!m)
        return nullptr;
    const int32_t head[] = { MQCFT_COMMAND, 36, 1, MQCMD_ESCAPE, 1, MQCFC_LAST, 0, 0, 2,
                             MQCFT_INTEGER, 16, MQIACF_ESCAPE_TYPE, MQET_MQSC,
                             MQCFT_STRING, (int32_t)(20 + padded), MQCACF_ESCAPE_TEXT, 0, (int32_t)n };
    memcpy(m, head, sizeof head);
    memset(m + sizeof head, ' ', padded);
    memcpy(m + sizeof head, text, n);
    return m;
}

int MQSCEscapeText(const uint8_t *reply, uint32_t length, const char **text, uint32_t *textLength)
{
    int32_t w[9];                /* MQCFIN at 36, MQCFST at 52, its string at 72 */
    if (!reply || length < 72)
        return 0;
    memcpy(w, reply + 36, sizeof w);
    if (w[0] != MQCFT_INTEGER || w[2] != MQIACF_ESCAPE_TYPE || w[4] != MQCFT_STRING || w[6] != MQCACF_ESCAPE_TEXT ||
        w[8] < 0)
        return 0;
    *text = (const char *)reply + 72;
    *textLength = (uint32_t)w[8] < length - 72 ? (uint32_t)w[8] : length - 72;
    return 1;
}

void MQSCSplit(const char *input, MQSCPARTFUNC each, void *context)
{
    const char *start = input;
    int quoted = 0;
    for (const char *p = input;; p++) {
        if (*p == '\'')
            quoted = !quoted;
        if ((*p == ';' && !quoted) || !*p) {
            if (*p || p > start)
                each(context, start, (size_t)(p - start));
            if (!*p)
                return;
            start = p + 1;
        }
    }
}

int MQSCRedirect(const char *text, size_t *commandLength, char *fileName, size_t size, uint32_t *flags)
{
    int depth = 0;
    char quote = 0;
    for (const char *p = text; *p; p++) {
        if (quote) {
            quote = *p == quote ? 0 : quote;
        } else if (*p == '\'' || *p == '"') {
            quote = *p;
        } else if (*p == '(') {
            depth++;
        } else if (*p == ')' && depth) {
            depth--;
        } else if (*p == '>' && !depth) {
            size_t n = (size_t)(p - text);
            while (n && text[n - 1] == ' ')
                n--;
            *commandLength = n;
            *flags |= MC_CLOSE;
            if (p[1] == '>') {
                *flags |= MC_APPEND;
                p++;
            }
            p++;
            while (*p == ' ')
                p++;
            CmdCopy(fileName, p, size);
            return 1;
        }
    }
    return 0;
}

/* ---- the console record ---- */

/* The record of the dialog's console, made by its first command. */
static IFCMD *ConsoleRecord(DialogWords *d, const PCFActionDef *action)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    IFCMD *r = IfcmdFind(d, MQSCResponseLines);
    if (!r) {
        IFCMD image = {};
        image.created = d->opened ? d->opened : CmdNow();
        image.definition = d->definition;
        image.action = action;
        image.location = d->first.location;
        image.dialog = d;
        image.entry = &d->first;
        image.keep = 1;
        image.callback = MQSCResponseLines;
        r = IfcmdAdd(&image, "IFCMD5");
        if (r)
            IfcmdMakeKey(r, KEY_DIALOG, 0);
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return r;
}

/* An entry of the record's command list. */
static MQSCCMD *AddEntry(IFCMD *r, const char *text, size_t n, const char *outName, uint32_t flags,
                         uint32_t sequence)
{
    size_t size = offsetof(MQSCCMD, text) + n + 1;
    MQSCCMD *image = (MQSCCMD *)CSGetMem(size, "MQSCCMD");
    char *name = outName ? (char *)CSGetMem(strlen(outName) + 1, "MQSCFILE") : nullptr;
    if (!image || (outName && !name)) {
        CSFreeMemAndClear(&image);
        CSFreeMemAndClear(&name);
        return nullptr;
    }
    memset(image, 0, size);
    image->flags = flags;
    image->sequence = sequence;
    if (name)
        strcpy(name, outName);
    image->outName = name;
    memcpy(image->text, text, n);
    CSLockGlobal(CSLOCK_DIALOGS);
    MQSCCMD *e = (MQSCCMD *)CSListAdd(&r->consoleCommands, "MQSCCMD", 0, image, size);
    CSUnlockGlobal(CSLOCK_DIALOGS);
    CSFreeMem(image);
    if (!e)
        CSFreeMemAndClear(&name);
    return e;
}

static void RemoveEntry(MQSCCMD *e)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    CSFreeMemAndClear(&e->outName);
    CSListRemove(&e->link);
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

/* The "cls" command: the reply lines go. */
static void ClearLines(DialogWords *d)
{
    MQSCCONSOLE *c = MQSCConsoleOf(d);
    if (!c)
        return;
    CSLockGlobal(CSLOCK_DIALOGS);
    MQSCClearLines(c);
    c->topLine = 0;
    c->foundLine = -1;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    CmdDialogMessage(d, UM_PCF_UPDATE_DIALOG, 0, 0, 0);
}

/* Sends an entry's command; 0 queued. */
static int Send(DialogWords *d, IFCMD *r, MQSCCMD *e)
{
    QMS *location = r->location;
    int mvs = location && (location->flags & LF_MVS);
    uint32_t length = (uint32_t)strlen(e->text);
    uint8_t *message = mvs ? (uint8_t *)CSGetMem(length ? length : 1, "MQSCCommand")
                           : MQSCEscapeRequest(e->text, &length);
    if (!message) {
        CmdStatus(d, "Out of memory", location, SK_FAILURE);
        return 1;
    }
    if (mvs)
        memcpy(message, e->text, length);
    CMDKEY key = r->key;
    key.sequence = e->sequence;
    int rc = CmdPostRequest(location, nullptr, mvs ? TRF_TEXT : 0, (const uint8_t *)&key, message, length);
    if (!rc)
        return 0;
    CSFreeMem(message);
    char queue[64] = "", text[300];
    if (location)
        CmdTargetQueue(location, 0, queue, sizeof queue);
    snprintf(text, sizeof text, "Error putting to %.48s/%.48s RC(%ld) %s", location ? location->qmName : "", queue,
             (long)rc, MQReasonText(rc));
    CmdStatus(d, text, location, SK_ERROR);
    LocSetStatus(location, LS_CANTSEND, 0, 0);
    return rc;
}

MQSCCMD *MQSCCommand(DialogWords *d, const PCFActionDef *action, const char *text, const char *outName,
                     uint32_t flags)
{
    while (*text == ' ')
        text++;
    size_t n = strlen(text);
    while (n && text[n - 1] == ' ')
        n--;
    char file[260];
    if (!(flags & MC_HEADER) && MQSCRedirect(text, &n, file, sizeof file, &flags)) {
        outName = file;
        while (n && text[n - 1] == ' ')
            n--;
    }
    if (!(flags & MC_HEADER)) {
        if (n && text[0] == '*')
            return nullptr;
        if (n == 3 && !strncmp(text, "cls", 3)) {
            ClearLines(d);
            return nullptr;
        }
        if (n >= 4 && !strncmp(text, "file", 4)) {
            char *copy = (char *)CSGetMem(strlen(text) + 1, "MQSCFileCommand");
            if (copy) {
                strcpy(copy, text);
                MQSCFileCommand(d, action, copy);
                CSFreeMem(copy);
            }
            return nullptr;
        }
        if (n && text[0] == '/') {
            char search[MQSC_SEARCH_SIZE + 1];
            CmdCopy(search, text + 1, n < sizeof search ? n : sizeof search);
            MQSCSearch(d, search);
            return nullptr;
        }
    }
    IFCMD *r = ConsoleRecord(d, action);
    if (!r) {
        CmdStatus(d, "Out of memory", d->first.location, SK_FAILURE);
        return nullptr;
    }
    uint32_t sequence = ++d->first.sequence;
    if (!sequence)
        sequence = d->first.sequence = 1;
    d->lastRefresh = CmdNow();
    MQSCCMD *e = AddEntry(r, text, n, outName, flags, sequence);
    if (!e) {
        CmdStatus(d, "Out of memory", r->location, SK_FAILURE);
        return nullptr;
    }
    if ((flags & MC_HEADER) || !n)
        return e;
    if (Send(d, r, e)) {
        RemoveEntry(e);
        return nullptr;
    }
    if (action && action->confirm)
        CmdStatus(d, action->confirm, r->location, SK_NOTICE2);
    return e;
}

/* ---- the input ---- */

struct SPLIT {
    DialogWords *dialog;
    const PCFActionDef *action;
};

static void OnePart(void *context, const char *part, size_t length)
{
    SPLIT *s = (SPLIT *)context;
    char *text = (char *)CSGetMem(length + 1, "MQSCCommand");
    if (!text)
        return;
    memcpy(text, part, length);
    text[length] = 0;
    MQSCCommand(s->dialog, s->action, text, nullptr, 0);
    CSFreeMem(text);
}

void IssueMQSC(DialogWords *d, const PCFActionDef *action)
{
    MQSCCONSOLE *c = d ? MQSCConsoleOf(d) : nullptr;
    if (!c)
        return;
    char input[MQSC_INPUT_SIZE + 1];
    CmdCopy(input, c->input, sizeof input);
    size_t n = strlen(input);
    while (n && input[n - 1] == ' ')
        input[--n] = 0;
    if (!n) {
        if (d->refreshRate)
            CmdStatus(d, "Auto Refresh active and no command supplied.", d->first.location, SK_NOTICE);
        else
            CmdStatus(d, "You must enter a command.", d->first.location, SK_FAILURE);
        return;
    }
    MQSCHistoryAdd(d, input);
    c->inputs++;
    if (d->optionFlags & DO_AUTO_EXPORT)
        d->markFlags |= DM_EXPORT_DUE;
    d->lastRefresh = CmdNow();
    SPLIT s = { d, action };
    MQSCSplit(input, OnePart, &s);
    c->sequence = d->first.sequence;
    if (!d->refreshRate && input[0] != '/')
        c->input[0] = 0;
}

/* ---- search ---- */

static int LineHas(MQSCCONSOLE *c, int32_t index, const char *text)
{
    return strstr(MQSCLineAt(c, index)->text, text) != nullptr;
}

void MQSCSearch(DialogWords *d, const char *text)
{
    MQSCCONSOLE *c = MQSCConsoleOf(d);
    QMS *location = d->first.location;
    if (!c)
        return;
    CmdCopy(c->search, text, sizeof c->search);
    if (!c->search[0]) {
        CmdStatus(d, "Search text removed", location, SK_NOTICE);
        CmdDialogMessage(d, UM_PCF_UPDATE_DIALOG, 0, 0, 0);
        return;
    }
    CSLockGlobal(CSLOCK_DIALOGS);
    int32_t visible = c->foundLine >= c->topLine && c->foundLine < c->topLine + c->visibleLines;
    int32_t from = visible ? c->foundLine + 1 : c->topLine;
    int32_t found = -1, wrapped = 0;
    for (int32_t i = from < 0 ? 0 : from; i < c->lineCount && found < 0; i++)
        if (LineHas(c, i, c->search))
            found = i;
    if (found < 0) {
        int32_t last = c->foundLine >= 0 ? c->foundLine : from - 1;
        for (int32_t i = 0; i < c->lineCount && i <= last && found < 0; i++)
            if (LineHas(c, i, c->search))
                found = i, wrapped = 1;
    }
    if (found >= 0) {
        c->foundLine = found;
        c->topLine = found - c->visibleLines / 2 > 0 ? found - c->visibleLines / 2 : 0;
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (found < 0) {
        CmdStatus(d, "String not found", location, SK_FAILURE);
        return;
    }
    if (wrapped)
        CmdStatus(d, "Wrapped", location, SK_FAILURE);
    CmdDialogMessage(d, UM_PCF_UPDATE_DIALOG, 0, 0, 0);
}
