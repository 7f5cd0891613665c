/* The Preferences dialog without windows: working copies of the option
 * words, time formats and their samples, sound times, intervals, the
 * fields as the profile holds them, and the apply with its checks and
 * the announcement of what changed. */
#include "prefs.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cs.h"
#include "colours.h"
#include "repaint.h"
#include "export.h"
#include "pwcreds.h"
#ifdef _WIN32
#include "colourwin.h"
#include "fltwin.h"
#include "modeless.h"
#include "pwcwin.h"
#endif

int PrefDateWidth;

/* ---- hooks ----------------------------------------------------------------- */

/* What the Preferences reach without the shell: the repaint announcement,
 * the dialog colours, the password cache, the modeless list and the
 * Filter Manager. */
static void RealRepaint(void *, uint32_t mask) { RepaintAllWindows(mask); }
static void RealNotifyWindows(void *) { LocNotifyWindows(); }
static void RealPwcRefresh(void *) { PWCRefreshFileName(); }
static void RealPwcAccess(void *, void *) { PWCAccessDialog(1, 1); }

static void RealPwcResolve(void *, const char *templ, char *out, size_t size)
{
    char name[PWC_PATH_MAX + 1];
    PWCResolveFileName(templ, name);       /* empty when too long */
    snprintf(out, size, "%s", name);
}

static int RealPwcState(void *, int *open, char *fileName, size_t size)
{
    *open = PWCIsOpen();
    snprintf(fileName, size, "%s", PWCFileName());
    return PWCIsEnabled();
}

#ifdef _WIN32
static void RealSetDlgColours(void *, void *dialog) { SetDlgColours((DDHANDLE)dialog); }
static void RealPwcSetPassword(void *, void *owner) { PWCSetPasswordDialog((HWND)owner); }
static void RealAddModeless(void *, void *window) { AddModeless(window, 1, nullptr, nullptr); }
static void RealRemoveModeless(void *, void *window) { UtilRemoveModeless(window); }
static void RealFilterManagerRefresh(void *) { FltRefreshDialog(); }
#else
#define RealSetDlgColours nullptr
#define RealPwcSetPassword nullptr
#define RealAddModeless nullptr
#define RealRemoveModeless nullptr
#define RealFilterManagerRefresh nullptr
#endif

static const PREFHOOKS defaultHooks = {
    .repaint = RealRepaint, .setDlgColours = RealSetDlgColours,
    .locNotifyWindows = RealNotifyWindows, .filterManagerRefresh = RealFilterManagerRefresh,
    .pwcResolve = RealPwcResolve, .pwcRefresh = RealPwcRefresh,
    .pwcSetPassword = RealPwcSetPassword, .pwcAccess = RealPwcAccess, .pwcState = RealPwcState,
    .addModeless = RealAddModeless, .removeModeless = RealRemoveModeless,
};
static PREFHOOKS hooks = defaultHooks;

#define HOOK(name, ...) do { if (hooks.name) hooks.name(hooks.context __VA_OPT__(,) __VA_ARGS__); } while (0)

void PrefSetHooks(const PREFHOOKS *h)
{
    hooks = h ? *h : defaultHooks;
}

const PREFHOOKS *PrefHooks(void)
{
    return &hooks;
}

void PrefDefaultHooks(PREFHOOKS *out)
{
    *out = defaultHooks;
}

/* ---- option words ---------------------------------------------------------- */

/* The profile's word of each PrefWord. */
static uint32_t *ProfileWord(int word)
{
    switch (word) {
    case PW_MAIN: return &Prf.opt1;
    case PW_PO: case PW_PO2: case PW_PO3: case PW_PO4: case PW_PO5: return &Prf.po[word - PW_PO];
    case PW_CO: return &Prf.co;
    case PW_TB: return (uint32_t *)&Prf.tb;
    case PW_TDS: return (uint32_t *)&Prf.tds;
    }
    return nullptr;
}

void PrefTakeWords(PREFWORDS *w)
{
    memset(w, 0, sizeof *w);
    for (int i = PW_MAIN; i < PW_COUNT; i++)
        w->word[i] = *ProfileWord(i);
}

void PrefStoreWords(const PREFWORDS *w)
{
    for (int i = PW_MAIN; i < PW_COUNT; i++)
        *ProfileWord(i) = w->word[i];
}

