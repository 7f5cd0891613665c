/* The editing operations of the message editor pane: the undo list and
 * its primitive edits of byte buffers, undo groups, Undo and Redo, typing
 * and deleting by field type, the typing buffer of values, length-aware
 * edits of PCF strings, the clipboard, the XML commands, named values,
 * partner brackets, find and replace and structure-aware editing.  Every
 * change of message bytes goes through the primitives inside one undo
 * group; none of this needs a window. */
#pragma once

#include "edpane.h"

/* ---- the undo list (edundo.cpp) ---------------------------------------- */

enum EdUndoType : uint16_t {
    UNDO_DELETE_BYTES = 1, UNDO_INSERT_BYTES = 2, UNDO_REPLACE_BYTES = 3, UNDO_SHIFT_BYTES = 4,
    UNDO_DELETE_NIBBLES = 5, UNDO_INSERT_NIBBLES = 6, UNDO_REPLACE_NIBBLES = 7,
    UNDO_SHIFT_NIBBLES = 8, UNDO_TYPING_START = 9, UNDO_TYPING_END = 10,
};

/* One primitive edit (tag "UNDO"); the saved bytes follow the record:
 * old bytes (or digits, packed two to a byte) first, then the new ones. */
struct EdUndoRecord {
    EdUndoRecord *next;         /* newer: the redo chain */
    EdUndoRecord *previous;
    uint16_t group;
    uint16_t type;              /* EdUndoType; 0 in the list head */
    uint32_t flags;             /* 1: the half byte was pending */
    EdPosition cursorBefore, cursorAfter, anchorBefore, anchorAfter;
    CSDATA *buffer;
    uint32_t a, b;              /* region start or 0; old length or region length */
    uint32_t position;          /* byte or digit offset; typing: overflow count */
    int32_t count;              /* bytes or digits, signed for shifts */
    uint32_t saved;             /* bytes of saved data */
};
static inline unsigned char *EdUndoBytes(EdUndoRecord *r) { return (unsigned char *)(r + 1); }

/* The primitives: each adds its record, then changes the buffer; 1 done,
 * 0 failed with the status text set (nothing changed).  Offsets are bytes,
 * digits count half-bytes from the buffer's start; digit sources are packed
 * two to a byte (digit n in byte n / 2, high half first). */
int EdDeleteBytes(PCFDATA *ed, CSDATA *buffer, uint32_t at, uint32_t count);
int EdInsertBytes(PCFDATA *ed, CSDATA *buffer, uint32_t at, const void *bytes, uint32_t count);
/* count bytes of one value inserted */
int EdInsertRun(PCFDATA *ed, CSDATA *buffer, uint32_t at, unsigned char value, uint32_t count);
int EdReplaceBytes(PCFDATA *ed, CSDATA *buffer, uint32_t at, const void *bytes, uint32_t count);
/* Shifts the bytes from at to the region's end by shift (right when
 * positive) and fills the vacated bytes from bytes (fewer than 2: the
 * first byte repeated). */
int EdShiftBytes(PCFDATA *ed, CSDATA *buffer, uint32_t regionStart, uint32_t regionLength, uint32_t at,
                 int32_t shift, const void *bytes, uint32_t byteCount);
int EdDeleteNibbles(PCFDATA *ed, CSDATA *buffer, uint32_t digit, uint32_t count);
int EdInsertNibbles(PCFDATA *ed, CSDATA *buffer, uint32_t digit, const unsigned char *digits, uint32_t count);
int EdReplaceNibbles(PCFDATA *ed, CSDATA *buffer, uint32_t digit, const unsigned char *digits,
                     uint32_t count);
int EdShiftNibbles(PCFDATA *ed, CSDATA *buffer, uint32_t regionStart, uint32_t regionDigits, uint32_t digit,
                   int32_t count, const unsigned char *digits, uint32_t digitCount);
/* A record (its buffer not yet changed), or null with "The system does not
 * have sufficient memory". */
EdUndoRecord *EdAddUndo(PCFDATA *ed, int type, CSDATA *buffer, uint32_t a, uint32_t b, uint32_t position,
                        int32_t count, const void *source, uint32_t sourceLength);
