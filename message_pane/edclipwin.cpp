/* The system clipboard behind the editor's copies and pastes: standard
 * text, and the message bytes as hex digits under the registered format
 * "Vorsk HEX".  Data from other programs is measured within its global
 * block (no terminating zero needed); hex data is read up to the hex
 * digits it holds. */
#include "edwnd.h"
#include "edops.h"
#include "csmem.h"
#include "tkwin.h"
#include <cstring>

static UINT hexFormat = 2;             /* 2: not registered yet */
static HWND clipOwner;

static UINT HexFormat(void)
{
    if (hexFormat == 2)
        hexFormat = RegisterClipboardFormatA("Vorsk HEX");
    return hexFormat;
}

static int Open(PCFDATA *ed)
{
    clipOwner = ed ? (HWND)ed->window : nullptr;
    return OpenClipboard(clipOwner) != 0;
}

static int Empty(void) { return EmptyClipboard() != 0; }
static void Close(void) { CloseClipboard(); }
static void Failed(const char *what) { WinOpError(what); }

/* A movable block holding the bytes, handed to the clipboard. */
static int Put(UINT format, const char *bytes, uint32_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!block)
        return 0;
    void *p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return 0;
    }
    memcpy(p, bytes, size);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) {
        GlobalFree(block);
        return 0;
    }
    return 1;
}

static int SetText(const char *text, uint32_t size) { return Put(CF_TEXT, text, size); }
static int SetHex(const char *digits, uint32_t size) { return Put(HexFormat(), digits, size); }

static int IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

/* A copy of a format's data; hex: up to its last digit, text: to its zero. */
static char *Get(UINT format, uint32_t *size, int hex)
{
    *size = 0;
    HGLOBAL block = GetClipboardData(format);
    if (!block)
        return nullptr;
    SIZE_T have = GlobalSize(block);
    const char *p = (const char *)GlobalLock(block);
    if (!p)
        return nullptr;
    SIZE_T n = 0;
    if (hex)
        while (n < have && IsHexDigit(p[n]))
            n++;
    else
        while (n < have && p[n])
            n++;
    char *copy = n < 0x7FFFFFFF ? (char *)CSGetMem(n + 1, "CLIP") : nullptr;
    if (copy) {
        memcpy(copy, p, n);
        copy[n] = 0;
        *size = (uint32_t)n;
    }
    GlobalUnlock(block);
    return copy;
}

static char *GetText(uint32_t *size) { return Get(CF_TEXT, size, 0); }

static char *GetHex(uint32_t *size)
{
    UINT f = HexFormat();
    return f && IsClipboardFormatAvailable(f) ? Get(f, size, 1) : nullptr;
}

void EdUseSystemClipboard(void)
{
    edClipboard = EdClipboardHost{ Open, Empty, SetText, SetHex, GetText, GetHex, Close, Failed };
}
