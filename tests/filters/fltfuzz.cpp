/* The filter compiler's robustness runs (fltfuzz.h). */
#include "fltfuzz.h"
#include "fltint.h"
#include "mqi.h"
#include "qms.h"

#include <cstdio>
#include <random>

namespace {

DialogWords Dialog;
QMS Location;
bool Ready;

/* The posted list area becomes the dialog's. */
int TakeArea(void *, void *, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message == UM_PCF_UPDATE_LIST)
        PCFTakeListArea(&Dialog, (PCFLISTREQ *)wParam, (PCFLISTAREA *)lParam);
    return 1;
}

/* A reply of queues: name, type, depth and cluster (some absent). */
std::string Replies()
{
    std::string r;
    auto put = [&](std::vector<int32_t> w) { r.append((const char *)w.data(), 4 * w.size()); };
    auto str = [&](int32_t id, const std::string &s) {
        int32_t len = (int32_t)((20 + s.size() + 3) & ~3u);
        put({ MQCFT_STRING, len, id, 0, (int32_t)s.size() });
        r += s;
        r.append((size_t)len - 20 - s.size(), '\0');
    };
    put({ MQCFT_RESPONSE, 36, 1, MQCMD_INQUIRE_Q, 1, MQCFC_LAST, 0, 0, 0 });
    const char *names[] = { "QUEUE.A", "Q.B", "", "X" };
    std::string longName(48, 'L');
    for (int i = 0; i < 4; i++) {
        if (i)
            put({ MQCFT_INTEGER, 16, 301162, 0 });
        str(MQCA_Q_NAME, i == 2 ? longName : names[i]);
        put({ MQCFT_INTEGER, 16, MQIA_Q_TYPE, i == 3 ? 6 : 1 });
        if (i != 1)
            put({ MQCFT_INTEGER, 16, MQIA_CURRENT_Q_DEPTH, i * 1000 - 1 });
        if (i >= 2)
            str(MQCA_CLUSTER_NAME, "CL");
    }
    int32_t count = 4 * 4;
    memcpy(&r[32], &count, 4);
    return r;
}

const char *const Corpus[] = {
    "curdepth > 100",
    "type = local & curdepth > 5 | queue == 'Q*'",
    "bg(curdepth > 1000, red); fg(type = remote, 0x00FF00); sort(curdepth)",
    "@n := @n + 1; @$s# := queue + str$(curdepth); @@r := curdepth / 3; _index > 0",
    "if (curdepth > 10) { flash(1); 1 } else if (type = alias) 0; else { 2 }",
    "statusf('%s %5d %x %.2f %S', queue, curdepth, -1, 2.5, 'x'); 1",
    "date$(_time, 'D DD H HH h hh M S P p d dd j J m mm mmm y yy t \\\\x')",
    "substr$(queue, -1, 3) = 'E.A' & findstr(queue, '.') > 0 & findstri(queue, 'a') > 0",
    "max(curdepth, 5) - min(3, curdepth) mod 2 <> 0 || 7 && 3",
    "showcol(curdepth, 0); hidecol(type); maxdepth#",
    "fgcell(curdepth > 1, blue, queue); bgcell(1, green, @x); flashcell(1, type)",
    "$DEEP & $LOCALS; $BROKEN",
    "$CIRC1",
    "any(curdepth, cluster) & all() & val(curdepth, 1) | !curdepth",
    "@count%n# := @count%n# + 1; @$where%o := _qmname + _locname",
    "sortd2(str$(curdepth * 1.5)); sortd(type); sort2(queue)",
    "alarm(curdepth > 2000); beep(0); sound(0, 'x'); system(0, 'y')",
    "hour(_time) + minute(_time) + second(_time) + weekday(0) + yearday(0) + day(0) + month(0) + year(0)",
    "day$(weekday(_time), 1) + mon$(-1, 0) == '*'; mqtime('20260101', '00000000') > msgtime('x', 'y')",
    "// a comment\n{ { ; } }; if (1) ; else ;",
    "\"\\a\\b\\f\\n\\r\\t\\v\\\\\\\"\" + '\\'' = \"x\"",
};

/* Globs with "*" for the error texts. */
bool Glob(const char *p, const char *t)
{
    if (!*p)
        return !*t;
    if (*p == '*')
        return Glob(p + 1, t) || (*t && Glob(p, t + 1));
    return *t == *p && Glob(p + 1, t + 1);
}

const char *const Messages[] = {
    "Unexpected token '*'", "Unexpected operator '*'", "Syntax error at operator '*'",
    "Syntax error at value '*'", "Unmatched parenthesis", "Unrecognised operator *",
    "Sorry but the '#' character must be after the variable name", "'(' expected after function '*'",
    "Unexpected end of expression", "',' found where expression expected", "'*' found where ',' expected",
    "'*' found where ')' expected", "Missing parameter for function '*'", "Function '*' takes * parameter*",
    "Function '*' can take no more than 20 parameters", "Unexpected end of expression after 'if' statenent",
    "'*' found after 'if' statement where '(' expected", "'*' found after 'if' statement where ')' expected",
    "Unexpected end of expression in 'if' statement where ')' expected", "'}' expected",
    "'}' found where expression expected", "Too many terms in expression", "Out of memory",
    "Global Filter '*' not found", "Circular filter dependancy on filter '*'",
    "Too many levels of nesing in filter expressions", "Expected variable name after '@'",
    "User variables are not available", "Can not allocate user variable area", "Unknown system field '*'",
    "Unrecognised keyword '*'", "Ambiguous keyword '*'", "Ambiguous value '*' for keyword '*'",
    "Sorry, the last parameter of '*' should be a field name", "Unrecognised User Variable '*'",
    "Error evaluating '*'",
};

