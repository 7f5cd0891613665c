/* Name patterns: the simple pattern language of a location's naming
 * patterns, the extended one of the global naming standards, and the check
 * that two pattern lists have the same wildcards.
 *
 * A list is elements separated by ","; blanks, commas, carriage returns
 * and line feeds around each element are ignored.  A name matches a list
 * when it matches any element, tried in order.
 *
 * Simple: "*" any run; "<qmgr>" (any six characters from a "<") the
 * context's queue-manager name; anything else itself.  A "<" without room
 * for six characters before the element ends stands for itself.
 * Extended: "#" a digit, "?" any character, "*" / "**" / "$" / "$$" runs of
 * one or more characters of a class, "(a|b)" a group of alternatives,
 * "[...]" an optional group, "<#>" digits, "<qmgr>" the queue-manager name,
 * "|" between alternatives. */
#pragma once

#include <cstdint>

#define PATTERN_MESSAGE_SIZE 1000

/* One per check, zero-filled by the caller. */
struct PATTERNCTX {
    char message[PATTERN_MESSAGE_SIZE];  /* text of a pattern error */
    const char *listStart;               /* offsets in messages count from here */
    const char *qmgrName;                /* what "<qmgr>" stands for (null: "") */
    int32_t element;                     /* index (from 0) of the element tried */
};

/* 1 when the name matches an element of the list (its index in element). */
int PatternListMatch(PATTERNCTX *ctx, const char *list, int listLength,
                     const char *name, int nameLength);
/* The same for extended patterns; 0 also when the element tried has a
 * bracket error (the message is in the context). */
int PatternListMatchEx(PATTERNCTX *ctx, const char *list, int listLength,
                       const char *name, int nameLength);
/* 1 when two NUL-terminated lists have as many elements and each pair the
 * same wildcards in the same order; else 0 with a message. */
int PatternMatch(PATTERNCTX *ctx, const char *first, const char *second);
/* The closing character matching the bracket at open, before end, with
 * "(" ")", "<" ">" and "[" "]" nesting; null with a message when a
 * closing bracket comes too early or none is found. */
const char *PatternCheckBrackets(PATTERNCTX *ctx, const char *open, const char *end,
                                 char closing);
/* "a,b" gives a and b; "n" gives 1 and n.  1 when a number was read, else
 * 0 (outputs unchanged). */
int SplitCountPair(const char *text, int32_t *first, int32_t *second);
