/* MQSC lexical analysis: KEYWORD, KEYWORD(value) and KEYWORD(v1, v2),
 * with quoted values ('it''s') kept as written and others upper-cased. */
#include "simparse.h"

#include <cctype>
#include <climits>
#include <cstdlib>

static void SkipBlanks(const char *s, size_t *pos)
{
    while (s[*pos] == ' ' || s[*pos] == '\t' || s[*pos] == '\r' || s[*pos] == '\n' || s[*pos] == ',')
        (*pos)++;
}

static bool WordChar(char c)
{
    return c && c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '(' && c != ')' && c != ',' && c != '\'';
}

/* One value inside the parentheses, up to a comma or the closing one. */
static int ReadValue(const char *s, size_t *pos, std::string *v)
{
    while (s[*pos] == ' ')
        (*pos)++;
    if (s[*pos] == '\'') {
        (*pos)++;
        for (;;) {
            char c = s[*pos];
            if (!c)
                return -1;
            (*pos)++;
            if (c == '\'') {
                if (s[*pos] != '\'')
                    break;
                (*pos)++;
            }
            v->push_back(c);
        }
        while (s[*pos] == ' ')
            (*pos)++;
        return 0;
    }
    int depth = 0;
    while (s[*pos] && (depth > 0 || (s[*pos] != ')' && s[*pos] != ','))) {
        if (s[*pos] == '(')
            depth++;
        else if (s[*pos] == ')')
            depth--;
        v->push_back((char)toupper((unsigned char)s[*pos]));
        (*pos)++;
    }
    while (!v->empty() && v->back() == ' ')
        v->pop_back();
    return s[*pos] ? 0 : -1;
}

int SimNextToken(const char *s, size_t *pos, SimToken *t)
{
    SkipBlanks(s, pos);
    if (!s[*pos])
        return 0;
    t->start = *pos;
    t->word.clear();
    t->values.clear();
    t->hasValue = false;
    while (WordChar(s[*pos]))
        t->word.push_back((char)toupper((unsigned char)s[(*pos)++]));
    if (t->word.empty())
        return -1;
    size_t p = *pos;
    while (s[p] == ' ')
        p++;
    if (s[p] != '(')
        return 1;
    *pos = p + 1;
    t->hasValue = true;
    for (;;) {
        std::string v;
        if (ReadValue(s, pos, &v) < 0)
            return -1;
        t->values.push_back(v);
        if (s[*pos] == ')') {
            (*pos)++;
            return 1;
        }
        if (s[*pos] != ',')
            return -1;
        (*pos)++;
    }
}

bool SimParseNumber(const std::string &s, MQLONG *out)
{
    if (s.empty())
        return false;
    char *end;
    long long v = strtoll(s.c_str(), &end, 10);
    if (*end || v < INT_MIN || v > INT_MAX)
        return false;
    *out = (MQLONG)v;
    return true;
}
