/* The editor's clipboard: Copy puts the selected lines as text and the
 * message bytes under them as hex digits ("Vorsk HEX"), Cut copies and
 * deletes, Paste types what the clipboard holds into the field at the
 * cursor (hex text kept as digits for hex fields, offered as bytes for
 * text fields), Paste All inserts raw bytes.  The clipboard itself is the
 * host's (edClipboard): the system's in the window build, a pair of
 * process-wide blocks elsewhere. */
#include "edint.h"
#include "eddialog.h"
#include "cstext.h"
#include "csmem.h"
#include <cstdio>
#include <cstring>

static const char noData[] = "No data in clipboard";
enum { LARGE_COPY = 51200 };

/* ---- the process-wide clipboard ---- */

static struct {
    char *text, *hex;
    uint32_t textSize, hexSize;
} board;

static int BoardOpen(PCFDATA *) { return 1; }
static void BoardClose(void) {}

static int BoardEmpty(void)
{
    CSFreeMemAndClear(&board.text);
    CSFreeMemAndClear(&board.hex);
    board.textSize = board.hexSize = 0;
    return 1;
}

static int Keep(char **slot, uint32_t *size, const char *bytes, uint32_t n)
{
    CSFreeMemAndClear(slot);
    *size = 0;
    char *copy = (char *)CSGetMem(n ? n : 1, "CLIP");
    if (!copy)
        return 0;
    memcpy(copy, bytes, n);
    *slot = copy;
    *size = n;
    return 1;
}

static int BoardSetText(const char *text, uint32_t n) { return Keep(&board.text, &board.textSize, text, n); }
static int BoardSetHex(const char *hex, uint32_t n) { return Keep(&board.hex, &board.hexSize, hex, n); }

static char *Copy(const char *bytes, uint32_t n, uint32_t *size)
{
    char *c = bytes ? (char *)CSGetMem((size_t)n + 1, "CLIP") : nullptr;
    if (!c)
        return nullptr;
    memcpy(c, bytes, n);
    c[n] = 0;
    *size = n;
    return c;
}

static char *BoardGetText(uint32_t *size)
{
    uint32_t n = board.text ? (uint32_t)strnlen(board.text, board.textSize) : 0;
    return Copy(board.text, n, size);
}

static char *BoardGetHex(uint32_t *size)
{
    return Copy(board.hex, board.hexSize, size);
}

void EdClipboardDefaults(EdClipboardHost *h)
{
    *h = EdClipboardHost{ BoardOpen, BoardEmpty, BoardSetText, BoardSetHex, BoardGetText, BoardGetHex,
                          BoardClose };
}

static EdClipboardHost DefaultBoard()
{
    EdClipboardHost h;
    EdClipboardDefaults(&h);
    return h;
}
EdClipboardHost edClipboard = DefaultBoard();

/* ---- Copy ---- */

/* One end of the range in data terms: its buffer, byte and digit. */
struct CopyEnd {
    CSDATA *buffer;
    uint32_t byte, digit;
};

static int DataAt(PCFDATA *ed, int32_t line, int32_t column, CopyEnd *e)
{
    LINEDATA *l = EdGetLine(ed, line);
    e->buffer = nullptr;
    if (!l || !l->buffer)
        return 0;
    e->buffer = l->buffer;
    char saved[ED_STATUS_SIZE];
    memcpy(saved, ed->status, sizeof saved);
    EdFieldAt at;
    int i = l->lineType ? EdFindField(ed, &at, column, line, 0, 0, 0) : -1;
    memcpy(ed->status, saved, sizeof saved);
    uint32_t d;
    if (i >= 0)
        d = EdKindOf(at.line) == EK_HEX ? at.digit : 2 * (uint32_t)(at.address - at.line->buffer->data);
    else
        d = l->lineType && column >= l->valueColumn + l->valueLength ? 2 * (l->lineOffset + l->dataLength)
                                                                     : 2 * l->lineOffset;
    e->byte = d / 2;
    e->digit = d & 1;
    return 1;
}

/* The message bytes under the range: the data buffer's part when the
 * range reaches it, else the descriptor's. */