void Problem(FltFuzzResult *r, const std::string &what, const std::string &text)
{
    if (!r->problems++)
        r->firstProblem = what + ": [" + text + "]";
}

void Evaluate(FltFuzzResult *r, const std::string &text)
{
    PCFLISTAREA *area = Dialog.first.replyArea;
    PCFFilterFillBegin(&Dialog);
    for (int pass = 0; pass < 2; pass++) {
        PCFFilterFillArea(&Dialog, area);
        int i = 0;
        for (PCFROW *row = PCFFirstRow(area); row; row = PCFNextRow(area, row), i++)
            if (PCFFilterFillRow(&Dialog, row, i, i == (int)area->rows - 1) < 0)
                Problem(r, "evaluation failed", text);
        if (!PCFFilterFillRescan(&Dialog))
            break;
    }
    PCFFilterFillEnd(&Dialog);
}

}  // namespace

void FltFuzzSetUp(void)
{
    if (Ready)
        return;
    Ready = true;
    PCFInitCommandDefs();
    memset(&Dialog, 0, sizeof Dialog);
    strcpy(Location.qmName, "QM1");
    strcpy(Location.locationName, "Loc");
    Dialog.definition = &PCFQueueListDef;
    Dialog.window = &Dialog;
    Dialog.first.location = &Location;
    Dialog.first.sequence = 1;
    PCFHOOKS h = {};
    h.post = TakeArea;
    PCFSetHooks(&h);
    std::string reply = Replies();
    FillListArea(&Dialog, &Location, &Dialog.first, (const uint8_t *)reply.data(), (uint32_t)reply.size(), 0);
    PCFSetHooks(nullptr);
    FltSetHooks(nullptr);
    const char *named[][2] = {
        { "DEEP", "curdepth > 100" }, { "LOCALS", "type = local" }, { "BROKEN", "curdepth >" },
        { "CIRC1", "$CIRC2" },        { "CIRC2", "1 | $CIRC1" },     { "SELF", "$SELF" },
        { "DEEPER", "$DEEP & $DEEP & $LOCALS" },
    };
    for (auto &n : named)
        FltStoreEntry(n[0], n[1], 1, 0, nullptr);
}

void FltFuzzTearDown(void)
{
    if (!Ready)
        return;
    PCFEvalFreeContext(&Dialog);
    PCFFilterFree(&Dialog);
    if (Dialog.first.ownsColumns)
        CSFreeMemAndClear(&Dialog.first.columns);
    ReleaseRefBlock(&Dialog.first.replyArea);
    ReleaseRefBlock(&Dialog.first.filling);
    FltFreeLists();
    Ready = false;
}

const std::vector<std::string> &FltFuzzCorpus(void)
{
    static std::vector<std::string> corpus(std::begin(Corpus), std::end(Corpus));
    return corpus;
}

void FltFuzzOne(const std::string &text, FltFuzzResult *r)
{
    r->runs++;
    char error[FLT_ERROR_SIZE];
    FLTREADER reader;
    FltReaderInit(&reader, text.data(), (int)text.size(), "", error);
    FilterProgram *prog = nullptr;
    int rc = PCFEvalParse(nullptr, &PCFQueueListDef, FltDialogContext(&Dialog), &prog, &reader);
    if (rc) {
        r->failed++;
        if (prog)
            Problem(r, "a failed compile left a program", text);
        char prefix[FLT_ERROR_SIZE];
        FltErrorPrefix(&reader, prefix, sizeof prefix);
        std::string bare = error;
        if (strlen(prefix) && prefix[strlen(prefix) - 1] != ':')
            Problem(r, std::string("prefix '") + prefix + "'", text);
        bool known = false;
        for (const char *m : Messages)
            known |= Glob(m, bare.c_str());
        if (!known)
            Problem(r, "unknown message: " + bare, text);
        int s, e;
        if (PCFEvalErrorPos(&reader, 1, &s, &e) && (s < 0 || e <= s || (size_t)e > text.size() + 1))
            Problem(r, "range " + std::to_string(s) + "-" + std::to_string(e) + " outside the text", text);
        FltReaderFree(&reader);
        return;
    }
    FltReaderFree(&reader);
    r->compiled++;
    FilterProgram *old = (FilterProgram *)Dialog.filterProgram;
    PCFFreeProgram(&old);
    Dialog.filterProgram = prog;
    Evaluate(r, text);
}

void FltFuzzPrefixes(FltFuzzResult *r)
{
    for (const std::string &t : FltFuzzCorpus())
        for (size_t n = 0; n <= t.size(); n++)
            FltFuzzOne(t.substr(0, n), r);
}

