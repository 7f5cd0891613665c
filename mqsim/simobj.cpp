/* Object attribute sets: keyword and value lookups in the generated
 * tables, typed access to attributes, and MQSC attribute text applied to
 * an attribute set. */
#include "sim.h"
#include "simparse.h"

#include <cctype>
#include <cstring>

static bool SameWord(const char *a, const char *b, size_t len)
{
    for (size_t i = 0; i < len; i++)
        if (toupper((unsigned char)b[i]) != a[i])
            return false;
    return a[len] == 0;
}

const SimKeyword *SimFindKeyword(int kind, const char *kw, size_t len)
{
    for (const SimKeyword &k : SimKeywords)
        if ((k.kinds & (1u << kind)) && SameWord(k.keyword, kw, len))
            return &k;
    return nullptr;
}

/* The first keyword of each (kind, id), indexed once: inquiries look
 * every attribute of every object up. */
const SimKeyword *SimKeywordById(int kind, MQLONG id)
{
    static const std::unordered_map<uint64_t, const SimKeyword *> index = [] {
        std::unordered_map<uint64_t, const SimKeyword *> m;
        for (const SimKeyword &k : SimKeywords)
            for (int kd = 0; kd < SIM_K_COUNT; kd++)
                if (k.kinds & (1u << kd))
                    m.emplace(((uint64_t)(uint32_t)kd << 32) | (uint32_t)k.id, &k);
        return m;
    }();
    if (kind < 0 || kind >= SIM_K_COUNT)
        return nullptr;
    auto it = index.find(((uint64_t)(uint32_t)kind << 32) | (uint32_t)id);
    return it == index.end() ? nullptr : it->second;
}

const SimValueKeyword *SimFindValue(MQLONG id, const char *kw, size_t len)
{
    for (const SimValueKeyword &v : SimValueKeywords)
        if (v.id == id && SameWord(v.keyword, kw, len))
            return &v;
    return nullptr;
}

const SimValueKeyword *SimFindFlag(int kind, const char *kw, size_t len)
{
    for (const SimValueKeyword &v : SimValueKeywords) {
        if (!SameWord(v.keyword, kw, len))
            continue;
        const SimKeyword *k = SimKeywordById(kind, v.id);
        if (k && !(k->flags & (SIM_KW_RO | SIM_KW_CMD)))
            return &v;
    }
    return nullptr;
}

int SimKindByName(const char *name, size_t len)
{
    for (int k = 0; k < SIM_K_COUNT; k++)
        if (SameWord(SimKindNames[k], name, len))
            return k;
    return -1;
}

MQLONG SimInt(const SimObject *o, MQLONG id, MQLONG dflt)
{
    auto it = o->attrs.find(id);
    return it == o->attrs.end() ? dflt : it->second.ival;
}

std::string SimStr(const SimObject *o, MQLONG id)
{
    auto it = o->attrs.find(id);
    return it == o->attrs.end() ? std::string() : it->second.sval;
}

void SimSetInt(SimObject *o, MQLONG id, MQLONG v)
{
    SimAttr &a = o->attrs[id];
    a.type = SIM_INT;
    a.ival = v;
}

void SimSetStr(SimObject *o, MQLONG id, const std::string &v)
{
    SimAttr &a = o->attrs[id];
    a.type = SIM_STR;
    a.sval = v;
}

void SimPad(char *dst, size_t size, const std::string &src)
{
    size_t n = src.size() < size ? src.size() : size;
    memcpy(dst, src.data(), n);
    memset(dst + n, ' ', size - n);
}

bool SimNameMatch(const std::string &pattern, const std::string &name)
{
    if (!pattern.empty() && pattern.back() == '*')
        return name.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
    return pattern == name;
}

std::string SimName(const char *field, size_t size)
{
    size_t n = 0;
    while (n < size && field[n] != 0 && field[n] != ' ')
        n++;
    return std::string(field, n);
}

