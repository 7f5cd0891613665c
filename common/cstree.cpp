/* Balanced (AVL) trees whose elements also form a chain in key order with
 * order numbers, and positional lists kept in the same elements. */
#include "cslist.h"
#include "csmem.h"
#include "cstrace.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

static_assert(sizeof(CSTREE) == CSTREE_HEADER, "tree element header is 48 bytes");

#define POSITIONAL 65535
#define MAX_DEPTH 128     /* far above the height of any AVL tree in memory */

static int IsPositional(const CSTREE *e)
{
    return e && e->height == POSITIONAL;
}

static int Height(const CSTREE *e)
{
    return e ? e->height : 0;
}

static int CompareNoCase(const char *a, const char *b)
{
    for (;; a++, b++) {
        int ca = tolower((unsigned char)*a), cb = tolower((unsigned char)*b);
        if (ca != cb)
            return ca - cb;
        if (!ca)
            return 0;
    }
}

/* The key as the find calls take it, from an element (image). */
static const void *KeyOf(const void *element, int mode)
{
    const void *field = (const char *)element + CSTREE_HEADER;
    if (mode == CSKEY_STRPTR || mode == CSKEY_STRPTR_NOCASE)
        return *(const char *const *)field;
    return field;
}

/* Sign of key against the element's key. */
static int Compare(const void *key, const CSTREE *e, int mode)
{
    const void *other = KeyOf(e, mode);
    switch (mode) {
    case CSKEY_STRING:
    case CSKEY_STRPTR:
        return strcmp((const char *)key, (const char *)other);
    case CSKEY_STRPTR_NOCASE: {
        int c = CompareNoCase((const char *)key, (const char *)other);
        return c ? c : strcmp((const char *)key, (const char *)other);
    }
    case CSKEY_INT32: {
        /* Compared as values: a wrapped difference would misorder keys
         * that lie more than 2^31 apart. */
        int32_t a, b;
        memcpy(&a, key, 4);
        memcpy(&b, other, 4);
        return (a > b) - (a < b);
    }
    case CSKEY_APPEND:
        return 1;
    default:
        return mode > 0 ? CSCompareBytes(key, other, (size_t)mode) : 0;
    }
}

static void Renumber(CSTREE *from, uint32_t n)
{
    for (CSTREE *e = from; e; e = e->next)
        e->order = n++;
}

/* Renumbers from prev onward, or from 0 at first when there is no prev. */
static void RenumberAfter(CSTREE *prev, CSTREE *first)
{
    if (prev)
        Renumber(prev->next, prev->order + 1);
    else
        Renumber(first, 0);
}

static void FixHeight(CSTREE *e)
{
    int l = Height(e->left), r = Height(e->right);
    e->height = (uint16_t)(1 + (l > r ? l : r));
}

static void RotateLeft(CSTREE **slot)
{
    CSTREE *e = *slot, *c = e->right;
    e->right = c->left;
    c->left = e;
    *slot = c;
    FixHeight(e);
    FixHeight(c);
}

static void RotateRight(CSTREE **slot)
{
    CSTREE *e = *slot, *c = e->left;
    e->left = c->right;
    c->right = e;
    *slot = c;
    FixHeight(e);
    FixHeight(c);
}

static void Rebalance(CSTREE **slot)
{
    CSTREE *e = *slot;
    FixHeight(e);
    int balance = Height(e->right) - Height(e->left);
    if (balance == 2) {
        if (Height(e->right->right) - Height(e->right->left) < 0)
            RotateRight(&e->right);
        RotateLeft(slot);
    } else if (balance == -2) {
        if (Height(e->left->right) - Height(e->left->left) > 0)
            RotateLeft(&e->left);
        RotateRight(slot);
    } else if (balance < -2 || balance > 2)
        CS_TRAP(balance);
}

/* Rebalances upward from path[top].  A subtree whose height comes out as
 * it was before the change leaves every node above it as it was: the walk
 * stops there rather than going up to the root on every add. */
static void RebalancePath(CSTREE ***path, int top)
{
    for (int i = top; i >= 0; i--) {
        uint16_t before = (*path[i])->height;
        Rebalance(path[i]);
        if ((*path[i])->height == before)
            return;
    }
}

/* A new element from the caller's image: a copy, or the block itself. */
static CSTREE *NewElement(const char *tag, int flags, const void *image, size_t size)
{
    if (size < CSTREE_HEADER)
        return nullptr;
    CSTREE *e;
    if (flags & CSTREE_INSERT)
        e = (CSTREE *)image;
    else {
        e = (CSTREE *)CSGetMem(size, tag ? tag : "CSTREE");
        if (!e)
            return nullptr;
        memcpy(e, image, size);
    }
    memset(e, 0, CSTREE_HEADER);
    return e;
}

