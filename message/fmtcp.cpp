/* Code-page records of the formatters: the syntax characters of a CCSID
 * (so EBCDIC data is scanned in place) and its bytes as Latin-1, both
 * from the common code-page tables.  A CCSID that has a table, or is
 * EBCDIC, gets a record of its own, made on first use and never changed;
 * every other CCSID shares the plain record (no table, ASCII syntax). */
#include "fmtint.h"
#include <atomic>
#include <new>

static const char syntax[CP_COUNT + 1] = " \n\r\t<>()[]{}/?!-+:,.'\"UNAB\\&;=";

/* EBCDIC data of a CCSID without a table of its own is read as 500. */
#define CCSID_EBCDIC_FALLBACK 500

static void Build(FmtCodepage *cp, uint32_t ccsid, int ebcdic, const unsigned char *toAscii)
{
    cp->ccsid = ccsid;
    cp->ebcdic = (uint32_t)ebcdic;
    cp->toAscii = toAscii;
    for (int i = 0; i < CP_COUNT; i++) {
        unsigned char c = (unsigned char)syntax[i];
        cp->ch[i] = c;
        if (toAscii)
            for (int e = 0; e < 256; e++)
                if (toAscii[e] == c) {
                    cp->ch[i] = (unsigned char)e;
                    break;
                }
    }
    if (ebcdic)             /* EBCDIC line ends: 0x25 and 0x15 */
        cp->ch[CP_CR] = 0x25, cp->ch[CP_LF] = 0x15;
}

struct PlainRecord {
    FmtCodepage cp;
    PlainRecord() { Build(&cp, 0, 0, nullptr); }
};

/* Open hashing on the CCSID.  Far more slots than CCSIDs can get records
 * (the EBCDIC set and the CCSIDs of the own tables, some 220), so a free
 * slot is always found; a record is published whole by one exchange. */
#define SLOTS 1024
static std::atomic<const FmtCodepage *> slots[SLOTS];

static const FmtCodepage *Lookup(uint32_t ccsid, uint32_t *slot)
{
    uint32_t h = (ccsid * 2654435761u) >> 22;
    for (uint32_t n = 0; n < SLOTS; n++, h = (h + 1) % SLOTS) {
        const FmtCodepage *cp = slots[h].load(std::memory_order_acquire);
        if (!cp || cp->ccsid == ccsid) {
            *slot = h;
            return cp;
        }
    }
    *slot = SLOTS;
    return nullptr;
}

const FmtCodepage *FmtGetCodepage(uint32_t ccsid)
{
    static const PlainRecord plain;
    uint32_t slot;
    const FmtCodepage *found = Lookup(ccsid, &slot);
    if (found)
        return found;
    int ebcdic = CSIsEbcdicCcsid((int)ccsid);
    const unsigned char *table = CSSingleByteToLatin1((int)ccsid);
    if (!table && ebcdic)
        table = CSSingleByteToLatin1(CCSID_EBCDIC_FALLBACK);
    if (!table)
        return &plain.cp;
    FmtCodepage *made = new (std::nothrow) FmtCodepage;
    if (!made)
        return &plain.cp;
    Build(made, ccsid, ebcdic, table);
    while (slot < SLOTS) {
        const FmtCodepage *expected = nullptr;
        if (slots[slot].compare_exchange_strong(expected, made, std::memory_order_acq_rel))
            return made;
        if (expected->ccsid == ccsid) {        /* another thread was first */
            delete made;
            return expected;
        }
        found = Lookup(ccsid, &slot);
        if (found) {
            delete made;
            return found;
        }
    }
    delete made;
    return &plain.cp;
}
