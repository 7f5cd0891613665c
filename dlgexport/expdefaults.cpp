/* The export's view of a queue manager's default objects: the comparison
 * of list rows and data areas with the downloaded defaults, the names the
 * download accepts as defaults, and the downloaded objects themselves.
 * The program installs these at start-up (ExpDefaultHooks). */
#include "export.h"

#include "pcflists.h"
#include "command.h"

static void DiffFromDefault(void *, DialogWords *d, PCFLISTREQ *r)
{
    PCFDiffFromDefaultCore(d, r);
}

static int CompareDefault(void *, QMS *location, PCFCommandDef *def, uint8_t *area, int *nameListed,
                          int *systemName)
{
    return PCFCompareDefault(location, def, area, nameListed, systemName);
}

static const char *DefaultNames(void *, const PCFCommandDef *def)
{
    const DOWNLOADROW *row = nullptr;
    return FindDownloadEntry(def, &row) >= 0 ? row->accepted : nullptr;
}

static uint8_t *DefaultObject(void *, QMS *location, const PCFCommandDef *def, int index)
{
    return (uint8_t *)DownloadedObjectAt(location, def, index);
}

void ExpDefaultHooks(EXPHOOKS *h)
{
    h->diffFromDefault = DiffFromDefault;
    h->compareDefault = CompareDefault;
    h->defaultNames = DefaultNames;
    h->defaultObject = DefaultObject;
}
