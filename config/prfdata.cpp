/* The profile: reader, derivations and writer of the "AP:" block (the
 * record, its keys and defaults are the settings library's). */
#include "prffile.h"
#include "prfkeys.h"
#include "cfgfile.h"
#include "colours.h"
#include "prfsect.h"
#include "pwcache.h"
#include "cs.h"

#include <clocale>
#include <iterator>
#include <cstdlib>
#include <cstring>

static PRFHOOKS prfHooks;
static char userfmtDefault[300];

void PrfSetHooks(const PRFHOOKS *h)
{
    if (h)
        prfHooks = *h;
    else
        memset(&prfHooks, 0, sizeof prfHooks);
}

const PRFHOOKS *PrfHooks(void)
{
    return &prfHooks;
}

/* ---- reading ---------------------------------------------------------- */

static void read_letters(const char *text, const PRFLETTER *table, size_t n, uint32_t *word)
{
    for (const char *p = text; *p; p++)
        for (size_t i = 0; i < n; i++)
            if (table[i].letter == *p)
                *word |= table[i].bit;
}

static void read_snap(const char *value, uint32_t *word, uint32_t first, uint32_t grid,
                      const char *firstName)
{
    *word &= ~(first | grid);
    if (!strcmp(value, firstName))
        *word |= first;
    else if (!strcmp(value, "grid"))
        *word |= grid;
}

/* An option word's mask: the word (the table's next key) keeps only the
 * bits the mask holds, the others go back to their defaults, so that a
 * word read before its mask reads the same as the mask and word written
 * in their order. */
static void read_mask(const PRFKEY *k, uint32_t mask)
{
    const PRFKEY &w = k[1];
    uint32_t *word = (uint32_t *)w.field;
    *(uint32_t *)k->field = mask;
    *word = (*word & mask) | ((uint32_t)w.def & ~mask);
}

/* A text value without its trailing blanks (the writers never put them):
 * its length. */
static int trimmed_value(PRFIN *in, char *token)
{
    PrfGetValue(in, token, nullptr);
    return UTTrimRightChars(token, (int)strlen(token), " ");
}

static void read_special(PRFIN *in, const PRFKEY &k, const char *name, char *token)
{
    uint32_t q;
    int len;
    int64_t index;
    switch (k.size) {
    case S_VER: PrfGetInt(in, &Prf.storedVersion, token); break;
    case S_CSVSEP:
        len = PrfGetValue(in, token, nullptr);
        if (len == 1)
            Prf.csvsep = token[0];
        break;
    case S_SNAP:
        PrfGetValue(in, token, nullptr);
        read_snap(token, &Prf.opt1, PRF_OPT1_SNAPQM, PRF_OPT1_SNAPGRID, "qm");
        break;
    case S_ASNAP:
        PrfGetValue(in, token, nullptr);
        read_snap(token, &Prf.opt1, PRF_OPT1_ASNAPOBJ, PRF_OPT1_ASNAPGRID, "obj");
        break;
    case S_EXPTEXT: len = trimmed_value(in, token); CSStringSet(&Prf.expText, token, len); break;
    case S_EXPMQSC: len = trimmed_value(in, token); CSStringSet(&Prf.expMqsc, token, len); break;
    case S_EDF: {
        int32_t v = Prf.edf;
        PrfGetInt(in, &v, token);
        Prf.edf = (uint8_t)v;
        break;
    }
    case S_EDS:
        if (PrfGetValue(in, token, nullptr))
            Prf.eds = token[0];
        break;
    case S_LOC:
        /* "loc=" is the locale text; a bare "loc" is the option flag */
        if (PrfPeekToken(in, &q, token) == 1 && !q && token[0] == '=')
            PrfGetString(in, Prf.loc, sizeof Prf.loc, token);
        else
            Prf.opt2 |= PRF_OPT2_LOC;
        break;
    case S_HTTPBADDR:
        len = trimmed_value(in, token);
        if (len)
            CSListAdd(&Prf.httpbaddr, "HTTPBADDR", CSLIST_COPYDATA, token, len + 1);
        break;
    case S_HLP:
        PrfGetString(in, Prf.hlp, sizeof Prf.hlp, token);
        UTTrimRightChars(Prf.hlp, (int)strlen(Prf.hlp), " ");
        break;
    case S_FONT: PrfGetFont(in, &Prf.font, token); break;
    case S_NPFONT: PrfGetFont(in, &Prf.npfont, token); break;
    case S_PFONT: PrfGetFont(in, &Prf.pfont, token); break;
    case S_MSGFORMAT:
        PrfGetValue(in, token, nullptr);
        Prf.msgFormat = strchr(token, '3') ? 3 : strchr(token, '2') ? 2 : 1;
        Prf.msgFlags = 0;
        read_letters(token, PrfMsgLetters().data(), PrfMsgLetters().size(), &Prf.msgFlags);
        break;
    case S_MSGFORMAT2:
        PrfGetValue(in, token, nullptr);
        Prf.msgFlags2 = strchr(token, 'c') ? 2 : 0;
        break;
    case S_DQ:
        PrfGetValue(in, token, nullptr);
        Prf.dumpFormat = 0;
        read_letters(token, PrfDqLetters().data(), PrfDqLetters().size(), &Prf.dumpFormat);
        break;
    case S_NMS:
        len = trimmed_value(in, token);
        if (PrfBoundedCount(name + 4, PRF_NAMESTDS - 1, &index))
            CSStringSet(&Prf.nameStandards[index], len ? token : nullptr, len);
        break;
    case S_CLR: {
        int32_t v = 0;
        int have = PrfGetValue(in, token, nullptr);
        v = (int32_t)PrfDecimal(token);
        if (have && PrfBoundedCount(name + 3, PRF_COLOURS - 1, &index)) {
            Prf.colours[index] = (uint32_t)v;
            Prf.colourKnown[index] = 2;
        }
        break;
    }
    case S_PRB:
        if (PrfPeekToken(in, &q, token) == 1 && token[0] == '=')
            PrfGetToken(in, &q, 0, token);
        for (;;) {
            len = PrfPeekToken(in, &q, token);
            if (len == 0 || q || !((token[0] >= '0' && token[0] <= '9') || token[0] == '-'))
                break;
            PrfGetToken(in, &q, 0, token);
            if (token[0] == '-')
                break;
            if (PrfBoundedCount(token, PRF_SWITCHES - 1, &index))
                Prf.switchOff[index] = 1;
        }
        break;
    }
}