void FltFuzzTokens(uint64_t count, uint64_t seed, FltFuzzResult *r)
{
    static const char *const vocabulary[] = {
        "curdepth", "queue", "type", "local", "maxdepth", "cluster", "def", "@a", "@$s", "@@r", "@n%n", "@",
        "_index", "_rescan", "_nosuch", "1", "0x10", "2.5", "'abc*'", "\"x\"", "(", ")", "{", "}", ";", ",",
        "#", "+", "-", "*", "/", "mod", "=", "==", "!=", "<>", "<", "<=", ">", ">=", "&", "&&", "|", "||",
        ":=", "!", "?", ":", "[", "]", "if", "else", "max", "str$", "date$", "substr$", "statusf", "sort",
        "sortd2", "showcol", "hidecol", "fgcell", "any", "$DEEP", "$BROKEN", "$CIRC1", "$SELF", "$NOSUCH",
        "red", "// x\n", " ", "\n", "'", "\"", "\\",
    };
    std::mt19937_64 rng(seed);
    for (uint64_t i = 0; i < count; i++) {
        std::string t;
        int n = 1 + (int)(rng() % 24);
        for (int k = 0; k < n; k++) {
            t += vocabulary[rng() % (sizeof vocabulary / sizeof vocabulary[0])];
            if (rng() % 3)
                t += ' ';
        }
        FltFuzzOne(t, r);
    }
}

void FltFuzzMutations(uint64_t count, uint64_t seed, FltFuzzResult *r)
{
    std::mt19937_64 rng(seed);
    const std::vector<std::string> &corpus = FltFuzzCorpus();
    for (uint64_t i = 0; i < count; i++) {
        std::string t = corpus[rng() % corpus.size()];
        int edits = 1 + (int)(rng() % 6);
        for (int k = 0; k < edits; k++) {
            size_t at = t.empty() ? 0 : rng() % t.size();
            switch (rng() % 5) {
            case 0: if (!t.empty()) t[at] = (char)(rng() & 0xFF); break;
            case 1: t.insert(at, 1, (char)(rng() & 0xFF)); break;
            case 2: if (!t.empty()) t.erase(at, 1 + rng() % 4); break;
            case 3: t.insert(at, t.substr(at, rng() % 20)); break;
            default: {
                const std::string &o = corpus[rng() % corpus.size()];
                t.insert(at, o.substr(rng() % (o.size() + 1)));
                break;
            }
            }
        }
        FltFuzzOne(t, r);
    }
}

void FltFuzzFormats(uint64_t count, uint64_t seed, FltFuzzResult *r)
{
    static const char *const pieces[] = { "%", "#", "+", "-", ".", "0", "9", "99999", "123456789012",
                                          "d", "i", "o", "u", "x", "X", "e", "E", "f", "g", "G", "s",
                                          "S", "n", "p", "c", "%", "ll", "*", "D", "H", "h", "M", "P",
                                          "j", "J", "m", "y", "t", "\\", " ", "abc" };
    std::mt19937_64 rng(seed);
    FVAL values[4];
    FValInt(&values[0], -5);
    FValReal(&values[1], 1e300);
    FValString(&values[2], "text", 4);
    FValMissing(&values[3]);
    const FVAL *v[4] = { &values[0], &values[1], &values[2], &values[3] };
    for (uint64_t i = 0; i < count; i++) {
        std::string f;
        int n = 1 + (int)(rng() % 30);
        for (int k = 0; k < n; k++)
            f += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        if (f.size() > FLT_STRING_MAX)
            f.resize(FLT_STRING_MAX);
        FVAL format;
        FValString(&format, f.data(), f.size());
        char out[FLT_OUTPUT_MAX + 1];
        out[FLT_OUTPUT_MAX] = 'Z';
        int len = FltFormatValues(&format, v, (int)(rng() % 5), out, sizeof out);
        r->runs++;
        if (len < 0 || len > FLT_OUTPUT_MAX || out[len] != 0)
            Problem(r, "statusf output", f);
        char date[FLT_STRING_MAX + 1];
        FltDateText((int64_t)(rng() % 4000000000ull) - 100, f.data(), (int)(f.size() > 99 ? 99 : f.size()), date,
                    sizeof date);
        if (strlen(date) > FLT_STRING_MAX)
            Problem(r, "date$ output", f);
    }
}

void FltFuzzNames(uint64_t count, uint64_t seed, FltFuzzResult *r)
{
    static const char *const pieces[] = { "%n", "%o", "%O", "%", "%%", "%x", "a", "$", "@", "_" };
    std::mt19937_64 rng(seed);
    for (uint64_t i = 0; i < count; i++) {
        std::string name = (rng() % 2) ? "@" : (rng() % 2) ? "@$" : "@@";
        int n = (int)(rng() % 80);
        for (int k = 0; k < n; k++)
            name += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        if (name.size() > FLT_TOKEN_MAX)
            name.resize(FLT_TOKEN_MAX);
        FltFuzzOne(name + " := 1; " + name, r);
    }
}
