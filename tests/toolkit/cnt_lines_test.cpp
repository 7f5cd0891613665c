/* Container lines and tree without a window: the builders with every item
 * kind, growth and the 16-bit size limit, the ordering by sort labels,
 * lookups, matching an old and a new tree, and the layout pass. */
#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <string>
#include <vector>
#include "cntint.h"
#include "cs.h"

namespace {

cntLINE *Scratch(uint16_t capacity = 256, uint16_t flags = 0, uint32_t filter = 0)
{
    cntLINE *l = (cntLINE *)CSGetMem(capacity, "cntLINE");
    cntInitLine(l, capacity, flags, filter, nullptr, nullptr);
    return l;
}

std::vector<cntITEM *> Items(const cntLINE *l)
{
    std::vector<cntITEM *> v;
    for (cntITEM *it = cntFirstItem(l); it; it = cntNextItem(it))
        v.push_back(it);
    return v;
}

const char *LabelOf(const cntLINE *l)
{
    return ((const cntITEM *)((const char *)l + l->label))->text;
}

std::string Order(const cntLINE *l)
{
    std::string s;
    for (; l; l = l->next)
        s += std::string(s.empty() ? "" : ",") + ((l->flags & CNTL_LABEL) ? LabelOf(l) : "-");
    return s;
}

int Cb(HWND, UINT, cntITEM *, CNTW *) { return 0; }

/* A set under construction: adds labelled lines (and plain ones). */
struct Tree {
    CntLineSet set = {};
    cntLINE *Add(cntLINE *parent, const char *label, uint16_t flags = 0, uint32_t filter = 0,
                 bool nocase = false, bool expander = false)
    {
        cntLINE *b = Scratch(128, flags, filter), *n = nullptr;
        if (expander) {
            EXPECT_EQ(cntAddExpander(b, &b), 0);
        }
        if (label) {
            EXPECT_EQ((nocase ? cntAddSortLabelNoCase : cntAddSortLabel)(b, &b, CNTI_SELECTABLE, 0,
                      nullptr, label, -1, nullptr, nullptr), 0);
        }
        EXPECT_EQ(parent ? cntAddChildLine(&set, parent, nullptr, b, &n)
                         : cntAddLine(&set, nullptr, b, &n), 0);
        CSFreeMem(b);
        return n;
    }
    ~Tree() { cntFreeLines(&set, 0); }
};

TEST(CntLines, BuildersWithEveryItemKind)
{
    cntLINE *l = Scratch(80, CNTL_NOTCHILD, 3);
    EXPECT_EQ(l->used, 65);
    EXPECT_EQ(cntFirstItem(l), nullptr);
    EXPECT_EQ(l->filter, 3u);

    ASSERT_EQ(cntAddText(l, &l, CNTI_SELECTABLE, 7, Cb, "abcdefghijklmnopqrst", -1, nullptr,
                         nullptr), 0);
    EXPECT_EQ(l->capacity, 65 + 1000 + 59);              /* grown */
    EXPECT_EQ(l->used, 65 + 20 + 39);
    ASSERT_EQ(cntAddText(l, &l, 0, 0, nullptr, "Queue", -1, nullptr, nullptr), 0);
    EXPECT_EQ(l->capacity, 65 + 1000 + 59);
    ASSERT_EQ(cntAddText(l, &l, 0, 0, nullptr, "pad", -2, nullptr, nullptr), 0);
    ASSERT_EQ(cntAddTextEx(l, &l, CNTI_COLUMN, 0, nullptr, "xy", 1, nullptr, nullptr, 12,
                           CNTA_RIGHT), 0);
    ASSERT_EQ(cntAddTextEx(l, &l, 0, 0, nullptr, "fixed", -1, nullptr, nullptr, -40, 0), 0);
    cntLINE *same = l;
    ASSERT_EQ(cntAddText(l, &l, 0, 0, nullptr, nullptr, -1, nullptr, nullptr), 0);
    EXPECT_EQ(l, same);                     /* no text, nothing added */
    int ctx;
    ASSERT_EQ(cntAddDraw(l, &l, CNTI_PRESSABLE, &ctx, Cb), 0);
    ASSERT_EQ(cntAddDrawEx(l, &l, CNTI_NOFRAME, &ctx, l, Cb), 0);
    ASSERT_EQ(cntAddCheck(l, &l, CNTI_SELECTED, 1, Cb), 0);
    ASSERT_EQ(cntAddCheckEx(l, &l, 0, 2, 3, Cb), 0);
    ASSERT_EQ(cntAddUserData(l, &l, 0, &ctx), 0);
    ASSERT_EQ(cntAddExpander(l, &l), 0);
    cntLINE *keep = l;
    EXPECT_EQ(cntAddExpander(l, &l), CNT_EEXPANDER);
    EXPECT_EQ(l, keep);

    auto it = Items(l);
    ASSERT_EQ(it.size(), 11u);
    EXPECT_EQ(it[0]->type, CNTI_TEXT);
    EXPECT_EQ(it[0]->value, 7u);
    EXPECT_EQ(it[0]->callback, Cb);
    EXPECT_STREQ(it[2]->text, " pad");
    EXPECT_EQ(it[2]->length, 3 + 1 + 39);
    EXPECT_STREQ(it[3]->text, "x");
    EXPECT_EQ(it[3]->chars, 12);
    EXPECT_EQ(it[3]->align & (CNTA_RIGHT | CNTA_CHARS), CNTA_RIGHT | CNTA_CHARS);
    EXPECT_EQ(it[4]->width, 40);
    EXPECT_EQ(it[5]->type, CNTI_DRAW);
    EXPECT_EQ(it[5]->length, 32);
    EXPECT_EQ(it[5]->value, (uint64_t)(uintptr_t)&ctx);
    EXPECT_EQ(it[6]->extra, (uint64_t)(uintptr_t)same);
    EXPECT_EQ(it[7]->type, CNTI_CHECK);
    EXPECT_EQ(it[8]->extra, 3u);
    EXPECT_EQ(it[9]->type, CNTI_USERDATA);
    EXPECT_EQ(it[9]->length, 24);
    EXPECT_EQ(it[10]->flags, CNTI_EXPANDER | CNTI_PRESSABLE);
    EXPECT_EQ(it[10]->callback, cntExpanderProc);
    EXPECT_EQ(cntGetUserData(l), &ctx);
    EXPECT_EQ(l->flags & (CNTL_EXPANDER | CNTL_SELECTED | CNTL_COLUMNS | CNTL_NOTCHILD),
              CNTL_EXPANDER | CNTL_SELECTED | CNTL_COLUMNS | CNTL_NOTCHILD);
    EXPECT_EQ(((char *)l)[l->used - 1], 0);

    EXPECT_EQ(cntAddSortLabel(l, &l, 0, 0, nullptr, "label", -1, nullptr, nullptr), 0);
    uint16_t used = l->used;
    EXPECT_EQ(cntAddSortLabelNoCase(l, &l, 0, 0, nullptr, "again", -1, nullptr, nullptr),
              CNT_ELABEL);
    EXPECT_EQ(l->used, used);
    EXPECT_STREQ(LabelOf(l), "label");
    EXPECT_EQ(l->flags & CNTL_NOCASE, 0);
    CSFreeMem(l);
}

TEST(CntLines, SizesNeverWrapPast65535)
{
    std::string big(65000, 'q');
    cntLINE *l = Scratch(100);
    ASSERT_EQ(cntAddText(l, &l, 0, 0, nullptr, big.c_str(), -1, nullptr, nullptr), 0);
    EXPECT_EQ(l->used, 65 + 65000 + 39);
    EXPECT_EQ(l->capacity, 65535);          /* the growth is capped, not wrapped */
    cntLINE *before = l, *out = l;
    uint16_t used = l->used;
    EXPECT_EQ(cntAddText(l, &out, 0, 0, nullptr, big.c_str(), 1000, nullptr, nullptr),
              CNT_ENOMEM);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(l, before);
    EXPECT_EQ(l->used, used);               /* the line stays usable */
    EXPECT_EQ(cntAddUserData(l, &out, 0, nullptr), 0);
    EXPECT_EQ(out->used, used + 24);
    CSFreeMem(out);

    std::string huge(70000, 'z');
    l = Scratch(100);
    EXPECT_EQ(cntAddText(l, &out, 0, 0, nullptr, huge.c_str(), -1, nullptr, nullptr),
              CNT_ENOMEM);
    EXPECT_EQ(l->used, 65);
    CSFreeMem(l);
}

TEST(CntLines, OrderBySortLabel)
{
    Tree t;
    t.Add(nullptr, "b");
    t.Add(nullptr, "a");
    t.Add(nullptr, "ab");
    EXPECT_EQ(Order(t.set.first), "a,ab,b");
    t.Add(nullptr, "B", 0, 0, true);        /* without case: before "b" equal, after... */
    EXPECT_EQ(Order(t.set.first), "a,ab,b,B");
    Tree u;
    u.Add(nullptr, "c");
    u.Add(nullptr, "B", 0, 0, true);
    EXPECT_EQ(Order(u.set.first), "B,c");
    u.Add(nullptr, "C");                    /* with case 'C' < 'c' */
    EXPECT_EQ(Order(u.set.first), "B,C,c");
    /* lines without a label: at the head, or after the given line */
    cntLINE *plain = Scratch(), *p1 = nullptr, *p2 = nullptr;
    cntAddText(plain, &plain, 0, 0, nullptr, "x", -1, nullptr, nullptr);
    ASSERT_EQ(cntAddLine(&u.set, nullptr, plain, &p1), 0);
    EXPECT_EQ(Order(u.set.first), "-,B,C,c");
    ASSERT_EQ(cntAddLine(&u.set, u.set.first->next, plain, &p2), 0);
    EXPECT_EQ(Order(u.set.first), "-,B,-,C,c");
    EXPECT_EQ(p2->capacity, p2->used);
    u.Add(nullptr, "A");                    /* labels stop at the first plain line */
    EXPECT_EQ(Order(u.set.first), "A,-,B,-,C,c");
    CSFreeMem(plain);
    EXPECT_EQ(u.set.flags & 1, 1u);
}

/* A label line added after another goes where the sorted search from the
 * head puts it, whether the line given is its place or not. */
TEST(CntLines, LabelLinesAddedAfterOthersSortAsFromTheHead)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 40; round++) {
        std::vector<std::string> labels;
        for (int i = 0; i < 60; i++)
            labels.push_back(std::string(1, "aAbBc"[rng() % 5]) + std::to_string(rng() % 20));
        if (round % 2)
            std::sort(labels.begin(), labels.end(), [](std::string x, std::string y) {
                for (char &c : x) c = (char)toupper((unsigned char)c);
                for (char &c : y) c = (char)toupper((unsigned char)c);
                return x < y;
            });
        CntLineSet hinted = {}, plain = {};
        cntLINE *last = nullptr;
        for (const std::string &l : labels) {
            cntLINE *b = Scratch(128), *n = nullptr;
            cntAddSortLabelNoCase(b, &b, CNTI_SELECTABLE, 0, nullptr, l.c_str(), -1, nullptr, nullptr);
            ASSERT_EQ(cntAddLine(&hinted, rng() % 4 ? last : nullptr, b, &n), 0);
            last = n;
            ASSERT_EQ(cntAddLine(&plain, nullptr, b, nullptr), 0);
            CSFreeMem(b);
        }
        EXPECT_EQ(Order(hinted.first), Order(plain.first)) << round;
        cntFreeLines(&hinted, 0);
        cntFreeLines(&plain, 0);
    }
}

