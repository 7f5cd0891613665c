/* Command files of the console: "file(in)" or "file(in,out)" (or a
 * redirection after it) runs every command of an MQSC file, its "+" and
 * "-" continuations joined and its "*" comments skipped, with the replies
 * written to the output file.  Lines are read whole whatever their length;
 * a command longer than its buffer is reported and not issued.  The file
 * names may be asked for through a replaceable file-name dialog. */
#include "mqsc.h"

#include "cs.h"
#include "cshost.h"
#include "prfdata.h"

#define NAME_SIZE        128

/* ---- reading ---- */

/* One line whole, its line end removed; 0 at the end of the file. */
static int ReadLine(MQSCFILEREADER *r, size_t *length)
{
    size_t n = 0;
    int ch;
    while ((ch = getc(r->file)) != EOF && ch != '\n') {
        if (n + 2 > r->lineSize) {
            size_t grown = r->lineSize ? r->lineSize * 2 : 512;
            char *line = (char *)CSGetMem(grown, "MQSCLine");
            if (!line)
                return 0;
            if (n)
                memcpy(line, r->line, n);
            CSFreeMemAndClear(&r->line);
            r->line = line;
            r->lineSize = grown;
        }
        r->line[n++] = (char)ch;
    }
    if (ch == EOF && !n)
        return 0;
    while (n && (r->line[n - 1] == '\r' || r->line[n - 1] == ' ' || r->line[n - 1] == '\t'))
        n--;
    if (r->line)
        r->line[n] = 0;
    *length = n;
    return 1;
}

static void Collect(MQSCFILEREADER *r, const char *text, size_t n)
{
    if (r->used + n >= MQSC_FILE_BUFFER) {
        r->overflow = 1;
        return;
    }
    memcpy(r->command + r->used, text, n);
    r->used += n;
    r->command[r->used] = 0;
}

int MQSCNextFileCommand(MQSCFILEREADER *r)
{
    size_t n;
    r->used = 0;
    r->overflow = 0;
    r->collecting = 0;
    r->fromFirstColumn = 0;
    int joinBlank = 0;
    r->command[0] = 0;
    while (ReadLine(r, &n)) {
        const char *p = r->line;
        if (!r->fromFirstColumn)
            while (n && (*p == ' ' || *p == '\t'))
                p++, n--;
        /* a line that a "-" continues is text from its first column: a
           "*" there is the command's, never a comment */
        if (!n || (*p == '*' && !r->fromFirstColumn))
            continue;
        char last = p[n - 1];
        int more = last == '+' || last == '-';
        size_t take = more ? n - 1 : n;
        if (more && last == '+')
            while (take && p[take - 1] == ' ')
                take--;
        if (!take && more)
            continue;
        if (joinBlank && r->used)
            Collect(r, " ", 1);
        Collect(r, p, take);
        r->collecting = more;
        r->fromFirstColumn = last == '-';
        joinBlank = last == '+';
        if (!more)
            return 1;
    }
    return 0;
}

/* ---- the file-name dialog ---- */

static MQSCFILERUNNER Runner;
static void *RunnerContext;

void MQSCSetFileRunner(MQSCFILERUNNER runner, void *context)
{
    Runner = runner;
    RunnerContext = context;
}

int MQSCFileNameDialog(uint32_t input, DialogWords *d, char *errorText, char *fileName)
{
    char given[NAME_SIZE], name[NAME_SIZE] = "", folder[NAME_SIZE] = "";
    CmdCopy(given, fileName, sizeof given);
    char *q = strchr(given, '?');
    if (q)
        *q = 0;
    size_t n = strlen(given);
    while (n && (given[n - 1] == ' ' || given[n - 1] == '\\'))
        given[--n] = 0;
    if (strchr(given, '.'))
        CmdCopy(name, given, sizeof name);
    else
        CmdCopy(folder, given, sizeof folder);
    MQSCFILEDIALOG dlg = {};
    dlg.title = input ? "Input MQSC file name" : "Output MQSC file name";
    dlg.filter = "All\0*.*\0Text\0*.TXT\0MQSC\0*.MQS\0";
    dlg.folder = folder[0] ? folder : nullptr;
    dlg.name = name;
    dlg.size = sizeof name;
    dlg.mustExist = input != 0;
    uint32_t error = 0;
    int chosen = Runner ? Runner(RunnerContext, &dlg, &error) : MQSCSystemFileDialog(&dlg, &error);
    if (!chosen) {
        if (error) {
            snprintf(errorText, 64, "Dialog failed RC(%X)", (unsigned)error);
            CmdStatus(d, errorText, d ? d->first.location : nullptr, SK_FAILURE);
        }
        return 1;
    }
    name[sizeof name - 1] = 0;
    if (CSRunningOnWine)
        CSNormalisePath(name);
    CmdCopy(fileName, name, NAME_SIZE);
    return 0;
}

/* ---- the file command ---- */

struct FILECMD {
    DialogWords *dialog;
    const PCFActionDef *action;
    QMS *location;
    char input[NAME_SIZE], output[NAME_SIZE];
    uint32_t append;
};

static void Error(FILECMD *f, const char *format, const char *name)
{
    char text[300];
    snprintf(text, sizeof text, format, name);
    CmdStatus(f->dialog, text, f->location, SK_FAILURE);
}

