/* The "queue" and "format" rules: their name lists and bodies of nested
 * rules, structure lists, formatter words and overrides, and the list of
 * user format names that the format rules introduce. */
#include "ufint.h"
#include "../fmtdefs.h"
#include <cctype>
#include <cstdio>
#include <cstring>

static const char *const formatterWords[] = { "auto", "csv", "fix", "json", "text", "xml", "edifact" };

/* Queue names: a letter, then letters, digits and "*%/._?" ("$none": empty). */
static int ValidQueueName(const UFTOKEN *t)
{
    if (t->kind == TK_OP || t->kind == TK_END || !t->length)
        return 0;
    if (t->length == 5 && memcmp(t->text, "$none", 5) == 0)
        return 1;
    if (!isalpha((unsigned char)t->text[0]))
        return 0;
    for (uint32_t i = 1; i < t->length; i++) {
        unsigned char c = (unsigned char)t->text[i];
        if (!isalnum(c) && !strchr("*%/._?", c))
            return 0;
    }
    return 1;
}

static int IsMQFormat(const char *name, uint32_t length)
{
    for (const FmtValueName *vn = FmtVnFormat; vn->name; vn++)
        if (BlankPadCompare((const char *)(uintptr_t)vn->value, 8, name, length))
            return 1;
    return 0;
}

/* Adds the format names of a rule to the user format names, newest first. */
static int AddFormatNames(UFPARSER *p, const UFRULE *r, const char *description, uint32_t descLength)
{
    UFGEN *gen = p->gen;
    for (const UFNAME *n = r->names; n; n = n->next) {
        if (!strcmp(n->text, "$none") || IsMQFormat(n->text, n->length))
            continue;
        int known = 0;
        for (const UFFormatName *u = gen->names; u && !known; u = u->next)
            known = u->length == n->length && memcmp(u->name, n->text, n->length) == 0;
        if (known)
            continue;
        UFFormatName *u = (UFFormatName *)UFAlloc(gen, sizeof(UFFormatName));
        if (!u)
            return UFNoStorage(p);
        u->name = n->text;
        u->length = n->length;
        if (descLength && !(u->description = UFStrDup(gen, description, descLength)))
            return UFNoStorage(p);
        u->next = gen->names;
        gen->names = u;
    }
    return 1;
}

/* The new name, or null (reported). */
static UFNAME *AddName(UFPARSER *p, UFRULE *r, UFNAME ***tail, const UFTOKEN *t)
{
    UFNAME *n = (UFNAME *)UFAlloc(p->gen, sizeof(UFNAME));
    uint32_t length = t->length;
    while (r->kind == UFR_FORMAT && length && t->text[length - 1] == ' ')
        length--;
    if (!n || !(n->text = UFStrDup(p->gen, t->text, length))) {
        UFNoStorage(p);
        return nullptr;
    }
    n->length = length;
    **tail = n;
    *tail = &n->next;
    return n;
}

/* The names up to "{" (a format rule's description after ";"). */
static int NameList(UFPARSER *p, UFRULE *r)
{
    UFNAME **tail = &r->names;
    int flags = r->kind == UFR_FORMAT ? UFT_SEMI : 0;
    for (;;) {
        UFTOKEN t;
        UFNext(p, &t, 0);
        if (t.kind == TK_END)
            return UFParseError(p->owner, p, "List ended unexpectedly.", nullptr, 0);
        if (r->kind == UFR_QUEUE) {
            if (t.kind == TK_OP || UFIs(&t, "{"))
                return UFParseError(p->owner, p, "Queue name expected.", nullptr, 0);
            if (!ValidQueueName(&t))
                return UFParseError(p->owner, p, "'%.*s' is not a valid queue name.", t.text, (int)t.length);
        } else {
            if (t.kind == TK_OP || UFIs(&t, "{"))
                return UFExpectedError(p, &t, "format name");
            if (t.length > 8)
                return UFParseError(p->owner, p, "Format values must be 8 characters or less.", nullptr, 0);
        }
        if (!AddName(p, r, &tail, &t))
            return 0;
        UFNext(p, &t, flags);
        if (t.kind == TK_END)
            return UFParseError(p->owner, p, "List ended unexpectedly.", nullptr, 0);
        if (UFIs(&t, ","))
            continue;
        const char *d = nullptr;
        uint32_t n = 0;
        if (UFIs(&t, ";")) {
            n = UFRestOfLine(p, &d);
            if (!UFExpect(p, "{", 0))
                return 0;
        } else if (!UFIs(&t, "{")) {
            return UFParseError(p->owner, p, "'%.*s' found where ',' (comma) was expected.", t.text,
                                (int)t.length);
        }
        return r->kind == UFR_FORMAT ? AddFormatNames(p, r, d, n) : 1;
    }
}

