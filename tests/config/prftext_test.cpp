/* Configuration text: the tokenizer, the typed readers and the writers. */
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <cstring>
#include <string>
#include <vector>

#include "cfgtest.h"
#include "cs.h"
#include "prftext.h"

namespace {

struct Tok {
    std::string text;
    uint32_t quoted;
};

std::vector<Tok> Tokens(const std::string &text, int skip = 0)
{
    PRFIN in;
    PrfOpenText(&in, text.data(), text.size());
    std::vector<Tok> out;
    char token[PRF_TOKEN_SIZE];
    uint32_t q;
    for (int guard = 0; guard < 10000; guard++) {
        int len = PrfGetToken(&in, &q, skip, token);
        EXPECT_EQ((size_t)len, strlen(token));
        if (len == 0 && !q)
            break;
        out.push_back({ token, q });
    }
    return out;
}

std::string Written(void (*fn)(FILE *, void *), void *ctx)
{
    std::string dir = cfgtest::TempDir("writers");
    std::string path = dir + "/out.txt";
    FILE *f = fopen(path.c_str(), "wb");
    fn(f, ctx);
    fclose(f);
    return cfgtest::Slurp(path);
}

TEST(ConfigText, SeparatorsTagsAndComments)
{
    auto a = Tokens("key=value");
    auto b = Tokens("  key =  value ");
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 3u);
    for (size_t i = 0; i < 3; i++)
        EXPECT_EQ(a[i].text, b[i].text);

    auto t = Tokens("QM:NAME ; comment \"not a string\"\n# another\r\n(a,b)[c]{d}:x");
    std::vector<std::string> want = { "QM:", "NAME", "(", "a", ",", "b", ")", "[", "c", "]",
                                      "{", "d", "}", ":x" };
    ASSERT_EQ(t.size(), want.size());
    for (size_t i = 0; i < want.size(); i++)
        EXPECT_EQ(t[i].text, want[i]) << i;

    auto c = Tokens("word;comment\nnext");
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[1].text, "next");
}

TEST(ConfigText, QuotedStringsAndEscapes)
{
    auto t = Tokens("\"\" after \"a~\"b~~c~d\" \"end");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].text, "");
    EXPECT_EQ(t[0].quoted, 1u);
    EXPECT_EQ(t[1].text, "after");
    EXPECT_EQ(t[2].text, "a\"b~cd");
    EXPECT_EQ(t[3].text, "end");            /* end of text inside the string */

    auto s = Tokens("\"skipped ~\" here\" word \"open", 1);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].text, "!");
    EXPECT_EQ(s[1].text, "word");
    EXPECT_EQ(s[2].text, "");                /* open string at the end */
    EXPECT_EQ(s[2].quoted, 1u);
}

/* A quoted string longer than a token is read to its closing quote; the
 * excess is dropped and the rest of the text tokenizes normally. */
TEST(ConfigText, LongQuotedStringIsConsumedWhole)
{
    std::string big(1500, 'x');
    big[1200] = '=';
    big[1300] = ';';
    auto t = Tokens("key=\"" + big + "\" next=1");
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[2].text, std::string(1000, 'x'));
    EXPECT_EQ(t[3].text, "next");
    EXPECT_EQ(t[5].text, "1");

    auto w = Tokens(std::string(1005, 'w'));
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].text.size(), 1000u);
}

