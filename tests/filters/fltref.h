/* A reference evaluator of the filter language, written from the rules
 * alone and sharing no code with the library: random programs as trees,
 * their text, and a plain tree walker over rows of a Queue List (depth,
 * queue name, cluster, type and definition type, each possibly absent). */
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace fltref {

enum Kind { K_INT, K_REAL, K_STR, K_FIELD, K_USER, K_SYS, K_UNARY, K_BINARY, K_IF, K_SEQ, K_CALL, K_PAIR };

/* The fields programs name (keyword, type, column attribute). */
enum FieldId { F_DEPTH, F_QUEUE, F_CLUSTER, F_TYPE, F_DEFTYPE, F_COUNT };

struct Node {
    Kind kind;
    int64_t i = 0;
    double r = 0;
    std::string s;                /* string value, name, operator or function */
    std::string text;             /* how a literal is written */
    int field = 0;
    std::vector<Node> kids;       /* binary: left, right; if: cond, then, else */
    bool hasElse = false;
};

struct Row {
    bool present[F_COUNT];
    int32_t depth, type, deftype;
    std::string queue, cluster;
};

struct Value {
    int type = 0;                 /* 0 missing, 1 string, 2 integer, 4 real */
    int32_t i = 0;
    double r = 0;
    std::string s;
    bool var = false;             /* a variable's value (or a missing variable) */
    int field = -1;               /* the field it comes from */
};

/* The user variables: "@a", "@b" (integers), "@$s", "@$t" (strings),
 * "@@x", "@@y" (reals). */
struct Env {
    std::map<std::string, Value> vars;
    int32_t first = 1, last = 0, index = 0, items = 0;
    Value Var(const std::string &name);
};

Node Generate(std::mt19937 &rng, int depth);
/* A program: a few statements, each maybe an assignment. */
Node Program(std::mt19937 &rng);
std::string Render(const Node &n);
Value Evaluate(const Node &n, Env &env, const Row &row);
bool Truth(const Value &v);
Row RandomRow(std::mt19937 &rng);

extern const char *const UserVars[6];

}  // namespace fltref
