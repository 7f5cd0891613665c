/* The user format file: its top-level statements ("struct", "enum",
 * "enum_int", "include", "queue", "format"), value lists, and included
 * files, whose depth is bounded and whose cycles are reported. */
#include "ufint.h"
#include "cshost.h"
#include <cstdio>
#include <cstring>

/* ---- value lists ---- */

struct RowArray {
    FmtValueName *rows;
    uint32_t count, capacity;
};

static int AddRow(RowArray *a, const FmtValueName &row)
{
    if (a->count + 1 >= a->capacity) {
        uint32_t cap = a->capacity ? a->capacity * 2 : 16;
        FmtValueName *rows = (FmtValueName *)CSGetMem(cap * sizeof *rows, "UFENUMROWS");
        if (!rows)
            return 0;
        if (a->rows) {
            memcpy(rows, a->rows, a->count * sizeof *rows);
            CSFreeMem(a->rows);
        }
        a->rows = rows;
        a->capacity = cap;
    }
    a->rows[a->count++] = row;
    return 1;
}

/* One entry: value "," constant [";" description]. */
static int ParseEnumEntry(UFPARSER *p, uint32_t kind, const UFTOKEN *value, RowArray *rows)
{
    UFGEN *gen = p->gen;
    FmtValueName row = {};
    if (kind == UF_ENUM_INT) {
        int64_t v;
        if (!UFNumber(p, value, &v))
            return 0;
        row.value = (uint64_t)v;
    } else {
        char *text = UFStrDup(gen, value->text, value->length);
        if (!text)
            return UFNoStorage(p);
        row.value = (uint64_t)(uintptr_t)text;
    }
    if (!UFExpect(p, ",", 0))
        return 0;
    UFTOKEN c;
    if (!UFNext(p, &c, UFT_SEMI) || c.kind == TK_END || c.kind == TK_OP || UFIs(&c, "}"))
        return UFParseError(p->owner, p, "Constant name missing.", nullptr, 0);
    row.name = UFStrDup(gen, c.text, c.length);
    row.description = row.name;
    UFTOKEN s;
    if (UFNext(p, &s, UFT_SEMI) && s.kind == TK_OP && s.text[0] == ';') {
        const char *d;
        uint32_t n = UFRestOfLine(p, &d);
        if (n)
            row.description = UFStrDup(gen, d, n);
    } else {
        UFUnget(p, &s);
    }
    if (!row.name || !row.description || !AddRow(rows, row))
        return UFNoStorage(p);
    return 1;
}

static int ParseEnum(UFPARSER *p, uint32_t kind)
{
    char key[512];
    if (!UFReadNewName(p, "Enumeration", p->gen->enums, "Enumeration '%.*s' is already defined.", key, sizeof key) ||
        !UFExpect(p, "{", 0))
        return 0;
    RowArray rows = {};
    int ok = 1;
    for (;;) {
        UFTOKEN t;
        UFNext(p, &t, 0);
        if (t.kind == TK_END) {
            ok = UFExpectedError(p, &t, "}");
            break;
        }
        if (UFIs(&t, "}"))
            break;
        if (!(ok = ParseEnumEntry(p, kind, &t, &rows)))
            break;
    }
    if (ok) {
        UFENUM *e = (UFENUM *)UFAlloc(p->gen, sizeof(UFENUM));
        FmtValueName *table = (FmtValueName *)UFAlloc(p->gen, (rows.count + 1) * sizeof(FmtValueName));
        if (e && table) {
            if (rows.count)
                memcpy(table, rows.rows, rows.count * sizeof *table);
            e->name = UFStrDup(p->gen, key, strlen(key));
            e->kind = kind;
            e->table = table;
        }
        if (!e || !table || !e->name || !UFIndexAdd(&p->gen->enums, "Enumm", e->name, e))
            ok = UFNoStorage(p);
    }
    CSFreeMemAndClear(&rows.rows);
    return ok;
}

/* ---- included files ---- */

