/* The undo list of a pane: one record per primitive edit of a byte
 * buffer (the message data, the descriptor, the typing buffer), grouped
 * per user action; the primitives that add a record and then change the
 * buffer, each record's apply and undo step, Undo, Redo and the rollback
 * of a failed action.
 *
 * A hex field's digits are addressed as half-bytes: digit n is the high
 * half of byte n / 2 when n is even.  The half-byte flag (EF_HALF_BYTE)
 * marks a byte whose low digit is only a placeholder: one digit was
 * typed into a new byte and the next digit typed fills it. */
#include "edops.h"
#include "eddialog.h"
#include "cstext.h"
#include "csmem.h"
#include <cstdio>
#include <cstring>

static const char noMemory[] = "The system does not have sufficient memory";
enum : uint32_t { GROW_STEP_MOST = 0x500000 };

static EdUndoRecord *Position(const PCFDATA *ed) { return (EdUndoRecord *)ed->undoPosition; }

static void Changed(PCFDATA *ed, CSDATA *buffer)
{
    if (buffer != &ed->typed)
        ed->generation++;
}

/* Room for more bytes: the buffer grows by at least its length (capped). */
static int Room(CSDATA *b, uint64_t more)
{
    if (more <= (uint64_t)(b->capacity - b->length) && (b->data || more == 0))
        return 1;
    uint64_t step = b->length < GROW_STEP_MOST ? b->length : GROW_STEP_MOST;
    if (step < more)
        step = more;
    if ((uint64_t)b->length + step > 0xFFFFF000u)
        return 0;
    return CSDataGrow(b, (size_t)step, nullptr);
}

static uint32_t Magnitude(int32_t n) { return n < 0 ? (uint32_t)-(int64_t)n : (uint32_t)n; }

/* Bytes a record saves for its type and count. */
static uint64_t SavedSize(int type, int32_t count)
{
    uint64_t n = Magnitude(count);
    switch (type) {
    case UNDO_DELETE_BYTES: case UNDO_INSERT_BYTES: return n;
    case UNDO_TYPING_START: case UNDO_TYPING_END: return n + 1;
    case UNDO_REPLACE_BYTES: case UNDO_SHIFT_BYTES: return 2 * n;
    case UNDO_DELETE_NIBBLES: case UNDO_INSERT_NIBBLES: return n / 2 + 1;
    case UNDO_REPLACE_NIBBLES: case UNDO_SHIFT_NIBBLES: return n + 1;
    }
    return 0;
}

static void FreeChain(EdUndoRecord *r)
{
    while (r) {
        EdUndoRecord *next = r->next;
        CSFreeMem(r);
        r = next;
    }
}

/* The new part of the saved bytes from a source (fewer than 2 units: the
 * first one repeated). */
static void FillNewBytes(unsigned char *to, uint32_t n, const unsigned char *src, uint32_t srcLength)
{
    if (!src || !n)
        return;
    if (srcLength < 2) {
        memset(to, src[0], n);
        return;
    }
    for (uint32_t done = 0; done < n; done += srcLength)
        memcpy(to + done, src, n - done < srcLength ? n - done : srcLength);
}

static void FillNewDigits(unsigned char *to, uint32_t at, uint32_t n, const unsigned char *src,
                          uint32_t srcDigits)
{
    if (!src || !n)
        return;
    if (srcDigits < 2) {
        UTFillNibbles(to, (int)at, UTGetNibble(src, 0), (int)n);
        return;
    }
    for (uint32_t done = 0; done < n; done += srcDigits)
        UTCopyNibbles(to, (int)(at + done), src, 0, (int)(n - done < srcDigits ? n - done : srcDigits));
}