TEST(ConfigText, TypedReaders)
{
    std::string text = "s=\"abcdef\" i = -42 j \"\" l=9999999999 r=1 2 3 4 "
                       "f=\"Face/Style/us\" g=\"Mono//s\" e=1 2 3";
    PRFIN in;
    PrfOpenText(&in, text.data(), text.size());
    char token[PRF_TOKEN_SIZE];
    uint32_t q;
    char buf[4];
    PrfGetToken(&in, &q, 0, token);
    PrfGetString(&in, buf, sizeof buf, token);
    EXPECT_STREQ(buf, "abc");
    int32_t i = 5, j = 5;
    PrfGetToken(&in, &q, 0, token);
    PrfGetInt(&in, &i, token);
    EXPECT_EQ(i, -42);
    PrfGetToken(&in, &q, 0, token);
    PrfGetInt(&in, &j, token);               /* empty value: left alone */
    EXPECT_EQ(j, 5);
    int64_t l = 0;
    PrfGetToken(&in, &q, 0, token);
    PrfGetInt64(&in, &l, token);
    EXPECT_EQ(l, 9999999999ll);
    int32_t r[4] = {};
    PrfGetToken(&in, &q, 0, token);
    PrfGetRect(&in, r, token);
    EXPECT_EQ(r[3], 4);
    PRFFONT font = {};
    PrfGetToken(&in, &q, 0, token);
    PrfGetFont(&in, &font, token);
    EXPECT_STREQ(font.face, "Face");
    EXPECT_STREQ(font.style, "Style");
    EXPECT_EQ(font.underline, 1);
    EXPECT_EQ(font.strikeout, 1);
    PRFFONT mono = {};
    mono.underline = 1;
    PrfGetToken(&in, &q, 0, token);
    PrfGetFont(&in, &mono, token);
    EXPECT_STREQ(mono.face, "Mono");
    EXPECT_STREQ(mono.style, "");
    EXPECT_EQ(mono.strikeout, 1);
    EXPECT_EQ(mono.underline, 1);            /* absent letter: left alone */
    int32_t e[8] = { 9, 9, 9, 9, 9, 9, 9, 9 };
    PrfGetToken(&in, &q, 0, token);
    PrfGetEightInts(&in, e, token);
    EXPECT_EQ(e[2], 3);
    EXPECT_EQ(e[3], 9);                      /* stops at the end */
    /* a list stops at its first empty token and before a section's tag,
       leaving the rest of the targets and of the text alone */
    static const struct { const char *text; int32_t four[4]; const char *next; } lists[] = {
        { "r2=5 6 \"\" 8 next=1", { 5, 6, 9, 9 }, "8" },
        { "r2=5 6 QM: 8", { 5, 6, 9, 9 }, "QM:" },
        { "r2=\"\" 6 7 8", { 9, 9, 9, 9 }, "6" },
        { "r2=1 2 3 4 next", { 1, 2, 3, 4 }, "next" },
        { "r2=1 2", { 1, 2, 9, 9 }, "" },
    };
    for (auto &c : lists) {
        PrfOpenText(&in, c.text, strlen(c.text));
        int32_t four[4] = { 9, 9, 9, 9 };
        PrfGetToken(&in, &q, 0, token);
        PrfGetRect(&in, four, token);
        for (int k = 0; k < 4; k++)
            EXPECT_EQ(four[k], c.four[k]) << c.text << " " << k;
        PrfGetToken(&in, &q, 0, token);
        EXPECT_STREQ(token, c.next) << c.text;
    }
}