static const PRFKEY *lookup(const char *token)
{
    /* "loc" is both a flag and the locale key: the special entry decides */
    int loc = strcmp(token, "loc") == 0;
    for (const PRFKEY &k : PrfKeyTable()) {
        if (!k.key)
            continue;
        if (loc) {
            if (k.kind == K_SPECIAL && k.size == S_LOC)
                return &k;
            continue;
        }
        if (k.kind == K_SPECIAL && k.size == S_NMS) {
            if (strncmp(token, "nms_", 4) == 0)
                return &k;
        } else if (k.kind == K_SPECIAL && k.size == S_CLR) {
            if (strncmp(token, "clr", 3) == 0 && token[3] >= '0' && token[3] <= '9')
                return &k;
        } else if (strcmp(k.key, token) == 0) {
            return &k;
        }
    }
    return nullptr;
}

/* A key whose 0 is never written: a 0 read means its default, so that
 * it reads back as what the next writing leaves. */
static int unwritten_zero(const PRFKEY &k)
{
    return (k.rule == W_NOTZERO || k.rule == W_NOTDEFNZ) && k.def != 0;
}

/* Reads the keys; returns the length of the section tag that ended them. */
static int read_keys(PRFIN *in, char *token)
{
    char name[PRF_TOKEN_SIZE];
    uint32_t q;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        if (len == 0 && !q)
            return 0;
        if (PrfIsSectionTag(token, len, q))
            return len;
        if (q)
            continue;
        const PRFKEY *k = lookup(token);
        if (!k)
            continue;
        memcpy(name, token, len + 1);
        switch (k->kind) {
        case K_INT:
            PrfGetInt(in, (int32_t *)k->field, token);
            if (!*(int32_t *)k->field && unwritten_zero(*k))
                *(int32_t *)k->field = (int32_t)k->def;
            break;
        case K_SHORT:
            PrfGetShort(in, (int16_t *)k->field, token);
            if (!*(int16_t *)k->field && unwritten_zero(*k))
                *(int16_t *)k->field = (int16_t)k->def;
            break;
        case K_INT64: PrfGetInt64(in, (int64_t *)k->field, token); break;
        case K_CHAR:
            /* written bare: a blank, quote or escape would not read back,
               nor a character the tokenizer takes as a comment, a token of
               its own or a section's end */
            if (PrfGetValue(in, token, nullptr) && token[0] > ' ' && token[0] != 0x7F &&
                !strchr("\"~;#=()[]{},:", token[0]))
                *(char *)k->field = token[0];
            break;
        case K_HEX:
            if (PrfGetValue(in, token, nullptr))
                *(uint32_t *)k->field = PrfHex(token);
            break;
        case K_MASK:
            if (PrfGetValue(in, token, nullptr))
                read_mask(k, PrfHex(token));
            break;
        case K_WORD:
            if (PrfGetValue(in, token, nullptr)) {
                uint32_t mask = *(uint32_t *)k->aux;
                uint32_t *word = (uint32_t *)k->field;
                *word = (*word & ~mask) | (PrfHex(token) & mask);
            }
            break;
        case K_TEXT:
            PrfGetString(in, (char *)k->field, k->size, token);
            if (k->rule != W_ALLBLANKS)
                UTTrimRightChars((char *)k->field, (int)strlen((char *)k->field), " ");
            break;
        case K_SHARED:
            PrfGetValue(in, token, nullptr);
            if (k->rule != W_ALLBLANKS)
                UTTrimRightChars(token, (int)strlen(token), " ");
            CSStringSet((const char **)k->field, token, (int64_t)strlen(token));
            break;
        case K_ALLOC:
            CSFreeMemAndClear(k->field);
            PrfGetStringAlloc(in, (char **)k->field, token);
            break;
        case K_TWO: {
            int32_t *t = (int32_t *)k->field;
            if (PrfGetValue(in, token, nullptr)) {
                t[0] = (int32_t)PrfDecimal(token);
                if (PrfGetToken(in, &q, 0, token))
                    t[1] = (int32_t)PrfDecimal(token);
            }
            break;
        }
        case K_EIGHT: PrfGetEightInts(in, (int32_t *)k->field, token); break;
        case K_RECT: {
            /* four zeros are never written: read, they leave the rectangle
               as it was, as the next start would */
            int32_t *r = (int32_t *)k->field, was[4] = { r[0], r[1], r[2], r[3] };
            PrfGetRect(in, r, token);
            if (!r[0] && !r[1] && !r[2] && !r[3])
                memcpy(r, was, sizeof was);
            break;
        }
        case K_FLAG16: case K_FLAG32: {
            uint32_t bit = (uint32_t)k->def;
            int set = k->rule == W_BITSET;
            if (k->kind == K_FLAG16)
                *(uint16_t *)k->field = set ? (*(uint16_t *)k->field | bit)
                                            : (*(uint16_t *)k->field & ~bit);
            else
                *(uint32_t *)k->field = set ? (*(uint32_t *)k->field | bit)
                                            : (*(uint32_t *)k->field & ~bit);
            break;
        }
        case K_SPECIAL: read_special(in, *k, name, token); break;
        default: break;
        }
    }
}

