/* The profile: key table, defaults, reader, derivations and writer. */
#include "prfdata.h"
#include "cfgfile.h"
#include "colours.h"
#include "prfsect.h"
#include "pwcache.h"
#include "cs.h"

#include <clocale>
#include <iterator>
#include <cstdlib>
#include <cstring>

PRFDATA Prf;
static PRFHOOKS prfHooks;
static char hlpDefault[300];
static char userfmtDefault[300];

void PrfSetHooks(const PRFHOOKS *h)
{
    if (h)
        prfHooks = *h;
    else
        memset(&prfHooks, 0, sizeof prfHooks);
}

enum KeyKind : uint8_t {
    K_EOL,      /* a line end in the writer's output */
    K_INT, K_SHORT, K_INT64, K_CHAR, K_HEX,
    K_TEXT,     /* fixed buffer of `size` bytes */
    K_SHARED, K_ALLOC,
    K_TWO, K_EIGHT, K_RECT,
    K_FLAG16, K_FLAG32,
    K_MASK, K_WORD,    /* option word mask and word (hexadecimal) */
    K_SPECIAL,
};

enum WriteRule : uint8_t {
    W_ALWAYS, W_NOTDEF, W_NOTZERO, W_NOTDEFNZ, W_SET, W_SETNOTDEF, W_NEVER,
    W_BITSET, W_BITCLEAR,
    W_ALLBLANKS,        /* always, blanks kept: a blank or empty text is a choice */
};

enum Special : uint8_t {
    S_VER = 1, S_CSVSEP, S_SNAP, S_ASNAP, S_EXPTEXT, S_EXPMQSC, S_EDF, S_EDS,
    S_LOC, S_HTTPBADDR, S_HLP, S_FONT, S_NPFONT, S_PFONT, S_MSGFORMAT,
    S_MSGFORMAT2, S_DQ, S_NMS, S_CLR, S_PRB,
};

struct PRFKEY {
    const char *key;
    uint8_t kind;
    uint8_t rule;
    char sep;           /* ' ' or '\n' after a written value */
    uint16_t size;      /* K_TEXT buffer; K_SPECIAL: the Special */
    void *field;
    void *aux;          /* K_WORD: its mask */
    int64_t def;        /* number default, or the flag's bit */
    const char *defText;
};

#define P(x) ((void *)&Prf.x)
#define NUM(k, f, d, rule, sep) { k, K_INT, rule, sep, 0, P(f), nullptr, d, nullptr }
#define SHORTK(k, f, d, rule, sep) { k, K_SHORT, rule, sep, 0, P(f), nullptr, d, nullptr }
#define TEXT(k, f, d, rule) { k, K_TEXT, rule, '\n', sizeof Prf.f, P(f), nullptr, 0, d }
#define SHARED(k, f, d) { k, K_SHARED, W_SET, '\n', 0, P(f), nullptr, 0, d }
#define ALLOC(k, f) { k, K_ALLOC, W_SET, '\n', 0, P(f), nullptr, 0, nullptr }
#define FLAGV(k, bit, rule) { k, K_FLAG16, rule, ' ', 0, P(viewWord), nullptr, bit, nullptr }
#define FLAG1(k, bit, rule) { k, K_FLAG32, rule, ' ', 0, P(opt1), nullptr, bit, nullptr }
#define FLAG2(k, bit, rule) { k, K_FLAG32, rule, ' ', 0, P(opt2), nullptr, bit, nullptr }
#define RECT(k, i) { k, K_RECT, W_ALWAYS, '\n', 0, P(dialogs[i]), nullptr, 0, nullptr }
#define OPTW(mk, wk, i, mdef, wdef) \
    { mk, K_MASK, W_ALWAYS, ' ', 0, P(pom[i]), nullptr, mdef, nullptr }, \
    { wk, K_WORD, W_ALWAYS, ' ', 0, P(po[i]), P(pom[i]), wdef, nullptr }
#define SPECIAL(k, s) { k, K_SPECIAL, W_ALWAYS, '\n', s, nullptr, nullptr, 0, nullptr }
#define EOL { nullptr, K_EOL, W_ALWAYS, '\n', 0, nullptr, nullptr, 0, nullptr }

