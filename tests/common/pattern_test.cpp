/* Name patterns: simple and extended lists, bracket errors, comparing two
 * lists' wildcards, and damaged patterns (every prefix, mutations) that
 * must never read outside the list. */
#include "cspattern.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

/* The list in a buffer of exactly its length (no terminator after it), so
 * that the address sanitizer sees any read past it. */
struct Exact {
    std::vector<char> bytes;
    explicit Exact(const std::string &s) : bytes(s.begin(), s.end()) {}
    const char *data() const { return bytes.empty() ? "" : bytes.data(); }
    int size() const { return (int)bytes.size(); }
};

static int Simple(const std::string &list, const std::string &name, const char *qmgr = "QM1",
                  int *element = nullptr)
{
    PATTERNCTX ctx;
    memset(&ctx, 0, sizeof ctx);
    ctx.qmgrName = qmgr;
    Exact l(list), n(name);
    int r = PatternListMatch(&ctx, l.data(), l.size(), n.data(), n.size());
    if (element)
        *element = ctx.element;
    return r;
}

static int Extended(const std::string &list, const std::string &name, std::string *message = nullptr)
{
    PATTERNCTX ctx;
    memset(&ctx, 0, sizeof ctx);
    ctx.qmgrName = "QM1";
    Exact l(list), n(name);
    int r = PatternListMatchEx(&ctx, l.data(), l.size(), n.data(), n.size());
    if (message)
        *message = ctx.message;
    return r;
}

TEST(SimplePattern, ListsAndWildcards)
{
    int element = -1;
    EXPECT_EQ(Simple("APP.*,SYSTEM.ADMIN.*", "APP.Q1", "QM1", &element), 1);
    EXPECT_EQ(element, 0);
    EXPECT_EQ(Simple("APP.*,SYSTEM.ADMIN.*", "SYSTEM.ADMIN.X", "QM1", &element), 1);
    EXPECT_EQ(element, 1);
    EXPECT_EQ(Simple("APP.*,SYSTEM.ADMIN.*", "APPQ1"), 0);
    EXPECT_EQ(Simple("*", ""), 1);
    EXPECT_EQ(Simple("<qmgr>.IN", "QM1.IN"), 1);
    EXPECT_EQ(Simple("<qmgr>.IN", "QM2.IN"), 0);
    EXPECT_EQ(Simple("<QMGR>.*", "QM1.X"), 1);          /* any six characters */
    EXPECT_EQ(Simple(" APP.* ,\r\n, X \n", "X"), 1);
    EXPECT_EQ(Simple("A*B*C", "AxxBxxBxC"), 1);
    EXPECT_EQ(Simple("A*B*C", "AxxBxxBxD"), 0);
    EXPECT_EQ(Simple("*.Q", "A.Q"), 1);
    EXPECT_EQ(Simple("*.Q", "A.QQ"), 0);
    EXPECT_EQ(Simple("*.Q", ".Q"), 1);
    EXPECT_EQ(Simple("A.*.<qmgr>", "A.X.Y.QM1"), 1);
    EXPECT_EQ(Simple("app.*", "APP.Q"), 0);             /* letter case counts */
    EXPECT_EQ(Simple("", "A"), 0);
    EXPECT_EQ(Simple(" , ,", ""), 0);
    EXPECT_EQ(Simple("ABC", "ABC"), 1);
    EXPECT_EQ(Simple("ABC", "XABC"), 0);
    EXPECT_EQ(Simple("<qmgr>", "", nullptr), 1);          /* no name given: empty */
}

/* A "<" without room for the whole token stands for itself and nothing is
 * read past the element or the list. */
TEST(SimplePattern, LessThanNearTheEnd)
{
    EXPECT_EQ(Simple("A<qm", "A<qm"), 1);
    EXPECT_EQ(Simple("A<qm", "AQM1"), 0);
    EXPECT_EQ(Simple("<qmgr", "<qmgr"), 1);
    EXPECT_EQ(Simple("*<", "XYZ<"), 1);
    EXPECT_EQ(Simple("*<", "XYZ"), 0);
    EXPECT_EQ(Simple("<", "<"), 1);
    EXPECT_EQ(Simple("A<q,B", "A<q"), 1);                /* the element ends at "," */
    EXPECT_EQ(Simple("A<q,B", "B"), 1);
    EXPECT_EQ(Simple("<qmgr>*<x", "QM1.<x"), 1);
    EXPECT_EQ(Simple("<qmgr>", "QM1"), 1);               /* exactly six: the token */
}

