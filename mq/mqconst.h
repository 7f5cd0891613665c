/* IBM MQ constant tables and their lookups.
 *
 * Static, read-only tables of IBM MQ constants extended with the
 * program's own command codes (MYCMD_) and parameter identifiers
 * (MYPCFA_, MYCA_, MYIA_) and further own constants (ZKT_).  Every table
 * is an array of MQConstRow ended by a row whose name is null, so a
 * formatter field may point straight at one of them.
 *
 * Include as "mq/mqconst.h" from outside this folder: the MQ structure
 * definitions have a header of the same short name. */
#pragma once

#include <cstddef>
#include <cstdint>

#include "mqown.h"     /* MYCMD_, MYPCFA_, MYRC_ and ZKT_ as named constants */

struct MQConstRow {
    int64_t     value;    /* the constant's value */
    const char *name;     /* constant name, "MQRC_UNKNOWN_OBJECT_NAME"; null ends a table */
    const char *desc;     /* the program's own description, "Unknown object name" */
    const char *keyword;  /* MQSC-style short keyword, or null */
};

/* The tables, each ended by a row whose name is null. */
enum MQConstTableId {
    MQTAB_COMMANDS = 0,   /* MQCMD_ and MYCMD_ codes */
    MQTAB_PARAMETERS,     /* MQCA_, MQIA_, MQBACF_, MQCACF_, MQIACF_, MQCACH_,
                             MQIACH_, MQGACF_, MYPCFA_, MYCA_, MYIA_ ids */
    MQTAB_REASONS,        /* MQRC_ and MQRCCF_ reason codes */
    MQTAB_FEEDBACK,       /* MQFB_ feedback codes, first row 0 with empty texts */
    MQTAB_OPEN_OPTIONS,   /* MQOO_ flags */
    MQTAB_CLOSE_OPTIONS,  /* MQCO_ flags */
    MQTAB_PMO_OPTIONS,    /* MQPMO_ flags */
    MQTAB_GMO_OPTIONS,    /* MQGMO_ flags */
    MQTAB_SD_OPTIONS,     /* MQSO_ flags */
    MQTAB_SRO_OPTIONS,    /* MQSRO_ flags */
    MQTAB_PROGRAM,        /* ZKT_ constants of the program's own */
    MQTAB_COUNT
};

/* Rows of one table and, when count is not null, the number of rows
 * before the ending row.  Null for an unknown id. */
const MQConstRow *MQConstTable(int table, int *count);

/* The value table of one PCF parameter, ended by a row whose name is
 * null; null when the parameter has no table.  Parameters whose values
 * are reasons or command codes answer the reasons or commands table. */
const MQConstRow *MQValueTable(int32_t parameterId);

/* First row of a table (ended by a null name) with that value, or null. */
const MQConstRow *MQFindRow(const MQConstRow *table, int64_t value);

/* Description of a command code; "" when none. */
const char *MQCmdDesc(int32_t command);

/* Description of a parameter identifier (first row with a description);
 * "" when none. */
const char *MQParmDesc(int32_t parameterId);

/* Constant name of a parameter's value; null when the parameter has no
 * value table or the value is not in it. */
const char *MQValueName(int32_t parameterId, int64_t value);

/* Description of a reason code, else of a feedback code; "" when none. */
const char *MQReasonText(int32_t reason);

/* Constant names, for callers that show the name beside the text:
 * null when the value has no row. */
const char *MQCmdName(int32_t command);
const char *MQParmName(int32_t parameterId);
const char *MQReasonName(int32_t reason);

/* A reason as the user is told it: its constant name with its text in
 * brackets ("MQRC_CONNECTION_BROKEN (Connection to queue manager
 * broken)"), either alone when the other is missing, "" when neither.
 * Returns out. */
const char *MQReasonShown(int32_t reason, char *out, size_t size);

/* One line to the standard error stream:
 * "<verb> on object '<qmgr>/<object>' returned <reason> <text>." */
void PrintMQError(const char *verb, const char *qmgrName,
                  const char *objectName, int32_t reason);

/* The same line into a caller's buffer (always terminated); returns its
 * length.  PrintMQError writes what this builds. */
int MQFormatError(char *buffer, int size, const char *verb, const char *qmgrName,
                  const char *objectName, int32_t reason);