TEST(CntLines, ColourTableHoldsTwenty)
{
    static COLORREF vars[25];
    int zero = -1;
    for (int i = 0; i < 25; i++) {
        vars[i] = RGB(i, 0, 0);
        if (!CntColourIndex(&vars[i]) && zero < 0)
            zero = i;
    }
    ASSERT_GE(zero, 0);
    EXPECT_LE(zero, 20);
    EXPECT_EQ(CntColourIndex(&vars[0]), CntColourIndex(&vars[0]));
    EXPECT_EQ(CntColourIndex(&vars[24]), 0);
    EXPECT_EQ(CntColourIndex(nullptr), 0);
    cntLINE *l = Scratch(128, 0, 0);
    cntInitLine(l, 128, 0, 0, &vars[24], &vars[0]);
    EXPECT_EQ(l->textColour, 0);
    EXPECT_NE(l->backColour, 0);
    CSFreeMem(l);
}

TEST(CntLines, LookupsByAddressAndFreeing)
{
    CSMEMSTATS before, after;
    CSMemStats(&before);
    {
        Tree t;
        int top, child;
        cntLINE *b = Scratch();
        cntAddSortLabel(b, &b, 0, 0, nullptr, "top", -1, nullptr, nullptr);
        cntAddUserData(b, &b, 0, &top);
        cntLINE *T = nullptr, *C = nullptr, *G = nullptr;
        cntAddLine(&t.set, nullptr, b, &T);
        cntInitLine(b, b->capacity, 0, 0, nullptr, nullptr);
        cntAddText(b, &b, 0, 0, nullptr, "child", -1, nullptr, nullptr);
        cntAddChildLine(&t.set, T, nullptr, b, &C);
        cntInitLine(b, b->capacity, 0, 0, nullptr, nullptr);
        cntAddUserData(b, &b, 0, &child);
        cntAddChildLine(&t.set, C, nullptr, b, &G);
        CSFreeMem(b);

        CNTW rec = {};
        rec.lines = &t.set;
        EXPECT_EQ(cntLineFromItem(&rec, (char *)T + 70), &top);
        EXPECT_EQ(cntLineFromItem(&rec, (char *)C + 70), &top);   /* its top-level line's */
        EXPECT_EQ(cntLineFromItem(&rec, (char *)G + 70), &child);
        EXPECT_EQ(cntLineFromItem(&rec, &rec), nullptr);
        int found = 0;
        EXPECT_EQ(cntFindItemLine(t.set.first, (char *)G + 64, &found), &top);  /* outermost */
        EXPECT_EQ(found, 1);
        EXPECT_EQ(cntFindItemLine(t.set.first, &rec, &found), nullptr);
        EXPECT_EQ(found, 0);
    }
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
}

