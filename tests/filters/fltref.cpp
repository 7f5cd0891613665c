/* The reference evaluator: random programs, their text, and a plain tree
 * walker that follows the language's rules (folding of constants at
 * compile time in 64 bits, 32-bit integers that wrap at run time,
 * missing values, strings against integers, assignments, if and
 * sequences, a few pure functions).  It shares no code with the library. */
#include "fltref.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace fltref {

const char *const UserVars[6] = { "@a", "@b", "@$s", "@$t", "@@x", "@@y" };

static const char *const FieldNames[F_COUNT] = { "curdepth", "queue", "cluster", "type", "deftype" };
static const char *const Ops[] = { "+", "-", "*", "/", "mod", "<", ">", "<=", ">=", "=", "==", "!=",
                                   "<>", "&", "&&", "|", "||" };
static const char *const Strings[] = { "", "abc", "ABC*", "a?c", "Q*", "QUEUE.A", "*", "Local", "Model",
                                       "Predefined", "zz", "CL1" };
static const char *const QueueNames[] = { "QUEUE.A", "Q.B", "ABCDEF", "abc", "X", "" };
static const char *const Clusters[] = { "CL1", "CL2", "", "ABC" };
static const int32_t Types[] = { 1, 2, 3, 6, 7, 1001, 5 };
static const int32_t DefTypes[] = { 1, 2, 3, 4, 9 };

struct NameRow {
    int32_t value;
    const char *name;
};
static const NameRow TypeNames[] = { { 1, "Local" }, { 2, "Model" }, { 3, "Alias" }, { 6, "Remote" },
                                     { 7, "Cluster" }, { 1001, "All" } };
static const NameRow DefTypeNames[] = { { 1, "Predefined" }, { 2, "Permanent dynamic" },
                                        { 3, "Temporary dynamic" }, { 4, "Shared dynamic" } };

static int Pick(std::mt19937 &rng, int n) { return (int)(rng() % (uint32_t)n); }

/* ---- generation ---------------------------------------------------------- */

static Node Leaf(std::mt19937 &rng)
{
    Node n;
    switch (Pick(rng, 9)) {
    case 0: case 1: {
        n.kind = K_INT;
        static const char *const texts[] = { "0", "1", "2", "3", "7", "100", "2147483647", "4000000000",
                                             "0x7FFFFFFF", "0xFFFFFFFF", "0x10", "65536" };
        n.text = texts[Pick(rng, 12)];
        uint64_t v = 0;
        if (n.text.rfind("0x", 0) == 0)
            v = strtoull(n.text.c_str() + 2, nullptr, 16);
        else
            v = strtoull(n.text.c_str(), nullptr, 10);
        n.i = (int32_t)(uint32_t)v;
        return n;
    }
    case 2: {
        n.kind = K_REAL;
        static const char *const texts[] = { "0.0", "0.5", "1.5", "2.25", "100.75", "3.0" };
        n.text = texts[Pick(rng, 6)];
        n.r = strtod(n.text.c_str(), nullptr);
        return n;
    }
    case 3:
        n.kind = K_STR;
        n.s = Strings[Pick(rng, 12)];
        return n;
    case 4: case 5:
        n.kind = K_FIELD;
        n.field = Pick(rng, F_COUNT);
        return n;
    case 6: case 7:
        n.kind = K_USER;
        n.s = UserVars[Pick(rng, 6)];
        return n;
    default: {
        n.kind = K_SYS;
        static const char *const names[] = { "_index", "_first", "_last", "_items" };
        n.s = names[Pick(rng, 4)];
        return n;
    }
    }
}

static bool IsBare(const Node &n, int field) { return n.kind == K_FIELD && n.field == field; }