const PrefOptionList *PrefFindOptionList(int id)
{
    for (int i = 0; i < PrefOptionListCount; i++)
        if (PrefOptionLists[i].id == id)
            return &PrefOptionLists[i];
    return nullptr;
}

int PrefRowOn(const PrefOptionRow *row, const PREFWORDS *w)
{
    if (row->word == PW_HEADING)
        return 0;
    int on = (w->word[row->word] & row->bit) != 0;
    return row->inverted ? !on : on;
}

void PrefRowSet(const PrefOptionRow *row, PREFWORDS *w, int on)
{
    if (row->word == PW_HEADING)
        return;
    uint32_t *word = &w->word[row->word];
    if (row->group) {
        if (!on)
            return;                    /* the row on stays on until another is chosen */
        *word &= ~row->group;
    }
    UTSetFlag(word, row->inverted ? !on : on, row->bit);
}

/* ---- value rows -------------------------------------------------------------- */

const PrefValueRow *PrefValueOf(const PrefValueRow *rows, int32_t value)
{
    for (const PrefValueRow *r = rows; r->text; r++)
        if (r->value == value)
            return r;
    return nullptr;
}

const PrefValueRow *PrefValueByText(const PrefValueRow *rows, const char *text)
{
    for (const PrefValueRow *r = rows; r->text; r++)
        if (!strcmp(r->text, text))
            return r;
    return nullptr;
}

/* ---- times ------------------------------------------------------------------- */

int64_t PrefSampleMoment(void)
{
    static int64_t moment = -1;
    if (moment < 0)
        moment = UTDateTimeToTime("2021-02-17", 10, "19.37.14", 8);
    return moment;
}

void PrefTimeTemplate(int i, char separator, char *out, size_t size)
{
    char sep[3] = { separator ? separator : '/', 0, 0 };
    if (separator == '\\')
        sep[1] = '\\';                 /* a backslash of a mask is written twice */
    snprintf(out, size, PrefTimeTemplates[i], sep, sep);
}

void PrefTimeSample(const char *format, int64_t moment, char *out, size_t size)
{
    if (!size)
        return;
    out[0] = 0;
    FmtDateState state;
    memset(&state, 0, sizeof state);
    state.flags = FMTDT_TIMEVALUE;
    state.value = moment;
    const char *m = format;
    char *o = out;
    FmtPutDateTime(&state, &m, format + strlen(format), &o, out + size);
}

int DateFormatMeasure(const char *const *templates, int count)
{
    char format[80], sample[160];
    int widest = 0;
    int64_t now = CSGetCurrentTime();
    for (int i = 0; i < count; i++) {
        snprintf(format, sizeof format, templates[i], "/", "/");
        PrefTimeSample(format, now, sample, sizeof sample);
        int n = (int)strlen(sample);
        if (n > widest)
            widest = n;
    }
    PrefDateWidth = widest;
    return widest;
}

void PrefDateExample(int format, char separator, int64_t moment, char *out, size_t size)
{
    ExpDateText(format, separator, moment, out, size, nullptr, 0);
}

void PrefNormaliseSoundTimes(const char *text, char *out, size_t size)
{
    int part[3] = { 0, 0, 0 };
    const char *p = text ? text : "";
    for (int i = 0; i < 3 && *p; i++) {
        part[i] = atoi(p);
        p = strchr(p, ':');
        if (!p)
            break;
        p++;
    }
    /* trailing zero parts are left out; a first part of 0 with a later
       one set stays (0:0:60 spaces warnings alone) */
    if (part[0] < 0)
        part[0] = 0;
    if (!part[0] && !part[1] && !part[2])
        snprintf(out, size, "%s", "");
    else if (part[2])
        snprintf(out, size, "%d:%d:%d", part[0], part[1], part[2]);
    else if (part[1])
        snprintf(out, size, "%d:%d", part[0], part[1]);
    else
        snprintf(out, size, "%d", part[0]);
}

int64_t PrefParseInterval(const char *text)
{
    const char *s = text ? text : "";
    int n = (int)strlen(s);
    UTTrimSpan(&s, &n);
    char t[80];
    snprintf(t, sizeof t, "%.*s", n, s);
    int64_t v = UTParseInterval(t);
    if (v >= 0)
        return v;
    char *end;
    long long plain = strtoll(t, &end, 10);
    return t[0] && !*end ? plain : -1;
}