static const char EXP_TEXT[] = "RAVOLT %m{Qm: %m }%c Export - %DD %MMM %YY\\n";
static const char EXP_MQSC[] = "* RAVOLT %m{Qm: %m }%c Export - %DD %MMM %YY\\n";

/* Every key in the writer's order. */
static const PRFKEY keys[] = {
    SPECIAL("ver", S_VER),
    { "main", K_EIGHT, W_ALWAYS, '\n', 0, P(main), nullptr, 0, nullptr },
    { "mainqm", K_TWO, W_ALWAYS, '\n', 0, P(mainQm), nullptr, 0, nullptr },
    { "mainmsgs", K_TWO, W_ALWAYS, '\n', 0, P(mainMsgs), nullptr, 0, nullptr },
    { "vct", K_CHAR, W_ALWAYS, ' ', 0, P(vct), nullptr, 'B', nullptr },
    { "vcl", K_INT64, W_ALWAYS, ' ', 32, P(vcl), nullptr, 0, nullptr },
    NUM("vcf", vcf, 0, W_ALWAYS, ' '),
    NUM("vcn", vcn, 0, W_ALWAYS, '\n'),
    NUM("vx", view[0], 0, W_NEVER, ' '), NUM("vy", view[1], 0, W_NEVER, ' '),
    NUM("vcx", view[2], 0, W_NEVER, ' '), NUM("vcy", view[3], 0, W_NEVER, ' '),
    FLAGV("list", 0x1, W_BITCLEAR), FLAGV("qms", 0x10, W_BITSET),
    FLAGV("name", 0x2, W_BITSET), FLAGV("icon", 0x4, W_BITSET),
    FLAGV("mini", 0x20, W_BITSET), FLAGV("tree", 0x8, W_BITSET),
    FLAGV("nofor", 0x80, W_BITSET),
    FLAG1("alarm", 0x2, W_BITSET), FLAG1("monitor", 0x1, W_BITSET),
    FLAG1("dynamic", 0x4, W_BITSET), FLAG1("savpos", 0x10, W_BITSET),
    FLAG1("savsize", 0x20, W_BITSET), FLAG1("nmainobjs", 0x40, W_BITCLEAR),
    FLAG1("mainsearch", 0x4000000, W_BITSET),
    FLAG2("desc", 0x20, W_BITSET), FLAG2("search", 0x8, W_BITSET),
    FLAG2("searchq", 0x80000, W_BITSET), FLAG2("qprefix", 0x800000, W_BITSET),
    FLAG2("qmgr", 0x10000, W_BITSET), FLAG2("loc", 0x20000, W_BITSET),
    FLAG1("nphex", 0x80, W_BITCLEAR), FLAG1("nsavobj", 0x100, W_BITCLEAR),
    FLAG1("nauto", 0x4000, W_BITCLEAR), FLAG1("nmulti", 0x8000, W_BITCLEAR),
    FLAG1("nres", 0x200, W_BITCLEAR), FLAG1("nprob", 0x800, W_BITCLEAR),
    FLAG1("naro", 0x10000, W_BITCLEAR), FLAG1("ntb", 0x20000, W_BITCLEAR),
    FLAG1("nexist", 0x40000, W_BITCLEAR), FLAG1("sys", 0x400, W_BITSET),
    FLAG2("mqver", 0x40, W_BITSET), FLAG2("qdep", 0x8000, W_BITSET),
    FLAG2("qcnt", 0x100000, W_BITSET), FLAG1("netmqver", 0x800000, W_BITSET),
    FLAG1("netchscnt", 0x2000000, W_BITSET),
    NUM("layout", layout, 3, W_NOTDEF, ' '), NUM("dsplev", dsplev, -1, W_NOTDEF, ' '),
    NUM("maxm", maxm, 10000, W_NOTDEF, ' '), NUM("maxhdb", maxhdb, 0, W_NOTDEF, ' '),
    NUM("eosdl", eosdl, 3, W_ALWAYS, ' '), NUM("maxb", maxb, 10000, W_NOTDEF, ' '),
    NUM("msgsms", msgsms, 120, W_NOTDEF, ' '), NUM("msgdsp", msgdsp, 50, W_NOTDEF, ' '),
    { "disr", K_TEXT, W_SETNOTDEF, ' ', sizeof Prf.disr, P(disr), nullptr, 0, "1,100" },
    EOL,
    TEXT("dftsrchq", dftsrchq, "", W_SET), TEXT("dftsrchloc", dftsrchloc, "", W_SET),
    TEXT("pwc", pwc, "", W_SET),
    NUM("tb", tb, 1056, W_NOTZERO, ' '), NUM("tds", tds, 35, W_NOTZERO, ' '),
    NUM("autod", autod, 60, W_NOTDEF, ' '), NUM("hsf", hsf, 10, W_NOTDEF, ' '),
    NUM("hso", hso, 10, W_NOTDEF, ' '),
    { "tcma", K_INT64, W_NOTDEF, ' ', 0, P(tcma), nullptr, 5, nullptr },
    NUM("cmdexp", cmdexp, 90, W_NOTZERO, ' '), NUM("sdelay", sdelay, 250, W_NOTZERO, ' '),
    NUM("fint", fint, 1, W_NOTDEF, ' '), NUM("prgdelay", prgdelay, 3, W_NOTDEF, ' '),
    NUM("objo", objo, 1209600, W_ALWAYS, ' '), NUM("objr", objr, 604800, W_ALWAYS, ' '),
    NUM("objrty", objrty, 3600, W_ALWAYS, ' '),
    EOL,
    SHARED("splashs", splashs, nullptr), SHARED("splashqmn", splashqmn, nullptr),
    SHARED("splashqms", splashqms, nullptr),
    SHARED("fmtdate", fmtdate, "%DD %MM %YY %TT"),
    SHARED("fmtdatet", fmtdatet, nullptr), SHARED("fmtdatey", fmtdatey, nullptr),
    TEXT("dspwnd", dspwnd, "qv ", W_SETNOTDEF),
    EOL,
    NUM("mcsplitp", mcsplitp, 70000, W_ALWAYS, ' '),
    NUM("qmlistwid", qmlistwid, 0, W_ALWAYS, '\n'),
    SPECIAL("csvsep", S_CSVSEP),
    RECT("dlgadd", DLG_ADD), RECT("dlgloc", DLG_LOC), RECT("dlgprf", DLG_PRF),
    RECT("dlgsavem", DLG_SAVEM), RECT("dlgloadm", DLG_LOADM), RECT("dlgapiex", DLG_APIEX),
    RECT("dlgexp", DLG_EXP), RECT("dlgfile", DLG_FILE), RECT("dlgprnt", DLG_PRNT),
    RECT("dlgfilters", DLG_FILTERS), RECT("dlgsyncs", DLG_SYNCS), RECT("dlgput", DLG_PUT),
    RECT("dlgalist", DLG_ALIST), RECT("dlgcolour", DLG_COLOUR), RECT("dlgpub", DLG_PUB),
    RECT("dlgdrask", DLG_DRASK), RECT("dlgar", DLG_AR), RECT("dlggraph", DLG_GRAPH),
    RECT("dlggraphdlg", DLG_GRAPHDLG), RECT("dlgversion", DLG_VERSION),
    RECT("dlgtrcmsg", DLG_TRCMSG), RECT("dlgtrcmsgexp", DLG_TRCMSGEXP),
    RECT("dlgfr", DLG_FR), RECT("prgsz", DLG_PRGSZ),
    OPTW("pom", "po", 0, 0xFFFFFFFF, 0x310A1B),
    OPTW("po2m", "po2", 1, 0xFFFFFFFF, 0x4436488),
    OPTW("po3m", "po3", 2, 0xFFFFFFFF, 0x3FFD0030),
    OPTW("po4m", "po4", 3, 0xFFFFFFFF, 0x39FC0138),
    OPTW("po5m", "po5", 4, 0x21, 0),
    { "com", K_MASK, W_ALWAYS, ' ', 0, P(com), nullptr, 0x80003FFF, nullptr },
    { "co", K_WORD, W_ALWAYS, ' ', 0, P(co), P(com), 0xFFFFFFFF, nullptr },
    { "iactx", K_HEX, W_NOTDEF, ' ', 0, P(iactx), nullptr, 0x20, nullptr },
    { "iuctx", K_HEX, W_NOTDEF, ' ', 0, P(iuctx), nullptr, 0x200, nullptr },
    EOL,
    SPECIAL("snap", S_SNAP), SHORTK("snapsz", snapsz, 10, W_ALWAYS, '\n'),
    SPECIAL("asnap", S_ASNAP), SHORTK("asnapsz", asnapsz, 10, W_ALWAYS, '\n'),
    NUM("appf", appf, 6, W_ALWAYS, ' '), NUM("appff", appff, 4, W_ALWAYS, '\n'),
    NUM("trcmsgopt", trcmsgopt, 193, W_ALWAYS, '\n'),
    NUM("putpers", putpers, 0, W_ALWAYS, ' '), NUM("putpmoo", putpmoo, 4, W_ALWAYS, ' '),
    NUM("pubpers", pubpers, 0, W_ALWAYS, ' '), NUM("pubpmoo", pubpmoo, 4, W_ALWAYS, '\n'),
    NUM("alr", alr, 300, W_ALWAYS, ' '), NUM("acr", acr, 600, W_ALWAYS, '\n'),
    SPECIAL("exp_text", S_EXPTEXT), SPECIAL("exp_mqsc", S_EXPMQSC),
    SPECIAL("edf", S_EDF), SPECIAL("eds", S_EDS),
    { "sep1000", K_TEXT, W_ALLBLANKS, ' ', sizeof Prf.sep1000, P(sep1000), nullptr, 0, "," },
    { "seplist", K_TEXT, W_ALLBLANKS, ' ', sizeof Prf.seplist, P(seplist), nullptr, 0, "; " },
    { "sepind", K_TEXT, W_ALLBLANKS, ' ', sizeof Prf.sepind, P(sepind), nullptr, 0, " : " },
    EOL,
    SPECIAL("loc", S_LOC),
    TEXT("st", st, "", W_SET),
    TEXT("wsnd", wsnd, "beep", W_SETNOTDEF), TEXT("asnd", asnd, "beep", W_SETNOTDEF),
    TEXT("tf1", tf1, "Last Refresh on %D - %d %m %y (%t)", W_SET),
    TEXT("tf2", tf2, "%d %m %y (%t)", W_SET), TEXT("tf3", tf3, "%t", W_SET),
    NUM("httpport", httpport, 80, W_NOTDEF, ' '),
    NUM("httpreqint", httpreqint, 10, W_ALWAYS, ' '),
    NUM("httpmaxrsp", httpmaxrsp, 5, W_ALWAYS, ' '),
    NUM("httpretint", httpretint, 300, W_ALWAYS, '\n'),
    TEXT("httproot", httproot, "", W_SET), TEXT("httpincl", httpincl, "", W_SET),
    TEXT("httpexcl", httpexcl, "", W_SET), TEXT("httpdc", httpdc, "", W_SET),
    SPECIAL("httpbaddr", S_HTTPBADDR),
    NUM("netf", netf, 6, W_ALWAYS, ' '), NUM("netff", netff, 4, W_ALWAYS, '\n'),
    ALLOC("qmiconn", qmicon[0]), ALLOC("qmiconb", qmicon[1]),
    ALLOC("qmicong", qmicon[2]), ALLOC("qmiconf", qmicon[3]),
    ALLOC("appicona", appicon[0]), ALLOC("appiconi", appicon[1]),
    ALLOC("appiconb", appicon[2]),
    TEXT("userfmtfile", userfmtfile, "", W_SET),
    TEXT("savemsgfile", savemsgfile, "", W_SET), TEXT("loadmsgfile", loadmsgfile, "", W_SET),
    TEXT("expfile", expfile, "", W_SET), TEXT("sffile", sffile, "", W_SET),
    TEXT("hlpc", hlpc, "", W_SET), SPECIAL("hlp", S_HLP),
    SPECIAL("font", S_FONT),
    NUM("fontsize", font.height, 0, W_NEVER, '\n'),
    SHORTK("charset", font.charSet, 0, W_NEVER, '\n'),
    SPECIAL("npfont", S_NPFONT),
    NUM("npfontsize", npfont.height, -13, W_NEVER, '\n'),
    SHORTK("npcharset", npfont.charSet, 0, W_NEVER, '\n'),
    SHORTK("prnsp", prnsp, 50, W_NOTDEFNZ, '\n'),
    SHORTK("prnvm", prnvm, 10, W_NOTDEFNZ, '\n'), SHORTK("prnhm", prnhm, 10, W_NOTDEFNZ, '\n'),
    SHORTK("prnvo", prnvo, 5, W_NOTDEFNZ, '\n'), SHORTK("prnho", prnho, 5, W_NOTDEFNZ, '\n'),
    SPECIAL("pfont", S_PFONT),
    NUM("pfontsize", pfont.height, 0, W_NEVER, '\n'),
    NUM("pfontpsize", pfont.pointSize, 0, W_NEVER, '\n'),
    SPECIAL("msgformat", S_MSGFORMAT), SPECIAL("msgformat2", S_MSGFORMAT2),
    SPECIAL("dq", S_DQ),
    SPECIAL("nms_", S_NMS),
    NUM("ccsid", ccsid, 0, W_NOTZERO, '\n'), NUM("tz", tz, 0, W_NOTZERO, '\n'),
    SPECIAL("clr", S_CLR), SPECIAL("prb", S_PRB),
    SHORTK("chstype", chstype, 0, W_NEVER, ' '), SHORTK("chsrate", chsrate, 180, W_NEVER, ' '),
    NUM("maxcsl", maxcsl, 1000, W_NEVER, ' '), NUM("mitems", mitems, 6, W_NEVER, ' '),
    NUM("rfmaxrsp", rfmaxrsp, 10, W_NEVER, ' '),
};

