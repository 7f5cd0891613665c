/* The editor's random user actions (tests/message_editor/edprop.h) for as long
 * as one likes:  edit_prop [sequences [first seed [actions per sequence]]]
 * A failing seed is printed and the exit code is 1. */
#include "edprop.h"
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    uint32_t sequences = argc > 1 ? (uint32_t)strtoul(argv[1], nullptr, 10) : 20000;
    uint64_t seed = argc > 2 ? strtoull(argv[2], nullptr, 10) : 100000;
    uint32_t length = argc > 3 ? (uint32_t)strtoul(argv[3], nullptr, 10) : 60;
    uint64_t actions = 0, changes = 0, refused = 0, steps = 0;
    for (uint32_t done = 0; done < sequences;) {
        uint32_t chunk = sequences - done < 500 ? sequences - done : 500;
        EdPropResult r = EdPropRun(seed + done, chunk, length);
        actions += r.actions;
        changes += r.changes;
        refused += r.refused;
        steps += r.steps;
        if (!r.ok) {
            printf("FAILED: %s\n", r.failure.c_str());
            return 1;
        }
        done += chunk;
        printf("%u sequences from seed %llu: %llu actions, %llu changes, %llu refused, %llu undo/redo steps\n", done,
               (unsigned long long)seed, (unsigned long long)actions, (unsigned long long)changes,
               (unsigned long long)refused, (unsigned long long)steps);
        fflush(stdout);
    }
    return 0;
}