/* The old part of the saved bytes, read before the buffer changes. */
static void SaveOld(PCFDATA *ed, EdUndoRecord *r)
{
    unsigned char *s = EdUndoBytes(r), *d = r->buffer->data;
    uint32_t n = Magnitude(r->count), p = r->position;
    switch (r->type) {
    case UNDO_DELETE_BYTES: case UNDO_REPLACE_BYTES:
        memcpy(s, d + p, n);
        break;
    case UNDO_SHIFT_BYTES:
        memcpy(s, d + (r->count < 0 ? p : r->a + r->b - n), n);
        break;
    case UNDO_TYPING_START: case UNDO_TYPING_END:
        if (n)
            memcpy(s, ed->typed.data, n);
        s[n] = 0;
        break;
    case UNDO_DELETE_NIBBLES:
        UTCopyNibbles(s, 0, d, (int)p, (int)n);
        break;
    case UNDO_REPLACE_NIBBLES:
        UTCopyNibbles(s, 0, d, (int)r->a, (int)n);
        break;
    case UNDO_SHIFT_NIBBLES:
        UTCopyNibbles(s, 0, d, (int)(r->count < 0 ? p : r->a + r->b - n), (int)n);
        break;
    }
}

EdUndoRecord *EdAddUndo(PCFDATA *ed, int type, CSDATA *buffer, uint32_t a, uint32_t b, uint32_t position,
                        int32_t count, const void *source, uint32_t sourceLength)
{
    if (!Position(ed)) {
        EdUndoRecord *head = (EdUndoRecord *)CSGetMem(sizeof *head, "UNDO");
        if (!head) {
            EdSetErrorText(ed, noMemory);
            return nullptr;
        }
        memset(head, 0, sizeof *head);
        ed->undoPosition = head;
    }
    EdUndoRecord *at = Position(ed);
    FreeChain(at->next);                /* a new edit ends redo */
    at->next = nullptr;
    uint64_t saved = SavedSize(type, count);
    EdUndoRecord *r = saved > 0x7FFFFFFF ? nullptr : (EdUndoRecord *)CSGetMem(sizeof *r + (size_t)saved, "UNDO");
    if (!r) {
        EdSetErrorText(ed, noMemory);
        return nullptr;
    }
    memset(r, 0, sizeof *r);
    r->group = ed->undoGroup;
    r->type = (uint16_t)type;
    r->flags = (ed->editFlags & EF_HALF_BYTE) ? 1 : 0;
    r->cursorBefore = r->cursorAfter = ed->groupCursor;
    r->anchorBefore = r->anchorAfter = ed->groupAnchor;
    r->buffer = buffer;
    r->a = a;
    r->b = b;
    r->position = position;
    r->count = count;
    r->saved = (uint32_t)saved;
    r->previous = at;
    at->next = r;
    ed->undoPosition = r;
    SaveOld(ed, r);
    unsigned char *s = EdUndoBytes(r);
    uint32_t n = Magnitude(count);
    const unsigned char *src = (const unsigned char *)source;
    switch (type) {
    case UNDO_INSERT_BYTES: FillNewBytes(s, n, src, sourceLength); break;
    case UNDO_REPLACE_BYTES: case UNDO_SHIFT_BYTES: FillNewBytes(s + n, n, src, sourceLength); break;
    case UNDO_INSERT_NIBBLES: FillNewDigits(s, 0, n, src, sourceLength); break;
    case UNDO_REPLACE_NIBBLES: case UNDO_SHIFT_NIBBLES: FillNewDigits(s, n, n, src, sourceLength); break;
    }
    return r;
}

/* Drops the newest record when its edit could not be made. */
static void Discard(PCFDATA *ed, EdUndoRecord *r)
{
    ed->undoPosition = r->previous;
    r->previous->next = nullptr;
    CSFreeMem(r);
}

/* ---- one record's steps ---- */

static void TypingText(PCFDATA *ed, const unsigned char *text, uint32_t n, int active)
{
    if (CSDataEnsure(&ed->typed, (size_t)n + 1 > ed->typed.length ? n + 1 - ed->typed.length : 0, nullptr) &&
        ed->typed.data) {
        memcpy(ed->typed.data, text, n);
        ed->typed.data[n] = 0;
        ed->typed.length = n;
    }
    ed->typing = (uint32_t)active;
    if (!active)
        ed->deferred = 0;
}

