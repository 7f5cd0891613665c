/* The JSON channel table reader's text walk, shared by the channel list
 * (which keeps what it reads) and the tests. */
#pragma once

#include "ccdt.h"

/* Receives each completed channel: a block from CSGetMem ("JSONCHL") of
 * CHL_LENGTH bytes that the sink takes over. */
typedef void (*JSONSINK)(void *context, CHLDEF *channel);

/* Reads a whole table text; file names it in messages.  1 when it was read
 * as a channel table, 0 when it does not start as one. */
int JsonReadText(const char *text, size_t length, const char *file, JSONREPORT report,
                 void *context, JSONSINK sink, void *sinkContext);
/* The text of ".timestamps.altered": 1 with the seconds since 1970 (UTC);
 * *tooSmall set for a time before 1000 seconds; 0 when malformed. */
int JsonParseAlterTime(const char *text, int64_t *seconds, int *tooSmall);
/* A new channel-list handle of a kind; null with "Storage not available". */
RCHN *RchnNewHandle(int32_t kind, char *error);
