/* Capability flags: what a queue manager's platform and command level
 * allow, as 72 one-byte flags, and the requirement triples that dialog
 * fields, list columns and commands are tested against.
 *
 * A null array means "no restriction": every flag reads as set and every
 * triple passes. */
#pragma once

#include <cstdint>

#define CAP_COUNT 72

typedef uint8_t CapabilityFlags[CAP_COUNT];

/* Requirement triple: two needed flags and an excluding one; 0 = none. */
struct CapTriple {
    uint16_t need1;
    uint16_t need2;
    uint16_t exclude;
};

void CapSet(uint8_t *caps, int index);            /* null array ignored */
void CapClear(uint8_t *caps, int index);          /* null array ignored */
int  CapGet(const uint8_t *caps, int index);      /* 1 for a null array */
void CapSetAll(uint8_t *caps);
/* Sets in target every flag set in source; a null source sets all. */
void CapMerge(uint8_t *target, const uint8_t *source);

/* 1 when both needed flags are set (0 counts as met) and the excluding
 * flag, when not 0, is clear; a null array passes. */
int CapCheckTriple(const uint8_t *caps, const CapTriple *triple);
/* The same for callers that pass a context first and a record that begins
 * with a triple; the context is not used. */
int CapTest(const void *context, const uint8_t *caps, const void *record);

/* Sets the flags of a platform (MQPL_ value) and command level; the array
 * is not cleared first. */
void CapSetForQmgr(uint8_t *caps, int32_t platform, int32_t commandLevel);