static uint32_t DataRange(PCFDATA *ed, const CopyEnd *s, const CopyEnd *e, CSDATA **buffer, uint32_t *from)
{
    *buffer = nullptr;
    *from = 0;
    if (!s->buffer || !e->buffer)
        return 0;
    CopyEnd a = *s, z = *e;
    if (a.buffer != z.buffer) {
        if (z.buffer == &ed->data) {
            a.buffer = &ed->data;
            a.byte = 0;
            a.digit = 0;
        } else {
            z.byte = a.buffer->length;
            z.digit = 0;
        }
    }
    uint64_t end = (uint64_t)z.byte + z.digit;
    if (end > a.buffer->length)
        end = a.buffer->length;
    if (end <= a.byte)
        return 0;
    *buffer = a.buffer;
    *from = a.byte;
    ed->copyStartDigit = (uint8_t)a.digit;
    ed->copyEndDigit = (uint8_t)z.digit;
    return (uint32_t)(end - a.byte);
}

/* Identifies the hex text a copy put on the clipboard: its end digits
 * belong to that text only. */
static uint64_t HexHash(const char *hex, uint32_t n)
{
    uint64_t h = 1469598103934665603ull;
    for (uint32_t i = 0; i < n; i++)
        h = (h ^ (unsigned char)hex[i]) * 1099511628211ull;
    return h;
}

/* The hex digits of the bytes ("CHEX" work block). */
static int PutHex(PCFDATA *ed, const unsigned char *bytes, uint32_t count)
{
    char *hex = (char *)CSGetMem((size_t)count * 2 + 1, "CHEX");
    if (!hex) {
        EdSetStatus(ed, edNoMemory);
        return 0;
    }
    UTBytesToHex(bytes, (int)count, hex, 0);
    ed->copyHash = HexHash(hex, count * 2);
    int ok = edClipboard.setHex(hex, count * 2);
    CSFreeMem(hex);
    return ok;
}

static void Failed(PCFDATA *ed, const char *what)
{
    edClipboard.close();
    if (edClipboard.failed)
        edClipboard.failed(what);
    EdSetErrorText(ed, what);
}

int EdCopy(DialogWords *d, int all)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed || !ed->scroll.lineCount)
        return 0;
    EdCopyRange r = { 0, 9999999, 0, 9999999, 1, nullptr, 0 };
    if (!all) {
        const EdPosition *s = &ed->cursor, *e = &ed->cursor;
        if (EdHasSelection(ed))
            EdSelectionEnds(ed, &s, &e);
        r.first = s->line;
        r.startColumn = s->column;
        r.last = e->line;
        r.endColumn = e->column;
    }
    CopyEnd a, z;
    int32_t lastLine = r.last < ed->scroll.lineCount ? r.last : ed->scroll.lineCount - 1;
    DataAt(ed, r.first, r.startColumn, &a);
    DataAt(ed, lastLine, all ? 10000000 : r.endColumn, &z);
    CSDATA *buffer;
    uint32_t from, count = DataRange(ed, &a, &z, &buffer, &from);
    EdRunCopy(ed, &r);
    uint64_t total = r.size;
    char question[160];
    snprintf(question, sizeof question,
             "!The data is quite large, are you sure you want to copy all %llu bytes to the clipboard ?",
             (unsigned long long)(total - 2));
    if (total >= LARGE_COPY && !ED_HOST(edHost, confirm, d, question, nullptr, 0)) {
        EdSetStatus(ed, "Clipboard copy cancelled");
        return 0;
    }
    if (!total)
        return 0;
    char *text = total + 1 > 0x7FFFFFFF ? nullptr : (char *)CSGetMem((size_t)total + 1, "CLIP");
    if (!text) {
        EdSetStatus(ed, edNoMemory);
        return 0;
    }
    r.out = text;
    EdRunCopy(ed, &r);
    uint32_t size = (uint32_t)(r.size < total ? r.size : total);
    text[size - 2] = 0;                 /* the last line ends in a zero byte */
    int ok = 0;
    if (!edClipboard.open(ed))
        Failed(ed, "OpenClipboard");
    else if (!edClipboard.empty())
        Failed(ed, "EmptyClipboard failed");
    else if (!edClipboard.setText(text, size - 1))
        Failed(ed, "SetClipboard failed");
    else if (count && !PutHex(ed, buffer->data + from, count))
        Failed(ed, "SetClipboard failed");
    else
        ok = 1;
    CSFreeMem(text);
    if (!ok)
        return 0;
    edClipboard.close();
    char status[100];
    snprintf(status, sizeof status, "Copied to Clipboard  : Text(%u bytes) Data(%u bytes)", size - 2, count);
    EdSetErrorText(ed, status);
    ed->statusShown = 1;
    ED_HOST(edHost, status, d, status, 1);
    return 1;
}

