/* Lists, trees and links: a randomized tree against an ordered map, the
 * key modes, positional lists, walks, list limits and link pairs. */
#include "cs.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

struct IntElem {
    CSTREE hdr;
    int32_t key;
    int32_t value;
};

struct StrElem {
    CSTREE hdr;
    const char *key;
};

static IntElem IntImage(int32_t key, int32_t value = 0)
{
    IntElem e;
    memset(&e, 0, sizeof e);
    e.key = key;
    e.value = value;
    return e;
}

static int32_t KeyOf(CSTREE *e)
{
    return ((IntElem *)e)->key;
}

/* Checks AVL shape and heights; returns the height. */
static int CheckShape(CSTREE *e)
{
    if (!e)
        return 0;
    int l = CheckShape(e->left), r = CheckShape(e->right);
    EXPECT_LE(std::abs(l - r), 1);
    EXPECT_EQ(e->height, 1 + std::max(l, r));
    return 1 + std::max(l, r);
}

static void InOrder(CSTREE *e, std::vector<CSTREE *> &out)
{
    if (!e)
        return;
    InOrder(e->left, out);
    out.push_back(e);
    InOrder(e->right, out);
}

/* The chain, the in-order walk, the order numbers and the map agree. */
static void CheckAgainst(CSTREE *root, const std::map<int32_t, int32_t> &ref)
{
    CheckShape(root);
    std::vector<CSTREE *> walk;
    InOrder(root, walk);
    ASSERT_EQ(walk.size(), ref.size());
    CSTREE *c = CSTreeFirst(root);
    uint32_t n = 0;
    CSTREE *prev = nullptr;
    for (auto &kv : ref) {
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c, walk[n]);
        EXPECT_EQ(KeyOf(c), kv.first);
        EXPECT_EQ(((IntElem *)c)->value, kv.second);
        EXPECT_EQ(c->order, n);
        EXPECT_EQ(c->prev, prev);
        EXPECT_EQ(CSTreeFindInt(root, n), c);
        prev = c;
        c = c->next;
        n++;
    }
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(CSTreeLast(root), prev);
}

/* Byte keys (mode 4) sort as big-endian numbers: the map's order. */
static IntElem ByteImage(uint32_t key, int32_t value = 0)
{
    IntElem e = IntImage(0, value);
    uint8_t be[4] = {(uint8_t)(key >> 24), (uint8_t)(key >> 16), (uint8_t)(key >> 8), (uint8_t)key};
    memcpy(&e.key, be, 4);
    return e;
}

static void CheckBytesAgainst(CSTREE *root, const std::map<uint32_t, int32_t> &ref)
{
    CSTREE *c = CSTreeFirst(root);
    for (auto &kv : ref) {
        ASSERT_NE(c, nullptr);
        IntElem img = ByteImage(kv.first);
        EXPECT_EQ(KeyOf(c), img.key);
        c = c->next;
    }
    EXPECT_EQ(c, nullptr);
    /* Shape, order numbers and the in-order walk. */
    CheckShape(root);
    std::vector<CSTREE *> walk;
    InOrder(root, walk);
    ASSERT_EQ(walk.size(), ref.size());
    uint32_t n = 0;
    for (CSTREE *e = CSTreeFirst(root); e; e = e->next, n++) {
        EXPECT_EQ(e, walk[n]);
        EXPECT_EQ(e->order, n);
        EXPECT_EQ(CSTreeFindInt(root, n), e);
    }
}

