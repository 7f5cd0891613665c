/* The program-wide list of the channels of one JSON table, in file order,
 * with each channel's ordinal among those of the same name; finding and
 * loading the file, and the RCHN handle of kind 1 that walks and searches
 * the list. */
#include "ccdtjson.h"
#include "locstore.h"
#include "cs.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

struct JSONENTRY {
    CHLDEF *channel;                   /* with its tail */
    int32_t ordinal;
};

static JSONENTRY *entries;
static int32_t count, capacity;

void JsonCcdtFree(void)
{
    for (int32_t i = 0; i < count; i++)
        FreeChannelDef(entries[i].channel, 1);
    CSFreeMemAndClear(&entries);
    count = capacity = 0;
}

int JsonCcdtCount(void)
{
    return count;
}

struct REPORTER {
    JSONREPORT report;
    void *context;
};

static void pass_report(void *context, int severity, const char *text)
{
    REPORTER *r = (REPORTER *)context;
    if (r->report)
        r->report(r->context, severity, text);
}

/* Appends a channel read to the list (the sink of the reader). */
static void keep_channel(void *context, CHLDEF *channel)
{
    if (count == capacity) {
        int32_t more = capacity ? capacity * 2 : 64;
        JSONENTRY *bigger = (JSONENTRY *)CSGetMem(sizeof(JSONENTRY) * (size_t)more, "JSONLIST");
        if (!bigger) {
            pass_report(context, JSON_PROBLEM, "No storage to read file");
            CSFreeMem(channel);
            return;
        }
        if (entries) {
            memcpy(bigger, entries, sizeof(JSONENTRY) * (size_t)count);
            CSFreeMem(entries);
        }
        entries = bigger;
        capacity = more;
    }
    entries[count].channel = channel;
    entries[count].ordinal = 0;
    count++;
}

/* Numbers the entries of each channel name 1, 2, ... in list order. */
static void number_entries(void)
{
    struct NAMEREC { CSTREE tree; char name[CHL_NAME]; int32_t seen; };
    CSTREE *names = nullptr;
    for (int32_t i = 0; i < count; i++) {
        const char *name = entries[i].channel->cd.ChannelName;
        NAMEREC *found = (NAMEREC *)CSTreeFind(names, name, CHL_NAME);
        if (!found) {
            NAMEREC rec;
            memset(&rec, 0, sizeof rec);
            memcpy(rec.name, name, CHL_NAME);
            found = (NAMEREC *)CSTreeAdd(&names, "JSONNAME", 0, &rec, sizeof rec, CHL_NAME);
        }
        entries[i].ordinal = found ? ++found->seen : 1;
    }
    CSTreeFree(&names, nullptr, nullptr);
}

/* ---- finding and loading the file ---------------------------------------- */

/* The path of a table: the directory (else MQCHLLIB, the installation's,
 * or the default) and the name ("*" the default name; ".json" added when
 * missing and the name as given is not there). */
static void resolve(const char *spec, char *path)
{
    size_t n = strlen(spec) + 1;
    char *dir = (char *)CSGetMem(n + CHL_PATH_SIZE, "JSONPATH");
    char *name = (char *)CSGetMem(n + 16, "JSONPATH");
    if (!dir || !name) {
        snprintf(path, CHL_PATH_SIZE, "%s", spec);
        if (dir) CSFreeMem(dir);
        if (name) CSFreeMem(name);
        return;
    }
    int relative, drive;
    CSParseFileSpec(spec, 1, dir, name, &relative, &drive);
    if (!dir[0]) {
        const char *lib = getenv("MQCHLLIB");
        if (lib && lib[0])
            snprintf(dir, CHL_PATH_SIZE, "%s", lib);
        else if (!LocHostMQDataPath(dir, CHL_PATH_SIZE))
            snprintf(dir, CHL_PATH_SIZE, "%s", CSPathSep == '/' ? "/var/mqm" : "c:\\mqm");
    }
    if (!name[0] || strcmp(name, "*") == 0)
        strcpy(name, "amqclchl");
    snprintf(path, CHL_PATH_SIZE, "%s%s%s", dir, CSPathSepString, name);
    if (!UTMemFindNoCase(name, (int)strlen(name), ".json", 5)) {
        FILE *f = fopen(path, "rb");
        if (f)
            fclose(f);
        else
            snprintf(path, CHL_PATH_SIZE, "%s%s%s.json", dir, CSPathSepString, name);
    }
    CSFreeMem(dir);
    CSFreeMem(name);
}

