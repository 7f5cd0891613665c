/* The generated constant tables, as the lookups in mqconst.cpp see them.
 * Private to the mq library. */
#pragma once

#include "mqconst.h"

struct MQValueIndex {
    int32_t           parameterId;
    const MQConstRow *rows;
};

extern const MQConstRow MQCommandRows[];
extern const int        MQCommandRowsCount;
extern const MQConstRow MQParameterRows[];
extern const int        MQParameterRowsCount;
extern const MQConstRow MQReasonRows[];
extern const int        MQReasonRowsCount;
extern const MQConstRow MQFeedbackRows[];
extern const int        MQFeedbackRowsCount;
extern const MQConstRow MQOpenOptionRows[];
extern const int        MQOpenOptionRowsCount;
extern const MQConstRow MQCloseOptionRows[];
extern const int        MQCloseOptionRowsCount;
extern const MQConstRow MQPmoOptionRows[];
extern const int        MQPmoOptionRowsCount;
extern const MQConstRow MQGmoOptionRows[];
extern const int        MQGmoOptionRowsCount;
extern const MQConstRow MQSdOptionRows[];
extern const int        MQSdOptionRowsCount;
extern const MQConstRow MQSroOptionRows[];
extern const int        MQSroOptionRowsCount;
extern const MQConstRow MQProgramRows[];
extern const int        MQProgramRowsCount;
extern const MQValueIndex MQValueIndexRows[];