TEST(Tree, RandomizedAgainstOrderedMap)
{
    std::mt19937 rng(12345);
    std::uniform_int_distribution<uint32_t> wide(0, UINT32_MAX);
    std::uniform_int_distribution<uint32_t> narrow(0, 600);
    CSTREE *root = nullptr;
    std::map<uint32_t, int32_t> ref;
    for (int round = 0; round < 4000; round++) {
        uint32_t key = round % 3 ? narrow(rng) : wide(rng);
        IntElem img = ByteImage(key, round);
        if (rng() % 3) {
            CSTREE *e = CSTreeAdd(&root, "TEST", 0, &img, sizeof img, 4);
            EXPECT_EQ(e != nullptr, ref.count(key) == 0);
            if (e)
                ref[key] = round;
        } else {
            int rc = CSTreeDelete(&root, nullptr, nullptr, &img.hdr, 4);
            EXPECT_EQ(rc == 0, ref.erase(key) == 1);
        }
        uint32_t pk = narrow(rng);
        IntElem probe = ByteImage(pk);
        CSTREE *f = CSTreeFind(root, &probe.key, 4);
        EXPECT_EQ(f != nullptr, ref.count(pk) == 1);
        if (f) {
            EXPECT_EQ(((IntElem *)f)->value, ref[pk]);
        }
        if (round % 250 == 0)
            CheckBytesAgainst(root, ref);
    }
    CheckBytesAgainst(root, ref);
    CSTreeFree(&root, nullptr, nullptr);
    EXPECT_EQ(root, nullptr);
}

/* Integer keys far apart (a wrapped difference would misorder them). */
TEST(Tree, IntegerKeysAcrossTheWholeRange)
{
    std::mt19937 rng(777);
    std::uniform_int_distribution<int32_t> wide(INT32_MIN, INT32_MAX);
    CSTREE *root = nullptr;
    std::map<int32_t, int32_t> ref;
    for (int32_t k : {INT32_MIN, INT32_MAX, 0, -1, 1})
        ref[k] = 0;
    for (int i = 0; i < 2000; i++)
        ref[wide(rng)] = i;
    for (auto &kv : ref) {
        IntElem img = IntImage(kv.first, kv.second);
        ASSERT_NE(CSTreeAdd(&root, nullptr, CSTREE_NORENUM, &img, sizeof img, CSKEY_INT32), nullptr);
    }
    CSListRenumber(root);
    CheckAgainst(root, ref);
    for (auto &kv : ref) {
        CSTREE *f = CSTreeFind(root, &kv.first, CSKEY_INT32);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(KeyOf(f), kv.first);
    }
    CSTreeFree(&root, nullptr, nullptr);
}

/* Keys of 20 bytes, alike in long runs and apart anywhere, high bytes
 * among them: the tree's order is that of the bytes as unsigned values,
 * word by word or not. */
TEST(Tree, LongByteKeysSortAsUnsignedBytes)
{
    struct LongElem { CSTREE hdr; unsigned char key[20]; };
    const unsigned char values[] = { 0x00, 0x01, 0x41, 0x7f, 0x80, 0xfe, 0xff };
    std::mt19937 rng(2024);
    CSTREE *root = nullptr;
    std::map<std::string, int> ref;
    for (int i = 0; i < 3000; i++) {
        LongElem img = {};
        for (unsigned char &b : img.key)
            b = values[0];
        for (int j = 0; j < 3; j++)                     /* a few differing bytes */
            img.key[rng() % 20] = values[rng() % 7];
        std::string k((const char *)img.key, 20);
        CSTREE *e = CSTreeAdd(&root, "TEST", 0, &img, sizeof img, 20);
        EXPECT_EQ(e != nullptr, ref.count(k) == 0);
        ref[k] = 1;
    }
    CSTREE *c = CSTreeFirst(root);
    for (auto &kv : ref) {
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(std::string((const char *)((LongElem *)c)->key, 20), kv.first);
        EXPECT_EQ(CSTreeFind(root, kv.first.data(), 20), c);
        c = c->next;
    }
    EXPECT_EQ(c, nullptr);
    std::string missing(20, '\x02');
    EXPECT_EQ(CSTreeFind(root, missing.data(), 20), nullptr);
    CSTreeFree(&root, nullptr, nullptr);
}

/* A tree whose order numbers are left alone (as the location tree is
 * filled) emptied one element at a time: from the front, the back and
 * the middle, its shape, chain and lookups stay right throughout.  Each
 * removal renumbers: the first one, of the first element, numbers the
 * rest from 0, and the numbers then run 0, 1, 2 ... along the chain. */
