/* Converting the fields of a structure instance between code pages and
 * integer encodings: the bytes of a header written in one character set
 * and byte order made right for another. */
#pragma once

#include "fapparse.h"

/* Walks the rows of def over the bytes at *position (length bytes, or -1:
 * no limit), stopping at a field of type 38 or 59 or where the next field
 * would pass the end.  Integers are byte-reversed when the integer parts
 * of the two encodings differ, floats converted between the float
 * encodings, character fields converted from one CCSID to the other;
 * nested structures are walked too.  *position moves past what was
 * walked.  0 done, else the code-page conversion's failure code (the
 * walk stops at that field, fields before it converted). */
int StructConvertFields(const FmtStructDef *def, unsigned char **position, int64_t length,
                        int fromCcsid, int32_t fromEncoding, int toCcsid, int32_t toEncoding);