/* A record good enough for the layout pass. */
struct Layout : ::testing::Test {
    CNTW rec = {};
    Tree t;
    void SetUp() override
    {
        memcpy(rec.signature, "CNTW", 4);
        rec.filter = 0xFFFFFFFF;
        rec.measureDC = CreateCompatibleDC(nullptr);
        SelectObject(rec.measureDC, GetStockObject(DEFAULT_GUI_FONT));
        rec.indent = 22;
        rec.avgChar = 6;
        rec.rowHeight = 20;
        rec.childCy = 100;
        rec.childCx = 50;
        rec.lines = &t.set;
    }
    void TearDown() override { DeleteDC(rec.measureDC); }
    std::string Visible()
    {
        std::string s;
        for (cntLINE *l = rec.firstVisible; l; l = l->nextVisible)
            s += std::string(s.empty() ? "" : ",") + LabelOf(l) + std::to_string(l->level);
        return s;
    }
};

TEST_F(Layout, LevelsRowsAndExpansion)
{
    cntLINE *a = t.Add(nullptr, "a", 0, 0, false, true);
    cntLINE *b = t.Add(nullptr, "b", 0, 0, false, true);
    t.Add(a, "a1");
    cntLINE *a2 = t.Add(a, "a2", 0, 0, false, true);
    t.Add(a2, "a21");
    CntLayout(&rec);
    EXPECT_EQ(Visible(), "a1,b1");
    EXPECT_EQ(a->flags & (CNTL_NOCHILD | CNTL_NOEXPANDERS), 0);
    EXPECT_EQ(b->flags & CNTL_NOCHILD, CNTL_NOCHILD);
    EXPECT_EQ(rec.v.total, 2);
    EXPECT_EQ(t.set.flags & 1, 0u);

    a->flags |= CNTL_EXPANDED;
    a2->flags |= CNTL_EXPANDED;
    CntLayout(&rec);
    EXPECT_EQ(Visible(), "a1,a12,a22,a213,b1");
    EXPECT_EQ(a2->indent, 22);
    EXPECT_EQ(a2->nextVisible->indent, 44);
    EXPECT_EQ(b->row, 4u);
    EXPECT_EQ(b->prevVisible->prevVisible, a2);
    /* a1 and a2 form a list in which a2 has a child to show */
    EXPECT_EQ(a2->flags & CNTL_NOEXPANDERS, 0);
    /* last-of-level flags and tree-line masks */
    EXPECT_TRUE(b->flags & CNTL_LAST);
    EXPECT_FALSE(a->flags & CNTL_LAST);
    EXPECT_TRUE(a2->flags & CNTL_LAST);
    EXPECT_EQ(a2->nextVisible->treeMask & 1u, 1u);   /* a has a later sibling */
    EXPECT_EQ(a2->nextVisible->treeMask & 2u, 0u);   /* a2 has none */
    EXPECT_GT(rec.h.total, 44);
    /* scroll range: the last page stays full */
    rec.v.position = 4;
    rec.childCy = 60;
    CntLayout(&rec);
    EXPECT_EQ(rec.v.position, 2);
}