TEST(Tree, UnnumberedTreeEmptiedOneByOne)
{
    std::mt19937 rng(4242);
    std::vector<uint32_t> keys(3000);
    for (uint32_t i = 0; i < (uint32_t)keys.size(); i++)
        keys[i] = i * 7919u;
    std::shuffle(keys.begin(), keys.end(), rng);
    CSTREE *root = nullptr;
    std::map<uint32_t, int32_t> ref;
    for (uint32_t k : keys) {
        IntElem img = ByteImage(k, (int32_t)k);
        ASSERT_NE(CSTreeAdd(&root, "TEST", CSTREE_NORENUM, &img, sizeof img, 4), nullptr);
        ref[k] = (int32_t)k;
    }
    for (int n = 0; !ref.empty(); n++) {
        CSTREE *e = n % 3 == 0 ? CSTreeFirst(root) : n % 3 == 1 ? CSTreeLast(root) : nullptr;
        if (!e) {
            auto it = ref.begin();
            std::advance(it, rng() % ref.size());
            IntElem probe = ByteImage(it->first);
            e = CSTreeFind(root, &probe.key, 4);
        }
        ASSERT_NE(e, nullptr);
        uint32_t key = (uint32_t)((IntElem *)e)->value;
        ASSERT_EQ(CSTreeDelete(&root, nullptr, nullptr, e, 4), 0);
        ASSERT_EQ(ref.erase(key), 1u);
        IntElem gone = ByteImage(key);
        EXPECT_EQ(CSTreeFind(root, &gone.key, 4), nullptr);
        if (n % 200 == 0 || ref.size() < 4) {
            CheckShape(root);
            CSTREE *c = CSTreeFirst(root), *prev = nullptr;
            uint32_t order = 0;
            for (auto &kv : ref) {
                ASSERT_NE(c, nullptr);
                IntElem img = ByteImage(kv.first);
                EXPECT_EQ(KeyOf(c), img.key);
                EXPECT_EQ(((IntElem *)c)->value, kv.second);
                EXPECT_EQ(c->prev, prev);
                EXPECT_EQ(c->order, order);
                EXPECT_EQ(CSTreeFindInt(root, order), c);
                EXPECT_EQ(CSTreeFind(root, &img.key, 4), c);
                prev = c;
                c = c->next;
                order++;
            }
            EXPECT_EQ(c, nullptr);
            EXPECT_EQ(CSTreeLast(root), prev);
        }
    }
    EXPECT_EQ(root, nullptr);
}

TEST(Tree, RisingKeysGiveBalancedTree)
{
    CSTREE *root = nullptr;
    for (int32_t k = 1; k <= 7; k++) {
        IntElem img = IntImage(k);
        ASSERT_NE(CSTreeAdd(&root, nullptr, 0, &img, sizeof img, CSKEY_INT32), nullptr);
    }
    EXPECT_EQ(root->height, 3);
    EXPECT_EQ(KeyOf(root), 4);
    std::map<int32_t, int32_t> ref;
    for (int32_t k = 1; k <= 7; k++)
        ref[k] = 0;
    CheckAgainst(root, ref);
    /* Level order: 4, 2, 6, 1, 3, 5, 7. */
    std::vector<int32_t> levels;
    CSTreeForEach(root, [](CSTREE *e, void *ctx) {
        ((std::vector<int32_t> *)ctx)->push_back(KeyOf(e));
    }, &levels);
    EXPECT_EQ(levels, (std::vector<int32_t>{4, 2, 6, 1, 3, 5, 7}));
    /* Deleting the first renumbers from 0. */
    IntElem one = IntImage(1);
    EXPECT_EQ(CSTreeDelete(&root, nullptr, nullptr, &one.hdr, 4), 0);
    EXPECT_EQ(CSTreeFirst(root)->order, 0u);
    EXPECT_EQ(KeyOf(CSTreeFirst(root)), 2);
    EXPECT_EQ(CSTreeDelete(&root, nullptr, nullptr, nullptr, 4), CSTREE_NOTFOUND);
    IntElem two = IntImage(2);
    EXPECT_EQ(CSTreeDelete(&root, nullptr, nullptr, &two.hdr, CSKEY_INT32), CSTREE_NOTFOUND);
    /* Post-order walk: the callback releases every element, and only
     * then is the slot that held it cleared (the root's element, called
     * back last, still sits in the root slot). */
    struct Walk { int count, inRoot; CSTREE **root; } walk = { 0, 0, &root };
    CSTreeWalk(&root, [](CSTREE **slot, CSTREE *e, void *ctx) {
        Walk *w = (Walk *)ctx;
        EXPECT_EQ(slot, w->root);
        EXPECT_EQ(e->left, nullptr);
        EXPECT_EQ(e->right, nullptr);
        w->count++;
        w->inRoot += *slot == e;
        CSFreeMem(e);
    }, &walk);
    EXPECT_EQ(walk.count, 6);
    EXPECT_EQ(walk.inRoot, 1);
    EXPECT_EQ(root, nullptr);
}