/* Digit runs of a hex insert: the first digit into a placeholder, then
 * whole bytes opened for the rest. */
struct NibbleInsert {
    uint32_t first;             /* 1: digit 0 fills the placeholder at the position */
    uint32_t at, rest, shift;   /* where the rest goes, its digits, the tail's move */
};
static NibbleInsert InsertShape(uint32_t p, uint32_t n)
{
    NibbleInsert s = {};
    s.first = (p & 1) && (n & 1);
    s.at = p + s.first;
    s.rest = n - s.first;
    s.shift = 2 * ((s.rest + 1) / 2);
    return s;
}

static int Apply(PCFDATA *ed, EdUndoRecord *r)
{
    CSDATA *b = r->buffer;
    if (b == &ed->data && !EdKeepSavedData(ed))
        return 0;
    unsigned char *s = EdUndoBytes(r);
    uint32_t n = Magnitude(r->count), p = r->position;
    switch (r->type) {
    case UNDO_DELETE_BYTES:
        if (p > b->length || n > b->length - p)
            return 0;
        memmove(b->data + p, b->data + p + n, b->length - p - n);
        b->length -= n;
        break;
    case UNDO_INSERT_BYTES:
        if (p > b->length || !Room(b, n))
            return 0;
        memmove(b->data + p + n, b->data + p, b->length - p);
        memcpy(b->data + p, s, n);
        b->length += n;
        break;
    case UNDO_REPLACE_BYTES:
        memcpy(b->data + p, s + n, n);
        break;
    case UNDO_SHIFT_BYTES: {
        uint32_t end = r->a + r->b;
        if (r->count > 0) {
            memmove(b->data + p + n, b->data + p, end - p - n);
            memcpy(b->data + p, s + n, n);
        } else {
            memmove(b->data + p, b->data + p + n, end - p - n);
            memcpy(b->data + end - n, s + n, n);
        }
        break;
    }
    case UNDO_DELETE_NIBBLES: {
        uint32_t pending = (ed->editFlags & EF_HALF_BYTE) ? 1 : 0;
        uint64_t total = 2ull * b->length - pending;
        if (p + (uint64_t)n > total)
            return 0;
        UTCopyNibbles(b->data, (int)p, b->data, (int)(p + n), (int)(2 * b->length - p - n));
        UTFillNibbles(b->data, (int)(2 * b->length - n), 0, (int)n);
        uint64_t left = total - n;
        b->length = (uint32_t)((left + 1) / 2);
        ed->editFlags = (left & 1) ? ed->editFlags | EF_HALF_BYTE : ed->editFlags & ~EF_HALF_BYTE;
        break;
    }
    case UNDO_INSERT_NIBBLES: {
        NibbleInsert k = InsertShape(p, n);
        if (p > 2 * b->length || !Room(b, k.shift / 2))
            return 0;
        if (k.first)
            UTSetNibble(b->data, (int)p, UTGetNibble(s, 0));
        uint32_t old = b->length;
        b->length += k.shift / 2;
        UTCopyNibbles(b->data, (int)(k.at + k.shift), b->data, (int)k.at, (int)(2 * old - k.at));
        UTCopyNibbles(b->data, (int)k.at, s, (int)k.first, (int)k.rest);
        if (k.rest & 1)
            UTSetNibble(b->data, (int)(k.at + k.rest), 0);
        ed->editFlags = (k.rest & 1) ? ed->editFlags | EF_HALF_BYTE : ed->editFlags & ~EF_HALF_BYTE;
        break;
    }
    case UNDO_REPLACE_NIBBLES:
        UTCopyNibbles(b->data, (int)r->a, s, (int)n, (int)n);
        break;
    case UNDO_SHIFT_NIBBLES: {
        uint32_t end = r->a + r->b;
        if (r->count > 0) {
            UTCopyNibbles(b->data, (int)(p + n), b->data, (int)p, (int)(end - p - n));
            UTCopyNibbles(b->data, (int)p, s, (int)n, (int)n);
        } else {
            UTCopyNibbles(b->data, (int)p, b->data, (int)(p + n), (int)(end - p - n));
            UTCopyNibbles(b->data, (int)(end - n), s, (int)n, (int)n);
        }
        break;
    }
    case UNDO_TYPING_START:
        TypingText(ed, s, n, 1);
        ed->cursor.overflow = (int8_t)r->position;
        break;
    case UNDO_TYPING_END:
        if (ed->typed.data && n < ed->typed.capacity)
            ed->typed.data[n] = 0;
        ed->typing = 0;
        ed->deferred = 0;
        break;
    default:
        return 0;
    }
    Changed(ed, b);
    return 1;
}