/* Letter tables of the format words. */
struct LETTER { char letter; uint32_t bit; };
static const LETTER msgLetters[] = {
    { 'a', 0x80000 }, { 'b', 0x4000 }, { 'c', 0x20000 }, { 'd', 0x400 },
    { 'D', 0x1000 }, { 'f', 0x200 }, { 'h', 0x100 }, { 'n', 0x800 },
    { 'o', 0x8000 }, { 's', 0x10000 }, { 'x', 0x100000 },
};
static const LETTER dqLetters[] = {
    { 'A', 0x100 }, { 'D', 0x400 }, { 'F', 0x800000 }, { 'H', 0x400000 },
    { 'M', 0x1000000 }, { 'P', 0x200 }, { 'S', 0x2000 }, { 'b', 0x1 },
    { 'c', 0x40 }, { 'f', 0x200000 }, { 'h', 0x100000 }, { 'm', 0x4 },
    { 'n', 0x1000 }, { 'p', 0x2 }, { 's', 0x10 }, { 'l', 0x2000000 }, { 't', 0x20 },
};

/* ---- defaults --------------------------------------------------------- */

static void free_text(CSLISTELEM *, void *) {}

void PrfFree(void)
{
    for (const PRFKEY &k : keys) {
        if (k.kind == K_SHARED)
            CSStringSet((const char **)k.field, nullptr, 0);
        else if (k.kind == K_ALLOC)
            CSFreeMemAndClear(k.field);
    }
    CSStringSet(&Prf.expText, nullptr, 0);
    CSStringSet(&Prf.expMqsc, nullptr, 0);
    for (auto &n : Prf.nameStandards)
        CSStringSet(&n, nullptr, 0);
    if (Prf.httpbaddr.first)
        CSListFree(&Prf.httpbaddr, free_text, nullptr);
    CSFreeMemAndClear(&Prf.sections);
    PrfFreeSections();
    memset(&Prf, 0, sizeof Prf);
}