TEST(Tree, DuplicatesAndFlags)
{
    CSTREE *root = nullptr;
    IntElem a = IntImage(5, 1), b = IntImage(5, 2);
    CSTREE *first = CSTreeAdd(&root, nullptr, 0, &a, sizeof a, CSKEY_INT32);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CSTreeAdd(&root, nullptr, 0, &b, sizeof b, CSKEY_INT32), nullptr);
    EXPECT_EQ(root, first);
    EXPECT_EQ(first->next, nullptr);
    CSTREE *second = CSTreeAdd(&root, nullptr, CSTREE_DUPS, &b, sizeof b, CSKEY_INT32);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(CSTreeFirst(root), second);        /* the new one before the old */
    EXPECT_EQ(second->next, first);
    EXPECT_EQ(first->order, 1u);
    /* Inserting the caller's own block, without renumbering. */
    IntElem *own = (IntElem *)CSGetMem(sizeof(IntElem), "TEST");
    *own = IntImage(1);
    EXPECT_EQ(CSTreeAdd(&root, nullptr, CSTREE_INSERT | CSTREE_NORENUM, own, sizeof *own,
                        CSKEY_INT32), &own->hdr);
    EXPECT_EQ(CSTreeFirst(root), &own->hdr);
    EXPECT_EQ(second->order, 0u);                /* not renumbered yet */
    CSListRenumber(root);
    EXPECT_EQ(second->order, 1u);
    EXPECT_EQ(first->order, 2u);
    int freed = 0;
    CSTreeFree(&root, [](CSTREE *, void *ctx) { ++*(int *)ctx; }, &freed);
    EXPECT_EQ(freed, 3);
}