static int Revert(PCFDATA *ed, EdUndoRecord *r)
{
    CSDATA *b = r->buffer;
    if (b == &ed->data && !EdKeepSavedData(ed))
        return 0;
    unsigned char *s = EdUndoBytes(r);
    uint32_t n = Magnitude(r->count), p = r->position;
    switch (r->type) {
    case UNDO_DELETE_BYTES:
        if (!Room(b, n))
            return 0;
        memmove(b->data + p + n, b->data + p, b->length - p);
        memcpy(b->data + p, s, n);
        b->length = r->b;
        break;
    case UNDO_INSERT_BYTES:
        if (n <= b->length)
            memmove(b->data + p, b->data + p + n, b->length - p - n);
        b->length = r->b;
        break;
    case UNDO_REPLACE_BYTES:
        memcpy(b->data + p, s, n);
        break;
    case UNDO_SHIFT_BYTES: {
        uint32_t end = r->a + r->b;
        if (r->count > 0) {
            memmove(b->data + p, b->data + p + n, end - p - n);
            memcpy(b->data + end - n, s, n);
        } else {
            memmove(b->data + p + n, b->data + p, end - p - n);
            memcpy(b->data + p, s, n);
        }
        break;
    }
    case UNDO_DELETE_NIBBLES:
        if (r->b > b->capacity)
            return 0;
        b->length = r->b;
        UTCopyNibbles(b->data, (int)(p + n), b->data, (int)p, (int)(2 * r->b - p - n));
        UTCopyNibbles(b->data, (int)p, s, 0, (int)n);
        break;
    case UNDO_INSERT_NIBBLES: {
        NibbleInsert k = InsertShape(p, n);
        UTCopyNibbles(b->data, (int)k.at, b->data, (int)(k.at + k.shift), (int)(2 * r->b - k.at));
        b->length = r->b;
        if (k.first)
            UTSetNibble(b->data, (int)p, 0);
        break;
    }
    case UNDO_REPLACE_NIBBLES:
        UTCopyNibbles(b->data, (int)r->a, s, 0, (int)n);
        break;
    case UNDO_SHIFT_NIBBLES: {
        uint32_t end = r->a + r->b;
        if (r->count > 0) {
            UTCopyNibbles(b->data, (int)p, b->data, (int)(p + n), (int)(end - p - n));
            UTCopyNibbles(b->data, (int)(end - n), s, 0, (int)n);
        } else {
            UTCopyNibbles(b->data, (int)(p + n), b->data, (int)p, (int)(end - p - n));
            UTCopyNibbles(b->data, (int)p, s, 0, (int)n);
        }
        break;
    }
    case UNDO_TYPING_START:
        ed->typing = 0;
        ed->deferred = 0;
        break;
    case UNDO_TYPING_END:
        TypingText(ed, s, n, 1);
        ed->cursor.overflow = (int8_t)r->position;
        break;
    default:
        return 0;
    }
    if (r->type != UNDO_TYPING_START && r->type != UNDO_TYPING_END)
        ed->editFlags = (r->flags & 1) ? ed->editFlags | EF_HALF_BYTE : ed->editFlags & ~EF_HALF_BYTE;
    Changed(ed, b);
    return 1;
}

