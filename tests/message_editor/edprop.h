/* Random user actions on seed messages in the pane without a window:
 * typing, deleting, Return, selections, the clipboard, the XML commands,
 * Replace All, structure and list element commands, named values, Undo
 * and Redo.  After every action the message must still be whole (PCF
 * bodies walk to their parameter count, MQRFH2 and MQEPH lengths cover
 * their contents, no new incomplete markers), a failed action must have
 * changed nothing, and every change must be one undo step; each sequence
 * ends with Undo and Redo of everything and a random mix of both checked
 * against the snapshots taken on the way.  Shared by the test (a bounded
 * count) and the long run in bench/. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct EdPropResult {
    bool ok = true;
    std::string failure;        /* the first failure, naming its sequence's seed */
    uint64_t actions = 0;       /* actions taken */
    uint64_t changes = 0;       /* actions that made an undo step */
    uint64_t refused = 0;       /* actions that reported failure */
    uint64_t steps = 0;         /* Undo and Redo steps checked */
};

/* Runs sequences of length actions, the n-th drawn from seed + n. */
EdPropResult EdPropRun(uint64_t seed, uint32_t sequences, uint32_t length);
/* The names of the seed messages, in their order. */
int EdPropSeedCount(void);
const char *EdPropSeedName(int index);
/* The MQ library's walker over a host-order copy of a PCF message in the
 * encoding: "" when its parameters reach the header's ParameterCount,
 * else what stopped it; *all counts every parameter (group headers and
 * their members), *used the bytes walked. */
std::string EdWalkPcf(const unsigned char *data, size_t length, uint32_t encoding, int *all, size_t *used);