void PrefIntervalText(int64_t seconds, char *out, size_t size)
{
    char text[100];
    UTFormatInterval(text, seconds, 0);
    UTTrimRight(text, (int)strlen(text));
    snprintf(out, size, "%s", text);
}

void PrefTimeZoneText(int32_t minutes, int dst, char *out, size_t size)
{
    snprintf(out, size, dst ? "%.2f hours (DST)" : "%.2f hours", minutes / 60.0);
}

void PrefTitleSample(const char *templ, int mqsc, char *out, size_t size)
{
    (void)mqsc;
    ExpHeaderText(templ, "QMGR1", "Queue List", CSGetCurrentTime(), out, size);
}

/* ---- the copy and the repaint mask -------------------------------------------- */

void PrefTakeCopy(PREFCOPY *c)
{
    PrefTakeWords(&c->words);
    c->eosdl = Prf.eosdl;
    c->maxhdb = Prf.maxhdb;
    snprintf(c->userfmtfile, sizeof c->userfmtfile, "%s", Prf.userfmtfile);
}

static int Changed(const PREFCOPY *a, const PREFCOPY *b, int word, uint32_t bits)
{
    return ((a->words.word[word] ^ b->words.word[word]) & bits) != 0;
}

uint32_t PrefRepaintMask(const PREFCOPY *a, const PREFCOPY *b)
{
    uint32_t mask = 0;
    if (Changed(a, b, PW_PO4, 0x10000000))
        mask |= 0x400;
    if (Changed(a, b, PW_PO2, 0x13F) || Changed(a, b, PW_PO, 0x8000))
        mask |= 0x10;
    if (Changed(a, b, PW_PO3, 0x800000) || Changed(a, b, PW_PO, 0x80000000u))
        mask |= 0x20;
    if (Changed(a, b, PW_TB, ~0u))
        mask |= 0x40;
    if (Changed(a, b, PW_PO4, 0x400000))
        mask |= 0x100;
    if (Changed(a, b, PW_PO2, 0x1000))
        mask |= 0x200;
    return mask;
}

/* ---- the fields ----------------------------------------------------------------- */

static void Text(char *out, size_t size, const char *text)
{
    snprintf(out, size, "%s", text ? text : "");
}

static void Number(char *out, size_t size, int32_t value)
{
    snprintf(out, size, "%d", (int)value);
}

static const char *RowText(const PrefValueRow *rows, int32_t value)
{
    const PrefValueRow *r = PrefValueOf(rows, value);
    return r ? r->text : "";
}

