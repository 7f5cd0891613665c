/* Lookups in the MQ constant tables: descriptions of commands, parameters
 * and reasons, names of parameter values, and the MQ error line.
 * All lookups scan a table in order; the first matching row wins. */
#include "mqtables.h"

#include <cstdio>
#include <cstring>

/* Parameters whose values are reasons or command codes rather than a
 * family of their own. */
enum {
    PARM_ERROR_IDENTIFIER = 1013,   /* channel error ids: reasons or 0x9000 texts */
    PARM_COMMAND          = 1021,
    PARM_CONV_REASON_CODE = 1072,
    PARM_REASON_CODE      = 1254,
};

/* Channel error identifiers of the 0x9000 range, named by what happened. */
static const MQConstRow ChannelErrorRows[] = {
    { 0x9001, "Normal Channel End", "Normal Channel End", nullptr },
    { 0x9002, "Channel Start", "Channel Start", nullptr },
    { 0x9999, "Abnormal Channel End", "Abnormal Channel End", nullptr },
    { 0, nullptr, nullptr, nullptr }
};

struct TableEntry { const MQConstRow *rows; const int *count; };

static const TableEntry Tables[MQTAB_COUNT] = {
    { MQCommandRows,     &MQCommandRowsCount },
    { MQParameterRows,   &MQParameterRowsCount },
    { MQReasonRows,      &MQReasonRowsCount },
    { MQFeedbackRows,    &MQFeedbackRowsCount },
    { MQOpenOptionRows,  &MQOpenOptionRowsCount },
    { MQCloseOptionRows, &MQCloseOptionRowsCount },
    { MQPmoOptionRows,   &MQPmoOptionRowsCount },
    { MQGmoOptionRows,   &MQGmoOptionRowsCount },
    { MQSdOptionRows,    &MQSdOptionRowsCount },
    { MQSroOptionRows,   &MQSroOptionRowsCount },
    { MQProgramRows,     &MQProgramRowsCount },
};

const MQConstRow *MQConstTable(int table, int *count)
{
    if (table < 0 || table >= MQTAB_COUNT) {
        if (count) *count = 0;
        return nullptr;
    }
    if (count) *count = *Tables[table].count;
    return Tables[table].rows;
}

const MQConstRow *MQFindRow(const MQConstRow *table, int64_t value)
{
    if (!table) return nullptr;
    for (const MQConstRow *r = table; r->name; r++)
        if (r->value == value) return r;
    return nullptr;
}

const MQConstRow *MQValueTable(int32_t parameterId)
{
    switch (parameterId) {
    case PARM_ERROR_IDENTIFIER:
    case PARM_CONV_REASON_CODE:
    case PARM_REASON_CODE:
        return MQReasonRows;
    case PARM_COMMAND:
        return MQCommandRows;
    }
    for (const MQValueIndex *i = MQValueIndexRows; i->rows; i++)
        if (i->parameterId == parameterId) return i->rows;
    return nullptr;
}

static const char *DescOf(const MQConstRow *r)
{
    return r && r->desc ? r->desc : "";
}

const char *MQCmdDesc(int32_t command)
{
    return DescOf(MQFindRow(MQCommandRows, command));
}

const char *MQParmDesc(int32_t parameterId)
{
    for (const MQConstRow *r = MQParameterRows; r->name; r++)
        if (r->value == parameterId && r->desc && r->desc[0]) return r->desc;
    return "";
}

const char *MQValueName(int32_t parameterId, int64_t value)
{
    const MQConstRow *r;
    if (parameterId == PARM_ERROR_IDENTIFIER) {
        /* Error identifiers carry a component in their top byte. */
        value &= 0xFFFFFF;
        if ((value & 0xF000) == 0x9000)
            r = MQFindRow(ChannelErrorRows, value);
        else
            r = MQFindRow(MQReasonRows, value);
    } else {
        r = MQFindRow(MQValueTable(parameterId), value);
    }
    return r ? r->name : nullptr;
}

const char *MQReasonText(int32_t reason)
{
    const MQConstRow *r = MQFindRow(MQReasonRows, reason);
    if (!r) r = MQFindRow(MQFeedbackRows, reason);
    return DescOf(r);
}

const char *MQCmdName(int32_t command)
{
    const MQConstRow *r = MQFindRow(MQCommandRows, command);
    return r ? r->name : nullptr;
}

const char *MQParmName(int32_t parameterId)
{
    const MQConstRow *r = MQFindRow(MQParameterRows, parameterId);
    return r ? r->name : nullptr;
}

const char *MQReasonName(int32_t reason)
{
    const MQConstRow *r = MQFindRow(MQReasonRows, reason);
    if (!r) r = MQFindRow(MQFeedbackRows, reason);
    return r ? r->name : nullptr;
}

const char *MQReasonShown(int32_t reason, char *out, size_t size)
{
    const char *name = MQReasonName(reason), *text = MQReasonText(reason);
    if (name && text[0])
        snprintf(out, size, "%s (%s)", name, text);
    else
        snprintf(out, size, "%s", name ? name : text);
    return out;
}

/* A name counts as given when its first character is neither zero nor
 * blank; it is taken up to 48 characters. */
static bool Given(const char *name)
{
    return name && name[0] && name[0] != ' ';
}

static int NameLength(const char *name)
{
    int n = 0;
    while (n < 48 && name[n]) n++;
    return n;
}

int MQFormatError(char *buffer, int size, const char *verb, const char *qmgrName,
                  const char *objectName, int32_t reason)
{
    if (!buffer || size <= 0) return 0;
    int len = 0;
    auto put = [&](const char *fmt, auto... args) {
        if (len < size) {
            int n = snprintf(buffer + len, size - len, fmt, args...);
            if (n > 0) len += n;
        }
        if (len >= size) len = size - 1;
    };
    put("%s ", verb ? verb : "");
    if (Given(objectName)) {
        put("on object '");
        if (Given(qmgrName)) put("%.*s", NameLength(qmgrName), qmgrName);
        put("/%.*s' ", NameLength(objectName), objectName);
    } else if (Given(qmgrName)) {
        put("on qmgr '%.*s' ", NameLength(qmgrName), qmgrName);
    }
    put("returned %d", (int)reason);
    const char *text = MQReasonText(reason);
    if (text[0]) {
        put(" %s", text);
        if (text[strlen(text) - 1] != '.') put(".");
    }
    put("\n");
    return len;
}

void PrintMQError(const char *verb, const char *qmgrName,
                  const char *objectName, int32_t reason)
{
    char line[512];
    MQFormatError(line, sizeof line, verb, qmgrName, objectName, reason);
    fputs(line, stderr);
}
