/* MQSC DISPLAY of queues, channels, topics, namelists, processes and the
 * queue manager, in runmqsc's layout: a header message per object, then
 * KEYWORD(value) items two to a line.  A WHERE clause is turned into the
 * command server's filter parameter and matched by the same code. */
#include "cmdsrv.h"
#include "simparse.h"

#include <algorithm>
#include <cctype>
#include <cstring>

struct DisplayKind {
    const char *word;
    int kind;                 /* SimKind; -1 every queue type */
    const char *nameWord;     /* keyword of the object's name */
    const char *header;
};
static const DisplayKind DisplayKinds[] = {
    {"QUEUE", -1, "QUEUE", "AMQ8409I: Display Queue details."},
    {"Q", -1, "QUEUE", "AMQ8409I: Display Queue details."},
    {"QLOCAL", SIM_K_QLOCAL, "QUEUE", "AMQ8409I: Display Queue details."},
    {"QL", SIM_K_QLOCAL, "QUEUE", "AMQ8409I: Display Queue details."},
    {"QMODEL", SIM_K_QMODEL, "QUEUE", "AMQ8409I: Display Queue details."},
    {"QM", SIM_K_QMODEL, "QUEUE", "AMQ8409I: Display Queue details."},
    {"QALIAS", SIM_K_QALIAS, "QUEUE", "AMQ8409I: Display Queue details."},
    {"QA", SIM_K_QALIAS, "QUEUE", "AMQ8409I: Display Queue details."},
    {"QREMOTE", SIM_K_QREMOTE, "QUEUE", "AMQ8409I: Display Queue details."},
    {"QR", SIM_K_QREMOTE, "QUEUE", "AMQ8409I: Display Queue details."},
    {"CHANNEL", SIM_K_CHANNEL, "CHANNEL", "AMQ8414I: Display Channel details."},
    {"CHL", SIM_K_CHANNEL, "CHANNEL", "AMQ8414I: Display Channel details."},
    {"TOPIC", SIM_K_TOPIC, "TOPIC", "AMQ8633I: Display topic details."},
    {"TOP", SIM_K_TOPIC, "TOPIC", "AMQ8633I: Display topic details."},
    {"NAMELIST", SIM_K_NAMELIST, "NAMELIST", "AMQ8550I: Display namelist details."},
    {"NL", SIM_K_NAMELIST, "NAMELIST", "AMQ8550I: Display namelist details."},
    {"PROCESS", SIM_K_PROCESS, "PROCESS", "AMQ8407I: Display Process details."},
    {"PRO", SIM_K_PROCESS, "PROCESS", "AMQ8407I: Display Process details."},
    {"QMGR", SIM_K_QMGR, "QMNAME", "AMQ8408I: Display Queue Manager details."},
};

/* The attribute that comes right after the name (TYPE, CHLTYPE). */
static MQLONG TypeAttr(int kind)
{
    if (kind == SIM_K_QLOCAL || kind == SIM_K_QMODEL || kind == SIM_K_QALIAS || kind == SIM_K_QREMOTE)
        return MQIA_Q_TYPE;
    return kind == SIM_K_CHANNEL ? MQIACH_CHANNEL_TYPE : 0;
}

static const char *ValueWord(MQLONG id, MQLONG value)
{
    for (const SimValueKeyword &v : SimValueKeywords)
        if (v.id == id && v.value == value)
            return v.keyword;
    return nullptr;
}

/* One KEYWORD(value) item, or the bare flag word. */
static std::string Item(int kind, MQLONG id, const SimAttr &a)
{
    const SimKeyword *k = SimKeywordById(kind, id);
    std::string kw = k ? k->keyword : std::to_string(id);
    std::string v;
    switch (a.type) {
    case SIM_INT: {
        const char *w = ValueWord(id, a.ival);
        if (id == MQIA_Q_TYPE)
            w = SimKindNames[kind];
        if (w && id != MQIA_Q_TYPE && (kw == w || "NO" + kw == w))
            return w;          /* SHARE, NOTRIGGER ...; not DEFPSIST(YES) */
        v = w ? w : std::to_string(a.ival);
        break;
    }
    case SIM_INTLIST:
        for (size_t i = 0; i < a.ilist.size(); i++) {
            const char *w = ValueWord(id, a.ilist[i]);
            v += (i ? "," : "") + (w ? std::string(w) : std::to_string(a.ilist[i]));
        }
        break;
    case SIM_STRLIST:
        for (size_t i = 0; i < a.slist.size(); i++)
            v += (i ? "," : "") + a.slist[i];
        break;
    default:
        v = a.sval;
    }
    return kw + "(" + (v.empty() ? std::string(" ") : v) + ")";
}