TEST(Tree, StringKeyModes)
{
    CSTREE *root = nullptr;
    const char *words[] = {"abc", "ABC", "b", "Abd"};
    for (const char *w : words) {
        StrElem img = {{}, w};
        ASSERT_NE(CSTreeAdd(&root, nullptr, 0, &img, sizeof img, CSKEY_STRPTR_NOCASE), nullptr);
    }
    std::vector<std::string> order;
    for (CSTREE *e = CSTreeFirst(root); e; e = e->next)
        order.push_back(((StrElem *)e)->key);
    EXPECT_EQ(order, (std::vector<std::string>{"ABC", "abc", "Abd", "b"}));
    CSTREE *f = CSTreeFind(root, "abc", CSKEY_STRPTR_NOCASE);
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(((StrElem *)f)->key, "abc");
    EXPECT_EQ(CSTreeFind(root, "ABD", CSKEY_STRPTR_NOCASE), nullptr);
    StrElem del = {{}, "ABC"};
    CSTREE *u = CSTreeUnlink(&root, &del.hdr, CSKEY_STRPTR_NOCASE);
    ASSERT_NE(u, nullptr);
    EXPECT_STREQ(((StrElem *)u)->key, "ABC");
    EXPECT_EQ(CSTreeFirst(root)->order, 0u);
    CSFreeMem(u);
    CSTreeFree(&root, nullptr, nullptr);

    /* Inline string keys: added by length, found by the string (-1). */
    struct Inline { CSTREE hdr; char text[8]; } img = {};
    strcpy(img.text, "key");
    ASSERT_NE(CSTreeAdd(&root, nullptr, 0, &img, sizeof img, 4), nullptr);
    EXPECT_NE(CSTreeFind(root, "key", CSKEY_STRING), nullptr);
    EXPECT_EQ(CSTreeFind(root, "ke", CSKEY_STRING), nullptr);
    EXPECT_EQ(CSTreeDelete(&root, nullptr, nullptr, &img.hdr, CSKEY_STRING), CSTREE_NOTFOUND);
    EXPECT_EQ(CSTreeDelete(&root, nullptr, nullptr, &img.hdr, 4), 0);
}

TEST(Tree, PositionalList)
{
    CSTREE *root = nullptr;
    IntElem img = IntImage(0);
    EXPECT_EQ(CSTreeAddEx(&root, nullptr, 0, &img, sizeof img, CSKEY_APPEND, 1), nullptr);
    for (int32_t v : {10, 20, 30}) {
        img.value = v;
        ASSERT_NE(CSTreeAddEx(&root, nullptr, 0, &img, sizeof img, CSKEY_APPEND, -1), nullptr);
    }
    img.value = 99;
    EXPECT_EQ(CSTreeAddEx(&root, nullptr, 0, &img, sizeof img, CSKEY_APPEND, 5), nullptr);
    img.value = 5;
    CSTREE *head = CSTreeAddEx(&root, nullptr, 0, &img, sizeof img, CSKEY_APPEND, 0);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(root, head);
    EXPECT_EQ(head->order, 0u);
    img.value = 40;
    ASSERT_NE(CSTreeAddEx(&root, nullptr, 0, &img, sizeof img, CSKEY_APPEND, 4), nullptr);
    img.value = 15;
    ASSERT_NE(CSTreeAddEx(&root, nullptr, 0, &img, sizeof img, CSKEY_APPEND, 2), nullptr);
    std::vector<int32_t> values;
    CSListForEach(root, [](CSTREE *e, void *ctx) {
        ((std::vector<int32_t> *)ctx)->push_back(((IntElem *)e)->value);
    }, &values);
    EXPECT_EQ(values, (std::vector<int32_t>{5, 10, 15, 20, 30, 40}));
    EXPECT_EQ(((IntElem *)CSTreeLast(root))->value, 40);
    EXPECT_EQ(((IntElem *)CSTreeFindInt(root, 2))->value, 15);
    EXPECT_EQ(CSTreeFindInt(root, 6), nullptr);
    CSListForEach(root, [](CSTREE *e, void *) { CSFreeMem(e); }, nullptr);
}

