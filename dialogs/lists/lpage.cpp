/* Paging a message list: the range of message numbers it asks for moved
 * to the first, next or previous page of the same size. */
#include "pcflists.h"

#include <cstdint>
#include <cstdio>

#include "cspattern.h"

#define DEFAULT_PAGE 100

int PCFPageRange(const char *range, int how, char *out, size_t size)
{
    int32_t first = 1, last = DEFAULT_PAGE;
    if (!range || !SplitCountPair(range, &first, &last) || first < 1 || last < first) {
        first = 1;
        last = DEFAULT_PAGE;
    }
    int64_t page = (int64_t)last - first + 1, from = first;
    if (how == PCFPAGE_FIRST)
        from = 1;
    else if (how == PCFPAGE_NEXT)
        from = (int64_t)last + 1;
    else
        from = first - page < 1 ? 1 : first - page;
    if (from + page - 1 > INT32_MAX)
        return 0;
    snprintf(out, size, "%lld,%lld", (long long)from, (long long)(from + page - 1));
    return 1;
}

int32_t PCFPageLength(const char *range)
{
    int32_t first = 1, last = DEFAULT_PAGE;
    if (!range || !*range || !SplitCountPair(range, &first, &last) || first < 1 || last < first)
        return DEFAULT_PAGE;
    return last - first + 1;
}