/* One value of a keyword into the attribute: numbers, value keywords,
 * strings cut to their maximum length. */
static int SetValue(const SimKeyword *k, SimAttr *a, const SimToken &t)
{
    a->type = k->type;
    switch (k->type) {
    case SIM_INT:
    case SIM_INTLIST: {
        std::vector<MQLONG> values;
        for (const std::string &v : t.values) {
            MQLONG n;
            const SimValueKeyword *vk = SimFindValue(k->id, v.data(), v.size());
            if (vk)
                n = vk->value;
            else if (!SimParseNumber(v, &n))
                return MQRCCF_ATTR_VALUE_ERROR;
            values.push_back(n);
        }
        if (k->type == SIM_INT) {
            if (values.size() != 1)
                return MQRCCF_ATTR_VALUE_ERROR;
            a->ival = values[0];
        } else {
            a->ilist = values;
        }
        return 0;
    }
    case SIM_STR:
    case SIM_BYTES:
        if (t.values.size() != 1)
            return MQRCCF_ATTR_VALUE_ERROR;
        a->sval = t.values[0];
        if (k->maxlen && (int)a->sval.size() > k->maxlen)
            return MQRCCF_ATTR_VALUE_ERROR;
        while (!a->sval.empty() && a->sval.back() == ' ')
            a->sval.pop_back();
        return 0;
    default:
        a->slist.clear();
        for (std::string v : t.values) {
            while (!v.empty() && v.back() == ' ')
                v.pop_back();
            if (!v.empty())
                a->slist.push_back(v);
        }
        a->ival = (MQLONG)a->slist.size();
        return 0;
    }
}

bool SimWritableAttr(int kind, MQLONG id)
{
    return kind == SIM_K_QMGR && (id == MQIA_PLATFORM || id == MQIA_COMMAND_LEVEL);
}

/* 1 when a keyword takes a value in a command on this kind: not one that
 * stands alone (SHARE, HARDENBO, TRIGGER: their words are their values),
 * and not DEFTYPE outside a model queue. */
static bool TakesValue(int kind, const SimKeyword *k)
{
    const SimValueKeyword *f = SimFindFlag(kind, k->keyword, strlen(k->keyword));
    if (f && f->id == k->id)
        return false;
    return k->id != MQIA_DEFINITION_TYPE || kind == SIM_K_QMODEL;
}

int SimApplyAttrs(int kind, SimAttrs *attrs, const char *text, size_t *errpos, bool lenient)
{
    SimToken t;
    size_t pos = 0;
    int rc;
    while ((rc = SimNextToken(text, &pos, &t)) == 1) {
        *errpos = t.start;
        const SimKeyword *k = SimFindKeyword(kind, t.word.data(), t.word.size());
        if (t.hasValue) {
            if (!k || ((k->flags & SIM_KW_RO) && !SimWritableAttr(kind, k->id))) {
                if (lenient)
                    continue;
                return MQRCCF_PARM_SYNTAX_ERROR;
            }
            if (k->flags & SIM_KW_CMD)
                continue;     /* LIKE, REPLACE ... are the command's own */
            if (!lenient && !TakesValue(kind, k))
                return MQRCCF_PARM_SYNTAX_ERROR;
            SimAttr a = (*attrs)[k->id];
            int r = SetValue(k, &a, t);
            if (r && !lenient)
                return r;
            if (!r)
                (*attrs)[k->id] = a;
            continue;
        }
        const SimValueKeyword *f = SimFindFlag(kind, t.word.data(), t.word.size());
        if (f) {
            SimAttr &a = (*attrs)[f->id];
            a.type = SIM_INT;
            a.ival = f->value;
            continue;
        }
        if ((k && (k->flags & SIM_KW_CMD)) || lenient)
            continue;
        return MQRCCF_PARM_SYNTAX_ERROR;
    }
    if (rc < 0) {
        *errpos = pos;
        return MQRCCF_PARM_SYNTAX_ERROR;
    }
    return 0;
}