/* A restored position is placed again by the next line count. */
static void Restore(EdPosition *to, const EdPosition *from)
{
    *to = *from;
    to->placed = 0;
}

int EdApplyRedo(PCFDATA *ed, EdUndoRecord *r)
{
    if (!r || r->type < UNDO_DELETE_BYTES || r->type > UNDO_TYPING_END || !Apply(ed, r))
        return 0;
    Restore(&ed->cursor, &r->cursorAfter);
    Restore(&ed->anchor, &r->anchorAfter);
    return 1;
}

int EdApplyUndo(PCFDATA *ed, EdUndoRecord *r)
{
    if (!r || r->type < UNDO_DELETE_BYTES || r->type > UNDO_TYPING_END || !Revert(ed, r))
        return 0;
    Restore(&ed->cursor, &r->cursorBefore);
    Restore(&ed->anchor, &r->anchorBefore);
    return 1;
}

/* ---- the primitives ---- */

/* Adds the record and applies it; a failed step leaves no record. */
static int Edit(PCFDATA *ed, int type, CSDATA *buffer, uint32_t a, uint32_t b, uint32_t position, int32_t count,
                const void *source, uint32_t sourceLength)
{
    EdUndoRecord *r = EdAddUndo(ed, type, buffer, a, b, position, count, source, sourceLength);
    if (!r)
        return 0;
    if (!Apply(ed, r)) {
        Discard(ed, r);
        EdSetErrorText(ed, noMemory);
        return 0;
    }
    return 1;
}

int EdDeleteBytes(PCFDATA *ed, CSDATA *buffer, uint32_t at, uint32_t count)
{
    if (at > buffer->length || count > buffer->length - at) {
        EdSetErrorText(ed, "There is no data to delete");
        return 0;
    }
    if (!count)
        return 1;
    return Edit(ed, UNDO_DELETE_BYTES, buffer, 0, buffer->length, at, (int32_t)count, nullptr, 0);
}

/* count bytes inserted from source (one byte: that byte repeated) */
static int Insert(PCFDATA *ed, CSDATA *buffer, uint32_t at, uint32_t count, const void *source,
                  uint32_t sourceLength)
{
    if (at > buffer->length || count > 0x7FFFFFFF) {
        EdSetErrorText(ed, "Cannot insert beyond end of field");
        return 0;
    }
    if (!count)
        return 1;
    if (!Room(buffer, count)) {
        EdSetErrorText(ed, noMemory);
        return 0;
    }
    return Edit(ed, UNDO_INSERT_BYTES, buffer, 0, buffer->length, at, (int32_t)count, source, sourceLength);
}

int EdInsertBytes(PCFDATA *ed, CSDATA *buffer, uint32_t at, const void *bytes, uint32_t count)
{
    return Insert(ed, buffer, at, count, bytes, count);
}

int EdInsertRun(PCFDATA *ed, CSDATA *buffer, uint32_t at, unsigned char value, uint32_t count)
{
    return Insert(ed, buffer, at, count, &value, 1);
}

int EdReplaceBytes(PCFDATA *ed, CSDATA *buffer, uint32_t at, const void *bytes, uint32_t count)
{
    if (at > buffer->length || count > buffer->length - at || count > 0x7FFFFFFF) {
        EdSetErrorText(ed, "Cannot insert beyond end of field");
        return 0;
    }
    if (!count)
        return 1;
    return Edit(ed, UNDO_REPLACE_BYTES, buffer, 0, 0, at, (int32_t)count, bytes, count);
}

int EdShiftBytes(PCFDATA *ed, CSDATA *buffer, uint32_t regionStart, uint32_t regionLength, uint32_t at,
                 int32_t shift, const void *bytes, uint32_t byteCount)
{
    uint64_t end = (uint64_t)regionStart + regionLength;
    uint32_t n = Magnitude(shift);
    if (end > buffer->length || at < regionStart || at > end || n > end - at) {
        EdSetErrorText(ed, "Cannot insert beyond end of field");
        return 0;
    }
    if (!n)
        return 1;
    return Edit(ed, UNDO_SHIFT_BYTES, buffer, regionStart, regionLength, at, shift, bytes, byteCount);
}