void PrefLoad(PREFINPUT *in)
{
    memset(in, 0, sizeof *in);
    PrefTakeWords(&in->words);
    Text(in->locale, sizeof in->locale, !strcmp(Prf.loc, "C") || !Prf.loc[0] ? "Default" : Prf.loc);
    if (Prf.ccsid)
        Number(in->browseCcsid, sizeof in->browseCcsid, Prf.ccsid);
    else
        Text(in->browseCcsid, sizeof in->browseCcsid, "Default");
    Text(in->userfmtfile, sizeof in->userfmtfile, Prf.userfmtfile);
    Text(in->expText, sizeof in->expText, Prf.expText);
    Text(in->expMqsc, sizeof in->expMqsc, Prf.expMqsc);
    Text(in->dateFormat, sizeof in->dateFormat, Prf.edf < 4 ? PrefDateFormats[Prf.edf] : PrefDateFormats[0]);
    snprintf(in->dateSeparator, sizeof in->dateSeparator, "%c", Prf.eds ? Prf.eds : '/');
    if (Prf.maxhdb)
        Number(in->maxhdb, sizeof in->maxhdb, Prf.maxhdb);
    else
        Text(in->maxhdb, sizeof in->maxhdb, "No limit");
    PrefIntervalText(Prf.cmdexp, in->cmdexp, sizeof in->cmdexp);
    snprintf(in->csvsep, sizeof in->csvsep, "%c", Prf.csvsep ? Prf.csvsep : ',');
    Text(in->splash[0], sizeof in->splash[0], Prf.splashs);
    Text(in->splash[1], sizeof in->splash[1], Prf.splashqmn);
    Text(in->splash[2], sizeof in->splash[2], Prf.splashqms);
    const char *letter = strchr(PrefNotifyLetters, Prf.vct ? Prf.vct : 'B');
    Text(in->notify, sizeof in->notify, PrefNotifyTexts[letter ? letter - PrefNotifyLetters : 0]);
    in->useCacheFile = (Prf.po[3] & PO4_USE_CACHE_FILE) != 0;
    in->accessOnStart = (Prf.po[3] & PO4_CACHE_AT_START) != 0;
    Text(in->pwc, sizeof in->pwc, Prf.pwc);
    Text(in->eosdl, sizeof in->eosdl, RowText(PrefEosdlRows, Prf.eosdl));
    Text(in->iactx, sizeof in->iactx, RowText(PrefAddContextRows, (int32_t)Prf.iactx));
    Text(in->iuctx, sizeof in->iuctx, RowText(PrefUpdateContextRows, (int32_t)Prf.iuctx));
    Text(in->wsnd, sizeof in->wsnd, Prf.wsnd);
    Text(in->asnd, sizeof in->asnd, Prf.asnd);
    Text(in->st, sizeof in->st, Prf.st);
    Text(in->disr, sizeof in->disr, Prf.disr);
    Number(in->maxm, sizeof in->maxm, Prf.maxm);
    Number(in->maxb, sizeof in->maxb, Prf.maxb);
    Number(in->msgsms, sizeof in->msgsms, Prf.msgsms);
    Number(in->msgdsp, sizeof in->msgdsp, Prf.msgdsp);
    PrefIntervalText(Prf.autod, in->autod, sizeof in->autod);
    Number(in->hso, sizeof in->hso, Prf.hso);
    Number(in->hsf, sizeof in->hsf, Prf.hsf);
    if (Prf.prgdelay < 0)
        Text(in->prgdelay, sizeof in->prgdelay, "Never");
    else
        Number(in->prgdelay, sizeof in->prgdelay, Prf.prgdelay);
    Number(in->fint, sizeof in->fint, Prf.fint);
    Text(in->sep1000, sizeof in->sep1000, Prf.sep1000);
    Text(in->seplist, sizeof in->seplist, Prf.seplist);
    Text(in->sepind, sizeof in->sepind, Prf.sepind);
    Text(in->sffile, sizeof in->sffile, Prf.sffile);
    Text(in->tf1, sizeof in->tf1, Prf.tf1);
    Text(in->tf2, sizeof in->tf2, Prf.tf2);
    Text(in->tf3, sizeof in->tf3, Prf.tf3);
    Text(in->timeFormat, sizeof in->timeFormat, Prf.fmtdate);
    Text(in->timeToday, sizeof in->timeToday, Prf.fmtdatet);
    Text(in->timeYesterday, sizeof in->timeYesterday, Prf.fmtdatey);
    in->last24h = (Prf.po[4] & PO5_LAST_24H) != 0;
    in->localTimes = (Prf.po[1] & PO2_LOCAL_TIMES) != 0;
    in->systemZone = (Prf.po[1] & PO2_SYSTEM_ZONE) != 0;
    snprintf(in->timeZone, sizeof in->timeZone, "%.2f", Prf.tz / 60.0);
    Text(in->hlpc, sizeof in->hlpc, Prf.hlpc);
    Text(in->hlp, sizeof in->hlp, Prf.hlp);
}

/* ---- the apply ---------------------------------------------------------------- */

static int Fail(PREFERROR *e, int field, const char *format, int bound = 0)
{
    e->field = field;
    snprintf(e->text, sizeof e->text, format, bound);
    return field;
}

/* A number within bounds, or the check's failure. */
static int Bounded(const char *text, int low, int high, int field, const char *least,
                   const char *most, int32_t *value, PREFERROR *e)
{
    long v = strtol(text, nullptr, 10);
    if (v < low)
        return Fail(e, field, least, low);
    if (v > high)
        return Fail(e, field, most, high);
    *value = (int32_t)v;
    return 0;
}

static void SetShared(const char **slot, const char *text)
{
    CSStringSet(slot, text && *text ? text : nullptr, -1);
}

static int ApplyLocale(const char *name, PREFERROR *e)
{
    const char *want = !name[0] || !strcmp(name, "Default") ? "C" : name;
    if (!setlocale(LC_CTYPE, want))
        return Fail(e, PF_LOCALE, "Invalid locale");
    const char *got = setlocale(LC_CTYPE, nullptr);
    snprintf(Prf.loc, sizeof Prf.loc, "%s", got ? got : "C");
    return 0;
}

/* Steps 1 to 6: locale, code page, user formats, export, hex dumps, the
 * command expiry, the separator, splash sources and update checks. */