void PrfSetDefaults(void)
{
    PrfFree();
    for (const PRFKEY &k : keys) {
        switch (k.kind) {
        case K_INT: case K_HEX: *(int32_t *)k.field = (int32_t)k.def; break;
        case K_SHORT: *(int16_t *)k.field = (int16_t)k.def; break;
        case K_INT64: *(int64_t *)k.field = k.def; break;
        case K_CHAR: *(char *)k.field = (char)k.def; break;
        case K_MASK: case K_WORD: *(uint32_t *)k.field = (uint32_t)k.def; break;
        case K_TEXT:
            if (k.defText)
                snprintf((char *)k.field, k.size, "%s", k.defText);
            break;
        case K_SHARED:
            if (k.defText)
                CSStringSet((const char **)k.field, k.defText, -1);
            break;
        default: break;
        }
    }
    Prf.viewWord = PRF_VIEW_LIST;
    Prf.opt1 = 0xFDBF0;
    Prf.opt2 = 0;
    Prf.csvsep = ',';
    Prf.eds = '/';
    snprintf(Prf.loc, sizeof Prf.loc, "C");
    Prf.msgFormat = 1;
    Prf.msgFlags = 0x200;
    Prf.dumpFormat = 0x41;
    snprintf(Prf.npfont.face, sizeof Prf.npfont.face, "DejaVu Sans Mono");
    snprintf(Prf.npfont.style, sizeof Prf.npfont.style, "Book");
    int32_t cx = 1024, cy = 768;
    PrfHostScreenSize(&cx, &cy);
    Prf.dialogs[DLG_APIEX][0] = Prf.dialogs[DLG_APIEX][1] = (int32_t)0x80000000;
    Prf.dialogs[DLG_APIEX][2] = cx / 2; Prf.dialogs[DLG_APIEX][3] = cy / 2;
    Prf.dialogs[DLG_FILE][2] = cx / 2; Prf.dialogs[DLG_FILE][3] = cy / 2;
    Prf.dialogs[DLG_ALIST][2] = cx / 3; Prf.dialogs[DLG_ALIST][3] = cy / 2;
    Prf.dialogs[DLG_EXP][2] = cx / 4; Prf.dialogs[DLG_EXP][3] = cy / 4;
    Prf.dialogs[DLG_PRGSZ][2] = 400; Prf.dialogs[DLG_PRGSZ][3] = 250;
    int n = snprintf(hlpDefault, sizeof hlpDefault, "%s%sravolt.pdf", ConfigPath,
                     ConfigPath[0] && !CSIsPathSep(ConfigPath[strlen(ConfigPath) - 1])
                         ? CSPathSepString : "");
    if (n < 0 || (size_t)n >= sizeof Prf.hlp)
        hlpDefault[0] = 0;                     /* too long to be a default */
    memcpy(Prf.hlp, hlpDefault, strlen(hlpDefault) + 1);
    if (CSRunningOnWine)
        snprintf(Prf.hlpc, sizeof Prf.hlpc, "/usr/bin/evince");
    memset(Prf.switchOff, 0, sizeof Prf.switchOff);
    memcpy(Prf.colours, ColourScheme(0), sizeof Prf.colours);
}