Node Generate(std::mt19937 &rng, int depth)
{
    if (depth <= 0)
        return Leaf(rng);
    Node n;
    switch (Pick(rng, 12)) {
    case 0: case 1:
        return Leaf(rng);
    case 2: {
        n.kind = K_UNARY;
        static const char *const ops[] = { "!", "-", "+" };
        n.s = ops[Pick(rng, 3)];
        n.kids.push_back(Generate(rng, depth - 1));
        return n;
    }
    case 3: {
        n.kind = K_PAIR;
        n.field = Pick(rng, 2) ? F_TYPE : F_DEFTYPE;
        const NameRow *rows = n.field == F_TYPE ? TypeNames : DefTypeNames;
        int count = n.field == F_TYPE ? 6 : 4;
        const NameRow &r = rows[Pick(rng, count)];
        n.i = r.value;
        n.text = r.name;
        for (char &c : n.text)
            if (c == ' ')
                c = 0;
        n.text = n.text.c_str();
        n.s = Pick(rng, 2) ? "=" : "<>";
        return n;
    }
    case 4: {
        n.kind = K_CALL;
        static const char *const fns[] = { "max", "min", "str$", "substr$", "findstr", "val", "any", "all" };
        static const int counts[] = { 2, 2, 1, 3, 2, 2, -1, -1 };
        int f = Pick(rng, 8);
        n.s = fns[f];
        int k = counts[f] >= 0 ? counts[f] : Pick(rng, 4);
        for (int i = 0; i < k; i++)
            n.kids.push_back(Generate(rng, depth - 1));
        return n;
    }
    case 5: {
        n.kind = K_BINARY;
        n.s = ":=";
        Node target;
        target.kind = K_USER;
        target.s = UserVars[Pick(rng, 6)];
        if (!Pick(rng, 10)) {
            target.kind = K_FIELD;
            target.field = Pick(rng, F_COUNT);
        }
        n.kids.push_back(target);
        n.kids.push_back(Generate(rng, depth - 1));
        return n;
    }
    default: {
        n.kind = K_BINARY;
        n.s = Ops[Pick(rng, 17)];
        n.kids.push_back(Generate(rng, depth - 1));
        n.kids.push_back(Generate(rng, depth - 1));
        /* a field with a value table against a name that is one of its
           values would be resolved as the value's keyword */
        if (IsBare(n.kids[0], F_TYPE) && IsBare(n.kids[1], F_CLUSTER))
            n.kids[1] = Leaf(rng), n.kids[1].kind = K_STR, n.kids[1].s = "CL1";
        return n;
    }
    }
}

static Node Statement(std::mt19937 &rng, int depth)
{
    int k = Pick(rng, 10);
    if (k < 2 && depth > 0) {
        Node n;
        n.kind = K_IF;
        n.kids.push_back(Generate(rng, 2));
        n.kids.push_back(Statement(rng, depth - 1));
        n.hasElse = Pick(rng, 2);
        n.kids.push_back(n.hasElse ? Statement(rng, depth - 1) : Node{ K_INT });
        return n;
    }
    if (k < 3 && depth > 0) {
        Node n;
        n.kind = K_SEQ;
        int count = 1 + Pick(rng, 3);
        for (int i = 0; i < count; i++)
            n.kids.push_back(Statement(rng, depth - 1));
        return n;
    }
    return Generate(rng, 3);
}

Node Program(std::mt19937 &rng)
{
    Node n;
    n.kind = K_SEQ;
    n.text = "top";
    int count = 1 + Pick(rng, 4);
    for (int i = 0; i < count; i++)
        n.kids.push_back(Statement(rng, 2));
    return n;
}

/* ---- text ----------------------------------------------------------------- */