int EdApplyUndo(PCFDATA *ed, EdUndoRecord *r);
int EdApplyRedo(PCFDATA *ed, EdUndoRecord *r);
/* An undo record of the typing buffer (types 9 and 10). */
int EdAddTypingRecord(PCFDATA *ed, int type);

/* Undo groups: one user action is one group; a failed group rolls back. */
void EdBeginUndoGroup(PCFDATA *ed);
void EdEndUndoGroup(PCFDATA *ed, int success);
void EdFreeUndoList(PCFDATA *ed);
/* Menu Undo (rollback 0); rollback 1 undoes and frees the open group. */
int EdUndo(PCFDATA *ed, int rollback);
int EdRedo(PCFDATA *ed);
/* 1 when Undo or Redo has a group to take */
int EdCanUndo(const PCFDATA *ed);
int EdCanRedo(const PCFDATA *ed);
/* Stores (at most 99 characters of) a status text, shows it in the
 * dialog's status line and plays the error sound unless quiet. */
void EdSetStatus(PCFDATA *ed, const char *text);
/* Records and bytes of the list (head included), for the debug caption. */
void EdUndoStats(const PCFDATA *ed, uint32_t *records, uint32_t *bytes);

/* ---- typing and deleting (edinsert.cpp, eddelete.cpp, edvalue.cpp) ----- */

/* The questions before the first edit of a message; 1 when it may go on. */
int EdCanEdit(PCFDATA *ed, const LINEDATA *line);
/* Inserts (or overtypes) typed text at the field located by EdFindField. */
int EdInsertText(PCFDATA *ed, EdFieldAt *at, const char *text, uint32_t length, int insert);
/* count units forward (direction 0) or backward (negative) at the located
 * field; *again is set when a second unit must follow (never: a hex pair
 * is taken whole). */
int EdDeleteChars(PCFDATA *ed, EdFieldAt *at, int count, int direction, int *again);
int EdDeleteSelection(DialogWords *dialog, PCFDATA *ed, int flags);
/* The typing buffer's text offered as the value of the cursor line's
 * field: 1 stored (or kept for a deferred field), 0 not valid (the text
 * stays pending). */
int EdSetFieldValue(PCFDATA *ed, LINEDATA *line, const char *text, int force);
/* 1 when the text is a value the field type takes. */
int EdValueTextValid(const LINEDATA *line, const char *text, uint32_t length);
/* Types edited as a whole value through the typing buffer. */
int EdIsValueType(uint16_t lineType);
/* Writes a value text into the field (the line's bytes); 0 when invalid. */
int EdStoreValueText(PCFDATA *ed, LINEDATA *line, const char *text, uint32_t length);
/* Field flags the editor reads: deferred (stored on Enter), expert only. */
enum : uint32_t { EF_FIELD_DEFERRED = FF_ENCODING, EF_FIELD_EXPERT = FF_STRUCID };
/* Byte width of a numeric field type (0: not numeric). */
uint32_t EdValueWidth(const FmtFieldDef *field);
/* Writes an integer in the byte order the formatter reads it: the integer
 * part of the encoding 2 little-endian, any other value big-endian. */
void EdPutInt(unsigned char *out, uint32_t width, uint64_t value, uint32_t encoding);
/* A float in the field's float encoding (IEEE normal, reversed or S/390). */
void EdPutFloat(unsigned char *out, uint32_t width, double value, uint32_t encoding);
/* The options a user agreed to for this pane's message (questions asked
 * once: character substitution mode, converted message). */
enum : uint32_t { EA_SUBSTITUTION = 1, EA_CONVERTED = 2 };

/* ---- length-aware edits of PCF strings (edstring.cpp) ------------------ */

/* 1 when an edit of the line's field rewrites lengths (a variable string or
 * byte string inside a structure that records its own length). */
int EdIsLengthAware(const LINEDATA *line);
int EdStringInsert(PCFDATA *ed, LINEDATA *line, uint32_t at, const unsigned char *text, uint32_t length);
int EdStringDelete(PCFDATA *ed, LINEDATA *line, uint32_t at, uint32_t count);
int EdBytesInsert(PCFDATA *ed, LINEDATA *line, uint32_t digit, const unsigned char *digits, uint32_t count);
int EdBytesDelete(PCFDATA *ed, LINEDATA *line, uint32_t digit, uint32_t count);
int EdStringListInsert(PCFDATA *ed, LINEDATA *line, uint32_t at, const unsigned char *text, uint32_t length);
int EdStringListDelete(PCFDATA *ed, LINEDATA *line, uint32_t at, uint32_t count);
/* Adds difference to the length of the structures that hold the line's
 * structure (an MQRFH2 around its XML sections, an MQEPH around its PCF). */
