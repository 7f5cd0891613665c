/* Selection strings: comparisons of message-descriptor fields, joined by
 * AND or OR (AND binds tighter), e.g.
 *     Root.MQMD.Priority > 4 AND Root.MQMD.Format = 'MQSTR'
 * Anything else is refused (2459). */
#include "sim.h"

#include <cctype>
#include <cstring>

enum { F_INT, F_CHAR };
struct SelField { const char *name; int type; size_t offset, size; };
static const SelField Fields[] = {
    {"PRIORITY", F_INT, offsetof(MQMD, Priority), 4},
    {"PERSISTENCE", F_INT, offsetof(MQMD, Persistence), 4},
    {"MSGTYPE", F_INT, offsetof(MQMD, MsgType), 4},
    {"EXPIRY", F_INT, offsetof(MQMD, Expiry), 4},
    {"FEEDBACK", F_INT, offsetof(MQMD, Feedback), 4},
    {"ENCODING", F_INT, offsetof(MQMD, Encoding), 4},
    {"CODEDCHARSETID", F_INT, offsetof(MQMD, CodedCharSetId), 4},
    {"BACKOUTCOUNT", F_INT, offsetof(MQMD, BackoutCount), 4},
    {"PUTAPPLTYPE", F_INT, offsetof(MQMD, PutApplType), 4},
    {"REPORT", F_INT, offsetof(MQMD, Report), 4},
    {"FORMAT", F_CHAR, offsetof(MQMD, Format), 8},
    {"REPLYTOQ", F_CHAR, offsetof(MQMD, ReplyToQ), 48},
    {"REPLYTOQMGR", F_CHAR, offsetof(MQMD, ReplyToQMgr), 48},
    {"USERIDENTIFIER", F_CHAR, offsetof(MQMD, UserIdentifier), 12},
    {"PUTAPPLNAME", F_CHAR, offsetof(MQMD, PutApplName), 28},
    {"PUTDATE", F_CHAR, offsetof(MQMD, PutDate), 8},
    {"PUTTIME", F_CHAR, offsetof(MQMD, PutTime), 8},
};
enum { OP_EQ, OP_NE, OP_LT, OP_LE, OP_GT, OP_GE };
enum { JOIN_NONE, JOIN_AND, JOIN_OR };

static void Blanks(const char *s, size_t *p)
{
    while (s[*p] == ' ' || s[*p] == '\t')
        (*p)++;
}

static bool Word(const char *s, size_t *p, std::string *w)
{
    Blanks(s, p);
    w->clear();
    while (isalnum((unsigned char)s[*p]) || s[*p] == '.' || s[*p] == '_')
        w->push_back((char)toupper((unsigned char)s[(*p)++]));
    return !w->empty();
}

int SimSelCompile(const std::string &text, std::vector<SimSelTerm> *out)
{
    const char *s = text.c_str();
    size_t p = 0;
    out->clear();
    for (;;) {
        SimSelTerm t = {};
        std::string w;
        if (!Word(s, &p, &w))
            return -1;
        if (w.rfind("ROOT.MQMD.", 0) == 0)
            w = w.substr(10);
        t.field = -1;
        for (size_t i = 0; i < sizeof Fields / sizeof Fields[0]; i++)
            if (w == Fields[i].name)
                t.field = (int)i;
        if (t.field < 0)
            return -1;
        Blanks(s, &p);
        static const struct { const char *op; int code; } ops[] = {
            {"<>", OP_NE}, {"<=", OP_LE}, {">=", OP_GE}, {"=", OP_EQ}, {"<", OP_LT}, {">", OP_GT}};
        t.op = -1;
        for (const auto &o : ops)
            if (strncmp(s + p, o.op, strlen(o.op)) == 0) {
                t.op = o.code;
                p += strlen(o.op);
                break;
            }
        if (t.op < 0)
            return -1;
        Blanks(s, &p);
        if (Fields[t.field].type == F_CHAR) {
            if (s[p++] != '\'')
                return -1;
            while (s[p] && s[p] != '\'')
                t.text.push_back(s[p++]);
            if (s[p++] != '\'')
                return -1;
        } else {
            char *end;
            long v = strtol(s + p, &end, 10);
            if (end == s + p)
                return -1;
            t.num = (MQLONG)v;
            p = (size_t)(end - s);
        }
        Blanks(s, &p);
        if (!s[p]) {
            out->push_back(t);
            return 0;
        }
        if (!Word(s, &p, &w) || (w != "AND" && w != "OR"))
            return -1;
        t.join = w == "AND" ? JOIN_AND : JOIN_OR;
        out->push_back(t);
    }
}

static bool Compare(int op, int c)
{
    switch (op) {
    case OP_EQ: return c == 0;
    case OP_NE: return c != 0;
    case OP_LT: return c < 0;
    case OP_LE: return c <= 0;
    case OP_GT: return c > 0;
    default: return c >= 0;
    }
}

static bool Term(const SimSelTerm &t, const MQMD *md)
{
    const SelField &f = Fields[t.field];
    const char *p = (const char *)md + f.offset;
    if (f.type == F_INT) {
        MQLONG v;
        memcpy(&v, p, 4);
        return Compare(t.op, v < t.num ? -1 : v > t.num ? 1 : 0);
    }
    std::string v(p, f.size);
    while (!v.empty() && (v.back() == ' ' || v.back() == 0))
        v.pop_back();
    return Compare(t.op, v.compare(t.text));
}

/* OR of AND-groups. */
bool SimSelMatch(const std::vector<SimSelTerm> &terms, const MQMD *md)
{
    bool group = true;
    for (const SimSelTerm &t : terms) {
        group = group && Term(t, md);
        if (t.join != JOIN_AND) {
            if (group)
                return true;
            group = true;
        }
    }
    return false;
}
