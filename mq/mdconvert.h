/* A version-1 message descriptor from another platform made readable in
 * place: its integers byte-reversed, its character fields taken from
 * EBCDIC through the printable table.  Used by the load and unload engine
 * (headers of transmission queue messages) and the message commands. */
#pragma once

#include "mqi.h"

/* swap: reverse the integers (Version to CodedCharSetId, Priority,
 * Persistence, BackoutCount, PutApplType); fromEbcdic: StrucId, Format,
 * ReplyToQ to UserIdentifier, ApplIdentityData and PutApplName to
 * ApplOriginData through CSEbcdicToPrintable. */
void MDConvert(MQMD *md, int swap, int fromEbcdic);
