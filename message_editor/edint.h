/* Shared pieces of the editing operations' files: the kinds of field an
 * edit meets, code-page conversion of typed text, the typing of values,
 * and the common status texts. */
#pragma once

#include "edops.h"
#include "fmtint.h"

extern const char edNotAtField[];       /* "The cursor is not at an input field" */
extern const char edNoMemory[];         /* "The system does not have sufficient memory" */
extern const char edBadChar[];          /* "Character is not valid for this type of field" */

/* The CCSID typed text and find strings are in (the keyboard's). */
uint32_t EdKeyboardCcsid(void);
/* Converts text between CCSIDs in place: 1 done, else 0 with "Character
 * not valid in source codepage" or "... target codepage" as the status. */
int EdConvertText(PCFDATA *ed, unsigned char *text, uint32_t length, uint32_t from, uint32_t to);
/* 1 while time stamps are shown in local time. */
int EdLocalTimeShown(void);
/* The line's field may be changed now: a field, the questions before the
 * first edit agreed to, no local time shown over a put date or time; 0
 * with the status text set. */
int EdMayChange(PCFDATA *ed, const LINEDATA *l);

/* How an edit treats the field of a line. */
enum EdFieldKind { EK_NONE, EK_VALUE, EK_HEX, EK_CHAR };
EdFieldKind EdKindOf(const LINEDATA *line);
/* The field's bytes: its first byte and length (fixed fields), or, for a
 * field that grows and shrinks, its first byte and the bytes it holds. */
struct EdFieldSpan {
    uint32_t start, length;
    int variable;
};
EdFieldSpan EdSpanOf(PCFDATA *ed, const EdFieldAt *at);

/* Values typed as text (edvalue.cpp). */
int EdTypeValue(PCFDATA *ed, EdFieldAt *at, const char *text, uint32_t length, int insert);
int EdDeleteValue(PCFDATA *ed, EdFieldAt *at, int count, int backward);

/* Character and hex inserts of a located field (edinsert.cpp). */
int EdInsertTextChar(PCFDATA *ed, EdFieldAt *at, const unsigned char *text, uint32_t length, int insert);
int EdInsertHexChar(PCFDATA *ed, EdFieldAt *at, const char *text, uint32_t length, int insert);

/* count bytes of the located field's characters from a data offset (the
 * field's own rules: shifts, length-aware strings, plain deletes). */
int EdDeleteField(PCFDATA *ed, EdFieldAt *at, uint32_t pos, uint32_t count);

/* The row of the line's field in its structure, or null. */
const FmtStructRow *EdFieldRow(const LINEDATA *line);
/* The row of a structure that holds its length (flags 0x2000 or 0x400000). */
const FmtStructRow *EdLengthRow(const FmtStructDef *def);
/* Reads and writes an integer field of a structure instance at an offset
 * in the buffer (its row's offset added), in the encoding given. */
int64_t EdReadInt(const CSDATA *buffer, uint32_t at, uint32_t encoding);
int EdWriteInt(PCFDATA *ed, CSDATA *buffer, uint32_t at, uint32_t encoding, int64_t value);
/* The byte after a length-aware string (a list's element). */
uint32_t EdStringEnd(const LINEDATA *line);
/* The cursor on a digit of a buffer, to be placed by the next count. */
void EdCursorTo(PCFDATA *ed, CSDATA *buffer, uint32_t digit);
