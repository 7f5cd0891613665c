/* The list fill's filter hooks served by the filters: the dialog's filter
 * program run on each row with the row's place in the fill, and its
 * column filters applied.  The program installs them as the hooks a
 * rebuild uses (PCFSetListFilter). */
#include "pcflists.h"
#include "filters.h"
#include "colfilter.h"

/* Where the fill is: the area of the current row and the row's place
 * (user-interface thread only, like the fill). */
struct FillPlace {
    PCFLISTAREA *area;
    uint32_t index;
    int last;
};
static FillPlace Place;

static int Begin(void *, DialogWords *d)
{
    PCFFilterFillBegin(d);
    Place = {};
    return d->filterProgram != nullptr;
}

static void RowVars(void *, DialogWords *, uint32_t, int last, uint32_t index)
{
    Place.index = index;
    Place.last = last;
}

static int Bind(void *, DialogWords *d, PCFLISTAREA *area, PCFROW *)
{
    if (area != Place.area) {
        Place.area = area;
        PCFFilterFillArea(d, area);
    }
    return 0;
}

static int Evaluate(void *, DialogWords *d, PCFROW *row, int *show)
{
    int r = PCFFilterFillRow(d, row, (int)Place.index, Place.last);
    if (r < 0)
        return 1;
    *show = r;
    return 0;
}

static int Rescan(void *, DialogWords *d)
{
    Place.area = nullptr;
    return PCFFilterFillRescan(d);
}

static void End(void *, DialogWords *d)
{
    PCFFilterFillEnd(d);
}

static int ColumnsMatch(void *, DialogWords *d, PCFLISTAREA *area, PCFROW *row)
{
    return ColFilterMatchArea(d, area, row);
}

/* The open column-filter pop-up counts the values of the rows the
 * dialog's filter lets through, and shows the counts once the rows are
 * rebuilt. */
static void ColumnsCount(void *, DialogWords *d, PCFLISTAREA *area, PCFROW *row)
{
    ColFilterCountValue(d, area, nullptr, row);
}

static void ColumnsReset(void *, DialogWords *d)
{
    ColFilterResetCounts(d);
}

void (*PCFColumnRecountSink)(DialogWords *dialog);

static void ColumnsRecount(void *, DialogWords *d)
{
    if (PCFColumnRecountSink && d->columnFilters)
        PCFColumnRecountSink(d);
}

const PCFLISTFILTER PCFFilterListHooks = { nullptr, Begin, RowVars, Bind, Evaluate, Rescan, End,
                                           ColumnsMatch, ColumnsCount, ColumnsReset, ColumnsRecount };