/* Items two to a line: the first in a 40-character field after three
 * blanks; an item longer than the field stands alone. */
std::string SimMqscLayout(const std::vector<std::string> &items)
{
    std::string text, line;
    for (const std::string &it : items) {
        if (line.empty()) {
            line = "   " + it;
            if (it.size() >= 40) {
                text += "\n" + line;
                line.clear();
            }
            continue;
        }
        if (it.size() >= 40) {
            text += "\n" + line + "\n   " + it;
            line.clear();
            continue;
        }
        line.append(43 - line.size(), ' ');
        text += "\n" + line + it;
        line.clear();
    }
    if (!line.empty())
        text += "\n" + line;
    return text;
}

static bool Wanted(const std::vector<MQLONG> &ids, bool all, MQLONG id)
{
    if (all)
        return true;
    for (MQLONG i : ids)
        if (i == id)
            return true;
    return false;
}

static std::string Describe(const DisplayKind *d, SimObject *o, const std::vector<MQLONG> &ids, bool all)
{
    std::vector<std::string> items;
    MQLONG type = TypeAttr(o->kind);
    items.push_back(std::string(d->nameWord) + "(" + o->name + ")");
    if (type)
        items.push_back(Item(o->kind, type, o->attrs[type]));
    SimAttrs shown = o->attrs;
    if (o->queue) {
        SimAttr n = {SIM_INT, o->queue->depth, "", {}, {}};
        shown[MQIA_CURRENT_Q_DEPTH] = n;
        n.ival = o->queue->openInput;
        shown[MQIA_OPEN_INPUT_COUNT] = n;
        n.ival = o->queue->openOutput;
        shown[MQIA_OPEN_OUTPUT_COUNT] = n;
    }
    size_t first = items.size();
    for (const auto &kv : shown)
        if (kv.first != type && kv.first != MQCA_Q_MGR_NAME && Wanted(ids, all, kv.first) &&
            SimKeywordById(o->kind, kv.first))
            items.push_back(Item(o->kind, kv.first, kv.second));
    std::sort(items.begin() + (long)first, items.end());   /* by keyword, after name and type */
    return std::string(d->header) + SimMqscLayout(items);
}

/* The attribute keyword of a display: of the kind, or of any queue type. */
static const SimKeyword *AttrKeyword(const DisplayKind *d, int attrKind, const std::string &word)
{
    const SimKeyword *k = nullptr;
    for (int kind : {attrKind, (int)SIM_K_QMODEL, (int)SIM_K_QALIAS, (int)SIM_K_QREMOTE})
        if (!k && (kind == attrKind || d->kind < 0))
            k = SimFindKeyword(kind, word.data(), word.size());
    return k;
}

struct WhereOp {
    const char *word;
    MQLONG op;
};
static const WhereOp WhereOps[] = {
    {"EQ", MQCFOP_EQUAL}, {"NE", MQCFOP_NOT_EQUAL}, {"LT", MQCFOP_LESS}, {"GT", MQCFOP_GREATER},
    {"LE", MQCFOP_NOT_GREATER}, {"GE", MQCFOP_NOT_LESS}, {"LK", MQCFOP_LIKE}, {"NL", MQCFOP_NOT_LIKE},
    {"CT", MQCFOP_CONTAINS}, {"EX", MQCFOP_EXCLUDES}, {"CTG", MQCFOP_CONTAINS_GEN},
    {"EXG", MQCFOP_EXCLUDES_GEN},
};

static void SkipSpaces(const char *s, size_t *pos)
{
    while (s[*pos] == ' ' || s[*pos] == '\t' || s[*pos] == '\r' || s[*pos] == '\n')
        (*pos)++;
}

