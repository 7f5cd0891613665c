/* The profile's keys: every "AP:" key in the writer's order with the
 * field it fills, its kind, its default and when the writer writes it,
 * and the letter tables of the format words.  The reader and the writer
 * of the configuration file walk them; PrfSetDefaults applies the
 * defaults. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

enum KeyKind : uint8_t {
    K_EOL,      /* a line end in the writer's output */
    K_INT, K_SHORT, K_INT64, K_CHAR, K_HEX,
    K_TEXT,     /* fixed buffer of `size` bytes */
    K_SHARED, K_ALLOC,
    K_TWO, K_EIGHT, K_RECT,
    K_FLAG16, K_FLAG32,
    K_MASK, K_WORD,    /* option word mask and word (hexadecimal) */
    K_SPECIAL,
};

enum WriteRule : uint8_t {
    W_ALWAYS, W_NOTDEF, W_NOTZERO, W_NOTDEFNZ, W_SET, W_SETNOTDEF, W_NEVER,
    W_BITSET, W_BITCLEAR,
    W_ALLBLANKS,        /* always, blanks kept: a blank or empty text is a choice */
};

enum Special : uint8_t {
    S_VER = 1, S_CSVSEP, S_SNAP, S_ASNAP, S_EXPTEXT, S_EXPMQSC, S_EDF, S_EDS,
    S_LOC, S_HTTPBADDR, S_HLP, S_FONT, S_NPFONT, S_PFONT, S_MSGFORMAT,
    S_MSGFORMAT2, S_DQ, S_NMS, S_CLR, S_PRB,
};

struct PRFKEY {
    const char *key;
    uint8_t kind;
    uint8_t rule;
    char sep;           /* ' ' or '\n' after a written value */
    uint16_t size;      /* K_TEXT buffer; K_SPECIAL: the Special */
    void *field;
    void *aux;          /* K_WORD: its mask */
    int64_t def;        /* number default, or the flag's bit */
    const char *defText;
};

/* Every key in the writer's order. */
std::span<const PRFKEY> PrfKeyTable(void);

/* Letter tables of the format words ("msgformat" and "dq"). */
struct PRFLETTER { char letter; uint32_t bit; };
std::span<const PRFLETTER> PrfMsgLetters(void);
std::span<const PRFLETTER> PrfDqLetters(void);

/* The export header texts the profile starts with. */
extern const char PrfExpTextDefault[];
extern const char PrfExpMqscDefault[];