CSTREE *CSTreeAdd(CSTREE **root, const char *tag, int flags, const void *image, size_t size,
                  int keyMode)
{
    CSTREE **path[MAX_DEPTH];
    int depth = 0;
    const void *key = KeyOf(image, keyMode);
    CSTREE **slot = root;
    CSTREE *parent = nullptr;
    int left = 0;
    while (*slot) {
        if (depth == MAX_DEPTH)
            return nullptr;
        int c = Compare(key, *slot, keyMode);
        if (c == 0 && !(flags & CSTREE_DUPS))
            return nullptr;
        path[depth++] = slot;
        parent = *slot;
        left = c <= 0;
        slot = left ? &parent->left : &parent->right;
    }
    CSTREE *e = NewElement(tag, flags, image, size);
    if (!e)
        return nullptr;
    e->height = 1;
    *slot = e;
    if (parent && left) {
        e->prev = parent->prev;
        e->next = parent;
        if (parent->prev)
            parent->prev->next = e;
        parent->prev = e;
    } else if (parent) {
        e->next = parent->next;
        e->prev = parent;
        if (parent->next)
            parent->next->prev = e;
        parent->next = e;
    }
    if (!(flags & CSTREE_NORENUM))
        RenumberAfter(e->prev, e);
    RebalancePath(path, depth - 1);
    return e;
}

/* Positional list: insert before the element at position, or append. */
static CSTREE *AddPositional(CSTREE **root, const char *tag, int flags, const void *image,
                             size_t size, int32_t position)
{
    CSTREE *at = nullptr, *last = nullptr;
    for (CSTREE *e = *root; e; e = e->next) {
        if (position >= 0 && e->order == (uint32_t)position) {
            at = e;
            break;
        }
        last = e;
    }
    if (!at && position != -1 && position != (last ? (int64_t)last->order + 1 : 0))
        return nullptr;
    CSTREE *e = NewElement(tag, flags, image, size);
    if (!e)
        return nullptr;
    e->height = POSITIONAL;
    if (at) {
        e->prev = at->prev;
        e->next = at;
        if (at->prev)
            at->prev->next = e;
        else
            *root = e;
        at->prev = e;
    } else if (last) {
        e->prev = last;
        last->next = e;
    } else
        *root = e;
    RenumberAfter(e->prev, e);
    return e;
}

CSTREE *CSTreeAddEx(CSTREE **root, const char *tag, int flags, const void *image, size_t size,
                    int keyMode, int32_t position)
{
    if (keyMode == CSKEY_APPEND)
        return AddPositional(root, tag, flags, image, size, position);
    return CSTreeAdd(root, tag, flags, image, size, keyMode);
}

CSTREE *CSTreeFind(CSTREE *root, const void *key, int keyMode)
{
    if (keyMode == CSKEY_APPEND || IsPositional(root))
        return nullptr;
    CSTREE *e = root;
    while (e) {
        int c = Compare(key, e, keyMode);
        if (c == 0)
            return e;
        e = c < 0 ? e->left : e->right;
    }
    return nullptr;
}

CSTREE *CSTreeFirst(CSTREE *root)
{
    CSTREE *e = root;
    while (e && e->left)
        e = e->left;
    return e;
}

CSTREE *CSTreeLast(CSTREE *root)
{
    CSTREE *e = root;
    if (IsPositional(e)) {
        while (e->next)
            e = e->next;
        return e;
    }
    while (e && e->right)
        e = e->right;
    return e;
}

CSTREE *CSTreeFindInt(CSTREE *root, uint32_t n)
{
    if (IsPositional(root)) {
        for (CSTREE *e = root; e; e = e->next)
            if (e->order == n)
                return e;
        return nullptr;
    }
    CSTREE *e = root;
    while (e && e->order != n)
        e = n < e->order ? e->left : e->right;
    return e;
}

/* Takes the element with element's key out of the tree and the chain;
 * the elements after it are numbered again, whether or not the tree was
 * filled with CSTREE_NORENUM. */