/* ---- reading ---------------------------------------------------------- */

static void read_letters(const char *text, const LETTER *table, size_t n, uint32_t *word)
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
        read_letters(token, msgLetters, std::size(msgLetters), &Prf.msgFlags);
        break;
    case S_MSGFORMAT2:
        PrfGetValue(in, token, nullptr);
        Prf.msgFlags2 = strchr(token, 'c') ? 2 : 0;
        break;
    case S_DQ:
        PrfGetValue(in, token, nullptr);
        Prf.dumpFormat = 0;
        read_letters(token, dqLetters, std::size(dqLetters), &Prf.dumpFormat);
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
    for (const PRFKEY &k : keys) {
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
            /* written bare: a blank, quote or escape would not read back */
            if (PrfGetValue(in, token, nullptr) && token[0] > ' ' && token[0] != '"' && token[0] != '~' &&
                token[0] != 0x7F)
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
        case K_RECT: PrfGetRect(in, (int32_t *)k->field, token); break;
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
        CSStringSet(&Prf.expText, EXP_TEXT, -1);
    if (!Prf.expMqsc)
        CSStringSet(&Prf.expMqsc, EXP_MQSC, -1);
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

static void write_letters(PRFOUT *out, uint32_t word, const LETTER *table, size_t n)
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
        if (PrfTextSet(Prf.hlp) && strcmp(Prf.hlp, hlpDefault) != 0)
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
        write_letters(out, Prf.msgFlags, msgLetters, std::size(msgLetters));
        PrfOutFormat(out, "_ msgformat2=%s_\n", (Prf.msgFlags2 & 2) ? "c" : "");
        break;
    case S_DQ:
        PrfOutText(out, "dq=");
        write_letters(out, Prf.dumpFormat, dqLetters, std::size(dqLetters));
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
    for (const PRFKEY &k : keys) {
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