TEST_F(Layout, FiltersAndChildrenThatDoNotCount)
{
    cntLINE *a = t.Add(nullptr, "a", 0, 4, false, true);   /* filtered out */
    t.Add(a, "a1");
    cntLINE *b = t.Add(nullptr, "b", 0, 0, false, true);
    cntLINE *hidden = t.Add(b, "b1", CNTL_NOTCHILD, 0, false, true);
    rec.filter = ~4u;
    CntLayout(&rec);
    EXPECT_EQ(Visible(), "a11,b1");                 /* a's children in its place */
    EXPECT_TRUE(b->flags & CNTL_NOCHILD);
    t.Add(hidden, "b11");
    CntLayout(&rec);
    EXPECT_FALSE(b->flags & CNTL_NOCHILD);          /* searched through the 0x8000 line */
    /* expanders without any child to show take no room */
    Tree u;
    rec.lines = &u.set;
    cntLINE *x = u.Add(nullptr, "x", 0, 0, false, true);
    u.Add(nullptr, "y", 0, 0, false, true);
    CntLayout(&rec);
    EXPECT_TRUE(x->flags & CNTL_NOEXPANDERS);
    EXPECT_EQ(CntCellWidth(x, cntFirstItem(x)), 0);
    rec.lines = &t.set;
}

