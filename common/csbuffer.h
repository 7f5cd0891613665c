/* Growable byte buffers (CSDATA, capacity in multiples of 4096) and shared,
 * reference-counted strings (equal texts share one copy, so they compare
 * equal by address). */
#pragma once

#include <cstddef>
#include <cstdint>

struct CSDATA {
    uint32_t capacity;     /* 0 or a multiple of 4096 */
    uint32_t length;       /* <= capacity */
    uint8_t *data;         /* null while the capacity is 0 */
};

#define CSDATA_STEP 4096

/* In these calls n = -1 means a NUL-terminated string with its terminator;
 * cursor is the address of a pointer into the storage (or null). */
int CSDataAppend(CSDATA *buffer, const void *bytes, size_t n, size_t reserve);
int CSDataEnsure(CSDATA *buffer, size_t n, void *cursor);
int CSDataGrow(CSDATA *buffer, size_t n, void *cursor);
/* 1, or 0 when new storage cannot be had (the old content is kept). */
int CSDataSet(CSDATA *buffer, const void *bytes, int64_t n, size_t extra);
int CSDataCompare(const CSDATA *buffer, const void *bytes, int64_t n);
void CSDataFree(CSDATA *buffer);
int CSDataShift(CSDATA *buffer, void *position, int64_t delta);

/* Shared strings, safe to call from any thread. */
const char *CSStringGet(const char *text, int64_t length);
void CSStringRelease(const char *text);
/* slot holds a shared text or null; 1 when it changed. */
int CSStringSet(const char **slot, const char *text, int64_t length);
