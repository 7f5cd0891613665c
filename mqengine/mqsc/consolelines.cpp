/* The console's replies: each reply of a console command becomes wrapped
 * lines in the console (under a title line with its command) and, when
 * the command was redirected, lines in its output file, which is handed
 * from command to command while a command file runs. */
#include "mqsc.h"

#include <cerrno>

#include "cs.h"

#define STATUS_KIND_FILE 33

/* ---- text into lines ---- */

/* Blanks after "(" and before ")" dropped; "(  )" keeps one blank. */
static size_t Squeeze(const char *text, size_t length, char *out)
{
    size_t n = 0;
    for (size_t i = 0; i < length; i++) {
        char ch = text[i];
        if (ch == ' ' && n && out[n - 1] == '(') {
            size_t j = i;
            while (j < length && text[j] == ' ')
                j++;
            if (j < length && text[j] == ')')
                out[n++] = ' ';
            i = j - 1;
            continue;
        }
        if (ch == ')')
            while (n && out[n - 1] == ' ' && !(n >= 2 && out[n - 2] == '('))
                n--;
        out[n++] = ch;
    }
    return n;
}

static int LineEnd(char ch)
{
    return ch == '\n' || ch == '\r' || ch == 0;
}

void MQSCWrapText(const char *raw, size_t rawLength, int32_t width, MQSCLINEFUNC each, void *context)
{
    char *text = (char *)CSGetMem(rawLength + 1, "MQSCWrap");
    if (!text)
        return;
    size_t length = Squeeze(raw, rawLength, text);
    size_t p = 0;
    if (width < 1)
        width = 1;
    while (p < length) {
        while (p < length && (text[p] == ' ' || LineEnd(text[p])))
            p++;
        if (p >= length)
            break;
        size_t start = p, lastBreak = 0;
        int depth = 0;
        while (p < length && !LineEnd(text[p])) {
            if (text[p] == '(')
                depth++;
            else if (text[p] == ')' && depth)
                depth--;
            else if (text[p] == ' ' && !depth)
                lastBreak = p;
            if (p - start >= (size_t)width && lastBreak > start)
                break;
            p++;
        }
        size_t end = p;
        if (p < length && !LineEnd(text[p]) && lastBreak > start)
            end = p = lastBreak;
        while (end > start && text[end - 1] == ' ')
            end--;
        each(context, text + start, end - start);
    }
    CSFreeMem(text);
}

/* ---- output files ---- */

void MQSCOpenOutputFile(DialogWords *d, IFCMD *r, MQSCCMD *entry)
{
    if (entry->file || !entry->outName)
        return;
    for (CSLISTELEM *e = r->consoleCommands.first, *next; e; e = next) {
        next = e->next;
        MQSCCMD *o = (MQSCCMD *)e;
        if (o == entry || !o->file || !o->outName || strcmp(o->outName, entry->outName))
            continue;
        entry->file = o->file;
        o->file = nullptr;
        if (o->flags & (MC_COMPLETE | MC_HEADER)) {
            CSFreeMemAndClear(&o->outName);
            CSListRemove(&o->link);
        }
        return;
    }
    entry->file = fopen(entry->outName, (entry->flags & MC_APPEND) ? "ab" : "wb");
    if (!entry->file) {
        char text[400];
        int error = errno;
        snprintf(text, sizeof text, "Can not open output file '%.256s' RC(%d) %s", entry->outName, error,
                 strerror(error));
        CmdStatus(d, text, r->location, STATUS_KIND_FILE);
    }
}

static void CloseEntry(MQSCCMD *e)
{
    if (e->file)
        fclose(e->file);
    e->file = nullptr;
    CSFreeMemAndClear(&e->outName);
    e->outName = nullptr;
    CSListRemove(&e->link);
}