int LoadJsonCcdt(JSONREPORT report, void *context, char *spec, int reportMissing)
{
    JsonCcdtFree();
    char path[CHL_PATH_SIZE], text[CHL_PATH_SIZE + 80];
    resolve(spec, path);
    snprintf(spec, CHL_PATH_SIZE, "%s", path);
    FILE *f = fopen(path, "rb");
    if (!f) {
        if (reportMissing && report) {
            snprintf(text, sizeof text, "Commands directed to file '%s' (Does not exist)", path);
            report(context, JSON_INFO, text);
        }
        return 0;
    }
    size_t length;
    char *data = CSFileLoad(f, &length);
    fclose(f);
    if (!data) {
        if (report)
            report(context, JSON_PROBLEM, "No storage to read file");
        return 0;
    }
    REPORTER rep = { report, context };
    int ok = JsonReadText(data, length, path, pass_report, &rep, keep_channel, &rep);
    CSFreeMem(data);
    if (!ok)
        return 0;
    number_entries();
    if (report) {
        if (count)
            snprintf(text, sizeof text, "CCDT file '%s', %d channels read", path, (int)count);
        else
            snprintf(text, sizeof text, "CCDT file '%s', No files found", path);
        report(context, JSON_INFO, text);
    }
    return 1;
}

/* ---- the handle ------------------------------------------------------------ */

int RchnOpenJson(RCHN **handle, const char *fileName, char *error)
{
    RCHN *h = *handle = RchnNewHandle(1, error);
    if (!h)
        return RCHN_NOSTORAGE;
    snprintf(h->path, sizeof h->path, "%s", fileName ? fileName : "");
    return 0;
}

int RchnCloseJson(RCHN *h)
{
    if (!h || memcmp(h->eye, "RCHN", 4) != 0)
        return RCHN_BADHANDLE;
    memset(h->eye, 0, 4);
    CSFreeMem(h);
    return 0;
}

/* Copies entry `position` (from 1) into the caller's buffer. */
static int hand_out(RCHN *h, JSONSEARCH *s, int32_t position, size_t *length, CHLDEF *out)
{
    const JSONENTRY *e = &entries[position - 1];
    size_t n = CHL_LENGTH(e->channel);
    if (n > *length)
        n = *length;
    memcpy(out, e->channel, n);
    if (n >= sizeof(CHLDEF) && n < CHL_LENGTH(e->channel))
        out->tailLength = (int32_t)(n - sizeof(CHLDEF));
    *length = n;
    s->current = position;
    s->currentOrdinal = e->ordinal;
    memcpy(h->lastName, e->channel->cd.ChannelName, CHL_NAME);
    h->lastName[CHL_NAME] = 0;
    h->returned = 1;
    return 0;
}

int RchnFirstJson(RCHN *h, JSONSEARCH *s, size_t *length, CHLDEF *channel)
{
    if (!h || memcmp(h->eye, "RCHN", 4) != 0)
        return RCHN_BADHANDLE;
    if (count == 0)
        return RCHN_END;
    return hand_out(h, s, 1, length, channel);
}

int RchnNextJson(RCHN *h, JSONSEARCH *s, size_t *length, CHLDEF *channel)
{
    if (!h || memcmp(h->eye, "RCHN", 4) != 0)
        return RCHN_BADHANDLE;
    if (s->current < 0 || s->current >= count)
        return RCHN_END;
    return hand_out(h, s, s->current + 1, length, channel);
}

/* A blank-padded field matched against a pattern without its padding. */
static int field_matches(const char *field, int width, const char *pattern, int patternLength)
{
    int n = width;
    while (n && (field[n - 1] == ' ' || field[n - 1] == 0))
        n--;
    return UTWildMatch(field, n, pattern ? pattern : "", patternLength);
}

int RchnFindJson(RCHN *h, JSONSEARCH *s, size_t *length, CHLDEF *channel, char *error)
{
    if (!h || memcmp(h->eye, "RCHN", 4) != 0) {
        snprintf(error, CHL_ERROR_SIZE, "Bad file handle");
        return RCHN_BADHANDLE;
    }
    for (int32_t i = 1; i <= count; i++) {
        const JSONENTRY *e = &entries[i - 1];
        if (s->position && s->position != i)
            continue;
        if (s->ordinal && s->ordinal != e->ordinal)
            continue;
        if (s->qmLength && !field_matches(e->channel->cd.QMgrName, 48, s->qmPattern, s->qmLength))
            continue;
        if (!field_matches(e->channel->cd.ChannelName, CHL_NAME, s->channelPattern, s->channelLength))
            continue;
        return hand_out(h, s, i, length, channel);
    }
    snprintf(error, CHL_ERROR_SIZE, "AMQ8147: WebSphere MQ channel '%.*s' not found",
             (int)s->channelLength, s->channelPattern ? s->channelPattern : "");
    return RCHN_NOTFOUND;
}