static std::string Quote(const std::string &s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Render(const Node &n)
{
    switch (n.kind) {
    case K_INT: case K_REAL: return n.text;
    case K_STR: return Quote(n.s);
    case K_FIELD: return FieldNames[n.field];
    case K_USER: case K_SYS: return n.s;
    case K_PAIR: return std::string("(") + FieldNames[n.field] + " " + n.s + " " + n.text + ")";
    case K_UNARY: return n.s + "(" + Render(n.kids[0]) + ")";
    case K_BINARY: return "(" + Render(n.kids[0]) + " " + n.s + " " + Render(n.kids[1]) + ")";
    case K_CALL: {
        std::string s = n.s + "(";
        for (size_t i = 0; i < n.kids.size(); i++)
            s += (i ? ", " : "") + Render(n.kids[i]);
        return s + ")";
    }
    case K_IF: {
        std::string s = "if (" + Render(n.kids[0]) + ") { " + Render(n.kids[1]) + " }";
        if (n.hasElse)
            s += " else { " + Render(n.kids[2]) + " }";
        return s;
    }
    case K_SEQ: {
        std::string s = n.text == "top" ? "" : "{ ";
        for (size_t i = 0; i < n.kids.size(); i++)
            s += (i ? "; " : "") + Render(n.kids[i]);
        return s + (n.text == "top" ? "" : " }");
    }
    }
    return "";
}

/* ---- folding -------------------------------------------------------------- */

struct Const {
    bool real;
    int64_t i;
    double r;
};

static bool Foldable(const Node &n)
{
    if (n.kind == K_INT || n.kind == K_REAL)
        return true;
    if (n.kind == K_UNARY)
        return Foldable(n.kids[0]);
    if (n.kind == K_BINARY)
        return n.s != ":=" && Foldable(n.kids[0]) && Foldable(n.kids[1]);
    return false;
}

static int32_t Trunc32(double r)
{
    if (std::isnan(r))
        return 0;
    if (r >= 2147483647.0)
        return INT32_MAX;
    if (r <= -2147483648.0)
        return INT32_MIN;
    return (int32_t)r;
}

static int64_t Trunc64(double r)
{
    if (std::isnan(r))
        return 0;
    if (r >= 9.2233720368547758e18)
        return INT64_MAX;
    if (r <= -9.2233720368547758e18)
        return INT64_MIN;
    return (int64_t)r;
}

template <typename T> static T Remainder(T a, T b, T min)
{
    if (b == 0 || (a == min && b == -1))
        return 0;
    return a % b;
}

static int Cmp(const std::string &op, int c, bool *known)
{
    *known = true;
    if (op == "<") return c < 0;
    if (op == ">") return c > 0;
    if (op == "<=") return c <= 0;
    if (op == ">=") return c >= 0;
    if (op == "=" || op == "==") return c == 0;
    if (op == "!=" || op == "<>") return c != 0;
    *known = false;
    return 0;
}

static Const Fold(const Node &n)
{
    if (n.kind == K_INT)
        return { false, n.i, 0 };
    if (n.kind == K_REAL)
        return { true, 0, n.r };
    if (n.kind == K_UNARY) {
        Const v = Fold(n.kids[0]);
        if (!v.real)
            return { false, n.s == "!" ? (int64_t)(v.i == 0) : n.s == "-" ? (int64_t)(0 - (uint64_t)v.i) : v.i, 0 };
        return { true, 0, n.s == "!" ? (v.r == 0.0 ? 1.0 : 0.0) : n.s == "-" ? -v.r : v.r };
    }
    Const a = Fold(n.kids[0]), b = Fold(n.kids[1]);
    if (a.real != b.real) {
        if (!a.real)
            a = { true, 0, (double)a.i };
        else
            b = { true, 0, (double)b.i };
    }
    const std::string &op = n.s;
    bool known;
    if (!a.real) {
        int c = Cmp(op, (a.i > b.i) - (a.i < b.i), &known);
        if (known) return { false, c, 0 };
        if (op == "+") return { false, (int64_t)((uint64_t)a.i + (uint64_t)b.i), 0 };
        if (op == "-") return { false, (int64_t)((uint64_t)a.i - (uint64_t)b.i), 0 };
        if (op == "*") return { false, (int64_t)((uint64_t)a.i * (uint64_t)b.i), 0 };
        if (op == "mod") return { false, Remainder<int64_t>(a.i, b.i, INT64_MIN), 0 };
        if (op == "/") return { true, 0, (double)a.i / (double)b.i };
        if (op == "&") return { false, a.i && b.i, 0 };
        if (op == "|") return { false, a.i || b.i, 0 };
        if (op == "&&") return { false, a.i & b.i, 0 };
        return { false, a.i | b.i, 0 };
    }
    double x = a.r, y = b.r;
    if (op == "<") return { true, 0, x < y ? 1.0 : 0.0 };
    if (op == ">") return { true, 0, x > y ? 1.0 : 0.0 };
    if (op == "<=") return { true, 0, x <= y ? 1.0 : 0.0 };
    if (op == ">=") return { true, 0, x >= y ? 1.0 : 0.0 };
    if (op == "=" || op == "==") return { true, 0, x == y ? 1.0 : 0.0 };
    if (op == "!=" || op == "<>") return { true, 0, x != y ? 1.0 : 0.0 };
    if (op == "+") return { true, 0, x + y };
    if (op == "-") return { true, 0, x - y };
    if (op == "*") return { true, 0, x * y };
    if (op == "/") return { true, 0, x / y };
    if (op == "mod") return { true, 0, (double)Remainder<int32_t>(Trunc32(x), Trunc32(y), INT32_MIN) };
    if (op == "&&") return { true, 0, (double)(Trunc32(x) & Trunc32(y)) };
    if (op == "||") return { true, 0, (double)(Trunc32(x) | Trunc32(y)) };
    if (op == "&") return { true, 0, Trunc32(x) != 0 && Trunc32(y) != 0 ? 1.0 : 0.0 };
    return { true, 0, Trunc32(x) != 0 || Trunc32(y) != 0 ? 1.0 : 0.0 };
}

/* ---- values ---------------------------------------------------------------- */

static Value Int(int32_t i) { Value v; v.type = 2; v.i = i; return v; }
static Value Real(double r) { Value v; v.type = 4; v.r = r; return v; }
static Value Str(const std::string &s) { Value v; v.type = 1; v.s = s.substr(0, 200); return v; }
static Value Missing() { return Value(); }

bool Truth(const Value &v)
{
    switch (v.type) {
    case 1: return !v.s.empty();
    case 2: return v.i != 0;
    case 4: return Trunc32(v.r) != 0;
    }
    return false;
}

static int32_t ToInt(const Value &v)
{
    return v.type == 1 ? (int32_t)v.s.size() : v.type == 2 ? v.i : v.type == 4 ? Trunc32(v.r) : 0;
}

static double ToReal(const Value &v)
{
    return v.type == 1 ? (double)v.s.size() : v.type == 2 ? (double)v.i : v.type == 4 ? v.r : 0.0;
}

static std::string ToText(const Value &v)
{
    char b[400];
    if (v.type == 1)
        return v.s;
    if (v.type == 2)
        snprintf(b, sizeof b, "%d", v.i);
    else if (v.type == 4)
        snprintf(b, sizeof b, "%.2f", v.r);
    else
        b[0] = 0;
    return std::string(b).substr(0, 200);
}

static bool Wild(const char *t, size_t tn, const char *p, size_t pn)
{
    std::vector<std::vector<char>> m(tn + 1, std::vector<char>(pn + 1, 0));
    m[0][0] = 1;
    for (size_t j = 1; j <= pn; j++)
        m[0][j] = p[j - 1] == '*' && m[0][j - 1];
    for (size_t i = 1; i <= tn; i++)
        for (size_t j = 1; j <= pn; j++) {
            if (p[j - 1] == '*')
                m[i][j] = m[i][j - 1] || m[i - 1][j];
            else
                m[i][j] = (p[j - 1] == '?' || p[j - 1] == t[i - 1]) && m[i - 1][j - 1];
        }
    return m[tn][pn];
}

static Value IntOp(const std::string &op, int32_t a, int32_t b)
{
    bool known;
    int c = Cmp(op, (a > b) - (a < b), &known);
    if (known) return Int(c);
    if (op == "+") return Int((int32_t)((uint32_t)a + (uint32_t)b));
    if (op == "-") return Int((int32_t)((uint32_t)a - (uint32_t)b));
    if (op == "*") return Int((int32_t)((uint32_t)a * (uint32_t)b));
    if (op == "mod") return Int(Remainder<int32_t>(a, b, INT32_MIN));
    if (op == "/") return Real((double)a / (double)b);
    if (op == "&") return Int(a && b);
    if (op == "|") return Int(a || b);
    if (op == "&&") return Int(a & b);
    return Int(a | b);
}

static Value RealOp(const std::string &op, double a, double b)
{
    if (op == "<") return Real(a < b);
    if (op == ">") return Real(a > b);
    if (op == "<=") return Real(a <= b);
    if (op == ">=") return Real(a >= b);
    if (op == "=" || op == "==") return Real(a == b);
    if (op == "!=" || op == "<>") return Real(a != b);
    if (op == "+") return Real(a + b);
    if (op == "-") return Real(a - b);
    if (op == "*") return Real(a * b);
    if (op == "/") return Real(a / b);
    if (op == "mod") return Real((double)Remainder<int64_t>(Trunc64(a), Trunc64(b), INT64_MIN));
    if (op == "&&") return Real((double)(Trunc64(a) & Trunc64(b)));
    if (op == "||") return Real((double)(Trunc64(a) | Trunc64(b)));
    if (op == "&") return Real(Trunc32(a) != 0 && Trunc32(b) != 0);
    return Real(Trunc32(a) != 0 || Trunc32(b) != 0);
}

static Value StrOp(const std::string &op, const std::string &a, const std::string &b)
{
    if (op == "==")
        return Int(Wild(a.data(), a.size(), b.data(), b.size()));
    int c = a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
    size_t common = std::min(a.size(), b.size());
    int m = memcmp(a.data(), b.data(), common);
    c = m < 0 ? -1 : m > 0 ? 1 : (a.size() > b.size()) - (a.size() < b.size());
    bool known;
    int r = Cmp(op, c, &known);
    if (known) return Int(r);
    if (op == "+") return Str(a.substr(0, 200) + b.substr(0, 200 - std::min<size_t>(a.size(), 200)));
    if (op == "&" || op == "&&") return Int(!a.empty() && !b.empty());
    if (op == "|" || op == "||") return Int(!a.empty() || !b.empty());
    if (op == "/") return Real((double)a.size() / (double)b.size());
    return IntOp(op, (int32_t)a.size(), (int32_t)b.size());
}

static const char *ValueName(int field, int32_t v)
{
    const NameRow *rows = field == F_TYPE ? TypeNames : field == F_DEFTYPE ? DefTypeNames : nullptr;
    int count = field == F_TYPE ? 6 : 4;
    for (int i = 0; rows && i < count; i++)
        if (rows[i].value == v)
            return rows[i].name;
    return nullptr;
}

static Value Operator(const std::string &op, const Value &r, const Value &l)
{
    if (!l.type || !r.type) {
        bool other = op == "+" || op == "-" || op == "|";
        if (l.type && other) return l;
        if (r.type && other) return r;
        return Missing();
    }
    if (l.type == 1 && r.type == 1)
        return StrOp(op, l.s, r.s);
    if (l.type == 2 && r.type == 1) {
        const char *name = l.var ? ValueName(l.field, l.i) : nullptr;
        if (name)
            return StrOp(op, name, r.s);
        return IntOp(op, l.i, (int32_t)r.s.size());
    }
    if (l.type == 1 && r.type == 2)
        return IntOp(op, (int32_t)l.s.size(), r.i);
    if (l.type == 2 && r.type == 2)
        return IntOp(op, l.i, r.i);
    return RealOp(op, ToReal(l), ToReal(r));
}

Value Env::Var(const std::string &name)
{
    auto it = vars.find(name);
    if (it != vars.end())
        return it->second;
    Value v;
    v.type = name[1] == '$' ? 1 : name[1] == '@' ? 4 : 2;
    return v;
}

static Value FieldValue(int field, const Row &row)
{
    Value v;
    v.var = true;
    v.field = field;
    if (!row.present[field])
        return v;
    switch (field) {
    case F_DEPTH: v.type = 2; v.i = row.depth; break;
    case F_TYPE: v.type = 2; v.i = row.type; break;
    case F_DEFTYPE: v.type = 2; v.i = row.deftype; break;
    case F_QUEUE: v.type = 1; v.s = row.queue; break;
    case F_CLUSTER: v.type = 1; v.s = row.cluster; break;
    }
    return v;
}

static Value Assign(const Node &target, const Value &r, Env &env)
{
    if (target.kind != K_USER || !r.type)
        return Int(0);
    Value v = env.Var(target.s);
    if (v.type == 2) {
        v.i = r.type == 2 ? r.i : r.type == 4 ? Trunc32(r.r) : (int32_t)r.s.size();
    } else if (v.type == 4) {
        v.r = ToReal(r);
    } else {
        if (r.type == 4) {
            char b[400];
            snprintf(b, sizeof b, "%f", r.r);
            v.s = std::string(b).substr(0, 200);
        } else {
            v.s = ToText(r);
        }
    }
    env.vars[target.s] = v;
    v.var = true;
    return v;
}

static Value Call(const Node &n, Env &env, const Row &row)
{
    std::vector<Value> args(n.kids.size());
    for (size_t k = n.kids.size(); k-- > 0;)
        args[k] = Evaluate(n.kids[k], env, row);
    const std::string &f = n.s;
    bool takesMissing = f == "any" || f == "all";
    if (!takesMissing)
        for (const Value &a : args)
            if (!a.type && a.var)
                return Missing();
    if (f == "max") return Int(std::max(ToInt(args[0]), ToInt(args[1])));
    if (f == "min") return Int(std::min(ToInt(args[0]), ToInt(args[1])));
    if (f == "str$") return Str(ToText(args[0]));
    if (f == "val" || f == "all") return Int(1);
    if (f == "any") {
        for (const Value &a : args)
            if (!a.var || a.type)
                return Int(1);
        return Int(0);
    }
    if (f == "findstr") {
        if (args[0].type != 1 || args[1].type != 1 || args[0].s.empty() || args[1].s.empty())
            return Int(0);
        size_t at = args[0].s.find(args[1].s);
        return Int(at == std::string::npos ? 0 : (int32_t)at + 1);
    }
    /* substr$ */
    const Value &t = args[0];
    int64_t start = ToInt(args[1]), count = ToInt(args[2]);
    if (t.type != 1 || t.s.empty())
        return Str("");
    int64_t len = (int64_t)t.s.size();
    if (count == -1)
        count = len;
    if (count < 1)
        return Str("");
    int64_t from;
    if (start == -1)
        from = count >= len ? 0 : len - count;
    else if (start < 1)
        return Str("");
    else
        from = start - 1;
    if (from >= len)
        return Str("");
    return Str(t.s.substr((size_t)from, (size_t)std::min(len - from, count)));
}

Value Evaluate(const Node &n, Env &env, const Row &row)
{
    if (Foldable(n)) {
        Const c = Fold(n);
        return c.real ? Real(c.r) : Int((int32_t)(uint32_t)c.i);
    }
    switch (n.kind) {
    case K_STR: return Str(n.s);
    case K_FIELD: return FieldValue(n.field, row);
    case K_USER: {
        Value v = env.Var(n.s);
        v.var = true;
        return v;
    }
    case K_SYS: {
        Value v = Int(n.s == "_index" ? env.index : n.s == "_first" ? env.first : n.s == "_last" ? env.last
                                                                                              : env.items);
        v.var = true;
        return v;
    }
    case K_PAIR: {
        Value l = FieldValue(n.field, row);
        return Operator(n.s, Int((int32_t)n.i), l);
    }
    case K_UNARY: {
        Value v = Evaluate(n.kids[0], env, row);
        if (v.type == 1) {
            int32_t len = (int32_t)v.s.size();
            return Int(n.s == "!" ? len == 0 : n.s == "-" ? -len : len);
        }
        if (v.type == 2)
            return Int(n.s == "!" ? v.i == 0 : n.s == "-" ? (int32_t)(0u - (uint32_t)v.i) : v.i);
        if (v.type == 4)
            return Real(n.s == "!" ? (v.r == 0.0) : n.s == "-" ? -v.r : v.r);
        return Int(0);
    }
    case K_BINARY: {
        Value r = Evaluate(n.kids[1], env, row);
        if (n.s == ":=")
            return Assign(n.kids[0], r, env);
        Value l = Evaluate(n.kids[0], env, row);
        return Operator(n.s, r, l);
    }
    case K_IF: {
        bool t = Truth(Evaluate(n.kids[0], env, row));
        if (t)
            return Evaluate(n.kids[1], env, row);
        if (n.hasElse)
            return Evaluate(n.kids[2], env, row);
        return Int(0);
    }
    case K_SEQ: {
        Value v;
        for (const Node &k : n.kids)
            v = Evaluate(k, env, row);
        return v;
    }
    case K_CALL: return Call(n, env, row);
    default: return Missing();
    }
}

Row RandomRow(std::mt19937 &rng)
{
    Row r;
    for (bool &p : r.present)
        p = Pick(rng, 5) != 0;
    static const int32_t depths[] = { 0, 1, 5, 100, 1000, -3, 2147483647, -2147483647 - 1, 77 };
    r.depth = depths[Pick(rng, 9)];
    r.type = Types[Pick(rng, 7)];
    r.deftype = DefTypes[Pick(rng, 5)];
    r.queue = QueueNames[Pick(rng, 6)];
    r.cluster = Clusters[Pick(rng, 4)];
    return r;
}

}  // namespace fltref
