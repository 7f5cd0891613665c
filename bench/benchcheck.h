/* What every benchmark shares: "--check" taken out of its arguments, and
 * each ratio set beside its target.  With --check the program ends with
 * a non-zero exit code when any ratio is above its target, so that a run
 * by hand tells at once. */
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct BenchState {
    int check;      /* --check given */
    int above;      /* ratios above their targets so far */
};

inline BenchState BenchRun;

/* Removes "--check" from the arguments (argc and argv are rewritten), so
 * that the positional arguments keep their places. */
inline void BenchTakeCheck(int *argc, char **argv)
{
    int kept = 1;
    for (int i = 1; i < *argc; i++) {
        if (strcmp(argv[i], "--check") == 0)
            BenchRun.check = 1;
        else
            argv[kept++] = argv[i];
    }
    argv[kept] = nullptr;
    *argc = kept;
}

/* The positional argument at index as a count; fallback when it is
 * missing or not a positive number. */
inline long BenchCount(int argc, char **argv, int index, long fallback)
{
    if (index >= argc)
        return fallback;
    char *end = nullptr;
    long n = strtol(argv[index], &end, 10);
    return end != argv[index] && *end == 0 && n > 0 ? n : fallback;
}

/* Prints the verdict line of one ratio ("lower is better"). */
inline void BenchTarget(const char *what, double ratio, double target)
{
    int over = !(ratio <= target);
    BenchRun.above += over;
    printf("target %-40s %7.2f %s %.2f%s\n", what, ratio, over ? ">" : "<=", target,
           over ? "  ABOVE" : "");
}

/* The same for a rate that must reach at least its target. */
inline void BenchAtLeast(const char *what, double value, double target)
{
    int under = !(value >= target);
    BenchRun.above += under;
    printf("target %-40s %7.2f %s %.2f%s\n", what, value, under ? "<" : ">=", target,
           under ? "  BELOW" : "");
}

/* The exit code: 1 under --check when a target was missed, else 0. */
inline int BenchExit(void)
{
    return BenchRun.check && BenchRun.above ? 1 : 0;
}
