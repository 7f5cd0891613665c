/* The filters' hooks from the command dialog's side: the status line,
 * the list shown again or refreshed after a new filter or new columns
 * (asked for again under a new WHERE condition),
 * the filter field's drop-down, and the recent-filter lists kept with
 * the dialog's saved options. */
#include "pcfwin.h"
#include "filters.h"
#include "fltwin.h"
#include "pcflistwin.h"

static void Status(void *, DialogWords *d, const char *text, int mode)
{
    PCFDialogStatus(d, text, nullptr, (uint32_t)mode);
}

static void FilterValues(void *, DialogWords *d)
{
    PCFSetFilterValues(d);
}

/* The rows shown again, of the queue managers selected now (a removed
 * filter selects the dialog's own list again): title and buttons follow. */
static void UpdateList(void *, DialogWords *d)
{
    PCFUpdateListCount(d);
    PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
}

static void PostRefresh(void *, DialogWords *d)
{
    PCFPostRefresh(d);
}

/* New columns: the areas are rebuilt, a refresh asked for missing values. */
static void RefreshList(void *, DialogWords *d)
{
    PCFRefreshList(d, 1);
}

/* The WHERE condition of the dialog's list requests, from its filter. */
static int WhereFilter(void *, DialogWords *d)
{
    return PCFFilterWhere(d);
}

/* The location's list of this kind and the program-wide one. */
static void RecentLists(void *, DialogWords *d, CSLIST **own, CSLIST **kind)
{
    *own = d->dlgInfo ? &d->dlgInfo->filters : nullptr;
    *kind = d->globalInfo ? &d->globalInfo->filters : nullptr;
}

void PCFFilterWindowHooks(FLTHOOKS *h)
{
    h->status = Status;
    h->setFilterValues = FilterValues;
    h->updateList = UpdateList;
    h->postRefresh = PostRefresh;
    h->refreshList = RefreshList;
    h->setWhereFilter = WhereFilter;
    h->recentLists = RecentLists;
}
