/* The location writer against the one it replaced: locations with every
 * field set, empty and at its longest, with characters that need quotes
 * or escapes and bytes above 127, with client settings, command lines
 * and dialog entries, written by both and compared byte for byte. */
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cfgdialog.h"
#include "cfgfile.h"
#include "cfgtest.h"
#include "cs.h"
#include "dialogs.h"
#include "mqi.h"
#include "prfdata.h"
#include "prffile.h"
#include "wirelibs.h"

namespace {

/* ---- the writer as it was: the reference -------------------------------- */

struct FLAGWORD { const char *name; uint8_t word; uint8_t clear; uint32_t bit; };
const FLAGWORD flagOrder[] = {
    { "mvs", 1, 0, LF_MVS }, { "lognm", 1, 0, LF_LOGNM }, { "csl", 1, 0, LF_CSL },
    { "qsg", 1, 0, LF_QSG }, { "auto", 1, 0, LF_AUTO }, { "nc", 1, 0, LF_NC },
    { "fgn", 1, 0, LF_FGN }, { "nau", 1, 0, LF_NAU }, { "alarm", 1, 0, LF_ALARM },
    { "loop", 1, 0, LF_LOOP }, { "network", 1, 0, LF_NETWORK },
    { "client", 1, 0, LF_CLIENT }, { "single", 1, 0, LF_SINGLE },
    { "usrp", 1, 0, LF_USRP }, { "usroam", 1, 1, LF_USROAM },
    { "nmsnochkdef", 2, 0, LF2_NMSNOCHKDEF }, { "nmsnochkhel", 2, 0, LF2_NMSNOCHKHEL },
    { "usrsuc", 2, 0, LF2_USRSUC }, { "usrnpwcf", 2, 0, LF2_USRNPWCF },
    { "sslwk", 2, 0, LF2_SSLWK }, { "ucuser", 2, 0, LF2_UCUSER },
    { "ucpw", 2, 0, LF2_UCPW }, { "crlf", 2, 0, LF2_CRLF }, { "ps", 1, 0, LF_PS },
    { "npsai", 1, 1, LF_NPSAI }, { "http", 1, 0, LF_HTTP }, { "httpd", 1, 0, LF_HTTPD },
    { "httpnb", 2, 0, LF2_HTTPNB }, { "uco", 1, 0, LF_UCO }, { "uce", 1, 0, LF_UCE },
    { "ucn", 1, 0, LF_UCN }, { "expa", 1, 0, LF_EXPA }, { "expd", 1, 0, LF_EXPD },
    { "exps", 1, 0, LF_EXPS }, { "expc", 1, 0, LF_EXPC }, { "ndftd", 1, 0, LF_NDFTD },
    { "objd", 1, 0, LF_OBJD }, { "dra", 1, 0, LF_DRA }, { "nomqtt", 1, 0, LF_NOMQTT },
    { "disabled", 3, 0, LS_DISABLED },
};

void old_put_word(PRFOUT *out, const char *value)
{
    const char *breaks = " \t\r\n=()[]{},;:#\"~";
    const char *p = value;
    while (*p && !strchr(breaks, *p))
        p++;
    /* blanks at the end are never written: a word before them goes bare */
    if (p == value || p[strspn(p, " ")])
        PrfPutQuoted(out, value, PRF_WHOLE);
    else
        PrfOutWrite(out, value, (size_t)(p - value));
}

void old_put_name(PRFOUT *out, const char *key, const char *value)
{
    PrfOutText(out, key);
    old_put_word(out, value);
    PrfOutChar(out, '\n');
}

void old_put_shared(PRFOUT *out, const char *key, const char *text)
{
    if (!text || !text[strspn(text, " ")])
        return;
    PrfOutText(out, key);
    PrfPutQuoted(out, text, PRF_WHOLE);
    PrfOutChar(out, '\n');
}

/* PrfPutString of a whole text, blanks alone not written (they read back
 * as none). */
void old_put_text(PRFOUT *out, const char *key, const char *text)
{
    if (text && text[strspn(text, " ")])
        PrfPutString(out, key, text, PRF_WHOLE);
}

void old_keywords(QMS *r, PRFOUT *out)
{
    if (r->secondName[0] && memcmp(r->secondName, "RAVOLT", sizeof "RAVOLT") != 0)
        old_put_name(out, "mq=", r->secondName);
    int any = 0;
    const struct { const char *key; uint32_t v; } ccsids[] = {
        { "ccsidq=", r->ccsidQm }, { "ccsidp=", r->ccsidOverride },
        { "encq=", r->encodingQm }, { "encp=", r->encodingOverride },
    };
    for (auto &c : ccsids)
        if (c.v) {
            PrfOutKeyInt(out, c.key, (int)c.v, ' ');
            any = 1;
        }
    if (any)
        PrfOutChar(out, '\n');
    old_put_text(out, "grp=", r->groupName);
    if (r->replyModel[strspn(r->replyModel, " ")])      /* blanks alone read back as none */
        old_put_name(out, "rq=", r->replyModel);
    old_put_text(out, "rp=", r->replyPrefix);
    int defaultCq = (r->flags & LF_MVS)
        ? !memcmp(r->commandQueue, "SYSTEM.COMMAND.INPUT", sizeof "SYSTEM.COMMAND.INPUT")
        : !memcmp(r->commandQueue, "SYSTEM.ADMIN.COMMAND.QUEUE", sizeof "SYSTEM.ADMIN.COMMAND.QUEUE");
    if (!defaultCq)
        old_put_name(out, "cq=", r->commandQueue);
    old_put_text(out, "cmdok=", r->okCommand);
    old_put_text(out, "cmdfail=", r->failCommand);
    old_put_text(out, "viaqm=", r->viaQm);
    old_put_text(out, "sq=", r->sqName);
    if (memcmp(r->brokerQueue, "SYSTEM.BROKER.CONTROL.QUEUE", sizeof "SYSTEM.BROKER.CONTROL.QUEUE") != 0)
        old_put_text(out, "psq=", r->brokerQueue);
    old_put_shared(out, "nnames=", r->networkNames);
    old_put_shared(out, "sgn=", r->securityGroup);
    old_put_shared(out, "sgd=", r->securityGroupDesc);
    for (int i = 0; i < QMS_NAMELISTS; i++)
        if (r->nameLists[i]) {
            char key[16];
            snprintf(key, sizeof key, "nms_%d=", i);
            old_put_shared(out, key, r->nameLists[i]);
        }
    if (r->retryInterval) PrfOutKeyInt(out, "retryint=", r->retryInterval, '\n');
    if (r->disconnectInterval) PrfOutKeyInt(out, "discint=", r->disconnectInterval, '\n');
    if (r->autoRefresh != -1) PrfOutKeyInt(out, "arr=", r->autoRefresh, '\n');
    if (r->autoRefreshOpen != -1) PrfOutKeyInt(out, "arra=", r->autoRefreshOpen, '\n');
    if (memcmp(r->appWindow, "va ", 4) != 0) {
        PrfOutText(out, "appwnd=");
        PrfPutQuoted(out, r->appWindow, 4);
        PrfOutChar(out, '\n');
    }
    static const char *icons[4] = { "qmiconn=", "qmiconb=", "qmicong=", "qmiconf=" };
    for (int i = 0; i < 4; i++)
        old_put_shared(out, icons[i], r->iconFile[i]);
    old_put_shared(out, "ccdturl=", r->ccdtUrl);
    int line = 0;
    for (const FLAGWORD &f : flagOrder) {
        uint32_t word = f.word == 1 ? r->flags : f.word == 2 ? r->flags2 : r->status;
        if (((word & f.bit) != 0) != (f.clear != 0)) {
            PrfOutText(out, f.name);
            PrfOutChar(out, ' ');
            line = 1;
        }
    }
    if (!(r->interval[0] == 60 && r->interval[1] == 0 &&
          r->interval[2] == 1800 && r->interval[3] == 0)) {
        PrfOutFormat(out, "interval=%lde%ldx%lde%ld ", (long)r->interval[0],
                (long)r->interval[1], (long)r->interval[2], (long)r->interval[3]);
        line = 1;
    }
    if (r->placementFlags & 0x20) {
        uint64_t w = (uint64_t)r->placement[1];
        PrfOutFormat(out, "ux=%d uy=%d ", (int)(int32_t)(uint32_t)w, (int)(int32_t)(uint32_t)(w >> 32));
        line = 1;
    }
    PrfOutKeyInt(out, "vo=", (int16_t)(r->viewOptions & 0x7F20), ' ');
    if (line)
        PrfOutChar(out, '\n');
    PrfPutRect(out, "appview", r->appView);
    if (r->exportFile[0])
        PrfPutString(out, "expf=", r->exportFile, QMS_EXPFILE);
    if (r->exportType != 1)
        PrfPutInt(out, "expty=", r->exportType);
    PrfPutInt(out, "expfr=", r->exportFrequency);
    PrfPutInt(out, "expdy=", r->exportDay);
    PrfPutInt64(out, "expt=", r->exportTime);
    PrfPutInt(out, "expi=", r->exportInterval);
    PrfOutKeyInt(out, "expm=8191 expo=", (int)r->exportMask, '\n');
    if (r->clientChannel) {
        PrfOutText(out, (r->status & LS_CLNKEYWORD) ? "cln=" : "cl =");
        PrfPutQuoted(out, r->clientChannel, QMS_CHLNAME);
        PrfOutChar(out, '\n');
    }
    PrfPutString(out, "usr=", r->userId, PRF_WHOLE);
}

const uint32_t unsavedAttributes[] = {
    MQCACH_PASSWORD, MQCA_SSL_KEY_REPO_PASSWORD, MQCA_LDAP_PASSWORD,
};

void old_save_object(PRFOUT *out, const uint8_t *area, const PCFCommandDef *def)
{
    if (!area || !def)
        return;
    for (const PCFFieldEntry *e = def->fields; e->field; e++) {
        int unsaved = 0;
        for (uint32_t id : unsavedAttributes)
            unsaved |= id == e->field->attrId;
        if ((e->flags & (PCFE_NOSTORE | PCFE_NOSTORE2)) || unsaved)
            continue;
        const uint8_t *r = area + e->offset;
        uint16_t st = PCFState(r);
        int type = e->field->type;
        if (!(st & (PCFS_PRESENT | PCFS_RECEIVED)) || type < 1 || type > 25)
            continue;
        int specified = (st & PCFS_SPECIFIED) != 0;
        switch (type) {
        case PCFT_INT: case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14:
        case PCFT_NUMBER:
            if (specified) {
                PrfOutFormat(out, "%5d=", (int)e->field->attrId);
                PrfOutKeyInt(out, "", PCFRecInt(r), '\n');
            }
            break;
        case PCFT_FLAGSET:
            if (specified) {
                PCFINTLIST *l = PCFRecIntList(r);
                int32_t v = 0;
                for (int i = 0; l && i < l->count; i++)
                    v |= PCFIntListItems(l)[i];
                PrfOutFormat(out, "%5d=", (int)e->field->attrId);
                PrfOutKeyInt(out, "", v, '\n');
            }
            break;
        case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25:
            if (specified) {
                const char *text = PCFRecText((uint8_t *)r);
                PrfOutFormat(out, "%5d=", (int)e->field->attrId);
                PrfPutQuoted(out, text, (size_t)UTTrimmedLength(text, (int)strlen(text)));
                PrfOutChar(out, '\n');
            }
            break;
        case PCFT_STRLIST: case PCFT_MULTISTR: {
            PCFSTRLIST *l = PCFRecStrList(r);
            int max = e->field->maximum;
            if (!l || !l->count)
                break;
            PrfOutFormat(out, "%5d=", (int)e->field->attrId);
            PrfOutInt(out, l->count);
            for (int i = 0; i < l->count; i++) {
                const char *item = PCFStrListItem(l, max, i);
                PrfOutChar(out, '\n');
                PrfPutQuoted(out, item, (size_t)UTTrimmedLength(item, max));
            }
            PrfOutChar(out, '\n');
            break;
        }
        case PCFT_ENUMLIST: case PCFT_INTLIST: {
            PCFINTLIST *l = PCFRecIntList(r);
            if (!l || !l->count)
                break;
            PrfOutFormat(out, "%5d=", (int)e->field->attrId);
            PrfOutInt(out, l->count);
            for (int i = 0; i < l->count; i++)
                PrfOutKeyInt(out, " ", PCFIntListItems(l)[i], 0);
            PrfOutChar(out, '\n');
            break;
        }
        }
    }
}

struct DLGFLAG { const char *name; uint8_t word; uint32_t bit; };
const DLGFLAG dlgFlags[] = {
    { "buttons", 0, DLGA_BUTTONS }, { "fields", 0, DLGA_FIELDS }, { "filter", 0, DLGA_FILTER },
    { "initrefresh", 0, DLGA_INITREFRESH }, { "tfull", 0, DLGA_TFULL },
    { "tshort", 0, DLGA_TSHORT }, { "tmqsc", 0, DLGA_TMQSC }, { "tl", 1, DLGB_TL },
    { "autoexp", 1, DLGB_AUTOEXP }, { "autoexpapp", 1, DLGB_AUTOEXPAPP },
    { "autoexpchng", 1, DLGB_AUTOEXPCHNG }, { "autoexpah", 1, DLGB_AUTOEXPAH },
    { "autoexpts", 1, DLGB_AUTOEXPTS }, { "autoexpsys", 1, DLGB_AUTOEXPSYS },
    { "autoexpdef", 1, DLGB_AUTOEXPDEF }, { "nosys", 1, DLGB_NOSYS },
};

void old_quoted_line(PRFOUT *out, const char *key, const char *text, size_t max)
{
    PrfOutText(out, key);
    PrfPutQuoted(out, text, max ? max : strlen(text));
    PrfOutChar(out, '\n');
}

void old_dialog(const DLGINFO *d, PRFOUT *out)
{
    if (d->raw) {
        PrfOutChar(out, '\n');
        PrfOutText(out, d->raw);
        PrfOutChar(out, '\n');
        return;
    }
    PrfOutText(out, "\nDLG:");
    PrfPutQuoted(out, d->title, PRF_WHOLE);
    PrfOutChar(out, '\n');
    if ((Prf.opt1 & 0x10) && (d->optA & DLGA_POSSAVED))
        PrfOutFormat(out, "x=%ld y=%ld x2=%ld y2=%ld ", (long)d->x, (long)d->y, (long)d->x2,
                (long)d->y2);
    if ((Prf.opt1 & 0x20) && (d->optA & DLGA_SIZESAVED))
        PrfOutFormat(out, "cx=%ld cy=%ld cx2=%ld cy2=%ld ", (long)d->cx, (long)d->cy,
                (long)d->cx2, (long)d->cy2);
    PrfOutChar(out, '\n');
    int any = 0;
    if (d->refresh)
        any = PrfOutFormat(out, "refresh=%ld ", (long)d->refresh);
    if (d->align != -1)
        any = PrfOutFormat(out, "align=%ld ", (long)d->align);
    for (const DLGFLAG &f : dlgFlags) {
        if (!((f.word ? d->optB : d->optA) & f.bit))
            continue;
        PrfOutText(out, f.name);
        PrfOutChar(out, ' ');
        any = 1;
    }
    const struct { const char *name; int32_t v; } tail[] = {
        { "ds3", d->ds3 }, { "autoexptype", d->autoexptype }, { "exptype", d->exptype },
        { "expseltype", d->expseltype },
    };
    for (const auto &t : tail)
        if (t.v)
            any = PrfOutFormat(out, "%s=%ld ", t.name, (long)t.v);
    if (any)
        PrfOutChar(out, '\n');
    if (d->autoexpfile[0])
        old_quoted_line(out, " autoexpfile=", d->autoexpfile, 300);
    if (d->expfile[0])
        old_quoted_line(out, " expfile=", d->expfile, 300);
    if (d->dftFilter && d->dftFilter[0])
        old_quoted_line(out, "dftfilter=", d->dftFilter, 0);
    int n = DlgColumnCount(d->columns);
    if (n) {
        PrfOutFormat(out, "LST: %d ", n);
        for (int i = 0; i < n; i++) {
            PrfOutKeyInt(out, "", DefFieldAttribute(d->columns[i].field), ' ');
            PrfOutKeyInt(out, "", d->columns[i].flags, ' ');
        }
        PrfOutChar(out, '\n');
    }
    if (d->filters.first) {
        PrfOutText(out, "\nFLT:\n");
        for (CSLISTELEM *e = d->filters.first; e; e = e->next) {
            PrfPutQuoted(out, (const char *)(e + 1), (size_t)e->length);
            PrfOutChar(out, '\n');
        }
    }
}

void old_location(QMS *r, PRFOUT *out)
{
    const char *second = r->secondName;
    if ((r->flags & LF_NOTSAVED) || !strncmp(second, "AMQ.", 4))
        return;
    PrfOutText(out, "\nQM:");
    old_put_word(out, r->qmName);
    PrfOutChar(out, ' ');
    PrfPutQuoted(out, r->locationName, PRF_WHOLE);
    PrfOutKeyInt(out, " ", r->platform, ' ');
    PrfOutKeyInt(out, "", r->commandLevel, '\n');
    old_keywords(r, out);
    if (r->clientSettings) {
        PrfOutText(out, "\nCLN:\n");
        old_save_object(out, (const uint8_t *)r->clientSettings, &PCFClientChannelDef);
    }
    if (r->mqscCommands.first) {
        PrfOutText(out, "\nMQS:\n");
        for (CSLISTELEM *e = r->mqscCommands.first; e; e = e->next) {
            PrfPutQuoted(out, (const char *)(e + 1), PRF_WHOLE);
            PrfOutChar(out, '\n');
        }
    }
    for (CSTREE *e = CSTreeFirst(r->dialogs); e; e = e->next)
        old_dialog((const DLGINFO *)e, out);
}

/* ---- the comparison ----------------------------------------------------- */

/* A location as each writer puts it, in memory; `fill` starts the
 * buffer nearly full, so that its room is made mid-location; `crlf` as
 * for a stream that wants CR LF line ends. */
std::string Written(QMS *r, int reference, size_t fill = 0, int crlf = 0)
{
    PRFOUT out;
    PrfOutOpen(&out, nullptr);
    out.crlf = crlf;
    std::string pad(fill, 'P');
    PrfOutWrite(&out, pad.data(), pad.size());
    if (reference)
        old_location(r, &out);
    else
        CfgFileWriteLocation(r, &out);
    std::string text(out.data ? out.data : "", out.length);
    EXPECT_EQ(PrfOutClose(&out), 0);
    return text.substr(fill);
}

/* Every LF as CR LF: what the stream of such a writer used to be given. */
std::string Crlf(const std::string &text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

struct Random {
    uint32_t seed;
    uint32_t operator()() { return (seed = seed * 1103515245u + 12345u) >> 8; }
};

/* A text of the characters that matter to the writer: blanks (trailing
 * ones are left out of whole texts), the escaped two, the characters that
 * make a name need quotes, bytes above 127, line ends. */
std::string RandomText(Random &rnd, size_t longest)
{
    static const char alphabet[] = { 'A', 'z', '0', '.', ' ', ' ', '"', '~', '=', ';', '#', ':',
                                     '(', '\t', '\n', '\r', (char)0xE9, (char)0xFF, (char)0x80, '%' };
    size_t length;
    switch (rnd() % 5) {
    case 0: length = 0; break;
    case 1: length = longest; break;
    default: length = rnd() % (longest + 1);
    }
    std::string s;
    int plain = rnd() % 3 == 0;           /* a plain word now and then */
    for (size_t i = 0; i < length; i++)
        s += plain ? (char)('A' + rnd() % 26) : alphabet[rnd() % sizeof alphabet];
    if (length && rnd() % 4 == 0)
        s[length - 1] = ' ';
    return s;
}

void Fill(Random &rnd, char *field, size_t width, std::vector<const char *> defaults = {})
{
    std::string s = RandomText(rnd, width);
    if (!defaults.empty() && rnd() % 4 == 0)
        s = defaults[rnd() % defaults.size()];
    memset(field, 0, width + 1);
    memcpy(field, s.data(), s.size() < width ? s.size() : width);
}

int32_t RandomInt(Random &rnd, std::vector<int32_t> usual)
{
    switch (rnd() % 6) {
    case 0: return INT32_MIN;
    case 1: return INT32_MAX;
    case 2: return (int32_t)(rnd() * 2654435761u);
    default: return usual[rnd() % usual.size()];
    }
}

/* Every location of a file read, then thousands of variations of each
 * (every field and word changed at random, sharing the location's client
 * settings, command lines and dialog entries), written by both writers. */
TEST(LocationWriter, WritesWhatTheFormerWriterWrote)
{
    WireLibraries();
    cfgtest::ClearLocations();
    LoadPrfData();
    std::string text = cfgtest::Slurp(cfgtest::DataFile("golden-in.cfg"));
    /* command lines and a dialog entry with what needs escapes */
    text += "\nQM:QMX \"~\"x~\" ~~ \xE9\" 1 2\n\nMQS:\n\"A ~\"B~\" ~~\"\n\"   \"\n\"\xFF\xE9 trailing   \"\n"
            "\nDLG:\"Queue List\"\nx=1 y=2 refresh=5 align=3 tl nosys ds3=4 exptype=2\n"
            " expfile=\"c:\\~\"x~\".txt \" autoexpfile=\"a\" dftfilter=\"depth > 0\"\nLST: 1 2016 4\n";
    CfgReadText(text.data(), text.size(), &LocTree);
    std::vector<QMS *> sources;
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        sources.push_back((QMS *)e);
    ASSERT_GE(sources.size(), 5u);
    int withClient = 0, withDialogs = 0, withCommands = 0;
    for (QMS *s : sources) {
        withClient += s->clientSettings != nullptr;
        withDialogs += s->dialogs != nullptr;
        withCommands += s->mqscCommands.first != nullptr;
        ASSERT_EQ(Written(s, 0), Written(s, 1)) << s->qmName;
        ASSERT_EQ(Written(s, 0, 0, 1), Crlf(Written(s, 1))) << s->qmName;
    }
    ASSERT_GT(withClient, 0);
    ASSERT_GT(withDialogs, 1);
    ASSERT_GT(withCommands, 1);

    uint32_t opt1 = Prf.opt1;
    Random rnd{ 41 };
    std::vector<std::string> texts(16);      /* the shared texts of one round */
    std::string user;
    QMS *v = new QMS;
    for (int round = 0; round < 6000; round++) {
        QMS *s = sources[round % sources.size()];
        memcpy(v, s, sizeof *v);
        Fill(rnd, v->qmName, QMS_NAME);
        Fill(rnd, v->secondName, QMS_NAME, { "RAVOLT", "AMQ.X", "" });
        Fill(rnd, v->locationName, QMS_LOCNAME);
        Fill(rnd, v->viaQm, QMS_NAME);
        Fill(rnd, v->commandQueue, QMS_NAME, { "SYSTEM.ADMIN.COMMAND.QUEUE", "SYSTEM.COMMAND.INPUT" });
        Fill(rnd, v->replyModel, QMS_NAME);
        Fill(rnd, v->sqName, QMS_NAME);
        Fill(rnd, v->groupName, QMS_NAME, { " ", "" });
        Fill(rnd, v->replyPrefix, QMS_NAME);
        Fill(rnd, v->brokerQueue, QMS_NAME, { "SYSTEM.BROKER.CONTROL.QUEUE" });
        Fill(rnd, v->okCommand, QMS_CMDLEN, { " " });
        Fill(rnd, v->failCommand, QMS_CMDLEN);
        Fill(rnd, v->exportFile, QMS_EXPFILE - 1);
        if (rnd() % 4 == 0)                  /* at its longest, without a NUL */
            memset(v->exportFile, 'e', QMS_EXPFILE);
        Fill(rnd, v->appWindow, 3, { "va " });
        const char **shared[] = { &v->networkNames, &v->securityGroup, &v->securityGroupDesc,
                                  &v->iconFile[0], &v->iconFile[1], &v->iconFile[2],
                                  &v->iconFile[3], &v->ccdtUrl, &v->clientChannel,
                                  &v->nameLists[0], &v->nameLists[4], &v->nameLists[8] };
        for (size_t i = 0; i < sizeof shared / sizeof shared[0]; i++) {
            texts[i] = RandomText(rnd, i == 0 ? 1500 : 60);
            if (rnd() % 3 == 0)
                texts[i] = std::string(rnd() % 4, ' ');
            *shared[i] = rnd() % 4 ? texts[i].c_str() : nullptr;
        }
        user = RandomText(rnd, 80);
        v->userId = rnd() % 3 ? &user[0] : nullptr;
        v->platform = RandomInt(rnd, { 0, 2, 11, -3 });
        v->commandLevel = RandomInt(rnd, { 0, 710, 940 });
        v->ccsidQm = (uint32_t)RandomInt(rnd, { 0, 1208 });
        v->ccsidOverride = (uint32_t)RandomInt(rnd, { 0, 819 });
        v->encodingQm = (uint32_t)RandomInt(rnd, { 0, 546 });
        v->encodingOverride = (uint32_t)RandomInt(rnd, { 0, 273 });
        v->flags = rnd() ^ (rnd() << 16);
        v->flags &= rnd() % 8 ? ~(uint32_t)LF_NOTSAVED : ~0u;
        v->flags2 = rnd() % 2 ? rnd() : 0;
        v->status = rnd() ^ (rnd() << 16);
        v->retryInterval = RandomInt(rnd, { 0, 30 });
        v->disconnectInterval = RandomInt(rnd, { 0, 600 });
        v->autoRefresh = RandomInt(rnd, { -1, 0, 15 });
        v->autoRefreshOpen = RandomInt(rnd, { -1, 0, 5 });
        if (rnd() % 3) {
            v->interval[0] = 60, v->interval[1] = 0, v->interval[2] = 1800, v->interval[3] = 0;
            v->interval[rnd() % 4] += rnd() % 2;
        } else {
            for (int32_t &i : v->interval)
                i = RandomInt(rnd, { 0, 60, -5 });
        }
        v->placementFlags = rnd() % 4;
        v->placementFlags |= rnd() % 2 ? 0x20 : 0;
        v->placement[1] = (int64_t)(((uint64_t)(uint32_t)RandomInt(rnd, { 0, -40 }) << 32) |
                                    (uint32_t)RandomInt(rnd, { 120, 0 }));
        v->viewOptions = (uint16_t)rnd();
        for (int32_t &a : v->appView)
            a = rnd() % 3 ? 0 : RandomInt(rnd, { 10, -20 });
        v->exportType = RandomInt(rnd, { 0, 1, 3 });
        v->exportFrequency = RandomInt(rnd, { 0, 2 });
        v->exportDay = RandomInt(rnd, { 0, 4 });
        v->exportInterval = RandomInt(rnd, { 0, 3600 });
        int64_t times[] = { 0, INT64_MIN, INT64_MAX, 1600000000, -1 };
        v->exportTime = times[rnd() % 5];
        v->exportMask = (uint32_t)RandomInt(rnd, { 0x1FFF, 5 });
        if (rnd() % 2)
            v->clientSettings = nullptr;
        CSLIST commands = {};                /* command lines of every kind now and then */
        if (rnd() % 3 == 0) {
            for (int n = 1 + rnd() % 3; n > 0; n--) {
                std::string line = RandomText(rnd, 300);
                CSListAdd(&commands, "MQSCCMD", CSLIST_COPYDATA, line.c_str(), line.size() + 1);
            }
            v->mqscCommands = commands;
        }
        /* the dialog entries' numbers and words changed in place */
        Prf.opt1 = (opt1 & ~0x30u) | (rnd() & 0x30);
        for (CSTREE *e = CSTreeFirst(v->dialogs); e; e = e->next) {
            DLGINFO *d = (DLGINFO *)e;
            if (d->raw)
                continue;
            d->optA = rnd() ^ (rnd() << 16);
            d->optB = rnd() ^ (rnd() << 16);
            int32_t *ints[] = { &d->x, &d->y, &d->cx, &d->cy, &d->x2, &d->y2, &d->cx2, &d->cy2,
                                &d->ds3, &d->refresh, &d->align, &d->autoexptype, &d->exptype,
                                &d->expseltype };
            for (int32_t *i : ints)
                *i = RandomInt(rnd, { 0, -1, 7 });
        }
        size_t fill = round % 7 == 0 ? 65536 - 1 - rnd() % 3000 : 0;
        std::string before = Written(v, 1);
        ASSERT_EQ(Written(v, 0, fill), before) << "round " << round;
        ASSERT_EQ(Written(v, 0, fill, 1), Crlf(before)) << "round " << round;
        CSListFree(&commands, nullptr, nullptr);
    }
    delete v;
    Prf.opt1 = opt1;
    cfgtest::ClearLocations();
}

/* Each writer of the text puts the CR of a line end itself for a stream
 * that wants CR LF: texts with LFs, CR LF pairs, quotes and escapes, put
 * by every writer, into a buffer with room and into one nearly full. */
TEST(LocationWriter, LineEndsAsTheStreamWantsThem)
{
    const char *texts[] = { "", "\n", "a\nb", "\r\n", "x\r\n\ny", "\"q\"\n~\n", "tail  \n  ",
                            "\n\n\n\n", "no line end" };
    std::string pad(65536, 'P');
    for (size_t fill : { (size_t)0, pad.size() - 47, pad.size() - 40, pad.size() - 20 })
        for (const char *t : texts) {
            std::string expect;
            for (int crlf = 0; crlf < 2; crlf++) {
                PRFOUT out;
                PrfOutOpen(&out, nullptr);
                out.crlf = crlf;
                PrfOutWrite(&out, pad.data(), fill);
                PrfOutChar(&out, '\n');
                PrfOutChar(&out, 'c');
                PrfOutText(&out, t);
                PrfOutWrite(&out, t, strlen(t));
                PrfOutFormat(&out, "[%s]", t);
                PrfPutQuoted(&out, t, PRF_WHOLE);
                PrfPutQuoted(&out, t, strlen(t) / 2);
                PrfPutString(&out, "k\n=", t, PRF_WHOLE);
                PrfOutKeyInt(&out, "n\n", -12, '\n');
                char stored[64];
                char *end = PrfStoreQuoted(stored, t, strlen(t), 1, crlf);
                PrfOutWrite(&out, "|", 1);
                end = PrfStoreLineEnd(end, crlf);
                std::string text(out.data, out.length);
                ASSERT_EQ(PrfOutClose(&out), 0);
                ASSERT_EQ(text.substr(0, fill), pad.substr(0, fill));
                text = text.substr(fill) + std::string(stored, end);
                if (crlf == 0)
                    expect = Crlf(text);
                else
                    EXPECT_EQ(text, expect) << "fill " << fill << " text '" << t << "'";
            }
        }
}

/* The client-settings lines of areas with every kind of value, beside the
 * former writer's: identifiers of every width, negative values. */
TEST(LocationWriter, ClientSettingsAsBefore)
{
    WireLibraries();
    cfgtest::ClearLocations();
    const std::string block =
        std::string("AP:\nQM:QMC \"client\" 11 940\n\nCLN:\n 3501=\"APP.SVRCONN\"\n"
                    " 3506=\"host1(1414), ~\"x~\"  \"\n 1501=-2\n 1563=300\n 3510=2\n\"sendexit1\"\n"
                    "\"send exit 2  \"\n 3511=rcvexit\n 1575=2 0 -8\n 3544=\"\xE9\"\n 3513=\"") +
        std::string(200, 'd') + "\"\n 2=5\n 15=-1\n";
    CfgReadText(block.data(), block.size(), &LocTree);
    QMS *q = LocFind("QMC");
    ASSERT_NE(q, nullptr);
    ASSERT_NE(q->clientSettings, nullptr);
    auto lines = [&](int reference) {
        PRFOUT out;
        PrfOutOpen(&out, nullptr);
        if (reference)
            old_save_object(&out, (const uint8_t *)q->clientSettings, &PCFClientChannelDef);
        else
            SaveObject(&out, (const uint8_t *)q->clientSettings, &PCFClientChannelDef);
        std::string text(out.data ? out.data : "", out.length);
        PrfOutClose(&out);
        return text;
    };
    std::string now = lines(0);
    EXPECT_NE(now.find(" 1501=-2\n"), std::string::npos);
    EXPECT_EQ(now, lines(1));
    cfgtest::ClearLocations();
}

}  // namespace