int EdDeleteNibbles(PCFDATA *ed, CSDATA *buffer, uint32_t digit, uint32_t count)
{
    if (!buffer->length) {
        EdSetErrorText(ed, "There is no data to delete");
        return 0;
    }
    uint32_t pending = (ed->editFlags & EF_HALF_BYTE) ? 1 : 0;
    if (digit > 2ull * buffer->length - pending || count > 2ull * buffer->length - pending - digit) {
        EdSetErrorText(ed, "Cannot delete beyond end of data");
        return 0;
    }
    if (!count)
        return 1;
    return Edit(ed, UNDO_DELETE_NIBBLES, buffer, 0, buffer->length, digit, (int32_t)count, nullptr, 0);
}

int EdInsertNibbles(PCFDATA *ed, CSDATA *buffer, uint32_t digit, const unsigned char *digits, uint32_t count)
{
    if (digit > 2ull * buffer->length || count > 0x7FFFFFFF) {
        EdSetErrorText(ed, "Cannot insert beyond end of field");
        return 0;
    }
    if (!count)
        return 1;
    NibbleInsert k = InsertShape(digit, count);
    if (!Room(buffer, k.shift / 2)) {
        EdSetErrorText(ed, noMemory);
        return 0;
    }
    return Edit(ed, UNDO_INSERT_NIBBLES, buffer, 0, buffer->length, digit, (int32_t)count, digits, count);
}

int EdReplaceNibbles(PCFDATA *ed, CSDATA *buffer, uint32_t digit, const unsigned char *digits, uint32_t count)
{
    if (digit > 2ull * buffer->length || (count + 1) / 2 > buffer->length - digit / 2 ||
        digit + (uint64_t)count > 2ull * buffer->length)
        return 0;
    if (!count)
        return 1;
    return Edit(ed, UNDO_REPLACE_NIBBLES, buffer, digit, 0, digit, (int32_t)count, digits, count);
}

int EdShiftNibbles(PCFDATA *ed, CSDATA *buffer, uint32_t regionStart, uint32_t regionDigits, uint32_t digit,
                   int32_t count, const unsigned char *digits, uint32_t digitCount)
{
    uint64_t end = (uint64_t)regionStart + regionDigits;
    uint32_t n = Magnitude(count);
    if (end < digit || end > 2ull * buffer->length || digit < regionStart || n > end - digit)
        return 0;
    if (!n)
        return 1;
    return Edit(ed, UNDO_SHIFT_NIBBLES, buffer, regionStart, regionDigits, digit, count, digits, digitCount);
}

int EdAddTypingRecord(PCFDATA *ed, int type)
{
    uint32_t n = ed->typed.data ? (uint32_t)strnlen((const char *)ed->typed.data, ed->typed.capacity) : 0;
    EdUndoRecord *r = EdAddUndo(ed, type, &ed->typed, 0, 0, (uint32_t)(uint8_t)ed->cursor.overflow,
                                (int32_t)n, nullptr, 0);
    return r != nullptr;
}

/* ---- groups, Undo and Redo ---- */

void EdSetStatus(PCFDATA *ed, const char *text)
{
    if (text != ed->status)
        EdSetErrorText(ed, text);
    ed->statusShown = 1;
    if (ed->dialog)
        ED_HOST(edHost, status, ed->dialog, ed->status, 6);
    if (!ed->quiet)
        ED_HOST(edHost, errorSound);
}

/* Clears a status text that is shown. */
static void ClearStatus(PCFDATA *ed)
{
    if (ed->statusShown && ed->dialog)
        ED_HOST(edHost, status, ed->dialog, "", 1);
    ed->statusShown = 0;
    ed->status[0] = 0;
}

