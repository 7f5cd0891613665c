/* The MQ engine's constant tables as the formatter's value tables: used
 * when the program has not linked tables of its own (FmtSetConstLinks).
 * The rows are copied once into the formatter's row shape. */
#include "fmtint.h"
#include "mq/mqconst.h"
#include <algorithm>
#include <mutex>
#include <vector>

static std::vector<FmtValueName> copies[MQTAB_COUNT];

/* Enumeration tables are kept in value order (equal values in table
 * order) so that names are found by halving; flag tables keep their order. */
static const FmtValueName *Copy(int table, bool sorted = false)
{
    int count = 0;
    const MQConstRow *rows = MQConstTable(table, &count);
    if (!rows)
        return nullptr;
    std::vector<FmtValueName> &v = copies[table];
    for (int i = 0; i < count; i++)
        v.push_back({ (uint64_t)rows[i].value, rows[i].name, rows[i].desc, 0 });
    if (sorted)
        std::stable_sort(v.begin(), v.end(), [](const FmtValueName &a, const FmtValueName &b) {
            return (int64_t)a.value < (int64_t)b.value;
        });
    v.push_back({ 0, nullptr, nullptr, 0 });
    if (sorted)
        FmtMarkSortedTable(v.data(), (uint32_t)v.size() - 1);
    return v.data();
}

static const char *ValueName(int32_t parameter, int32_t value)
{
    return MQValueName(parameter, value);
}

void FmtUseMQConstTables()
{
    static std::once_flag once;
    std::call_once(once, [] {
        FmtConstLinks l = {};
        l.reasons = Copy(MQTAB_REASONS, true);
        l.parameters = Copy(MQTAB_PARAMETERS, true);
        l.commands = Copy(MQTAB_COMMANDS, true);
        l.openOptions = Copy(MQTAB_OPEN_OPTIONS);
        l.closeOptions = Copy(MQTAB_CLOSE_OPTIONS);
        l.pmoOptions = Copy(MQTAB_PMO_OPTIONS);
        l.gmoOptions = Copy(MQTAB_GMO_OPTIONS);
        l.sdOptions = Copy(MQTAB_SD_OPTIONS);
        l.sroOptions = Copy(MQTAB_SRO_OPTIONS);
        l.valueName = ValueName;
        FmtLinks = l;
    });
}
