/* The stand-in MQ library's own entry points, beside the MQI verbs:
 * for tests, the stand-in's tool and demo set-ups.
 *
 * Queue managers live in folders under the directory named by the
 * environment variable RAVOLT_MQSIM_HOME, one folder per queue manager.
 * A queue manager is created by the first MQSC script run against it. */
#ifndef MQSIM_MQSIM_H
#define MQSIM_MQSIM_H

#include "mqi.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The next count calls of verb ("MQGET", ... or "*" for any verb) fail
 * with reason (CompCode 2; 1 for warnings), each after delayMs; reason 0
 * only delays.  count 0 removes the fault of that verb. */
void MQENTRY MQSimFault(PMQCHAR verb, MQLONG count, MQLONG reason, MQLONG delayMs);

/* The nth call from now of verb ("MQGET", ... or "*") on queue manager
 * qmgr (null or blank: any; for MQCONN and MQCONNX the name connected
 * to) and the count - 1 calls after it fail with reason; the calls
 * before it go through.  count 0 removes the fault of that verb and
 * queue manager. */
void MQENTRY MQSimFaultAt(PMQCHAR verb, PMQCHAR qmgr, MQLONG nth, MQLONG count, MQLONG reason);

/* Arms a fault, as MQSimFaultAt does with a delay of delayMs before each
 * call it strikes, inside the process that owns queue manager qmgr (this
 * one when it owns it): the calls struck are that process's own, never
 * those it serves to other processes.  0, or 2059 when no process owns
 * the queue manager. */
MQLONG MQENTRY MQSimFaultInOwner(PMQCHAR verb, PMQCHAR qmgr, MQLONG nth, MQLONG count, MQLONG reason,
                                 MQLONG delayMs);

/* The verb name that reaches the command servers ("*" does not): the
 * next count requests are answered after delayMs, with a single error
 * response of reason when reason > 0, or not at all when reason is -1. */
#define MQSIM_COMMAND_SERVER "CMDSERVER"

/* The reason that stops a command server instead (after nth - 1 more
 * requests answered), as a stopped one in IBM MQ: requests stay on
 * SYSTEM.ADMIN.COMMAND.QUEUE unanswered until the fault is removed
 * (count 0), when the server starts again and answers them in order.
 * The count given is not used up. */
#define MQSIM_CMDSERVER_STOPPED (-2)

/* Runs MQSC text against the queue manager, creating it when it does not
 * exist yet.  The runmqsc-style output (echo and messages) is copied to
 * out (null-terminated, cut to outLength).  Result: 0 when every command
 * succeeded, else the number of commands that failed; -1 when the queue
 * manager cannot be had (no home folder, bad name, owned by another
 * process). */
MQLONG MQENTRY MQSimRunMqsc(PMQCHAR qmgrName, PMQCHAR text, MQLONG outLength, PMQCHAR out);

/* Ends every connection (backing out their units of work) and releases
 * every queue manager, as if the process ended. */
void MQENTRY MQSimShutdown(void);

#ifdef __cplusplus
}
#endif

typedef void (MQENTRY *MQSimFault_FN)(PMQCHAR, MQLONG, MQLONG, MQLONG);
typedef void (MQENTRY *MQSimFaultAt_FN)(PMQCHAR, PMQCHAR, MQLONG, MQLONG, MQLONG);
typedef MQLONG (MQENTRY *MQSimRunMqsc_FN)(PMQCHAR, PMQCHAR, MQLONG, PMQCHAR);
typedef void (MQENTRY *MQSimShutdown_FN)(void);
typedef MQLONG (MQENTRY *MQSimFaultInOwner_FN)(PMQCHAR, PMQCHAR, MQLONG, MQLONG, MQLONG, MQLONG);

#endif