int EdCut(DialogWords *d)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed)
        return 0;
    EdBeginUndoGroup(ed);
    EdCopy(d, 0);
    int ok = EdDeleteSelection(d, ed, 0);
    EdEndUndoGroup(ed, ok);
    return ok;
}

/* ---- hex text ---- */

static int Separator(char c) { return c == ' ' || c == '\r' || c == '\n' || c == 0; }
static int HexValue(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                                                                     : -1;
}

int EdIsHexText(const char *text, uint32_t length)
{
    uint32_t digits = 0;
    for (uint32_t i = 0; i < length; i++) {
        if (HexValue(text[i]) >= 0)
            digits++;
        else if (!Separator(text[i]))
            return 0;
    }
    return digits && !(digits & 1);
}

unsigned char *EdHexTextToData(PCFDATA *ed, int flags, const char *text, uint32_t *length, int startDigit,
                               int endDigit)
{
    uint32_t digits = 0, n = *length;
    for (uint32_t i = 0; i < n; i++)
        digits += HexValue(text[i]) >= 0;
    if (!digits)
        return nullptr;
    if (flags & PD_HEX_CHARS) {
        unsigned char *block = (unsigned char *)CSGetMem(n + 1, "CHEXC");
        if (!block) {
            EdSetErrorText(ed, edNoMemory);
            return nullptr;
        }
        uint32_t kept = 0;
        for (uint32_t i = 0; i < n; i++)
            if (!Separator(text[i]))
                block[kept++] = (unsigned char)text[i];
        *length = 2 * kept;
        return block;
    }
    unsigned char *block = (unsigned char *)CSGetMem(digits / 2 + 1, "CHEX");
    if (!block) {
        EdSetErrorText(ed, edNoMemory);
        return nullptr;
    }
    memset(block, 0, digits / 2 + 1);
    uint32_t stored = 0, seen = 0;
    for (uint32_t i = 0; i < n; i++) {
        int v = HexValue(text[i]);
        if (v < 0)
            continue;
        if (seen++ == 0 && startDigit)
            continue;
        UTSetNibble(block, (int)stored++, v);
    }
    if (endDigit && stored) {
        stored--;
        UTSetNibble(block, (int)stored, 0);
    }
    *length = stored;
    return block;
}

/* ---- Paste ---- */

/* A copy of bytes as a "CLIP" block. */
static unsigned char *ClipBlock(PCFDATA *ed, const char *bytes, uint32_t n)
{
    unsigned char *block = (unsigned char *)CSGetMem(n ? n : 1, "CLIP");
    if (!block)
        EdSetErrorText(ed, edNoMemory);
    else
        memcpy(block, bytes, n);
    return block;
}

