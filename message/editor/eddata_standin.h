/* The data area of a message dialog as the stand-ins of the dialog's
 * data-area access lay it out (until the command dialog is built). */
#pragma once

#include "eddialog.h"

struct EdMessageArea {
    char queueName[49];                 /* 2016 */
    uint16_t state1, state2;            /* 10033, 10035 */
    PCFBytesValue descriptor;           /* 10036 */
    PCFBlockValue message;              /* 10037 */
};