TEST(List, AddFindRemoveAndLimits)
{
    CSLIST list = {};
    ASSERT_NE(CSListAdd(&list, nullptr, CSLIST_COPYDATA, "alpha", 5), nullptr);
    struct { CSLISTELEM hdr; char data[4]; } img = {{}, {'b', 'e', 't', 'a'}};
    CSLISTELEM *beta = CSListAdd(&list, nullptr, 0, &img, CSLIST_HEADER + 4);
    ASSERT_NE(beta, nullptr);
    EXPECT_EQ(beta->length, 4);
    EXPECT_EQ(CSListCount(&list), 2);
    EXPECT_EQ(list.last, beta);
    EXPECT_EQ(CSListFindKey(&list, CSLIST_COPYDATA, "beta", 4), beta);
    EXPECT_EQ(CSListFindKey(&list, 0, &img, 4), beta);
    EXPECT_EQ(CSListFindKey(&list, CSLIST_COPYDATA, "bet", 3), nullptr);

    /* 16-bit lengths: above 65535 refused, 40000 stored but not found. */
    std::vector<char> big(70000, 'x');
    EXPECT_EQ(CSListAdd(&list, nullptr, CSLIST_COPYDATA, big.data(), 65536), nullptr);
    EXPECT_EQ(CSListAdd(&list, nullptr, 0, big.data(), 65536 + 32), nullptr);
    CSLISTELEM *wide = CSListAdd(&list, nullptr, CSLIST_COPYDATA, big.data(), 40000);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->length, 40000);
    EXPECT_EQ(CSListFindKey(&list, CSLIST_COPYDATA, big.data(), 40000), nullptr);
    EXPECT_NE(CSListAdd(&list, nullptr, CSLIST_COPYDATA, big.data(), 65535), nullptr);
    EXPECT_EQ(CSListCount(&list), 4);

    CSListRemove(beta);
    EXPECT_EQ(CSListCount(&list), 3);
    EXPECT_EQ(list.first->next, wide);
    EXPECT_EQ(wide->prev, list.first);
    int seen = 0;
    CSListFree(&list, [](CSLISTELEM *, void *ctx) { ++*(int *)ctx; }, &seen);
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(list.first, nullptr);
    EXPECT_EQ(CSListCount(&list), 0);

    struct Rec { Rec *next; } c = {nullptr}, b2 = {&c}, a = {&b2};
    EXPECT_EQ(CSListContains(&a, &c), &c);
    EXPECT_EQ(CSListContains(&b2, &a), nullptr);
}

TEST(Link, PairsAreRemovedFromBothSides)
{
    IntElem x = IntImage(1), y = IntImage(2), z = IntImage(3);
    CSLINK *xy = CSLinkAdd(&x, &y, 1, 100);
    CSLINK *xz = CSLinkAdd(&x, &z, 2, 200);
    CSLINK *yz = CSLinkAdd(&y, &z, 1, 300);
    ASSERT_TRUE(xy && xz && yz);
    EXPECT_EQ(x.hdr.links, xz);                   /* newest first */
    EXPECT_EQ(CSLinkNext(&x, 0, nullptr), xz);
    EXPECT_EQ(CSLinkNext(&x, 0, xz), xy);
    EXPECT_EQ(CSLinkNext(&x, 0, xy), nullptr);
    EXPECT_EQ(CSLinkNext(&x, 1, nullptr), xy);
    CSLINK *onY = CSLinkNext(&y, 1, CSLinkNext(&y, 1, nullptr));
    EXPECT_EQ(onY, xy->partner);
    EXPECT_EQ(onY->side, 1);
    EXPECT_EQ(onY->value, 100u);
    /* Removing from the second object's side removes both nodes. */
    CSLinkRemove(onY);
    EXPECT_EQ(CSLinkNext(&x, 1, nullptr), nullptr);
    EXPECT_EQ(CSLinkNext(&y, 0, nullptr), yz);
    CSLinkRemoveAll(&z, 0);
    EXPECT_EQ(x.hdr.links, nullptr);
    EXPECT_EQ(y.hdr.links, nullptr);
    EXPECT_EQ(z.hdr.links, nullptr);
    /* An object linked to itself. */
    CSLinkAdd(&x, &x, 3, 0);
    CSLinkRemoveAll(&x, 3);
    EXPECT_EQ(x.hdr.links, nullptr);
    /* Deleting a tree element removes its links. */
    CSTREE *root = nullptr;
    CSTREE *e = CSTreeAdd(&root, nullptr, 0, &z, sizeof z, CSKEY_INT32);
    ASSERT_NE(e, nullptr);
    CSLinkAdd(e, &y, 1, 0);
    EXPECT_EQ(CSTreeDelete(&root, nullptr, nullptr, e, 4), 0);
    EXPECT_EQ(y.hdr.links, nullptr);
}