TEST_F(Layout, WidthsAndColumns)
{
    cntLINE *b = Scratch(), *l1 = nullptr, *l2 = nullptr;
    cntAddTextEx(b, &b, CNTI_COLUMN, 0, nullptr, "x", -1, nullptr, nullptr, 10, 0);
    cntAddTextEx(b, &b, CNTI_COLUMN, 0, nullptr, "y", -1, nullptr, nullptr, -30, 0);
    cntAddCheck(b, &b, 0, 0, Cb);
    cntAddLine(&t.set, nullptr, b, &l1);
    cntInitLine(b, b->capacity, 0, 0, nullptr, nullptr);
    cntAddTextEx(b, &b, CNTI_COLUMN, 0, nullptr, "x", -1, nullptr, nullptr, -100, 0);
    cntAddTextEx(b, &b, CNTI_COLUMN, 0, nullptr, "wide text here", -1, nullptr, nullptr, 0, 0);
    cntAddLine(&t.set, l1, b, &l2);
    CSFreeMem(b);
    CntLayout(&rec);
    auto i1 = Items(l1), i2 = Items(l2);
    EXPECT_EQ(i1[0]->width, 100);           /* 10 characters = 90, widened to 100 */
    EXPECT_EQ(i2[0]->width, 100);
    EXPECT_GT(i2[1]->width, 30);
    EXPECT_EQ(i1[1]->width, i2[1]->width);
    EXPECT_EQ(i1[2]->width, 22);            /* a check box is one indent step */
    EXPECT_EQ(l1->width, 100 + i1[1]->width + 22);
    EXPECT_TRUE(l1->flags & CNTL_ALIGNED);
}