static int ParseInclude(UFPARSER *p, UFRULE ***tail)
{
    UFTOKEN t;
    UFNext(p, &t, 0);
    if (t.kind == TK_END)
        return UFParseError(p->owner, p, "Expected file name to follow include statment", nullptr, 0);
    char name[301];
    snprintf(name, sizeof name, "%.*s", (int)(t.length < 300 ? t.length : 300), t.text);
    return UFParseFile(p->owner, 0, p, name, tail);
}

/* The file's own name: relative names from the including file's folder,
 * the top file's from the program's folder. */
static void ResolvePath(const UFPARSER *including, const char *fileName, char *out, size_t size)
{
    char dir[320] = "";
    if (!CSIsAbsolutePath(fileName)) {
        if (including) {
            snprintf(dir, sizeof dir, "%s", including->path);
            size_t n = strlen(dir);
            while (n && !CSIsPathSep(dir[n - 1]))
                n--;
            dir[n] = 0;
        } else {
            snprintf(dir, sizeof dir, "%s", UFPrefs()->programDir);
        }
    }
    if (dir[0]) {
        char joined[700];
        CSAppendPath(joined, dir, fileName);
        snprintf(out, size, "%s", joined);
    } else {
        snprintf(out, size, "%s", fileName);
    }
}

static int Statements(UFPARSER *p, UFRULE ***tail)
{
    for (;;) {
        UFTOKEN t;
        UFNext(p, &t, 0);
        int ok;
        if (t.kind == TK_END)
            return 1;
        else if (UFIs(&t, "struct"))
            ok = UFParseStruct(p);
        else if (UFIs(&t, "enum"))
            ok = ParseEnum(p, UF_ENUM_CHAR);
        else if (UFIs(&t, "enum_int"))
            ok = ParseEnum(p, UF_ENUM_INT);
        else if (UFIs(&t, "include"))
            ok = ParseInclude(p, tail);
        else if (UFIs(&t, "queue"))
            ok = UFParseRule(p, UFR_QUEUE, tail);
        else if (UFIs(&t, "format"))
            ok = UFParseRule(p, UFR_FORMAT, tail);
        else
            ok = UFParseError(p->owner, p, "Unexpected Token '%.*s' found.", t.text, (int)t.length);
        if (!ok)
            return 0;
    }
}

int UFParseFile(void *owner, int mayBeMissing, UFPARSER *including, const char *fileName,
                UFRULE ***tail)
{
    if (!fileName || !fileName[0])
        return 1;
    UFPARSER file = {};
    int errors = 0;
    file.parent = including;
    file.owner = owner;
    file.gen = including ? including->gen : nullptr;
    file.errors = including ? including->errors : &errors;
    file.depth = including ? including->depth + 1 : 0;
    file.line = 1;
    ResolvePath(including, fileName, file.path, sizeof file.path);
    if (!file.gen) {
        file.gen = UFBuilding();
        if (!file.gen)
            return 0;
    }
    UFPARSER *reporter = including;
    if (file.depth > UF_MAX_INCLUDE_DEPTH)
        return UFParseError(owner, reporter, "Include files are nested too deeply at '%.*s'.",
                            fileName, -1);
    for (UFPARSER *q = including; q; q = q->parent)
        if (strcmp(q->path, file.path) == 0)
            return UFParseError(owner, reporter, "Include cycle: '%.*s' includes itself.", fileName, -1);
    FILE *f = fopen(file.path, "rb");
    if (!f) {
        if (mayBeMissing)
            return 0;
        return UFParseError(owner, reporter, "Can not open user format file '%.*s'.", file.path, -1);
    }
    size_t length = 0;
    file.buffer = CSFileLoad(f, &length);
    fclose(f);
    if (!file.buffer)           /* a folder, or a file that cannot be read */
        return UFParseError(owner, reporter, "Can not open user format file '%.*s'.", file.path, -1);
    file.pos = file.buffer;
    file.end = file.buffer + length;
    int rc = Statements(&file, tail);
    CSFreeMem(file.buffer);
    if (!including && errors)
        rc = 0;
    return rc;
}