void MQSCFreeConsoleEntries(IFCMD *r)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    for (CSLISTELEM *e = r->consoleCommands.first, *next; e; e = next) {
        next = e->next;
        CloseEntry((MQSCCMD *)e);
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

/* ---- the reply callback ---- */

struct LINES {
    MQSCCONSOLE *console;
    FILE *file;
};

static void OneLine(void *context, const char *line, size_t n)
{
    LINES *x = (LINES *)context;
    MQSCAddLine(x->console, ML_RESP, line, n);
    if (x->file) {
        fwrite(line, 1, n, x->file);
        fputc('\n', x->file);
    }
}

/* Step 2: the entries up to the reply's, titled and their files opened;
 * the entry the reply belongs to (null once it is gone). */
static MQSCCMD *WalkEntries(DialogWords *d, IFCMD *r, MQSCCONSOLE *c)
{
    MQSCCMD *current = nullptr;
    for (CSLISTELEM *e = r->consoleCommands.first, *next; e; e = next) {
        next = e->next;
        MQSCCMD *m = (MQSCCMD *)e;
        if (m->sequence > r->replySequence)
            break;
        m->flags |= MC_ANSWERED;
        if (!(m->flags & MC_TITLED)) {
            m->flags |= MC_TITLED;
            MQSCAddLine(c, ML_TITLE, m->text, strlen(m->text));
            MQSCOpenOutputFile(d, r, m);
            if (m->file)
                fprintf(m->file, "\n%s\n", m->text);
        }
        if (m->sequence == r->replySequence) {
            current = m;
            break;
        }
    }
    return current;
}

/* Step 7: a completed command's entry and file. */
static void Complete(MQSCCMD *current, IFCMD *r)
{
    current->flags |= MC_COMPLETE;
    if (!(current->outName && current->file && !(current->flags & MC_CLOSE)))
        CloseEntry(current);
    for (CSLISTELEM *e = r->consoleCommands.first; e; e = e->next)
        if (!(((MQSCCMD *)e)->flags & MC_HEADER))
            return;
    for (CSLISTELEM *e = r->consoleCommands.first, *next; e; e = next) {
        next = e->next;
        CloseEntry((MQSCCMD *)e);
    }
}

void MQSCResponseLines(IFCMD *r, uint32_t, const uint8_t *data, uint32_t length, uint32_t, const char *text)
{
    DialogWords *d = r->dialog;
    QMS *location = r->location;
    MQSCCONSOLE *c = d ? MQSCConsoleOf(d) : nullptr;
    if (!location || !c)
        return;
    CSLockGlobal(CSLOCK_DIALOGS);
    MQSCCMD *current = WalkEntries(d, r, c);
    if (r->replySequence > r->highestAnswered)
        r->highestAnswered = r->replySequence;
    if (r->replySequence > c->highestAnswered)
        c->highestAnswered = r->replySequence;
    const char *reply = nullptr;
    uint32_t n = 0;
    if (data && (location->flags & LF_MVS)) {
        reply = (const char *)data;
        n = length;
    } else if (data) {
        MQSCEscapeText(data, length, &reply, &n);
    } else if (text) {
        reply = text;
        n = (uint32_t)strlen(text);
    }
    LINES x = { c, current ? current->file : nullptr };
    uint32_t dropped = c->linesDropped;
    if (reply && n)
        MQSCWrapText(reply, n, MQSCLineChars(c), OneLine, &x);
    dropped = c->linesDropped - dropped;
    if (r->complete && current)
        Complete(current, r);
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (dropped) {
        char said[120];
        snprintf(said, sizeof said, "%u lines dropped: the console keeps the last %d", (unsigned)dropped,
                 MQSC_MAX_LINES);
        CmdStatus(d, said, location, SK_NOTICE);
    }
    if (r->complete && (d->markFlags & DM_EXPORT_DUE)) {
        d->markFlags &= ~DM_EXPORT_DUE;
        d->exportDue = 1;
        if (MQEHooks.autoExport)
            MQEHooks.autoExport(d, 1);
    }
    CmdDialogMessage(d, UM_PCF_UPDATE_DIALOG, 0, 0, 0);
}

void MQSCConsoleHeader(const uint8_t *data, uint32_t length, MQCFH *head)
{
    memset(head, 0, sizeof *head);
    head->Type = MQCFT_RESPONSE;
    head->StrucLength = MQCFH_STRUC_LENGTH;
    head->Version = MQCFH_VERSION_1;
    if (data && length >= 8 && (!memcmp(data, "CSQ9022I", 8) || !memcmp(data, "CSQ9023I", 8) ||
                                !memcmp(data, "CSQ9023E", 8)))
        head->Control = MQCFC_LAST;
}