int EdPasteData(PCFDATA *ed, int flags, unsigned char **block, uint32_t *digits)
{
    *block = nullptr;
    *digits = 0;
    if (ED_HOST(edHost, keyDown, ED_KEY_MENU))
        flags = PD_TEXT_ONLY;
    if (!edClipboard.open(ed)) {
        EdSetErrorText(ed, noData);
        return 0;
    }
    uint32_t n = 0;
    char *hex = (flags & PD_TEXT_ONLY) ? nullptr : edClipboard.getHex(&n);
    if (hex && n) {
        if (flags & PD_HEX) {
            uint32_t length = n;
            int ours = HexHash(hex, n) == ed->copyHash;
            *block = EdHexTextToData(ed, flags, hex, &length, ours ? ed->copyStartDigit : 0,
                                     ours ? ed->copyEndDigit : 0);
            *digits = length;
        } else {
            *block = ClipBlock(ed, hex, n);
            *digits = 2 * n;
        }
    } else {
        ed->copyStartDigit = ed->copyEndDigit = 0;
        char *text = edClipboard.getText(&n);
        if (!text) {
            EdSetErrorText(ed, noData);
        } else if (n) {
            int convert = (flags & PD_HEX) && EdIsHexText(text, n) &&
                          ((flags & PD_HEX_CHARS) ||
                           ED_HOST(edHost, confirm, ed->dialog,
                                   "!The clipboard data appears to be hex bytes. Would you like these to be "
                                   "converted to bytes before pasting?", nullptr, 0));
            if (convert) {
                uint32_t length = n;
                *block = EdHexTextToData(ed, flags & PD_HEX_CHARS, text, &length, 0, 0);
                *digits = length;
            } else {
                *block = ClipBlock(ed, text, n);
                *digits = 2 * n;
            }
        }
        if (text)
            CSFreeMem(text);
    }
    if (hex)
        CSFreeMem(hex);
    edClipboard.close();
    return *block != nullptr;
}

/* The flags of a paste by the field it goes into. */
static int PasteFlags(const LINEDATA *l)
{
    switch (EdKindOf(l)) {
    case EK_HEX: return PD_HEX | PD_HEX_CHARS;
    case EK_CHAR: return PD_TEXT_ONLY | PD_HEX;
    default: return 0;
    }
}

int EdPaste(DialogWords *d)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed)
        return 0;
    EdBeginUndoGroup(ed);
    uint32_t insert = ed->insertMode;
    ed->insertMode = 1;
    LINEDATA *l = EdGetLine(ed, ed->cursor.line);
    int ok = 0;
    unsigned char *block = nullptr;
    uint32_t digits = 0;
    if (!l || !l->lineType) {
        EdSetErrorText(ed, edNotAtField);
    } else if (EdPasteData(ed, PasteFlags(l), &block, &digits)) {
        EdDeleteSelection(d, ed, 0);
        l = EdGetLine(ed, ed->cursor.line);
        EdFieldAt at;
        int32_t column = ed->cursor.column;
        if (l && column < l->valueColumn)
            column = l->valueColumn;
        if (l && EdFindField(ed, &at, column, ed->cursor.line, 0, 1, 0) >= 0) {
            ed->cursor.column = column;
            ok = EdTypeText(ed, (const char *)block, (digits + 1) / 2) && EdSyncPartnerTag(ed);
        } else {
            EdSetErrorText(ed, edNotAtField);
        }
    }
    if (block)
        CSFreeMem(block);
    if (ok)
        ed->anchor.column = ED_UNSET;
    ed->insertMode = insert;
    EdEndUndoGroup(ed, ok);
    return ok;
}

int EdPasteAll(DialogWords *d)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed)
        return 0;
    EdBeginUndoGroup(ed);
    LINEDATA *l = EdGetLine(ed, ed->cursor.line);
    unsigned char *block = nullptr;
    uint32_t digits = 0;
    int ok = 0;
    if (!l || !l->lineType || !l->buffer || !ed->cursor.buffer) {
        EdSetErrorText(ed, edNotAtField);
    } else if (EdPasteData(ed, PD_HEX, &block, &digits)) {
        uint32_t count = digits / 2;       /* a digit left over makes no byte */
        EdDeleteSelection(d, ed, 0);
        CSDATA *b = ed->cursor.buffer;
        uint32_t at = ed->cursor.digit / 2;
        if (at > b->length)
            at = b->length;
        if (b == &ed->data) {
            ok = EdInsertBytes(ed, b, at, block, count);
        } else {
            if (count > b->length - at)
                count = b->length - at;
            ok = EdReplaceBytes(ed, b, at, block, count);
        }
        if (ok)
            EdCursorTo(ed, b, 2 * (at + count));
    }
    if (block)
        CSFreeMem(block);
    EdEndUndoGroup(ed, ok);
    return ok;
}
