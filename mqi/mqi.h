/* The MQ interface as the program and the stand-in queue manager see it:
 * elementary types, the generated constants and structures, the callback
 * context structure, and the MQI verbs with their entry-point types.
 * Fixed-width types keep the same layouts on Windows x64 and on Linux. */
#ifndef MQI_MQI_H
#define MQI_MQI_H

#include <stddef.h>
#include <stdint.h>

/* Elementary data types. */
typedef int32_t  MQLONG;
typedef uint32_t MQULONG;
typedef int64_t  MQINT64;
typedef uint64_t MQUINT64;
typedef char     MQCHAR;
typedef unsigned char MQBYTE;
typedef void    *MQPTR;
typedef void     MQVOID;
typedef MQLONG   MQHCONN;
typedef MQLONG   MQHOBJ;
typedef MQINT64  MQHMSG;
typedef float    MQFLOAT32;
typedef double   MQFLOAT64;

typedef MQCHAR  *PMQCHAR;
typedef MQBYTE  *PMQBYTE;
typedef MQLONG  *PMQLONG;
typedef MQINT64 *PMQINT64;
typedef MQVOID  *PMQVOID;
typedef MQPTR   *PMQPTR;
typedef MQHCONN *PMQHCONN;
typedef MQHOBJ  *PMQHOBJ;
typedef MQHMSG  *PMQHMSG;

/* Structures referred to by pointer only. */
typedef struct tagMQSCO *PMQSCO;
typedef struct tagMQCSP *PMQCSP;
typedef struct tagMQAIR *PMQAIR;
typedef struct tagMQBNO *PMQBNO;

/* The calling convention of the MQI (only 32-bit Windows has a choice). */
#if defined(_WIN32) && !defined(_WIN64)
#define MQENTRY __stdcall
#else
#define MQENTRY
#endif

#include "mqconst.h"
#include "mqstruct.h"

/* Callback context, given to MQCB consumers and event handlers. */
typedef struct tagMQCBC {
    MQCHAR   StrucId[4];
    MQLONG   Version;
    MQLONG   CallType;
    MQHOBJ   Hobj;
    MQPTR    CallbackArea;
    MQPTR    ConnectionArea;
    MQLONG   CompCode;
    MQLONG   Reason;
    MQLONG   State;
    MQLONG   DataLength;
    MQLONG   BufferLength;
    MQLONG   Flags;
    MQLONG   ReconnectDelay;   /* version 2 */
} MQCBC;
typedef MQCBC *PMQCBC;
#define MQCBC_DEFAULT {'C','B','C',' '}, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1
MQI_LAYOUT(sizeof(MQCBC) == 64);
MQI_LAYOUT(offsetof(MQCBC, CallbackArea) == 16);
MQI_LAYOUT(offsetof(MQCBC, CompCode) == 32);
MQI_LAYOUT(offsetof(MQCBC, Flags) == 52);
MQI_LAYOUT(offsetof(MQCBC, ReconnectDelay) == MQCBC_LENGTH_1);

/* A message consumer or event handler registered with MQCB. */
typedef void MQENTRY MQCB_FUNCTION(MQHCONN Hconn, PMQVOID pMsgDesc,
                                   PMQVOID pGetMsgOpts, PMQVOID pBuffer,
                                   PMQCBC pContext);
typedef MQCB_FUNCTION *PMQCB_FUNCTION;

/* The MQI verbs: X(name, parameter list). One list serves the prototypes
 * and the entry-point types MQ<VERB>_FN used when binding at run time. */
#define MQI_VERBS(X) \
  X(MQBACK,  (MQHCONN Hconn, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQCLOSE, (MQHCONN Hconn, PMQHOBJ pHobj, MQLONG Options, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQCMIT,  (MQHCONN Hconn, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQCONN,  (PMQCHAR pQMgrName, PMQHCONN pHconn, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQCONNX, (PMQCHAR pQMgrName, PMQVOID pConnectOpts, PMQHCONN pHconn, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQDISC,  (PMQHCONN pHconn, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQGET,   (MQHCONN Hconn, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pGetMsgOpts, MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pDataLength, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQINQ,   (MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors, MQLONG IntAttrCount, PMQLONG pIntAttrs, MQLONG CharAttrLength, PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQOPEN,  (MQHCONN Hconn, PMQVOID pObjDesc, MQLONG Options, PMQHOBJ pHobj, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQPUT,   (MQHCONN Hconn, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts, MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQPUT1,  (MQHCONN Hconn, PMQVOID pObjDesc, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts, MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQSET,   (MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors, MQLONG IntAttrCount, PMQLONG pIntAttrs, MQLONG CharAttrLength, PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQSUB,   (MQHCONN Hconn, PMQVOID pSubDesc, PMQHOBJ pHobj, PMQHOBJ pHsub, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQSUBRQ, (MQHCONN Hconn, MQHOBJ Hsub, MQLONG Action, PMQVOID pSubRqOpts, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQCB,    (MQHCONN Hconn, MQLONG Operation, PMQVOID pCallbackDesc, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pGetMsgOpts, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQCTL,   (MQHCONN Hconn, MQLONG Operation, PMQVOID pControlOpts, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQCRTMH, (MQHCONN Hconn, PMQVOID pCrtMsgHOpts, PMQHMSG pHmsg, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQDLTMH, (MQHCONN Hconn, PMQHMSG pHmsg, PMQVOID pDltMsgHOpts, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQINQMP, (MQHCONN Hconn, MQHMSG Hmsg, PMQVOID pInqPropOpts, PMQVOID pName, PMQVOID pPropDesc, PMQLONG pType, MQLONG ValueLength, PMQVOID pValue, PMQLONG pDataLength, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQSETMP, (MQHCONN Hconn, MQHMSG Hmsg, PMQVOID pSetPropOpts, PMQVOID pName, PMQVOID pPropDesc, MQLONG Type, MQLONG ValueLength, PMQVOID pValue, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQDLTMP, (MQHCONN Hconn, MQHMSG Hmsg, PMQVOID pDltPropOpts, PMQVOID pName, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQBUFMH, (MQHCONN Hconn, MQHMSG Hmsg, PMQVOID pBufMsgHOpts, PMQVOID pMsgDesc, MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pDataLength, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQMHBUF, (MQHCONN Hconn, MQHMSG Hmsg, PMQVOID pMsgHBufOpts, PMQVOID pName, PMQVOID pMsgDesc, MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pDataLength, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQSTAT,  (MQHCONN Hconn, MQLONG Type, PMQVOID pStatus, PMQLONG pCompCode, PMQLONG pReason)) \
  X(MQBEGIN, (MQHCONN Hconn, PMQVOID pBeginOptions, PMQLONG pCompCode, PMQLONG pReason))

#define MQI_DECLARE_TYPE(name, params) typedef void (MQENTRY *name##_FN) params;
MQI_VERBS(MQI_DECLARE_TYPE)
#undef MQI_DECLARE_TYPE

/* Prototypes, for code that links against an MQ library (the stand-in's own
 * tests and tools); the program itself binds the verbs at run time. */
#ifdef __cplusplus
extern "C" {
#endif
#define MQI_DECLARE_VERB(name, params) void MQENTRY name params;
MQI_VERBS(MQI_DECLARE_VERB)
#undef MQI_DECLARE_VERB
#ifdef __cplusplus
}
#endif

#endif