/* Reference: token by token, a "*" trying the shortest run first. */
static int RefMatch(const std::string &el, size_t p, const std::string &name, size_t n,
                    const std::string &qmgr)
{
    if (p == el.size())
        return n == name.size();
    if (el[p] == '*') {
        for (size_t k = n; k <= name.size(); k++)
            if (RefMatch(el, p + 1, name, k, qmgr))
                return 1;
        return 0;
    }
    if (el[p] == '<' && el.size() - p >= 6)
        return name.compare(n, qmgr.size(), qmgr) == 0 && n + qmgr.size() <= name.size() &&
               RefMatch(el, p + 6, name, n + qmgr.size(), qmgr);
    return n < name.size() && name[n] == el[p] && RefMatch(el, p + 1, name, n + 1, qmgr);
}

TEST(SimplePattern, AgreesWithReferenceOnDamagedPatterns)
{
    std::mt19937 rng(3);
    const char alphabet[] = "*<>AB.q";
    const std::string names[] = {"", "A", "AB", "A.B", "QM1", "A<B", "BQM1A", "A*B", "AAAB.B"};
    for (int round = 0; round < 3000; round++) {
        std::string el;
        int len = (int)(rng() % 9);
        for (int i = 0; i < len; i++)
            el += alphabet[rng() % (sizeof alphabet - 1)];
        for (size_t cut = 0; cut <= el.size(); cut++) {
            std::string prefix = el.substr(0, cut);
            if (prefix.empty())                      /* a list without elements */
                continue;
            for (const std::string &name : names)
                ASSERT_EQ(Simple(prefix, name), RefMatch(prefix, 0, name, 0, "QM1"))
                    << "'" << prefix << "' vs '" << name << "'";
        }
    }
}

TEST(ExtendedPattern, Tokens)
{
    EXPECT_EQ(Extended("Q.*", "Q.abc"), 0);
    EXPECT_EQ(Extended("Q.*", "Q.ABC"), 1);
    EXPECT_EQ(Extended("Q.*", "Q."), 0);                 /* one or more */
    EXPECT_EQ(Extended("Q.$$", "Q.abc"), 1);
    EXPECT_EQ(Extended("Q.$", "Q.A.B"), 0);
    EXPECT_EQ(Extended("Q.$", "Q.aB"), 1);
    EXPECT_EQ(Extended("Q.**", "Q.A.B"), 1);
    EXPECT_EQ(Extended("Q.**", "Q.A.b"), 0);
    EXPECT_EQ(Extended("Q.*.X", "Q.A.X"), 1);
    EXPECT_EQ(Extended("Q.[T.]#", "Q.T.1"), 1);
    EXPECT_EQ(Extended("Q.[T.]#", "Q.1"), 1);
    EXPECT_EQ(Extended("Q.[T.]#", "Q.T.X"), 0);
    EXPECT_EQ(Extended("A|B", "A"), 1);
    EXPECT_EQ(Extended("A|B", "B"), 1);
    EXPECT_EQ(Extended("A|B", "AB"), 0);
    EXPECT_EQ(Extended("A|B", "A|B"), 0);
    EXPECT_EQ(Extended("A?C", "ABC"), 1);
    EXPECT_EQ(Extended("A#", "A7"), 1);
    EXPECT_EQ(Extended("A#", "AX"), 0);
    EXPECT_EQ(Extended("Q<#>", "Q"), 1);
    EXPECT_EQ(Extended("Q<#>", "Q123"), 1);
    EXPECT_EQ(Extended("Q<#>1", "Q21"), 0);              /* digits are not given back */
    EXPECT_EQ(Extended("<qmgr>.**", "QM1.A.B"), 1);
    EXPECT_EQ(Extended("<qmgr>.**", "QM2.A"), 0);
    EXPECT_EQ(Extended("<xx>|A", "A"), 1);
    EXPECT_EQ(Extended("<xx>|A", "<xx>"), 0);
    EXPECT_EQ(Extended("(A|B)C", "BC"), 1);
    EXPECT_EQ(Extended("(A|AB)C", "ABC"), 1);            /* the group's alternatives retried */
    EXPECT_EQ(Extended("((A|B)[C])D", "AD"), 1);
    EXPECT_EQ(Extended("((A|B)[C])D", "BCD"), 1);
    EXPECT_EQ(Extended("((A|B)[C])D", "CD"), 0);
    EXPECT_EQ(Extended("A)", "A)"), 1);
    EXPECT_EQ(Extended("A)", "A"), 0);
    EXPECT_EQ(Extended("X.$,Y.#", "Y.5"), 1);
}