static int32_t clamp(int32_t v, int32_t lo, int32_t hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

static void derive(void)
{
    if (!Prf.expText)
        CSStringSet(&Prf.expText, PrfExpTextDefault, -1);
    if (!Prf.expMqsc)
        CSStringSet(&Prf.expMqsc, PrfExpMqscDefault, -1);
    const char *name = setlocale(LC_CTYPE, Prf.loc);
    if (!name)
        name = setlocale(LC_CTYPE, nullptr);
    if (name)
        snprintf(Prf.loc, sizeof Prf.loc, "%s", name);
    Prf.keyboardCodepage = PrfHostKeyboardCodepage();
    if (Prf.keyboardCodepage == 0) {
        if (prfHooks.messageBox)
            prfHooks.messageBox(prfHooks.context, "Unrecognised keyboard input codepage",
                                "Ravolt Operational Error");
        Prf.keyboardCodepage = 850;
    }
    Prf.sepLength[0] = (int32_t)strlen(Prf.sep1000);
    Prf.sepLength[1] = (int32_t)strlen(Prf.seplist);
    Prf.sepLength[2] = (int32_t)strlen(Prf.sepind);
    PWCRefreshFileName();
    const char *comma = strchr(Prf.disr, ',');
    int32_t first = comma ? (int32_t)PrfDecimal(Prf.disr) : 1;
    int32_t last = (int32_t)PrfDecimal(comma ? comma + 1 : Prf.disr);
    if (first == 0) {
        first = 1;
        last = last + 1;
        snprintf(Prf.disr, sizeof Prf.disr, "%d,%d", (int)first, (int)last);
    }
    Prf.disrFirst = first;
    Prf.disrLast = last;
    PrfGetTimeZone();
    if (prfHooks.fitAndLoad)
        prfHooks.fitAndLoad(prfHooks.context, &Prf);
    Prf.dumpFormat |= 0xF0000;
    Prf.po[1] &= ~0x8600u;
    Prf.po[2] &= ~0x200000u;
    if (getenv("RAVOLT_NO_READ_AHEAD"))
        Prf.po[2] |= PO3_NO_READ_AHEAD;
    if (!(Prf.opt2 & (PRF_OPT2_QMGR | PRF_OPT2_LOC)))
        Prf.opt2 |= PRF_OPT2_QMGR;
    if (!Prf.userfmtfile[0]) {
        char dir[300];
        if (PrfHostProgramDir(dir, sizeof dir)) {
            int n = snprintf(userfmtDefault, sizeof userfmtDefault, "%s%cRAVOLT.FMT", dir,
                             CSPathSep);
            if (n > 0 && (size_t)n < sizeof userfmtDefault) {
                if (CSRunningOnWine)
                    CSNormalisePath(userfmtDefault);
                memcpy(Prf.userfmtfile, userfmtDefault, strlen(userfmtDefault) + 1);
            }
        }
    }
    if (Prf.storedVersion != PRF_VERSION)
        Prf.vcn = 0;
    Prf.maxb = clamp(Prf.maxb, 10, 30000);
    Prf.msgsms = clamp(Prf.msgsms, 108, 500);
    Prf.msgdsp = clamp(Prf.msgdsp, 10, 200);
    if (Prf.po[3] & PO4_SHARED_FILTERS)
        PrfReadSharedFilters();
}

static void load(PRFIN *in, int opened)
{
    Prf.loading = 1;
    PrfFreeSections();
    PrfSetDefaults();
    Prf.loading = 1;
    char token[PRF_TOKEN_SIZE];
    if (opened && PrfSkipToLine(in, "AP:")) {
        int len = read_keys(in, token);
        int highest = -1;
        for (int i = 0; i < PRF_COLOURS; i++)
            if (Prf.colourKnown[i])
                highest = i;
        if (prfHooks.colourScheme)
            prfHooks.colourScheme(prfHooks.context, Prf.colours, Prf.colourKnown, highest + 1);
        else
            PrfFillColours(highest);
        if (len && strcmp(token, "QM:") != 0)
            PrfReadSections(in, token, len);
    } else if (!prfHooks.colourScheme) {
        PrfFillColours(-1);
    }
    derive();
    Prf.loading = 0;
}

void PrfLoadText(const char *text, size_t length)
{
    PRFIN in;
    PrfOpenText(&in, text, length);
    load(&in, 1);
}

void LoadPrfData(void)
{
    if (CSTraceIsOn())
        CSTraceEntry("LoadPrfData");
    PRFIN in;
    int opened = PrfOpenFile(&in, ConfigFile) == 0;
    load(&in, opened);
    if (opened)
        PrfClose(&in);
    if (CSTraceIsOn())
        CSTraceExit("LoadPrfData", 0);
}

void PrfGetTimeZone(void)
{
    int32_t bias = 0, daylight = 0;
    Prf.tzEffective = Prf.tz;
    int rc = PrfHostTimeZone(&bias, &daylight);
    if (rc < 0)
        return;
    if (Prf.po[1] & PO2_SYSTEM_ZONE) {
        Prf.tz = Prf.tzEffective = -bias;
        if (rc == 2)
            Prf.tzEffective = -bias - daylight;
    }
}

/* ---- writing ---------------------------------------------------------- */

static void write_letters(PRFOUT *out, uint32_t word, const PRFLETTER *table, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (word & table[i].bit)
            PrfOutChar(out, table[i].letter);
}

static void write_font(PRFOUT *out, const char *key, const PRFFONT *f, const char *sizeKey,
                       const char *extraKey, int32_t extra, int charset)
{
    if (!f->face[0])
        return;
    char k[24];
    snprintf(k, sizeof k, "%s=", key);
    PrfPutFont(out, k, f);
    PrfOutFormat(out, "%s=%ld\n", sizeKey, (long)f->height);
    if (extraKey && (charset ? extra != 0 : 1))
        PrfOutFormat(out, "%s=%ld\n", extraKey, (long)extra);
}

static void write_special(PRFOUT *out, const PRFKEY &k)
{
    switch (k.size) {
    case S_VER:
        PrfOutFormat(out, "ver=%d x=%ld y=%ld cx=%ld cy=%ld\n", PRF_VERSION, (long)Prf.main[0],
                (long)Prf.main[1], (long)Prf.main[2], (long)Prf.main[3]);
        break;
    case S_CSVSEP:
        if (Prf.csvsep && Prf.csvsep != ' ' && Prf.csvsep != ',') {
            char s[2] = { Prf.csvsep, 0 };
            PrfOutText(out, "csvsep=");
            PrfPutQuoted(out, s, 1);
            PrfOutChar(out, '\n');
        }
        break;
    case S_SNAP: case S_ASNAP: {
        int snap = k.size == S_SNAP;
        uint32_t first = snap ? PRF_OPT1_SNAPQM : PRF_OPT1_ASNAPOBJ;
        uint32_t grid = snap ? PRF_OPT1_SNAPGRID : PRF_OPT1_ASNAPGRID;
        if (!(Prf.opt1 & (first | grid)))
            PrfOutFormat(out, "%s=none ", k.key);
        if (Prf.opt1 & first)
            PrfOutFormat(out, "%s=%s ", k.key, snap ? "qm" : "obj");
        if (Prf.opt1 & grid)
            PrfOutFormat(out, "%s=grid ", k.key);
        break;
    }
    case S_EXPTEXT: case S_EXPMQSC: {
        const char *t = k.size == S_EXPTEXT ? Prf.expText : Prf.expMqsc;
        if (PrfTextSet(t)) {
            PrfOutText(out, k.key);
            PrfPutQuoted(out, t, PRF_WHOLE);
            PrfOutChar(out, '\n');
        }
        break;
    }
    case S_EDF: PrfOutFormat(out, "edf=%d ", Prf.edf); break;
    case S_EDS: {
        char s[2] = { Prf.eds ? Prf.eds : '/', 0 };
        PrfOutText(out, "eds=");
        PrfPutQuoted(out, s, 1);
        PrfOutChar(out, '\n');
        break;
    }
    case S_LOC:
        if (strcmp(Prf.loc, "C") != 0 && PrfTextSet(Prf.loc))
            PrfPutString(out, "loc=", Prf.loc, PRF_WHOLE);
        break;
    case S_HTTPBADDR:
        for (CSLISTELEM *e = Prf.httpbaddr.first; e; e = e->next)
            PrfPutString(out, "httpbaddr=", (const char *)(e + 1), PRF_WHOLE);
        break;
    case S_HLP:
        if (PrfTextSet(Prf.hlp) && strcmp(Prf.hlp, PrfHelpDefault) != 0)
            PrfPutString(out, "hlp=", Prf.hlp, PRF_WHOLE);
        break;
    case S_FONT:
        write_font(out, "font", &Prf.font, "fontsize", "charset", Prf.font.charSet, 1);
        break;
    case S_NPFONT:
        write_font(out, "npfont", &Prf.npfont, "npfontsize", "npcharset", Prf.npfont.charSet, 1);
        break;
    case S_PFONT:
        write_font(out, "pfont", &Prf.pfont, "pfontsize", "pfontpsize", Prf.pfont.pointSize, 0);
        break;
    case S_MSGFORMAT:
        PrfOutFormat(out, "msgformat=%d", (int)Prf.msgFormat);
        write_letters(out, Prf.msgFlags, PrfMsgLetters().data(), PrfMsgLetters().size());
        PrfOutFormat(out, "_ msgformat2=%s_\n", (Prf.msgFlags2 & 2) ? "c" : "");
        break;
    case S_DQ:
        PrfOutText(out, "dq=");
        write_letters(out, Prf.dumpFormat, PrfDqLetters().data(), PrfDqLetters().size());
        PrfOutText(out, "_\n");
        break;
    case S_NMS:
        for (int i = 0; i < PRF_NAMESTDS; i++)
            if (Prf.nameStandards[i]) {
                PrfOutFormat(out, "nms_%d=", i);
                PrfPutQuoted(out, Prf.nameStandards[i], PRF_WHOLE);
                PrfOutChar(out, '\n');
            }
        break;
    case S_CLR: {
        int n = 0;
        for (int i = 0; i < PRF_COLOURS; i++)
            if (Prf.colourKnown[i]) {
                PrfOutFormat(out, "clr%d=%d ", i, (int)Prf.colours[i]);
                if (++n % 4 == 0)
                    PrfOutChar(out, '\n');
            }
        if (n % 4)
            PrfOutChar(out, '\n');
        break;
    }
    case S_PRB: {
        int any = 0;
        for (int i = 0; i < PRF_SWITCHES; i++)
            if (Prf.switchOff[i]) {
                if (!any)
                    PrfOutText(out, "prb=");
                PrfOutFormat(out, "%d ", i);
                any = 1;
            }
        if (any)
            PrfOutText(out, "-1 \n");
        break;
    }
    }
}

static int should_write(const PRFKEY &k, int64_t value)
{
    switch (k.rule) {
    case W_ALWAYS: return 1;
    case W_NOTDEF: return value != k.def;
    case W_NOTZERO: return value != 0;
    case W_NOTDEFNZ: return value != k.def && value != 0;
    default: return 0;
    }
}

void SavePrfData(PRFOUT *out)
{
    PrfOutText(out, "\nAP:\n");
    int flagLine = 0;
    for (const PRFKEY &k : PrfKeyTable()) {
        int64_t v = 0;
        switch (k.kind) {
        case K_EOL:
            PrfOutChar(out, '\n');
            break;
        case K_INT: case K_SHORT: case K_INT64: case K_HEX:
            v = k.kind == K_INT ? *(int32_t *)k.field
              : k.kind == K_SHORT ? *(int16_t *)k.field
              : k.kind == K_HEX ? *(uint32_t *)k.field : *(int64_t *)k.field;
            if (!should_write(k, v))
                break;
            if (k.kind == K_HEX)
                PrfOutFormat(out, "%s=%X%c", k.key, (unsigned)v, k.sep);
            else if (k.kind == K_INT64 && k.size != 32)
                PrfOutFormat(out, "%s=%lld%c", k.key, (long long)v, k.sep);
            else
                PrfOutFormat(out, "%s=%d%c", k.key, (int)(int32_t)v, k.sep);
            break;
        case K_CHAR:
            PrfOutFormat(out, "%s=%c%c", k.key, *(char *)k.field ? *(char *)k.field : 'B', k.sep);
            break;
        case K_MASK: case K_WORD:
            PrfOutFormat(out, "%s=%X ", k.key, *(uint32_t *)k.field);
            break;
        case K_TEXT: case K_SHARED: case K_ALLOC: {
            const char *t = k.kind == K_TEXT ? (const char *)k.field : *(const char **)k.field;
            int asIs = k.rule == W_ALLBLANKS;
            /* emptied where the default is not: written empty, so that it
               reads back empty and not as the default */
            if (!asIs && !PrfTextSet(t) && k.rule != W_NEVER && PrfTextSet(k.defText)) {
                PrfOutFormat(out, "%s=\"\"%c", k.key, k.sep);
                break;
            }
            if (!asIs && (!PrfTextSet(t) || k.rule == W_NEVER))
                break;
            if (k.rule == W_SETNOTDEF && k.defText && strcmp(t, k.defText) == 0)
                break;
            PrfOutFormat(out, "%s=", k.key);
            PrfPutQuoted(out, t, asIs ? strlen(t) : PRF_WHOLE);
            PrfOutChar(out, k.sep);
            break;
        }
        case K_TWO: {
            int32_t *t = (int32_t *)k.field;
            PrfOutFormat(out, "%s=%d %d\n", k.key, (int)t[0], (int)t[1]);
            break;
        }
        case K_EIGHT: {
            int32_t *t = (int32_t *)k.field;
            PrfOutFormat(out, "%s=%d %d %d %d %d %d %d %d\n", k.key, (int)t[0], (int)t[1],
                    (int)t[2], (int)t[3], (int)t[4], (int)t[5], (int)t[6], (int)t[7]);
            break;
        }
        case K_RECT: PrfPutRect(out, k.key, (int32_t *)k.field); break;
        case K_FLAG16: case K_FLAG32: {
            uint32_t word = k.kind == K_FLAG16 ? *(uint16_t *)k.field : *(uint32_t *)k.field;
            int set = (word & (uint32_t)k.def) != 0;
            if (set == (k.rule == W_BITSET)) {
                PrfOutFormat(out, "%s ", k.key);
                flagLine = 1;
            }
            break;
        }
        case K_SPECIAL: write_special(out, k); break;
        }
    }
    (void)flagLine;
    PrfWriteSections(out);
}

void SavePrfData(FILE *file)
{
    PRFOUT out;
    PrfOutOpen(&out, file);
    SavePrfData(&out);
    PrfOutClose(&out);
}