void EdBeginUndoGroup(PCFDATA *ed)
{
    ed->undoGroup++;
    ed->editFlags |= EF_GROUP_OPEN;
    ed->groupCursor = ed->cursor;
    ed->groupAnchor = ed->anchor;
    ed->quiet = 0;
    ClearStatus(ed);
}

static int TypingRecord(const EdUndoRecord *r)
{
    return r && (r->type == UNDO_TYPING_START || r->type == UNDO_TYPING_END);
}

/* Typing that no record stands for any more ends without a record. */
static void EndStrayTyping(PCFDATA *ed)
{
    if (ed->typing && !TypingRecord(Position(ed))) {
        ed->typing = 0;
        ed->deferred = 0;
        ed->cursor.overflow = 0;
    }
}

/* Takes back the group of the undo position; rollback frees its records. */
static void UndoGroup(PCFDATA *ed, int rollback)
{
    EdUndoRecord *r = Position(ed);
    uint16_t group = r->group;
    ed->editFlags |= EF_UNDOING;
    while (r && r->type && r->group == group) {
        EdApplyUndo(ed, r);
        EdUndoRecord *back = r->previous;
        ed->undoPosition = back;
        if (rollback) {
            back->next = nullptr;
            CSFreeMem(r);
        }
        r = back;
    }
    ed->editFlags &= ~EF_UNDOING;
    EndStrayTyping(ed);
}

void EdEndUndoGroup(PCFDATA *ed, int success)
{
    ed->editFlags &= ~EF_GROUP_OPEN;
    EdUndoRecord *r = Position(ed);
    if (success) {
        for (; r && r->type && r->group == ed->undoGroup; r = r->previous) {
            r->cursorAfter = ed->cursor;
            r->anchorAfter = ed->anchor;
        }
    } else {
        if (r && r->type && r->group == ed->undoGroup)
            UndoGroup(ed, 1);
        else
            EndStrayTyping(ed);
        if (ed->status[0])
            EdSetStatus(ed, ed->status);
    }
    if (ed->dialog)
        ED_HOST(edHost, browseState, ed->dialog);
    EdDebugState(ed);
}

int EdUndo(PCFDATA *ed, int rollback)
{
    ClearStatus(ed);
    EdUndoRecord *r = Position(ed);
    int done = r && r->type;
    if (done)
        UndoGroup(ed, rollback);
    if (ed->dialog)
        ED_HOST(edHost, browseState, ed->dialog);
    EdBuildLineData(ed, 1);
    return done;
}

int EdRedo(PCFDATA *ed)
{
    ClearStatus(ed);
    EdUndoRecord *r = Position(ed);
    int done = r && r->next;
    if (done) {
        ed->editFlags |= EF_REDOING;
        uint16_t group = r->next->group;
        while (r->next && r->next->group == group) {
            EdApplyRedo(ed, r->next);
            r = r->next;
            ed->undoPosition = r;
        }
        ed->editFlags &= ~EF_REDOING;
    }
    if (ed->dialog)
        ED_HOST(edHost, browseState, ed->dialog);
    EdBuildLineData(ed, 1);
    return done;
}

int EdCanUndo(const PCFDATA *ed)
{
    const EdUndoRecord *r = Position(ed);
    return r && r->type;
}

int EdCanRedo(const PCFDATA *ed)
{
    const EdUndoRecord *r = Position(ed);
    return r && r->next;
}

void EdFreeUndoList(PCFDATA *ed)
{
    EdUndoRecord *r = Position(ed);
    if (!r)
        return;
    while (r->previous)
        r = r->previous;
    FreeChain(r);
    ed->undoPosition = nullptr;
}

void EdUndoStats(const PCFDATA *ed, uint32_t *records, uint32_t *bytes)
{
    *records = *bytes = 0;
    const EdUndoRecord *r = Position(ed);
    if (!r)
        return;
    while (r->previous)
        r = r->previous;
    for (; r; r = r->next) {
        (*records)++;
        *bytes += (uint32_t)sizeof *r + r->saved;
    }
}