TEST_F(Layout, MatchKeepsExpandedAndSelectedLines)
{
    cntLINE *a = t.Add(nullptr, "a", 0, 0, false, true);
    cntLINE *c = t.Add(nullptr, "c", 0, 0, false, true);
    cntLINE *c1 = t.Add(c, "c1", 0, 0, false, true);
    t.Add(c1, "c11");
    t.Add(a, "a1");
    c->flags |= CNTL_EXPANDED;
    c1->flags |= CNTL_EXPANDED;
    rec.selLine = c1;

    Tree u;                                  /* rebuilt, with a new line between */
    cntLINE *na = u.Add(nullptr, "a", 0, 0, false, true);
    u.Add(nullptr, "b", 0, 0, false, true);
    cntLINE *nc = u.Add(nullptr, "c", 0, 0, false, true);
    cntLINE *nc1 = u.Add(nc, "c1", 0, 0, false, true);
    u.Add(nc1, "c11");
    CntMatchTrees(&rec, t.set.first, u.set.first);
    EXPECT_FALSE(na->flags & CNTL_EXPANDED);
    EXPECT_TRUE(nc->flags & CNTL_EXPANDED);
    EXPECT_TRUE(nc1->flags & CNTL_EXPANDED);
    EXPECT_EQ(rec.selLine, nc1);
    EXPECT_EQ(rec.selectionKept, 1);

    /* lines without labels match by their items, skipping texts marked 8 */
    Tree v, w;
    cntLINE *b1 = Scratch(), *o = nullptr, *n = nullptr;
    cntAddExpander(b1, &b1);
    cntAddTextEx(b1, &b1, 0, 0, nullptr, "count 1", -1, nullptr, nullptr, 0, CNTA_NOCOMPARE);
    cntAddText(b1, &b1, 0, 0, nullptr, "name", -1, nullptr, nullptr);
    cntAddLine(&v.set, nullptr, b1, &o);
    cntInitLine(b1, b1->capacity, 0, 0, nullptr, nullptr);
    cntAddExpander(b1, &b1);
    cntAddText(b1, &b1, 0, 0, nullptr, "name", -1, nullptr, nullptr);
    cntAddTextEx(b1, &b1, 0, 0, nullptr, "count 2", -1, nullptr, nullptr, 0, CNTA_NOCOMPARE);
    cntAddLine(&w.set, nullptr, b1, &n);
    CSFreeMem(b1);
    o->flags |= CNTL_EXPANDED;
    rec.selLine = o;
    CntMatchTrees(&rec, o, n);
    EXPECT_TRUE(n->flags & CNTL_EXPANDED);
    EXPECT_EQ(rec.selLine, n);
}

TEST_F(Layout, InitialSelectionFromTheMarks)
{
    cntLINE *b = Scratch(), *l1 = nullptr, *l2 = nullptr;
    cntAddText(b, &b, CNTI_SELECTABLE | CNTI_SELECTED, 0, nullptr, "one", -1, nullptr, nullptr);
    cntAddLine(&t.set, nullptr, b, &l1);
    cntInitLine(b, b->capacity, CNTL_SELECTED, 0, nullptr, nullptr);
    cntAddText(b, &b, CNTI_SELECTABLE, 0, nullptr, "two", -1, nullptr, nullptr);
    cntAddText(b, &b, CNTI_SELECTABLE | CNTI_SELECTED, 0, nullptr, "three", -1, nullptr, nullptr);
    cntAddLine(&t.set, l1, b, &l2);
    CSFreeMem(b);
    CntInitialSelection(&rec, t.set.first);
    EXPECT_EQ(rec.selLine, l2);
    EXPECT_STREQ(rec.selItem->text, "three");
    EXPECT_FALSE(l1->flags & CNTL_SELECTED);
    EXPECT_FALSE(Items(l1)[0]->flags & CNTI_SELECTED);
    EXPECT_FALSE(l2->flags & CNTL_SELECTED);
}

} // namespace