TEST(ConfigText, ConversionsAndBounds)
{
    EXPECT_EQ(PrfDecimal("  -12x"), -12);
    EXPECT_EQ(PrfDecimal("abc"), 0);
    EXPECT_EQ(PrfDecimal("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(PrfHex("80003fff"), 0x80003FFFu);
    EXPECT_EQ(PrfHex("1FFFFFFFFF"), 0xFFFFFFFFu);
    int64_t n = -1;
    EXPECT_TRUE(PrfBoundedCount("8", 8, &n));
    EXPECT_EQ(n, 8);
    EXPECT_FALSE(PrfBoundedCount("9", 8, &n));
    EXPECT_FALSE(PrfBoundedCount("-1", 8, &n));
    EXPECT_FALSE(PrfBoundedCount("", 8, &n));
    EXPECT_FALSE(PrfBoundedCount("99999999999999999999999", 8, &n));
}

TEST(ConfigText, StringArea)
{
    std::string text = "  \"line one\nline two\r\nthree~\"\"";
    PRFIN in;
    PrfOpenText(&in, text.data(), text.size());
    char *area = nullptr;
    uint32_t cap = 0;
    int len = PrfGetStringArea(&in, &area, &cap, 1);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(std::string(area), "line one\r\nline two\r\nthree\"");
    EXPECT_EQ(len, (int)strlen(area));

    std::string big = "\"" + std::string(450, 'z') + "\"";
    PrfOpenText(&in, big.data(), big.size());
    len = PrfGetStringArea(&in, &area, &cap, 1);
    EXPECT_EQ(len, 450);
    EXPECT_GE(cap, 460u);
    std::string bad = "x";
    PrfOpenText(&in, bad.data(), bad.size());
    EXPECT_EQ(PrfGetStringArea(&in, &area, &cap, 1), -1);
    EXPECT_EQ(area, nullptr);
}

TEST(ConfigText, Writers)
{
    std::string out = Written([](FILE *file, void *) {
        PRFOUT o, *f = &o;
        PrfOutOpen(f, file);
        PrfPutQuoted(f, "a\"b~c   ", PRF_WHOLE);
        PrfOutChar(f, '|');
        PrfPutQuoted(f, "    ", PRF_WHOLE);
        PrfOutChar(f, '|');
        PrfPutQuoted(f, "ab \0zz", 4);
        PrfOutChar(f, '|');
        PrfPutString(f, "k=", " ", PRF_WHOLE);
        PrfPutString(f, "k=", "", PRF_WHOLE);
        PrfPutString(f, "k=", "v", PRF_WHOLE);
        PrfPutInt(f, "n=", 0);
        PrfPutInt(f, "n=", -3);
        PrfPutInt64(f, "m=", 5000000000ll);
        int32_t zero[4] = {}, one[4] = { 0, 0, 0, 1 };
        PrfPutRect(f, "r", zero);
        PrfPutRect(f, "r", one);
        PRFFONT font = {};
        PrfPutFont(f, "font=", &font);
        strcpy(font.face, "Face");
        font.strikeout = 1;
        PrfPutFont(f, "font=", &font);
        PrfOutInt(f, INT64_MIN + 1);
        PrfOutClose(f);
    }, nullptr);
    EXPECT_EQ(out, "\"a~\"b~~c\"|\"\"|\"ab \"|k=\"v\"\nn=-3\nm=5000000000\n"
                   "r=0 0 0 1 \nfont=\"Face//s\"\n-9223372036854775807");
}

/* The quoted writer against the plain way of the same thing (measure,
 * leave out trailing blanks, copy with escapes in runs), on texts of
 * quotes, escapes, blanks and letters, whole and bounded. */
TEST(ConfigText, QuotedWriterMatchesThePlainOne)
{
    auto reference = [](const char *text, size_t length) {
        size_t n;
        if (length == PRF_WHOLE) {
            n = strlen(text);
            while (n && text[n - 1] == ' ')
                n--;
        } else {
            n = strnlen(text, length);
        }
        std::string out = "\"";
        for (size_t i = 0; i < n; i++) {
            if (text[i] == '"' || text[i] == '~')
                out += '~';
            out += text[i];
        }
        return out + "\"";
    };
    const char alphabet[] = "ab \"~ x\t";
    uint32_t seed = 99;
    /* one after another into one buffer, which fills and grows on the way */
    PRFOUT o;
    PrfOutOpen(&o, nullptr);
    std::string expected;
    for (int round = 0; round < 6000; round++) {
        std::string t;
        for (int i = 0, n = round % 61; i < n; i++) {
            seed = seed * 1103515245u + 12345u;
            t += alphabet[(seed >> 16) % 8];
        }
        size_t bound = round % 3 == 0 ? PRF_WHOLE : (size_t)(round % 37);
        size_t before = o.length;
        PrfPutQuoted(&o, t.c_str(), bound);
        std::string r = reference(t.c_str(), bound);
        ASSERT_EQ(std::string(o.data + before, o.length - before), r) << round;
        expected += r;
    }
    EXPECT_GT(expected.size(), 140000u);         /* past two growths */
    EXPECT_TRUE(std::string(o.data, o.length) == expected);
    EXPECT_EQ(PrfOutClose(&o), 0);
}

/* Output of some megabytes, in small and very large pieces, reaches the
 * stream whole and in order, every LF as CR LF when asked, however the
 * buffer's spills and the conversion's pieces fall. */
TEST(ConfigText, LargeOutputReachesTheStreamWhole)
{
    struct Case { int crlf; std::string expected; } cases[2] = { { 0, "" }, { 1, "" } };
    std::string path = cfgtest::TempDir("large") + "/out.txt";
    for (Case &c : cases) {
        FILE *file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        [](FILE *file, void *ctx) {
            Case *c = (Case *)ctx;
            std::string text;
            PRFOUT o;
            PrfOutOpen(&o, file);
            o.crlf = c->crlf;
            for (int i = 0; i < 60000; i++) {
                std::string key = "QM:Q" + std::to_string(i) + " ";
                PrfOutText(&o, key.c_str());
                PrfPutQuoted(&o, "x~y", PRF_WHOLE);
                PrfOutChar(&o, '\n');
                text += key + "\"x~~y\"\n";
                if (i % 20000 == 7) {           /* one piece larger than a spill */
                    std::string big(700000 + i, 'b');
                    big[5] = big[300000] = '\n';
                    PrfOutWrite(&o, big.data(), big.size());
                    text += big;
                }
            }
            EXPECT_EQ(PrfOutClose(&o), 0);
            for (char ch : text) {
                if (ch == '\n' && c->crlf)
                    c->expected += '\r';
                c->expected += ch;
            }
        }(file, &c);
        fclose(file);
        std::ifstream in(path, std::ios::binary);      /* as written, line ends and all */
        std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(out.size(), c.expected.size()) << c.crlf;
        EXPECT_TRUE(out == c.expected) << c.crlf;
    }
}

/* The line-end conversion against a byte-at-a-time one, on texts where
 * LFs fall at every place of a step: runs of them, none, one at the end,
 * beside CRs and bytes above 127, in lengths around the steps and the
 * pieces of a write. */
TEST(ConfigText, LineEndConversionMatchesTheByteWise)
{
    std::string path = cfgtest::TempDir("lineends") + "/out.txt";
    uint32_t seed = 7;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const size_t lengths[] = { 0, 1, 15, 16, 17, 31, 33, 8191, 8192, 8193, 9000,
                               131071, 131072, 131073, 300000 };
    for (int density = 0; density < 5; density++)
        for (size_t length : lengths) {
            std::string text(length, 'a');
            for (char &ch : text) {
                uint32_t r = next() % 64;
                if (density == 4 || (density && r < (uint32_t)density * 12))
                    ch = '\n';
                else
                    ch = r % 7 == 0 ? '\r' : r % 5 == 0 ? (char)0xE9 : (char)('a' + r % 26);
            }
            if (length && density == 1)
                text[length - 1] = '\n';
            std::string expected;
            for (char ch : text) {
                if (ch == '\n')
                    expected += '\r';
                expected += ch;
            }
            FILE *file = fopen(path.c_str(), "wb");
            ASSERT_NE(file, nullptr);
            PRFOUT o;
            PrfOutOpen(&o, file);
            o.crlf = 1;
            PrfOutWrite(&o, text.data(), text.size());
            EXPECT_EQ(PrfOutClose(&o), 0);
            fclose(file);
            std::ifstream in(path, std::ios::binary);
            std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ASSERT_EQ(out.size(), expected.size()) << density << " " << length;
            EXPECT_TRUE(out == expected) << density << " " << length;
        }
}

TEST(ConfigText, PrintLayout)
{
    std::string out = Written([](FILE *file, void *) {
        PRFOUT o, *f = &o;
        PrfOutOpen(f, file);
        PRFLAYOUT l = {};
        l.left = (char *)"L";
        l.right = (char *)" ";
        strcpy(l.font.face, "Serif");
        l.font.height = 12;
        l.font.charSet = 2;
        l.margin = 5;
        PrfPutPrintLayout(f, &l, 'H', 0);
        PrfPutPrintLayout(f, &l, 'F', 1);
        PrfOutClose(f);
    }, nullptr);
    EXPECT_EQ(out, "PRH:\n  left    =\"L\"\n  font    =\"Serif\"\n  fontsize=12\n"
                   "  margin  =5\n"
                   "PRF:\n  left    =\"L\"\n  font    =\"Serif\"\n  fontsize=12\n"
                   "  charset =2\n  margin  =5\n");
}

/* A text with CR LF line ends reads as the same text with LF ones: its
 * tokens (words, quoted strings across lines, comments), its string areas
 * and the raw copies, for many random mixes of words, quotes, escapes,
 * comments, pairs and lone CRs; and a file is kept as it was read. */
TEST(ConfigText, CrLfReadsAsLf)
{
    auto lf = [](const std::string &t) {
        std::string out;
        for (size_t i = 0; i < t.size(); i++)
            if (!(t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n'))
                out += t[i];
        return out;
    };
    auto area = [](const std::string &t) {
        PRFIN in;
        PrfOpenText(&in, t.data(), t.size());
        char *a = nullptr;
        uint32_t cap = 0;
        int n = PrfGetStringArea(&in, &a, &cap, 1);
        std::string out = n < 0 || !a ? "<none>" : std::string(a, (size_t)n);
        CSFreeMemAndClear(&a);
        return out;
    };
    auto tokens = [](const std::string &t) {
        std::string out;
        for (const Tok &k : Tokens(t))
            out += (k.quoted ? "q:" : "w:") + k.text + "|";
        return out;
    };
    const char *pieces[] = { "ab", " ", "=", "\"", "~", "\r", "\n", "\r\n", "; c", "Q:", "\t" };
    uint32_t seed = 12345;
    int compared = 0;
    for (int round = 0; round < 600; round++) {
        std::string t;
        for (int i = 0, n = round % 40; i < n; i++) {
            seed = seed * 1103515245u + 12345u;
            t += pieces[(seed >> 16) % 11];
        }
        std::string u = lf(t);
        /* "\r\r\n" leaves a pair behind, read again as one line end */
        if (u.find("\r\n") == std::string::npos) {
            compared++;
            EXPECT_EQ(tokens(t), tokens(u)) << round;
            EXPECT_EQ(area(t), area(u)) << round;
        }
        char *copy = PrfCopyText(t.data(), t.size(), "T");
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(std::string(copy), u) << round;
        CSFreeMem(copy);
    }
    EXPECT_GT(compared, 300);
    std::string path = cfgtest::TempDir("lineends") + "/f.cfg";
    cfgtest::Spit(path, "a\r\nb\rc\n");
    PRFIN in;
    ASSERT_EQ(PrfOpenFile(&in, path.c_str()), 0);
    EXPECT_EQ(std::string(in.text, in.length), "a\r\nb\rc\n");
    PrfClose(&in);
}

/* Every prefix and many mutations of the configuration file tokenize
 * without reading outside the text. */
TEST(ConfigText, FuzzTokenizer)
{
    std::string text = cfgtest::Slurp(cfgtest::DataFile("ravolt.cfg"));
    ASSERT_FALSE(text.empty());
    char token[PRF_TOKEN_SIZE];
    uint32_t q;
    auto run = [&](const std::string &t, int skip) {
        std::vector<char> copy(t.begin(), t.end());   /* exact size for the sanitizers */
        PRFIN in;
        PrfOpenText(&in, copy.data(), copy.size());
        int n = 0;
        while (PrfGetToken(&in, &q, skip, token) || q)
            ASSERT_LT(++n, 100000);
    };
    for (size_t i = 0; i <= text.size(); i += 3) {
        run(text.substr(0, i), 0);
        run(text.substr(0, i), 1);
    }
}

}  // namespace