static int ApplyFirst(const PREFINPUT *in, void *owner, PREFERROR *e)
{
    if (ApplyLocale(in->locale, e))
        return e->field;
    Prf.ccsid = (int32_t)strtol(in->browseCcsid, nullptr, 10);
    if (strcmp(in->userfmtfile, Prf.userfmtfile) != 0) {
        snprintf(Prf.userfmtfile, sizeof Prf.userfmtfile, "%s", in->userfmtfile);
        if (hooks.ufLoadFormats && !hooks.ufLoadFormats(hooks.context, owner, 0)) {
            e->field = PF_UFFILE;
            e->text[0] = 0;                /* the loader reported it */
            return e->field;
        }
    }
    SetShared(&Prf.expText, in->expText);
    SetShared(&Prf.expMqsc, in->expMqsc);
    for (int i = 0; PrefDateFormats[i]; i++)
        if (!strcmp(PrefDateFormats[i], in->dateFormat))
            Prf.edf = (uint8_t)i;
    Prf.eds = in->dateSeparator[0] ? in->dateSeparator[0] : '/';
    int32_t hex = !strcmp(in->maxhdb, "No limit") ? 0 : (int32_t)strtol(in->maxhdb, nullptr, 10);
    if (hex % 4)
        return Fail(e, PF_MAXHDB, "Maximum number of bytes per hex dump line should be a multiple of four.");
    Prf.maxhdb = hex;
    int64_t expiry = PrefParseInterval(in->cmdexp);
    Prf.cmdexp = expiry < 0 ? 0 : (int32_t)expiry;
    Prf.csvsep = in->csvsep[0] ? in->csvsep[0] : ',';
    SetShared(&Prf.splashs, in->splash[0]);
    SetShared(&Prf.splashqmn, in->splash[1]);
    SetShared(&Prf.splashqms, in->splash[2]);
    for (int i = 0; PrefNotifyTexts[i]; i++)
        if (!strcmp(PrefNotifyTexts[i], in->notify))
            Prf.vct = PrefNotifyLetters[i];
    return 0;
}

/* Steps 7 to 9: option words, password cache, drop-downs, sounds. */
static void ApplyOptions(const PREFINPUT *in)
{
    PrefStoreWords(&in->words);
    UTSetFlag(&Prf.po[3], in->useCacheFile, PO4_USE_CACHE_FILE);
    UTSetFlag(&Prf.po[3], in->accessOnStart, PO4_CACHE_AT_START);
    snprintf(Prf.pwc, sizeof Prf.pwc, "%s", in->pwc);
    HOOK(pwcRefresh);
    const PrefValueRow *r;
    if ((r = PrefValueByText(PrefEosdlRows, in->eosdl)))
        Prf.eosdl = r->value;
    if ((r = PrefValueByText(PrefAddContextRows, in->iactx)))
        Prf.iactx = (uint32_t)r->value;
    if ((r = PrefValueByText(PrefUpdateContextRows, in->iuctx)))
        Prf.iuctx = (uint32_t)r->value;
    snprintf(Prf.wsnd, sizeof Prf.wsnd, "%s", in->wsnd[0] ? in->wsnd : "beep");
    snprintf(Prf.asnd, sizeof Prf.asnd, "%s", in->asnd[0] ? in->asnd : "beep");
    PrefNormaliseSoundTimes(in->st, Prf.st, sizeof Prf.st);
}

/* Steps 10 and 11: the browse limits. */
static int ApplyBrowse(const PREFINPUT *in, PREFERROR *e)
{
    int32_t first = 0, last = 0;
    if (!SplitCountPair(in->disr, &first, &last) || first < 1 || last < 1)
        return Fail(e, PF_DISR, "The browse message display range is invalid");
    snprintf(Prf.disr, sizeof Prf.disr, "%s", in->disr);
    Prf.disrFirst = first;
    Prf.disrLast = last;
    Prf.maxm = (int32_t)strtol(in->maxm, nullptr, 10);
    if (Bounded(in->maxb, 10, 30000, PF_MAXB, "Maximum number of browse messages must be at least %d",
                "Maximum number of browse messages can be no greater than %d", &Prf.maxb, e))
        return e->field;
    const char *least = "Message summary size must be at least %d";
    const char *most = "Message summary size can be no greater than %d";
    if (Bounded(in->msgsms, 108, 500, PF_MSGSMS, least, most, &Prf.msgsms, e) ||
        Bounded(in->msgdsp, 10, 200, PF_MSGDSP, least, most, &Prf.msgdsp, e))
        return e->field;
    return 0;
}