/* A name from from up to one of the stop characters; 0 when too long. */
static int TakeName(const char *from, const char *stops, char *out, const char **end)
{
    const char *p = from;
    while (*p && !strchr(stops, *p))
        p++;
    *end = p;
    while (from < p && *from == ' ')
        from++;
    while (p > from && p[-1] == ' ')
        p--;
    if ((size_t)(p - from) > MQSC_FILE_NAME)
        return 0;
    memcpy(out, from, (size_t)(p - from));
    out[p - from] = 0;
    return 1;
}

/* Step 1 and 2: the names; 0 when the command is refused. */
static int ParseNames(FILECMD *f, const char *text)
{
    /* the names end at the first ")": a redirection after it may name a
       file that holds one */
    const char *open = strchr(text, '(');
    const char *close = open ? strchr(open, ')') : nullptr;
    if (!close) {
        CmdStatus(f->dialog, "No closing ')' found after file command", f->location, SK_FAILURE);
        return 0;
    }
    const char *after = close + 1;
    while (*after == ' ')
        after++;
    size_t length;
    uint32_t flags = 0;
    char redirected[NAME_SIZE * 2] = "";
    if (*after && !(*after == '>' && MQSCRedirect(after, &length, redirected, sizeof redirected, &flags))) {
        CmdStatus(f->dialog, "File command should be 'file(infile)' or 'file(infile,outfile)'", f->location,
                  SK_FAILURE);
        return 0;
    }
    const char *end;
    if (!TakeName(open + 1, ",)", f->input, &end)) {
        CmdStatus(f->dialog, "Input file name too long", f->location, SK_FAILURE);
        return 0;
    }
    if (*end == ',' && !TakeName(end + 1, ")", f->output, &end)) {
        CmdStatus(f->dialog, "Output file name too long", f->location, SK_FAILURE);
        return 0;
    }
    if (redirected[0]) {
        if (strlen(redirected) > MQSC_FILE_NAME) {
            CmdStatus(f->dialog, "Output file name too long", f->location, SK_FAILURE);
            return 0;
        }
        CmdCopy(f->output, redirected, sizeof f->output);
    }
    f->append = flags & MC_APPEND;
    char error[64];
    if (strchr(f->input, '?') && MQSCFileNameDialog(1, f->dialog, error, f->input))
        return 0;
    if (strchr(f->output, '?') && MQSCFileNameDialog(0, f->dialog, error, f->output))
        return 0;
    return 1;
}

/* Issues the commands, the last one marked to close the output file. */
static void RunCommands(FILECMD *f, MQSCFILEREADER *r)
{
    char *pending = (char *)CSGetMem(MQSC_FILE_BUFFER, "MQSCFileCommand");
    if (!pending) {
        Error(f, "Error allocating %s bytes", "50000");
        return;
    }
    const char *out = f->output[0] ? f->output : nullptr;
    int have = 0;
    while (MQSCNextFileCommand(r)) {
        if (r->overflow) {
            CmdStatus(f->dialog, "Command longer than 50000 bytes not issued", f->location, SK_FAILURE);
            continue;
        }
        if (have)
            MQSCCommand(f->dialog, f->action, pending, out, f->append);
        memcpy(pending, r->command, r->used + 1);
        have = 1;
    }
    if (have)
        MQSCCommand(f->dialog, f->action, pending, out, f->append | MC_CLOSE);
    if (r->used && r->collecting)
        CmdStatus(f->dialog, "Command continuation not completed", f->location, SK_FAILURE);
    CSFreeMem(pending);
}

void MQSCFileCommand(DialogWords *d, const PCFActionDef *action, const char *text)
{
    FILECMD f = {};
    f.dialog = d;
    f.action = action;
    f.location = d->first.location;
    if (!ParseNames(&f, text))
        return;
    char question[300];
    snprintf(question, sizeof question, "Are you sure you want to run MQSC file '%s'?", f.input);
    if ((Prf.po[2] & PO3_CONFIRM_FILE) && !CmdConfirm(d, 0, question, nullptr, nullptr, 0))
        return;
    MQSCHistoryAdd(d, text);
    MQSCFILEREADER r = {};
    r.file = fopen(f.input, "rb");
    if (!r.file) {
        Error(&f, "Can't open input file '%s'", f.input);
        return;
    }
    if (f.output[0]) {
        FILE *o = fopen(f.output, f.append ? "ab" : "wb");
        if (!o) {
            fclose(r.file);
            Error(&f, "Can't open output file '%s'", f.output);
            return;
        }
        fclose(o);
    }
    char header[NAME_SIZE + 8];
    snprintf(header, sizeof header, "file(%s)", f.input);
    MQSCCommand(d, action, header, f.output[0] ? f.output : nullptr, MC_HEADER | f.append);
    r.command = (char *)CSGetMem(MQSC_FILE_BUFFER, "MQSCFileCommand");
    if (!r.command) {
        Error(&f, "Error allocating %s bytes", "50000");
    } else {
        char status[300];
        snprintf(status, sizeof status, "Processing file '%s'", f.input);
        CmdStatus(d, status, f.location, SK_INFO);
        RunCommands(&f, &r);
    }
    fclose(r.file);
    CSFreeMemAndClear(&r.command);
    CSFreeMemAndClear(&r.line);
}
