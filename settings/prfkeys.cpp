/* The profile's key table and the letter tables of its format words. */
#include "prfkeys.h"
#include "prfdata.h"

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

const char PrfExpTextDefault[] = "RAVOLT %m{Qm: %m }%c Export - %DD %MMM %YY\\n";
const char PrfExpMqscDefault[] = "* RAVOLT %m{Qm: %m }%c Export - %DD %MMM %YY\\n";

static const PRFKEY keys[] = {
    SPECIAL("ver", S_VER),
    { "main", K_EIGHT, W_ALWAYS, '\n', 0, P(main), nullptr, 0, nullptr },
    { "mainqm", K_TWO, W_ALWAYS, '\n', 0, P(mainQm), nullptr, 0, nullptr },
    { "mainmsgs", K_TWO, W_ALWAYS, '\n', 0, P(mainMsgs), nullptr, 0, nullptr },
    NUM("mainmax", mainMax, 0, W_NOTDEF, '\n'),
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

static const PRFLETTER msgLetters[] = {
    { 'a', 0x80000 }, { 'b', 0x4000 }, { 'c', 0x20000 }, { 'd', 0x400 },
    { 'D', 0x1000 }, { 'f', 0x200 }, { 'h', 0x100 }, { 'n', 0x800 },
    { 'o', 0x8000 }, { 's', 0x10000 }, { 'x', 0x100000 },
};
static const PRFLETTER dqLetters[] = {
    { 'A', 0x100 }, { 'D', 0x400 }, { 'F', 0x800000 }, { 'H', 0x400000 },
    { 'M', 0x1000000 }, { 'P', 0x200 }, { 'S', 0x2000 }, { 'b', 0x1 },
    { 'c', 0x40 }, { 'f', 0x200000 }, { 'h', 0x100000 }, { 'm', 0x4 },
    { 'n', 0x1000 }, { 'p', 0x2 }, { 's', 0x10 }, { 'l', 0x2000000 }, { 't', 0x20 },
};

std::span<const PRFKEY> PrfKeyTable(void)
{
    return keys;
}

std::span<const PRFLETTER> PrfMsgLetters(void)
{
    return msgLetters;
}

std::span<const PRFLETTER> PrfDqLetters(void)
{
    return dqLetters;
}