TEST(ExtendedPattern, BracketErrors)
{
    std::string message;
    EXPECT_EQ(Extended("(A", "A", &message), 0);
    EXPECT_EQ(message, "Missing matching bracket ')' for bracket at offset 1");
    EXPECT_EQ(Extended("(A]", "A", &message), 0);
    EXPECT_EQ(message, "Unexpected bracket ']' found at offset 3");
    EXPECT_EQ(Extended("X,Q.[A", "Q.A", &message), 0);
    EXPECT_EQ(message, "Missing matching bracket ']' for bracket at offset 5");
    EXPECT_EQ(Extended("A<", "A<", &message), 0);
    EXPECT_EQ(message, "Missing matching bracket '>' for bracket at offset 2");

    PATTERNCTX ctx;
    memset(&ctx, 0, sizeof ctx);
    const char *p = "(a[b]<c>)";
    ctx.listStart = p;
    EXPECT_EQ(PatternCheckBrackets(&ctx, p, p + 9, ')'), p + 8);
    EXPECT_EQ(PatternCheckBrackets(&ctx, p + 2, p + 9, ']'), p + 4);
    EXPECT_EQ(PatternCheckBrackets(&ctx, p, p + 8, ')'), nullptr);
    EXPECT_STREQ(ctx.message, "Missing matching bracket ')' for bracket at offset 1");
    std::string deep(300, '(');
    EXPECT_EQ(PatternCheckBrackets(&ctx, deep.data(), deep.data() + deep.size(), ')'), nullptr);
}

TEST(ExtendedPattern, DamagedAndHeavyPatternsEnd)
{
    std::mt19937 rng(5);
    const char alphabet[] = "()[]<>|#?*$qmgrA.1";
    for (int round = 0; round < 2000; round++) {
        std::string el;
        int len = (int)(rng() % 12);
        for (int i = 0; i < len; i++)
            el += alphabet[rng() % (sizeof alphabet - 1)];
        for (size_t cut = 0; cut <= el.size(); cut++) {
            Extended(el.substr(0, cut), "QM1.A1");
            Extended(el.substr(0, cut), "");
        }
    }
    /* Many runs against a long name that cannot match. */
    std::string heavy;
    for (int i = 0; i < 20; i++)
        heavy += "$$";
    heavy += "X";
    EXPECT_EQ(Extended(heavy, std::string(48, 'A')), 0);
}

TEST(PatternLists, SameWildcards)
{
    PATTERNCTX ctx;
    memset(&ctx, 0, sizeof ctx);
    EXPECT_EQ(PatternMatch(&ctx, "A.*.<qmgr>, X", "B*C<qmgr>,Y"), 1);
    EXPECT_EQ(PatternMatch(&ctx, "A.*", "B.<qmgr>"), 0);
    EXPECT_STREQ(ctx.message, "Patterns 'A.*' and 'B.<qmgr>' do not have the same wildcards");
    EXPECT_EQ(PatternMatch(&ctx, "A.*", "B"), 0);
    EXPECT_STREQ(ctx.message,
                 "Patterns 'A.*' and 'B' do not contain the same number of wildcards");
    EXPECT_EQ(PatternMatch(&ctx, "A.*,B.*", "C.*"), 0);
    EXPECT_STREQ(ctx.message, "Pattern 'A.*,B.*' does not contain enough list elements");
    EXPECT_EQ(PatternMatch(&ctx, "C.*", "A.*,B.*"), 0);
    EXPECT_STREQ(ctx.message, "Pattern 'A.*,B.*' does not contain enough list elements");
    EXPECT_EQ(PatternMatch(&ctx, "A<x", "B"), 1);        /* a short "<" is no wildcard */
    std::string longList(3000, 'A');
    longList += ",B";
    EXPECT_EQ(PatternMatch(&ctx, longList.c_str(), "A"), 0);
    EXPECT_LT(strlen(ctx.message), (size_t)PATTERN_MESSAGE_SIZE);
}

TEST(PatternLists, SplitCountPair)
{
    int32_t a = -1, b = -1;
    EXPECT_EQ(SplitCountPair("3,7", &a, &b), 1);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(SplitCountPair("7", &a, &b), 1);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(SplitCountPair(" 4 , 9", &a, &b), 1);
    EXPECT_EQ(a, 4);
    EXPECT_EQ(b, 9);
    EXPECT_EQ(SplitCountPair("x", &a, &b), 0);
    EXPECT_EQ(a, 4);
}
