/* Lists (CSLIST) and links (CSLINK). */
#include "cslist.h"
#include "csmem.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

static_assert(sizeof(CSLISTELEM) == CSLIST_HEADER, "list element header is 32 bytes");
static_assert(sizeof(CSLINK) == 48, "link node is 48 bytes");

static void *ElemData(CSLISTELEM *e)
{
    return (char *)e + CSLIST_HEADER;
}

CSLISTELEM *CSListAdd(CSLIST *list, const char *tag, int flags, const void *data, size_t size)
{
    size_t dataLen = flags & CSLIST_COPYDATA ? size : size - CSLIST_HEADER;
    if (!(flags & CSLIST_COPYDATA) && size < CSLIST_HEADER)
        return nullptr;
    if (dataLen > CSLIST_MAXDATA)
        return nullptr;
    CSLISTELEM *e;
    if (flags & CSLIST_LINK)
        e = (CSLISTELEM *)data;
    else {
        e = (CSLISTELEM *)CSGetMem(dataLen + CSLIST_HEADER, tag ? tag : "CSLIST");
        if (!e)
            return nullptr;
        if (flags & CSLIST_COPYDATA)
            memcpy(ElemData(e), data, dataLen);
        else
            memcpy(e, data, size);
        e->flags = 0;
    }
    e->length = (uint16_t)dataLen;
    e->spare = 0;
    e->list = list;
    e->next = nullptr;
    e->prev = list->last;
    if (list->last)
        list->last->next = e;
    else
        list->first = e;
    list->last = e;
    list->count++;
    return e;
}

int32_t CSListCount(const CSLIST *list)
{
    return list->count;
}

void CSListFree(CSLIST *list, CSLISTFUNC callback, void *context)
{
    CSLISTELEM *e = list->first;
    while (e) {
        if (callback)
            callback(e, context);
        CSLISTELEM *next = e->next;
        CSFreeMem(e);
        e = next;
    }
    list->first = list->last = nullptr;
    list->count = 0;
}

void CSListRemove(CSLISTELEM *e)
{
    CSLIST *list = e->list;
    if (e->prev)
        e->prev->next = e->next;
    else
        list->first = e->next;
    if (e->next)
        e->next->prev = e->prev;
    else
        list->last = e->prev;
    list->count--;
    CSFreeMem(e);
}

void *CSListContains(void *head, const void *pointer)
{
    for (void *p = head; p; p = *(void **)p)
        if (p == pointer)
            return p;
    return nullptr;
}

CSLISTELEM *CSListFindKey(CSLIST *list, int flags, const void *key, size_t length)
{
    const void *bytes = flags & CSLIST_COPYDATA ? key : (const char *)key + CSLIST_HEADER;
    for (CSLISTELEM *e = list->first; e; e = e->next) {
        int16_t n = (int16_t)e->length;   /* signed, as the field was always read */
        if (n >= 0 && (size_t)n == length && memcmp(ElemData(e), bytes, length) == 0)
            return e;
    }
    return nullptr;
}

/* Links.  An object's chain head is the fifth pointer of its header. */
static CSLINK **ChainHead(void *object)
{
    return (CSLINK **)object + 4;
}

static void PushLink(CSLINK *node, void *owner)
{
    CSLINK **head = ChainHead(owner);
    node->prev = nullptr;
    node->next = *head;
    if (*head)
        (*head)->prev = node;
    *head = node;
}

CSLINK *CSLinkAdd(void *first, void *second, int type, uint32_t value)
{
    CSLINK *a = (CSLINK *)calloc(1, sizeof(CSLINK));
    CSLINK *b = (CSLINK *)calloc(1, sizeof(CSLINK));
    if (!a || !b) {
        free(a);
        free(b);
        return nullptr;
    }
    for (CSLINK *n : {a, b}) {
        n->first = first;
        n->second = second;
        n->type = (uint16_t)type;
        n->value = value;
    }
    a->side = 0;
    b->side = 1;
    a->partner = b;
    b->partner = a;
    PushLink(a, first);
    PushLink(b, second);
    return a;
}

CSLINK *CSLinkNext(void *object, int type, CSLINK *after)
{
    CSLINK *n = after ? after->next : *ChainHead(object);
    while (n && type != 0 && n->type != type)
        n = n->next;
    return n;
}

static void Unchain(CSLINK *node)
{
    void *owner = node->side == 0 ? node->first : node->second;
    if (node->prev)
        node->prev->next = node->next;
    else
        *ChainHead(owner) = node->next;
    if (node->next)
        node->next->prev = node->prev;
}

void CSLinkRemove(CSLINK *node)
{
    CSLINK *partner = node->partner;
    Unchain(node);
    Unchain(partner);
    free(node);
    free(partner);
}

void CSLinkRemoveAll(void *object, int type)
{
    /* From the head each time: with an object linked to itself the
     * partner may be the next node. */
    CSLINK *n;
    while ((n = CSLinkNext(object, type, nullptr)) != nullptr)
        CSLinkRemove(n);
}