/* "struct" name {"," name} ";" */
static int StructList(UFPARSER *p, UFRULE *list)
{
    UFNAME **tail = &list->names;
    for (;;) {
        UFTOKEN t;
        UFSTRUCT *s = (UFSTRUCT *)UFReadDefined(p, &t, "Structure", p->gen->structs, "Stucture '%.*s' is not defined.");
        if (!s)
            return 0;
        UFNAME *n = AddName(p, list, &tail, &t);
        if (!n)
            return 0;
        n->def = &s->def;
        UFNext(p, &t, UFT_SEMI);
        if (UFIs(&t, ";")) {
            const char *d;
            UFRestOfLine(p, &d);
            return 1;
        }
        if (!UFIs(&t, ","))
            return UFParseError(p->owner, p, "'%.*s' found where ',' (comma) was expected.", t.text,
                                (int)t.length);
    }
}

/* "formatter" word, on its line or a later one: errors are reported and
 * parsing goes on. */
static void Formatter(UFPARSER *p, UFRULE *node)
{
    UFTOKEN t;
    UFNext(p, &t, 0);
    if (t.kind == TK_END || t.kind == TK_OP || UFIs(&t, "}")) {
        if (t.kind != TK_END)
            UFUnget(p, &t);
        UFParseWarning(p, "Expected formatter name.", nullptr, 0);
        return;
    }
    for (uint8_t k = 0; k < sizeof formatterWords / sizeof *formatterWords; k++)
        if (UFIsNoCase(&t, formatterWords[k])) {
            node->bodyKind = k;
            return;
        }
    UFParseWarning(p, "Unrecognised formatter name '%.*s'.", t.text, (int)t.length);
}

/* "override" "{" { key "=" value } "}", given to every name of the rule. */
static int Override(UFPARSER *p, UFRULE *r)
{
    UFOverride *o = (UFOverride *)UFAlloc(p->gen, sizeof(UFOverride));
    if (!o)
        return UFNoStorage(p);
    if (!UFExpect(p, "{", 0))
        return 0;
    for (;;) {
        UFTOKEN key, value;
        UFNext(p, &key, 0);
        if (key.kind == TK_END)
            return UFParseError(p->owner, p, "Unexpected end of file.", nullptr, 0);
        if (UFIs(&key, "}"))
            break;
        int encoding = UFIsNoCase(&key, "Encoding"), ccsid = UFIsNoCase(&key, "CodedCharSetId");
        if (!encoding && !ccsid && !UFIsNoCase(&key, "Format"))
            return UFParseError(p->owner, p, "Unexpected Token '%.*s' found.", key.text, (int)key.length);
        if (!UFExpect(p, "=", 0))
            return 0;
        if (encoding || ccsid) {
            int64_t v;
            if (!UFReadNumber(p, &v, 0))
                return 0;
            (encoding ? o->encoding : o->ccsid) = (uint32_t)v;
            continue;
        }
        UFNext(p, &value, 0);
        if (value.kind == TK_END || value.kind == TK_OP)
            return UFExpectedError(p, &value, "Format value");
        if (value.length > 8)
            return UFParseError(p->owner, p, "Character value can only be up to 8 characters", nullptr, 0);
        memset(o->format, ' ', 8);
        memcpy(o->format, value.text, value.length);
        o->formatLength = value.length;
        while (o->formatLength && o->format[o->formatLength - 1] == ' ')
            o->formatLength--;
    }
    for (UFNAME *n = r->names; n; n = n->next)
        n->override = o;
    return 1;
}

static int Body(UFPARSER *p, UFRULE *r)
{
    UFRULE **childTail = &r->child;
    UFRULE *last = r;                   /* the node a formatter word applies to */
    for (;;) {
        UFTOKEN t;
        UFNext(p, &t, 0);
        if (t.kind == TK_END)
            return UFParseError(p->owner, p, "Unexpected end of file.", nullptr, 0);
        if (UFIs(&t, "}"))
            return 1;
        if (UFIs(&t, "queue") || UFIs(&t, "format")) {
            UFRULE **at = childTail;
            if (!UFParseRule(p, UFIs(&t, "queue") ? UFR_QUEUE : UFR_FORMAT, &childTail))
                return 0;
            last = *at;
        } else if (UFIs(&t, "struct")) {
            UFRULE *list = (UFRULE *)UFAlloc(p->gen, sizeof(UFRULE));
            if (!list)
                return UFNoStorage(p);
            list->kind = UFR_LIST;
            *childTail = list;
            childTail = &list->next;
            last = list;
            if (!StructList(p, list))
                return 0;
        } else if (UFIs(&t, "formatter")) {
            Formatter(p, last);
        } else if (UFIs(&t, "override")) {
            if (!Override(p, r))
                return 0;
        } else {
            return UFParseError(p->owner, p, "Unexpected Token '%.*s' found.", t.text, (int)t.length);
        }
    }
}

int UFParseRule(UFPARSER *p, uint32_t kind, UFRULE ***tail)
{
    UFRULE *r = (UFRULE *)UFAlloc(p->gen, sizeof(UFRULE));
    if (!r)
        return UFNoStorage(p);
    r->kind = kind;
    **tail = r;
    *tail = &r->next;
    return NameList(p, r) && Body(p, r);
}