/* A blank-delimited word of the WHERE clause, upper-cased. */
static std::string WhereWord(const char *s, size_t *pos)
{
    SkipSpaces(s, pos);
    std::string w;
    while (s[*pos] && s[*pos] != ' ' && s[*pos] != ')' && s[*pos] != '(' && s[*pos] != '\'')
        w.push_back((char)toupper((unsigned char)s[(*pos)++]));
    return w;
}

/* The value: quoted as written ('it''s'), or a word folded to upper case. */
static bool WhereValue(const char *s, size_t *pos, std::string *v)
{
    SkipSpaces(s, pos);
    if (s[*pos] != '\'') {
        *v = WhereWord(s, pos);
        return !v->empty();
    }
    for ((*pos)++;; (*pos)++) {
        if (!s[*pos])
            return false;
        if (s[*pos] == '\'' && s[++*pos] != '\'')
            return true;
        v->push_back(s[*pos]);
    }
}

/* WHERE(keyword operator value) at rest[*pos]: 1 the clause, as a PCF
 * filter parameter in *f; 0 none here (*pos unmoved); -1 an error; -2
 * an order (LT, GT, LE, GE) on an attribute whose values are named. */
static int ParseWhere(const DisplayKind *d, int attrKind, const char *rest, size_t *pos, CmdParm *f)
{
    size_t p = *pos;
    if (WhereWord(rest, &p) != "WHERE")
        return 0;
    SkipSpaces(rest, &p);
    if (rest[p++] != '(')
        return -1;
    const SimKeyword *k = AttrKeyword(d, attrKind, WhereWord(rest, &p));
    std::string opWord = WhereWord(rest, &p), value;
    if (!k || !WhereValue(rest, &p, &value))
        return -1;
    SkipSpaces(rest, &p);
    if (rest[p++] != ')')
        return -1;
    *f = CmdParm{};
    f->id = k->id;
    f->op = -1;
    for (const WhereOp &w : WhereOps)
        if (opWord == w.word)
            f->op = w.op;
    if (k->type == SIM_INT || k->type == SIM_INTLIST) {
        const SimValueKeyword *vw = SimFindValue(k->id, value.data(), value.size());
        f->type = MQCFT_INTEGER_FILTER;
        if (vw)
            f->ival = vw->value;
        else if (!SimParseNumber(value, &f->ival))
            return -1;
    } else if (k->type == SIM_STR || k->type == SIM_STRLIST) {
        f->type = MQCFT_STRING_FILTER;
        f->sval = value;
    } else {
        return -1;
    }
    bool list = k->type == SIM_INTLIST || k->type == SIM_STRLIST;
    bool listOp = f->op == MQCFOP_CONTAINS || f->op == MQCFOP_EXCLUDES || f->op == MQCFOP_CONTAINS_GEN ||
                  f->op == MQCFOP_EXCLUDES_GEN;
    bool order = f->op == MQCFOP_LESS || f->op == MQCFOP_GREATER || f->op == MQCFOP_NOT_LESS ||
                 f->op == MQCFOP_NOT_GREATER;
    if (list != listOp || !CmdFilterValid(f, attrKind))
        return order && !list && f->type == MQCFT_INTEGER_FILTER && CmdNamedValues(f->id) ? -2 : -1;
    *pos = p;
    return 1;
}

static bool ClusterMatch(SimObject *o, const std::vector<std::pair<MQLONG, std::string>> &clusters)
{
    for (const auto &c : clusters)
        if (!SimNameMatch(c.second, SimStr(o, c.first)))
            return false;
    return true;
}

/* Attributes DISPLAY QUEUE takes that only cluster queues have. */
static bool DisplayOnly(const std::string &word)
{
    static const char *const words[] = {"CLUSQMGR", "CLUSDATE", "CLUSTIME", "CLUSQT", "QMID"};
    for (const char *w : words)
        if (word == w)
            return true;
    return false;
}

static void SyntaxError(const std::string &segment, std::vector<std::string> *out)
{
    out->push_back("AMQ8405I: Syntax error detected at or near end of command segment below:-" +
                   (segment.empty() ? std::string() : "\n" + segment));
}

