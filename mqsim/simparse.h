/* MQSC lexical analysis: keywords with optional parenthesised values. */
#pragma once

#include "mqi.h"

#include <string>
#include <vector>

struct SimToken {
    size_t start;                    /* offset of the keyword */
    std::string word;                /* upper case */
    bool hasValue;
    std::vector<std::string> values; /* comma-separated values */
};

/* 1 a token, 0 end of text, -1 a syntax error (unbalanced quote or
 * parenthesis) at *pos.  Unquoted values are folded to upper case. */
int SimNextToken(const char *text, size_t *pos, SimToken *t);
/* Decimal number with optional sign; false when the text is not one. */
bool SimParseNumber(const std::string &s, MQLONG *out);
