/* Lists, balanced trees and links.
 *
 * CSLIST: a doubly linked list with a count.  CSTREE: a height-balanced
 * (AVL) search tree whose elements also form a doubly linked chain in key
 * order and carry an order number; with key mode -5 it can also be a
 * positional list.  CSLINK: pairs of nodes relating two records both ways.
 * Elements are blocks from CSGetMem with their link fields in front of the
 * caller's data.  Nothing here locks: the owner serialises access. */
#pragma once

#include <cstddef>
#include <cstdint>

struct CSLIST;

/* List element header (32 bytes); the data follows it. */
struct CSLISTELEM {
    CSLISTELEM *next;
    CSLISTELEM *prev;
    uint16_t length;       /* data length */
    uint16_t flags;        /* 0 when the list copied the data itself */
    uint32_t spare;
    CSLIST *list;          /* owning list */
};

struct CSLIST {
    CSLISTELEM *first;
    CSLISTELEM *last;
    int32_t count;
};

#define CSLIST_HEADER   32
#define CSLIST_COPYDATA 8     /* copy the data behind a new header */
#define CSLIST_LINK     64    /* link the caller's element image itself */
#define CSLIST_MAXDATA  65535

/* Tree element header (48 bytes); the key follows it. */
struct CSTREE {
    CSTREE *left;
    CSTREE *right;
    CSTREE *prev;          /* chain in key order */
    CSTREE *next;
    struct CSLINK *links;  /* head of the element's link chain */
    uint16_t refs;         /* free for the caller */
    uint16_t height;       /* 1 for a leaf; 65535 in a positional list */
    uint32_t order;        /* position in the chain, from 0 */
};

#define CSTREE_HEADER 48
#define CSTreeKey(e) ((void *)((char *)(e) + CSTREE_HEADER))

/* Key modes (key-length argument of the tree calls); n > 0: n bytes. */
enum CSTreeKeyMode {
    CSKEY_STRING = -1,        /* finding only: NUL-terminated string */
    CSKEY_STRPTR_NOCASE = -2, /* pointer to a string, case folded first */
    CSKEY_STRPTR = -3,        /* pointer to a string, exact */
    CSKEY_INT32 = -4,         /* signed 32-bit integer */
    CSKEY_APPEND = -5         /* adding only: order of adding / positional */
};

/* Tree add flags. */
#define CSTREE_INSERT   0x40  /* insert the caller's block (from CSGetMem) */
#define CSTREE_DUPS     0x80  /* accept a key already present */
#define CSTREE_NORENUM  0x100 /* leave the order numbers alone */

#define CSTREE_NOTFOUND 3

typedef void (*CSLISTFUNC)(CSLISTELEM *element, void *context);
typedef void (*CSTREEFUNC)(CSTREE *element, void *context);
typedef void (*CSTREEWALKFUNC)(CSTREE **root, CSTREE *element, void *context);

/* Lists.  Without CSLIST_COPYDATA, size is the element image's total size
 * (at least 32); with it, size is the data length.  Data above 65535 bytes
 * is refused.  Returns the element or null. */
CSLISTELEM *CSListAdd(CSLIST *list, const char *tag, int flags, const void *data, size_t size);
int32_t CSListCount(const CSLIST *list);
void CSListFree(CSLIST *list, CSLISTFUNC callback, void *context);
void CSListRemove(CSLISTELEM *element);
/* Walks a chain whose records start with their next pointer. */
void *CSListContains(void *head, const void *pointer);
CSLISTELEM *CSListFindKey(CSLIST *list, int flags, const void *key, size_t length);

/* Trees. */
/* Bytewise in order: the sign of the first difference, eight bytes at a
 * time.  A word is read only while no difference came before it, so a
 * shorter key's block is never read more than seven bytes past the byte
 * that tells the two apart (keys of a fixed length are never read past
 * their length). */
inline int CSCompareBytes(const void *a, const void *b, size_t n)
{
    const unsigned char *p = (const unsigned char *)a, *q = (const unsigned char *)b;
    size_t i = 0;
    for (uint64_t x, y; i + 8 <= n; i += 8) {
        __builtin_memcpy(&x, p + i, 8);
        __builtin_memcpy(&y, q + i, 8);
        if (x != y) {
            /* the first differing byte decides: the word read as a
               big-endian number puts it highest */
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            x = __builtin_bswap64(x);
            y = __builtin_bswap64(y);
#endif
            return x < y ? -1 : 1;
        }
    }
    for (; i < n; i++)
        if (p[i] != q[i])
            return p[i] - q[i];
    return 0;
}

CSTREE *CSTreeAdd(CSTREE **root, const char *tag, int flags, const void *image,
                  size_t size, int keyMode);
CSTREE *CSTreeAddEx(CSTREE **root, const char *tag, int flags, const void *image,
                    size_t size, int keyMode, int32_t position);
CSTREE *CSTreeFind(CSTREE *root, const void *key, int keyMode);
CSTREE *CSTreeFirst(CSTREE *root);
CSTREE *CSTreeLast(CSTREE *root);
CSTREE *CSTreeFindInt(CSTREE *root, uint32_t n);
/* 0 deleted, CSTREE_NOTFOUND when not found or element is null. */
int CSTreeDelete(CSTREE **root, CSTREEFUNC callback, void *context,
                 CSTREE *element, int keyMode);
CSTREE *CSTreeUnlink(CSTREE **root, CSTREE *element, int keyMode);
void CSTreeFree(CSTREE **root, CSTREEFUNC callback, void *context);
void CSTreeWalk(CSTREE **root, CSTREEWALKFUNC callback, void *context);
void CSTreeForEach(CSTREE *root, CSTREEFUNC callback, void *context);
void CSListForEach(CSTREE *root, CSTREEFUNC callback, void *context);
void CSListRenumber(CSTREE *root);

/* Links.  An object taking part keeps its chain head in the fifth pointer
 * of its header (CSTREE.links for tree elements). */
struct CSLINK {
    CSLINK *next;
    CSLINK *prev;
    CSLINK *partner;
    void *first;
    void *second;
    uint16_t side;         /* 0 on the first object's chain, 1 the second's */
    uint16_t type;
    uint32_t value;
};

CSLINK *CSLinkAdd(void *first, void *second, int type, uint32_t value);
CSLINK *CSLinkNext(void *object, int type, CSLINK *after);
void CSLinkRemove(CSLINK *node);
void CSLinkRemoveAll(void *object, int type);