int EdAdjustParentLength(PCFDATA *ed, const LINEDATA *line, int32_t difference);

/* ---- the clipboard (edclip.cpp; its host: edhooks.h) ------------------- */

int EdCopy(DialogWords *dialog, int all);
int EdCut(DialogWords *dialog);
int EdPaste(DialogWords *dialog);
int EdPasteAll(DialogWords *dialog);
enum { PD_TEXT_ONLY = 1, PD_HEX = 2, PD_HEX_CHARS = 4 };
/* The clipboard's data for a paste: a block (free with CSFreeMem) and its
 * length in hex digits; 1 when a block was produced. */
int EdPasteData(PCFDATA *ed, int flags, unsigned char **block, uint32_t *digits);
unsigned char *EdHexTextToData(PCFDATA *ed, int flags, const char *text, uint32_t *length, int startDigit,
                               int endDigit);
int EdIsHexText(const char *text, uint32_t length);

/* ---- XML commands (edxml.cpp) ----------------------------------------- */

int EdAddXmlTag(PCFDATA *ed);
int EdComment(PCFDATA *ed);
int EdWrapSelection(PCFDATA *ed, int tag);
int EdRemoveXmlTag(PCFDATA *ed);
int EdRemoveTagAt(PCFDATA *ed, const LINEDATA *line, uint32_t position, int comment, uint32_t *removed,
                  const char **error);
int EdUncomment(PCFDATA *ed);
int EdSelectXml(PCFDATA *ed, int includeTags);
int EdJumpToPartner(PCFDATA *ed, LINEDATA *line);
int EdSyncPartnerTag(PCFDATA *ed);

/* ---- named values and partner brackets (edenum.cpp) -------------------- */

struct EdEnumEntry {
    const char *text;           /* the constant name or description */
    uint64_t value;
    const FmtValueName *row;    /* null for a user format's name */
    uint8_t marked;             /* the field holds this value (these bits) */
};
struct EdEnumList {
    EdEnumEntry *entries;       /* tag "ENUMLIST" */
    uint32_t count;
    int several;                /* flags: several entries may be chosen */
};
/* 1 when the list line's field offers named values (a type of the table, a
 * value table, not a character field over 200 bytes when hover). */
int EdFieldOffersValues(const LINEDATA *line, int hover);
/* Fills the list for the pane's list line; 1 filled, 0 no values. */
int EdEnumValues(PCFDATA *ed, int descriptions, EdEnumList *list);
void EdFreeEnumList(EdEnumList *list);
/* Writes the chosen entries (their OR for flags) into the list line's
 * field, one undo group; 1 stored. */
int EdApplyEnumEntries(PCFDATA *ed, const EdEnumList *list, const uint8_t *chosen);
/* The window's selection box: fill it (1 filled), show it over a line,
 * store what was chosen. */
int EdShowEnumList(PCFDATA *ed);
void EdHoverSelectionBox(PCFDATA *ed, int32_t line);
void EdApplyEnumChoice(PCFDATA *ed);

int EdGotoPartnerTag(PCFDATA *ed);
int EdFindPartnerTag(PCFDATA *ed, const LINEDATA *line);
const unsigned char *EdMatchBracketFwd(PCFDATA *ed, const FmtCodepage *cp, unsigned char partner,
                                       const unsigned char *from, const unsigned char *end);
const unsigned char *EdMatchBracketBack(PCFDATA *ed, const FmtCodepage *cp, unsigned char partner,
                                        const unsigned char *from, const unsigned char *start);

/* ---- commands of a message dialog (edcmd.cpp) --------------------------- */

/* The editor commands 894-899, 905, 906, 910-912, 914-917 and 937 and the
 * structure commands 4000-6004 on the dialog's pane; 1 when the id was
 * one of them.  The display lines are rebuilt after a change. */
int EdEditCommand(DialogWords *dialog, int id);