static void Separator(char *to, int32_t *length, const char *text)
{
    snprintf(to, 4, "%s", text);
    *length = (int32_t)strlen(to);
}

/* Step 12: the numbers, separators, formats, times and help. */
static void ApplyRest(const PREFINPUT *in)
{
    int64_t delay = PrefParseInterval(in->autod);
    Prf.autod = delay < 1 ? 60 : (int32_t)delay;
    Prf.hso = atoi(in->hso) < 0 ? 0 : atoi(in->hso);
    Prf.hsf = atoi(in->hsf) < 0 ? 0 : atoi(in->hsf);
    Prf.prgdelay = (in->prgdelay[0] == 'N' || in->prgdelay[0] == 'n') ? -1 : atoi(in->prgdelay);
    Prf.fint = atoi(in->fint) < 1 ? 1 : atoi(in->fint);
    Separator(Prf.sep1000, &Prf.sepLength[0], in->sep1000);
    Separator(Prf.seplist, &Prf.sepLength[1], in->seplist);
    Separator(Prf.sepind, &Prf.sepLength[2], in->sepind);
    const char *s = in->sffile;
    int n = (int)strlen(s);
    UTTrimSpan(&s, &n);
    snprintf(Prf.sffile, sizeof Prf.sffile, "%.*s", n, s);
    snprintf(Prf.tf1, sizeof Prf.tf1, "%s", in->tf1);
    snprintf(Prf.tf2, sizeof Prf.tf2, "%s", in->tf2);
    snprintf(Prf.tf3, sizeof Prf.tf3, "%s", in->tf3);
    SetShared(&Prf.fmtdate, in->timeFormat[0] ? in->timeFormat : "%DD %MM %YY %TT");
    SetShared(&Prf.fmtdatet, in->timeToday);
    SetShared(&Prf.fmtdatey, in->timeYesterday);
    UTSetFlag(&Prf.po[4], in->last24h, PO5_LAST_24H);
    UTSetFlag(&Prf.po[1], in->localTimes, PO2_LOCAL_TIMES);
    UTSetFlag(&Prf.po[1], in->systemZone, PO2_SYSTEM_ZONE);
    double hours = atof(in->timeZone);
    if (hours > 999)
        hours = 999;
    if (hours < -999)
        hours = -999;
    Prf.tz = (int32_t)(hours * 60 + (hours < 0 ? -0.5 : 0.5));
    PrfGetTimeZone();
    HOOK(timeZoneChanged);
    snprintf(Prf.hlpc, sizeof Prf.hlpc, "%s", in->hlpc);
    snprintf(Prf.hlp, sizeof Prf.hlp, "%s", in->hlp);
}

/* Step 13: what changed is announced. */
static void Announce(const PREFCOPY *before)
{
    PREFCOPY after;
    PrefTakeCopy(&after);
    if (Changed(before, &after, PW_PO4, 0x700000) || before->eosdl != after.eosdl ||
        before->maxhdb != after.maxhdb)
        HOOK(ufReapplyFormats);
    if (Changed(before, &after, PW_TDS, ~0u))
        HOOK(tabsChanged);
    HOOK(filterManagerRefresh);
    HOOK(repaint, PrefRepaintMask(before, &after));
    HOOK(locNotifyWindows);
    if (Changed(before, &after, PW_MAIN, 0x40) || Changed(before, &after, PW_PO4, 0x40) ||
        Changed(before, &after, PW_PO, 0x10000000))
        HOOK(locListCommand);
    if ((before->words.word[PW_PO] & 0x10) && !(after.words.word[PW_PO] & 0x10))
        HOOK(programIcon);
    if (Changed(before, &after, PW_PO, 0x40))
        HOOK(dropQueueUserName);
    HOOK(configChanged);
}

int PrefApply(const PREFINPUT *in, PREFCOPY *copy, void *owner, PREFERROR *e)
{
    memset(e, 0, sizeof *e);
    if (ApplyFirst(in, owner, e))
        return e->field;
    ApplyOptions(in);
    if (ApplyBrowse(in, e))
        return e->field;
    ApplyRest(in);
    Announce(copy);
    PrefTakeCopy(copy);
    return 0;
}