int SimMqscDisplay(SimQMgr *q, const SimToken &obj, const char *rest, std::vector<std::string> *out)
{
    if (obj.word == "QSTATUS" || obj.word == "QS")
        return SimMqscQueueStatus(q, obj, rest, out);
    const DisplayKind *d = nullptr;
    for (const DisplayKind &k : DisplayKinds)
        if (obj.word == k.word)
            d = &k;
    bool single = d && d->kind == SIM_K_QMGR;
    if (!d || (single ? obj.hasValue : obj.values.size() != 1)) {
        out->push_back("AMQ8405I: Syntax error detected at or near end of command segment below:-\nDISPLAY " +
                       obj.word);
        return 1;
    }
    int attrKind = d->kind < 0 ? SIM_K_QLOCAL : d->kind;
    std::vector<MQLONG> ids;
    bool all = false, where = false;
    int typeKind = -1;
    std::vector<std::pair<MQLONG, std::string>> clusters;
    CmdParm filter = {};
    SimToken t;
    size_t pos = 0;
    int rc;
    for (;;) {
        size_t at = pos;
        int w = single || where ? 0 : ParseWhere(d, attrKind, rest, &pos, &filter);
        if (w == -2) {
            out->push_back("AMQ8569E: Error in filter specification.");
            return 1;
        }
        if (w < 0)
            return SyntaxError(std::string(rest + at, strlen(rest + at)), out), 1;
        if (w > 0) {
            where = true;
            ids.push_back(filter.id);        /* the filter's attribute is shown */
            continue;
        }
        if ((rc = SimNextToken(rest, &pos, &t)) != 1)
            break;
        if (t.word == "ALL") {
            all = true;
            continue;
        }
        if (t.word == "TYPE" && t.hasValue && d->kind < 0 && t.values.size() == 1) {
            /* DISPLAY QUEUE(...) TYPE(QLOCAL): one queue type, or ALL */
            typeKind = t.values[0] == "ALL" ? -1 : SimKindByName(t.values[0].data(), t.values[0].size());
            if (t.values[0] != "ALL" && (typeKind < 0 || typeKind == SIM_K_QMGR))
                return SyntaxError(t.word, out), 1;
            continue;
        }
        if (d->kind < 0 && t.hasValue && t.values.size() == 1 && (t.word == "CLUSTER" || t.word == "CLUSNL")) {
            /* a generic cluster or namelist name selects; a blank one does not */
            std::string v = t.values[0];
            while (!v.empty() && v.back() == ' ')
                v.pop_back();
            if (!v.empty())
                clusters.push_back({t.word == "CLUSTER" ? MQCA_CLUSTER_NAME : MQCA_CLUSTER_NAMELIST, v});
            continue;
        }
        if (d->kind < 0 && !t.hasValue && DisplayOnly(t.word))
            continue;                        /* cluster attributes: no cluster here */
        const SimKeyword *k = AttrKeyword(d, attrKind, t.word);
        if (!k || t.hasValue)
            return SyntaxError(t.word, out), 1;
        ids.push_back(k->id);
    }
    if (rc < 0)
        return SyntaxError("", out), 1;
    if (single) {
        out->push_back(Describe(d, q->qmgrObj, ids, all || ids.empty()));
        return 0;
    }
    const std::string &name = obj.values[0];
    int ns = d->kind < 0 ? SIM_K_QLOCAL : d->kind == SIM_K_QMODEL || d->kind == SIM_K_QALIAS ||
                                                  d->kind == SIM_K_QREMOTE ? SIM_K_QLOCAL : d->kind;
    bool named = false;
    for (auto &kv : q->objects[ns]) {
        SimObject *o = kv.second;
        if (o->kind == SIM_K_QCLUSTER || (d->kind >= 0 && o->kind != d->kind) || !SimNameMatch(name, o->name) ||
            (typeKind >= 0 && o->kind != typeKind) || !ClusterMatch(o, clusters))
            continue;
        named = true;
        SimAttr a;
        if (where && !(CmdAttrOf(q, o, filter.id, &a) && CmdFilterMatch(&filter, &a)))
            continue;
        out->push_back(Describe(d, o, ids, all));
    }
    if (!named) {
        out->push_back("AMQ8147E: IBM MQ object " + name + " not found.");
        return 1;
    }
    return 0;
}
