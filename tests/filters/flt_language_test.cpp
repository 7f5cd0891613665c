/* The filter language against the Queue List and Message List
 * definitions: every compile error with its range, tokens and
 * precedence, folding, references to named filters and the reader's
 * level store, keyword values, and the bounds on nesting and size. */
#include "flttest.h"
#include "fltint.h"

using namespace flttest;

namespace {

struct Language : ::testing::Test {
    Recorder rec;
    ListDialog *q = nullptr;
    void SetUp() override
    {
        rec.Install();
        q = new ListDialog(&PCFQueueListDef);
        q->Fill(Queues({ { "Q.A", MQQT_LOCAL, 5 }, { "Q.B", MQQT_LOCAL, 500 }, { "R.C", MQQT_REMOTE, 0 },
                         { "ABC.D", MQQT_ALIAS, 1200 } }));
    }
    void TearDown() override
    {
        delete q;
        ClearNamed();
        rec.Uninstall();
    }
    std::string Err(const std::string &text, int *s = nullptr, int *e = nullptr)
    {
        return Compile(q->d(), text, s, e);
    }
    std::vector<int> Run(const std::string &text)
    {
        EXPECT_EQ(Err(text), "") << text;
        return Shown(q->d());
    }
    std::string Dump()
    {
        char text[8000];
        FltDumpProgram("t", (FilterProgram *)q->d()->filterProgram, text, sizeof text);
        return text;
    }
};

struct ErrorCase {
    const char *text;
    const char *message;
    int start, end;
};

TEST_F(Language, EveryCompileErrorWithItsRange)
{
    const ErrorCase cases[] = {
        { "curdepth > 1 )", "Unmatched parenthesis", 13, 14 },
        { "(curdepth > 1", "Unmatched parenthesis", 0, 1 },
        { "curdepth >", "Unexpected operator '> '", 9, 10 },
        { "curdepth mod", "Unexpected operator 'mod'", 9, 12 },
        { "- ", "Unexpected operator '--'", 0, 1 },
        { "curdepth > * 3", "Syntax error at operator '*'", 11, 12 },
        { "curdepth ! 3", "Syntax error at operator '!'", 9, 10 },
        { "curdepth (3)", "Syntax error at operator '('", 9, 10 },
        { "curdepth 3", "Syntax error at value '3'", 9, 10 },
        { "curdepth ? 3", "Unrecognised operator ? ", 9, 10 },
        { "curdepth : 3", "Unrecognised operator : ", 9, 10 },
        { "curdepth [ 3", "Unrecognised operator [ ", 9, 10 },
        { "3 #", "Sorry but the '#' character must be after the variable name", 2, 3 },
        { "sort curdepth", "'(' expected after function 'sort'", 0, 4 },
        { "max(1,", "Unexpected end of expression", 5, 6 },
        { "max(,1)", "',' found where expression expected", 4, 5 },
        { "max(1;2)", "';' found where ',' expected", 5, 6 },
        { "any(1;2)", "';' found where ')' expected", 5, 6 },
        { "max(1", "Missing parameter for function 'max'", 4, 5 },
        { "sort(1, 2)", "Function 'sort' takes 1 parameter", 0, 4 },
        { "max(1)", "Function 'max' takes 2 parameters", 0, 3 },
        { "any(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21)",
          "Function 'any' can take no more than 20 parameters", 0, 3 },
        { "if", "Unexpected end of expression after 'if' statenent", 0, 2 },
        { "if curdepth", "'curdepth' found after 'if' statement where '(' expected", 3, 11 },
        { "if (curdepth }", "'}' found after 'if' statement where ')' expected", 13, 14 },
        { "if (curdepth", "Unexpected end of expression in 'if' statement where ')' expected", 4, 12 },
        { "if ()", "Unexpected token ')'", 4, 5 },
        { "{ curdepth", "'}' expected", 2, 10 },
        { "curdepth }", "'}' found where expression expected", 9, 10 },
        { "curdepth , 1", "Unexpected token ','", 9, 10 },
        { "@", "Expected variable name after '@'", 0, 1 },
        { "@$ > 1", "Expected variable name after '@'", 0, 2 },
        { "_nosuch", "Unknown system field '_nosuch'", 0, 7 },
        { "nosuch > 1", "Unrecognised keyword 'nosuch'", 0, 6 },
        { "def > 1", "Ambiguous keyword 'def'", 0, 3 },
        { "type = q", "Ambiguous value 'q' for keyword 'type'", 7, 8 },
        { "fgcell(1, red, 5)", "Sorry, the last parameter of 'fgcell' should be a field name", 15, 16 },
        { "fgcell(1, red, nosuch)", "Unrecognised keyword 'nosuch'", 15, 21 },
        { "1 := 2", "Error evaluating ':='", 2, 4 },
        { "$nosuch", "Global Filter 'nosuch' not found", 0, 7 },
    };
    for (const ErrorCase &c : cases) {
        int s = -1, e = -1;
        EXPECT_EQ(Err(c.text, &s, &e), c.message) << c.text;
        EXPECT_EQ(s, c.start) << c.text;
        EXPECT_EQ(e, c.end) << c.text;
        EXPECT_LE(e, (int)strlen(c.text) + 1) << c.text;
    }
}

TEST_F(Language, ErrorsOfStorageAndSettings)
{
    FilterEvalContext *ctx = FltDialogContext(q->d());
    ctx->varsOff = 1;
    EXPECT_EQ(Err("@a := 1"), "User variables are not available");
    ctx->varsOff = 0;
    CSMemFailTag("ENVVAR", 1);
    EXPECT_EQ(Err("@never := 1"), "Can not allocate user variable area");
    CSMemFailTag("ENVVAR", 0);
    CSMemFailTag("USERPCF", 1);
    int s, e;
    EXPECT_EQ(Err("fgcell(1, red, @nocolumn)", &s, &e), "Unrecognised User Variable '@nocolumn'");
    EXPECT_EQ(s, 15);
    EXPECT_EQ(e, 24);
    CSMemFailTag("USERPCF", 0);
    CSMemFailTag("STACK", 1);
    EXPECT_EQ(Err("curdepth > 1"), "Out of memory");
    CSMemFailTag("STACK", 0);
    /* a user variable's pseudo field names its attribute in a cell function */
    EXPECT_EQ(Err("fgcell(1, red, @count)"), "");
}

TEST_F(Language, AFailedCompileKeepsNoProgramOfItsOwn)
{
    FilterEvalContext *ctx = FltDialogContext(q->d());
    int64_t before = Blocks();
    for (const char *text : { "curdepth >", "if (curdepth", "max(1,", "$nosuch", "nosuch > 1" }) {
        char error[FLT_ERROR_SIZE];
        FLTREADER r;
        FltReaderInit(&r, text, -1, "", error);
        FilterProgram *p = nullptr;
        EXPECT_NE(PCFEvalParse(nullptr, &PCFQueueListDef, ctx, &p, &r), 0);
        EXPECT_EQ(p, nullptr);
        FltReaderFree(&r);
    }
    EXPECT_EQ(Blocks(), before);
}

TEST_F(Language, TokensAndPrecedence)
{
    /* rows: depths 5, 500, 0, 1200 */
    EXPECT_EQ(Run("curdepth<=500"), std::vector<int>({ 0, 1, 2 }));
    EXPECT_EQ(Err("curdepth< =500"), "Syntax error at operator '='");
    EXPECT_EQ(Run("curdepth mod 2 = 1"), std::vector<int>({ 0 }));
    EXPECT_EQ(Err("curdepth MOD 2"), "Syntax error at value 'MOD'");
    EXPECT_EQ(Err("curdepth%3 > 1"), "Unrecognised keyword 'curdepth%3'");
    EXPECT_EQ(Run("- -curdepth = 500"), std::vector<int>({ 1 }));
    EXPECT_EQ(Run("-curdepth*2 = -10"), std::vector<int>({ 0 }));
    /* "<" binds tighter than "=": 1 = (5 < 6) */
    EXPECT_EQ(Run("1 = curdepth < 6"), std::vector<int>({ 0, 2 }));
    EXPECT_EQ(Run("curdepth > 100 & curdepth < 1000 | curdepth = 0"), std::vector<int>({ 1, 2 }));
    EXPECT_EQ(Run("curdepth > 1000 // a comment at the end"), std::vector<int>({ 3 }));
    EXPECT_EQ(Run("curdepth / 2 > 100"), std::vector<int>({ 1, 3 }));
    EXPECT_EQ(Err(".5 > 1"), "Unrecognised keyword '.5'");
    /* 0x1F is 31; 0X1F reads as decimal 0 */
    EXPECT_EQ(Run("curdepth + 0x1F = 36"), std::vector<int>({ 0 }));
    EXPECT_EQ(Run("curdepth + 0X1F = 5"), std::vector<int>({ 0 }));
    EXPECT_EQ(Run("1.5 * 2 = 3"), std::vector<int>({ 0, 1, 2, 3 }));
    EXPECT_EQ(Run("queue == 'Q*'; 'a\\tb' = \"a\tb\""), std::vector<int>({ 0, 1, 2, 3 }));
}

TEST_F(Language, FoldingAndItsTypes)
{
    struct Fold {
        const char *text, *dump;
    } folds[] = {
        { "3 / 2", "Real    :1.5" },   { "7 mod 2", "Integer :1" },    { "1 && 2", "Integer :0" },
        { "1 & 2", "Integer :1" },     { "- - 5", "Integer :5" },      { "!0.0", "Real    :1" },
        { "2 * 1.5", "Real    :3" },   { "7 mod 0", "Integer :0" },
        /* 64 bits while folding */
        { "0x7FFFFFFF + 1", "Integer :2147483648" },
        { "0x7FFFFFFF * 0x7FFFFFFF", "Integer :4611686014132420609" },
        { "0x7FFFFFFF * 0x7FFFFFFF * 4", "Integer :-17179869180" },
    };
    for (const Fold &f : folds) {
        ASSERT_EQ(Err(f.text), "") << f.text;
        EXPECT_NE(Dump().find(f.dump), std::string::npos) << f.text << "\n" << Dump();
        EXPECT_EQ(PCFProgramNodes((FilterProgram *)q->d()->filterProgram), 1u) << f.text;
    }
    /* the folded constant is read as 32 bits at run time */
    EXPECT_EQ(Run("curdepth * 0 + (0x7FFFFFFF + 1) < 0"), std::vector<int>({ 0, 1, 2, 3 }));
    /* strings, variables and calls are never folded */
    ASSERT_EQ(Err("'a' = 'a'"), "");
    EXPECT_EQ(PCFProgramNodes((FilterProgram *)q->d()->filterProgram), 3u);
    ASSERT_EQ(Err("curdepth + (1 + 2)"), "");
    EXPECT_NE(Dump().find("Const : 82 Integer :3"), std::string::npos) << Dump();
    EXPECT_NE(Dump().find("Oper. : 12 Integer :+ \n"), std::string::npos) << Dump();
}

TEST_F(Language, KeywordValuesAndValueNames)
{
    EXPECT_EQ(Run("type = local"), std::vector<int>({ 0, 1 }));
    EXPECT_EQ(Run("type = qremote"), std::vector<int>({ 2 }));
    EXPECT_EQ(Run("type <> alias"), std::vector<int>({ 0, 1, 2 }));
    /* a string is compared with the value's name */
    EXPECT_EQ(Run("type = 'Alias'"), std::vector<int>({ 3 }));
    EXPECT_EQ(Run("type == 'R*'"), std::vector<int>({ 2 }));
    /* two fields compare as fields */
    EXPECT_EQ(Run("curdepth > deftype"), std::vector<int>({ 0, 1, 3 }));
    /* "==" matches a pattern, "=" the literal text */
    EXPECT_EQ(Run("queue == 'Q*'"), std::vector<int>({ 0, 1 }));
    EXPECT_EQ(Run("queue = 'Q*'"), std::vector<int>());
    EXPECT_EQ(Run("queue == '?.?'"), std::vector<int>({ 0, 1, 2 }));
}

TEST_F(Language, MissingValues)
{
    q->Fill(dlgtest::Reply(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "NODEPTH").Separator()
                .Str(MQCA_Q_NAME, "DEPTH").Int(MQIA_CURRENT_Q_DEPTH, 9));
    EXPECT_EQ(Run("curdepth > 5"), std::vector<int>({ 1 }));
    EXPECT_EQ(Run("curdepth + 1 = 1"), std::vector<int>({ 0 }));
    EXPECT_EQ(Run("!curdepth"), std::vector<int>());
    EXPECT_EQ(Run("val(curdepth, 1)"), std::vector<int>({ 1 }));
    EXPECT_EQ(Run("any(curdepth)"), std::vector<int>({ 1 }));
    EXPECT_EQ(Run("any(curdepth, 1)"), std::vector<int>({ 0, 1 }));
    /* an action on a missing value does nothing and keeps the row */
    EXPECT_EQ(Run("fg(curdepth > 5, red)"), std::vector<int>({ 0, 1 }));
    EXPECT_FALSE(q->Rows()[0]->flags & FLTR_FG);
    EXPECT_TRUE(q->Rows()[1]->flags & FLTR_FG);
}

TEST_F(Language, StatementsAndIf)
{
    EXPECT_EQ(Run(";;curdepth > 100;;"), std::vector<int>({ 1, 3 }));
    EXPECT_EQ(Run("curdepth = 0; curdepth = 5"), std::vector<int>({ 0 }));
    EXPECT_EQ(Run("{ curdepth = 0; { curdepth > 1000 } }"), std::vector<int>({ 3 }));
    /* an if with an empty true branch yields 1 when its condition holds */
    EXPECT_EQ(Run("if (curdepth > 100) ;"), std::vector<int>({ 1, 3 }));
    EXPECT_EQ(Run("if (curdepth > 100) ; else 0"), std::vector<int>({ 1, 3 }));
    EXPECT_EQ(Run("if (curdepth > 100) 0; else 1"), std::vector<int>({ 0, 2 }));
    EXPECT_EQ(Run("if (type = local) { if (curdepth > 100) 1; else 0 } else 1"), std::vector<int>({ 1, 2, 3 }));
    EXPECT_EQ(Run("if (curdepth = 0; 1) 0; else 1"), std::vector<int>());
}

TEST_F(Language, ReferencesToNamedFilters)
{
    Named("DEEP", "curdepth > 100");
    Named("LOCALS", "type = local");
    Named("BOTH", "$DEEP & $LOCALS");
    EXPECT_EQ(Run("$BOTH"), std::vector<int>({ 1 }));
    /* spliced token by token, not parenthesised */
    Named("SUM", "curdepth + 1");
    EXPECT_EQ(Run("$SUM * 2 = 7"), std::vector<int>({ 0 }));
    /* errors inside references: the chain, the inner and the outer range */
    Named("A", "$B");
    Named("B", "curdepth >");
    int s, e;
    EXPECT_EQ(Err("type = local & $A", &s, &e), "A/B:Unexpected operator '> '");
    EXPECT_EQ(s, 15);
    EXPECT_EQ(e, 17);
    Named("C", "nosuch = 1");
    EXPECT_EQ(Err("  $C", &s, &e), "C:Unrecognised keyword 'nosuch'");
    EXPECT_EQ(s, 2);
    EXPECT_EQ(e, 4);
    /* circles */
    Named("X", "$Y");
    Named("Y", "$X");
    EXPECT_EQ(Err("$X"), "X/Y:Circular filter dependancy on filter 'X'");
    Named("SELF", "curdepth > 1 & $SELF");
    EXPECT_EQ(Err("$SELF"), "SELF:Circular filter dependancy on filter 'SELF'");
    /* a shared filter is found when no local one has the name */
    Named("SH", "curdepth = 0", false, true);
    EXPECT_EQ(Run("$SH"), std::vector<int>({ 2 }));
    Named("SH", "curdepth = 5", true, false);
    EXPECT_EQ(Run("$SH"), std::vector<int>({ 0 }));
}

TEST_F(Language, TheLevelStoreHoldsAsManyLevelsAsItsBytes)
{
    /* header 24, own level 48, each pushed level 48 plus its name */
    const int name = 4, levels = (FLT_READER_STORE - 24 - 48) / (48 + name);
    for (int i = 0; i < levels + 2; i++) {
        char n[8], next[8];
        snprintf(n, sizeof n, "L%03d", i);
        snprintf(next, sizeof next, "$L%03d", i + 1);
        Named(n, i == levels + 1 ? "1" : next);
    }
    char deepest[8];
    snprintf(deepest, sizeof deepest, "L%03d", levels - 1);
    Named(deepest, "curdepth = 5");
    EXPECT_EQ(Run("$L000"), std::vector<int>({ 0 }));
    Named(deepest, "$L999");
    Named("L999", "1");
    std::string error = Err("$L000");
    EXPECT_NE(error.find("Too many levels of nesing in filter expressions"), std::string::npos) << error;
}

TEST_F(Language, NestingAndSizeAreBounded)
{
    auto nested = [](int n, const char *open, const char *inner, const char *close) {
        std::string t;
        for (int i = 0; i < n; i++)
            t += open;
        t += inner;
        for (int i = 0; i < n; i++)
            t += close;
        return t;
    };
    EXPECT_EQ(Err(nested(100, "(", "curdepth > 1", ")")), "");
    EXPECT_EQ(Err(nested(100, "{", "curdepth > 1", "}")), "");
    EXPECT_EQ(Err(nested(100, "-", "curdepth", "")), "");
    EXPECT_EQ(Err(nested(100, "max(1,", "curdepth", ")")), "");
    EXPECT_EQ(Err(nested(100, "if (1) ", "curdepth", "")), "");
    for (std::string deep : { nested(5000, "(", "1", ")"), nested(5000, "{", "1", "}"), nested(5000, "!", "1", ""),
                              nested(5000, "max(1,", "1", ")"), nested(5000, "if (1) ", "1", ""),
                              nested(1000, "curdepth + ", "1", "") })
        EXPECT_EQ(Err(deep), "Too many terms in expression") << deep.substr(0, 40);
    /* a run of statements takes no stack: a hundred thousand of them */
    std::string run;
    for (int i = 0; i < 100000; i++)
        run += "1;";
    run += "@n := @n + 1; @n > 0";
    EXPECT_EQ(Run(run), std::vector<int>({ 0, 1, 2, 3 }));
    FLTUSERVAR *n = FltUserVar(FltDialogContext(q->d()), "@n");
    EXPECT_EQ(n->i, 4);
    /* a whole program above its bound fails */
    std::string huge;
    for (int i = 0; i < 300000; i++)
        huge += "curdepth > 1;";
    EXPECT_EQ(Err(huge), "Too many terms in expression");
}

TEST_F(Language, LongNamesAndStrings)
{
    /* a 300-character variable name compiles in a node of its own size */
    std::string name = "@" + std::string(299, 'v');
    EXPECT_EQ(Run(name + " := 7; " + name + " = 7"), std::vector<int>({ 0, 1, 2, 3 }));
    /* a longer word is cut at 300 and the rest read as the next token */
    std::string longer = "@" + std::string(310, 'w');
    EXPECT_EQ(Err(longer), "Syntax error at value '" + std::string(11, 'w') + "'");
    /* a 300-character field name that is no field */
    std::string field(300, 'f');
    int s, e;
    EXPECT_EQ(Err(field + " > 1", &s, &e), "Unrecognised keyword '" + field + "'");
    EXPECT_EQ(e - s, 300);
    /* a 250-character string is a constant of its first 200 */
    ASSERT_EQ(Err("@$s := '" + std::string(250, 'x') + "'"), "");
    Shown(q->d());
    EXPECT_EQ(FltUserVar(FltDialogContext(q->d()), "@$s")->len, 200);
}

TEST_F(Language, MessageListFieldsByName)
{
    ListDialog m(&PCFMessageListDef);
    dlgtest::Reply r(10001);
    for (int i = 0; i < 3; i++) {
        if (i)
            r.Separator();
        r.Int(10033, i + 1).Int(10035, 100 * (i + 1)).Str(10016, i == 1 ? "MQSTR" : "MQHRF2");
    }
    m.Fill(r);
    ASSERT_EQ(m.Rows().size(), 3u);
    EXPECT_EQ(Compile(m.d(), "msglen > 150 & format == 'MQ*'"), "");
    EXPECT_EQ(Shown(m.d()), std::vector<int>({ 1, 2 }));
    EXPECT_EQ(Compile(m.d(), "MsgLen = 100"), "");
    EXPECT_EQ(Shown(m.d()), std::vector<int>({ 0 }));
    EXPECT_EQ(Compile(m.d(), "curdepth > 1"), "Unrecognised keyword 'curdepth'");
}

TEST_F(Language, TheFilterManagersCheckResolvesNoNames)
{
    EXPECT_EQ(Check("nosuch > 1 & fgcell(1, red, 5)"), "");
    EXPECT_EQ(Check("1 := 2"), "");
    EXPECT_EQ(Check("curdepth >"), "Unexpected operator '> '");
    Named("INNER", "x >");
    int s, e;
    EXPECT_EQ(Check("  $INNER", "OUTER", &s, &e), "OUTER/INNER:Unexpected operator '> '");
    EXPECT_EQ(s, 2);
    EXPECT_EQ(e, 8);
    /* a definition that names itself */
    EXPECT_EQ(Check("$SELFX", "SELFX"), "Circular filter dependancy on filter 'SELFX'");
}

}  // namespace
