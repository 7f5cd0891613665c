/* Stand-in for the client-channel definition of the command definitions
 * and its data area, until the object dialogs' definitions replace it
 * (then this header and clndef_standin.cpp go and ConvertDataMQCD walks
 * their field list and data area).
 *
 * The data area holds one value record per field at the field's offset:
 * a 16-bit state word (1 value present), a 16-bit count (lists), then the
 * value: a 32-bit integer, a string of the field's length plus a zero, or
 * count elements (strings of the field's length, or 32-bit integers). */
#pragma once

#include <cstdint>

/* One field: MQ parameter id, field type, length (strings) or elements
 * (lists), MQCD position (-1 none), offset of its value record. */
struct CLNFIELD {
    int32_t parameter;
    int32_t type;
    int32_t length;
    int32_t elements;
    int32_t mqcdOffset;
    int32_t areaOffset;
};

enum { CLN_PRESENT = 1 };

/* The field list, ended by a row of parameter 0, and the area's size. */
const CLNFIELD *ClientChannelFields(void);
int32_t ClientChannelAreaSize(void);

/* Value records of an area: the state word, then the value. */
uint16_t *ClnState(void *area, const CLNFIELD *field);
void *ClnValue(void *area, const CLNFIELD *field, int32_t *count);
const CLNFIELD *ClnFind(int32_t parameter);

/* Fill a value (tests and imports): 0, or -1 for an unknown parameter or
 * a value that does not fit. */
int ClnSetInt(void *area, int32_t parameter, int32_t value);
int ClnSetString(void *area, int32_t parameter, const char *value);
int ClnSetList(void *area, int32_t parameter, const char *const *strings,
               const int32_t *ints, int32_t count);