static CSTREE *Remove(CSTREE **root, CSTREE *element, int keyMode)
{
    if (!element || !(keyMode >= 0 || keyMode == CSKEY_STRPTR_NOCASE || keyMode == CSKEY_STRPTR))
        return nullptr;
    if (IsPositional(*root))
        return nullptr;
    CSTREE **path[MAX_DEPTH];
    int k = 0;
    const void *key = KeyOf(element, keyMode);
    CSTREE **slot = root;
    for (;;) {
        if (!*slot || k >= MAX_DEPTH - 2)
            return nullptr;
        path[k] = slot;
        int c = Compare(key, *slot, keyMode);
        if (c == 0)
            break;
        slot = c < 0 ? &(*slot)->left : &(*slot)->right;
        k++;
    }
    CSTREE *t = *slot;
    int start;
    if (!t->left && !t->right) {
        *slot = nullptr;
        start = k - 1;
    } else {
        int right = Height(t->left) < Height(t->right);
        int m = k + 1;
        path[m] = right ? &t->right : &t->left;
        for (;;) {
            CSTREE *r = *path[m];
            CSTREE **inner = right ? &r->left : &r->right;
            if (!*inner || m + 1 == MAX_DEPTH)
                break;
            path[++m] = inner;
        }
        CSTREE *r = *path[m];
        *path[m] = right ? r->right : r->left;   /* detach the replacement */
        r->left = t->left;
        r->right = t->right;
        r->height = t->height;
        *slot = r;
        path[k + 1] = right ? &r->right : &r->left;
        start = m - 1;
    }
    RebalancePath(path, start);
    if (t->prev)
        t->prev->next = t->next;
    if (t->next)
        t->next->prev = t->prev;
    RenumberAfter(t->prev, t->next);
    t->left = t->right = t->prev = t->next = nullptr;
    return t;
}

int CSTreeDelete(CSTREE **root, CSTREEFUNC callback, void *context, CSTREE *element,
                 int keyMode)
{
    CSTREE *e = Remove(root, element, keyMode);
    if (!e)
        return CSTREE_NOTFOUND;
    if (callback)
        callback(e, context);
    CSLinkRemoveAll(e, 0);
    CSFreeMem(e);
    return 0;
}

CSTREE *CSTreeUnlink(CSTREE **root, CSTREE *element, int keyMode)
{
    return Remove(root, element, keyMode);
}

static void FreeSubtree(CSTREE *e, CSTREEFUNC callback, void *context)
{
    if (!e)
        return;
    if (callback)
        callback(e, context);
    CSLinkRemoveAll(e, 0);
    FreeSubtree(e->left, callback, context);
    FreeSubtree(e->right, callback, context);
    CSFreeMem(e);
}

void CSTreeFree(CSTREE **root, CSTREEFUNC callback, void *context)
{
    FreeSubtree(*root, callback, context);
    *root = nullptr;
}

static void WalkSubtree(CSTREE **root, CSTREE **slot, CSTREEWALKFUNC callback, void *context)
{
    CSTREE *e = *slot;
    if (!e)
        return;
    WalkSubtree(root, &e->left, callback, context);
    WalkSubtree(root, &e->right, callback, context);
    /* The callback sees the element still in its slot; the slot lies in
     * the parent (not yet called back) or is the root slot, so clearing
     * it afterwards reads nothing the callback may have freed. */
    callback(root, e, context);
    *slot = nullptr;
}

void CSTreeWalk(CSTREE **root, CSTREEWALKFUNC callback, void *context)
{
    WalkSubtree(root, root, callback, context);
}

struct LevelNode {
    LevelNode *next;
    CSTREE *element;
};

void CSTreeForEach(CSTREE *root, CSTREEFUNC callback, void *context)
{
    if (!root || IsPositional(root))
        return;
    LevelNode *head = (LevelNode *)malloc(sizeof(LevelNode)), *tail = head;
    if (!head)
        return;
    head->next = nullptr;
    head->element = root;
    while (head) {
        CSTREE *e = head->element;
        for (CSTREE *child : {e->left, e->right}) {
            if (!child)
                continue;
            LevelNode *n = (LevelNode *)malloc(sizeof(LevelNode));
            if (!n)
                continue;   /* that subtree is skipped */
            n->next = nullptr;
            n->element = child;
            tail->next = n;
            tail = n;
        }
        LevelNode *done = head;
        head = head->next;
        free(done);
        callback(e, context);
    }
}

void CSListForEach(CSTREE *root, CSTREEFUNC callback, void *context)
{
    CSTREE *e = CSTreeFirst(root);
    while (e) {
        CSTREE *next = e->next;
        callback(e, context);
        e = next;
    }
}

void CSListRenumber(CSTREE *root)
{
    Renumber(CSTreeFirst(root), 0);
}
