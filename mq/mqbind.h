/* MQ library binding: the IBM MQ library is loaded at run time and every
 * MQI verb is reached through a table of entry points.
 *
 * Two tables live for the whole process: one bound to the client library
 * and one to the server library.  A table counts as bound when its MQCONN
 * slot is set; it is bound wholly or not at all.  Entries an older library
 * lacks answer CompCode 2 (MQCC_FAILED) with reason 2298. */
#pragma once

#include "mqi.h"

#include <cstddef>

/* Reason of a library that lacks a required entry point. */
#define MQBIND_RC_INCOMPLETE 11

/* The entry points, in slot order. */
struct MQIEntryTable {
    MQBACK_FN  MQBACK;
    MQCLOSE_FN MQCLOSE;
    MQCMIT_FN  MQCMIT;
    MQCONN_FN  MQCONN;
    MQCONNX_FN MQCONNX;
    MQDISC_FN  MQDISC;
    MQGET_FN   MQGET;
    MQINQ_FN   MQINQ;
    MQOPEN_FN  MQOPEN;
    MQPUT_FN   MQPUT;
    MQPUT1_FN  MQPUT1;
    MQSET_FN   MQSET;
    MQSUB_FN   MQSUB;
    MQSUBRQ_FN MQSUBRQ;
    MQCB_FN    MQCB;
    MQCTL_FN   MQCTL;
    MQCRTMH_FN MQCRTMH;
    MQDLTMH_FN MQDLTMH;
    MQINQMP_FN MQINQMP;
    MQSETMP_FN MQSETMP;
    MQDLTMP_FN MQDLTMP;
    MQBUFMH_FN MQBUFMH;
    MQMHBUF_FN MQMHBUF;
    MQSTAT_FN  MQSTAT;
};

extern MQIEntryTable MQClientTable;   /* connections over a client channel */
extern MQIEntryTable MQServerTable;   /* local bindings */

/* The table a connection uses: the client table when client is not 0. */
inline MQIEntryTable *MQTableFor(int client)
{
    return client ? &MQClientTable : &MQServerTable;
}

/* Fills a table with the verbs of an MQ library linked into the program
 * (the stand-in's core in the tests and benchmarks), those the engine
 * calls; the others are left as they are.  Inline: only what calls it
 * needs the library. */
inline void MQLinkedTable(MQIEntryTable *t)
{
    t->MQBACK = MQBACK;
    t->MQCLOSE = MQCLOSE;
    t->MQCMIT = MQCMIT;
    t->MQCONN = MQCONN;
    t->MQCONNX = MQCONNX;
    t->MQDISC = MQDISC;
    t->MQGET = MQGET;
    t->MQINQ = MQINQ;
    t->MQOPEN = MQOPEN;
    t->MQPUT = MQPUT;
    t->MQPUT1 = MQPUT1;
    t->MQSET = MQSET;
}

/* 1 when the table's MQCONN slot is set. */
int MQTableBound(const MQIEntryTable *table);

/* 1 when an entry is missing from the library: null, or the fallback
 * that answers 2298. */
int MQEntryMissing(const void *entry);

/* Loads the library and binds the table: 0 when every required entry is
 * bound; the system's error code when the library cannot be loaded;
 * 11 when a required entry (MQCLOSE included) is missing, the table then
 * left as it was.  An empty or null name tries the server library, then
 * the client library; a name holding "mqic" is looked for in the client
 * directory, any other in the server directory; a name with a path in it
 * is used as it is.  Runs under global lock 0. */
int LoadMQLibrary(const char *libraryName, MQIEntryTable *table);

/* Binds the process-wide table of a kind unless it is bound already: the
 * client table from RAVOLT_MQLIBNAME when set, else "mqic.dll"; the server
 * table from "mqm.dll".  0 when the table is bound, else the result of
 * LoadMQLibrary. */
int MQBindTable(int client);

/* Why the last binding could not load its library: the system's message
 * for the code LoadMQLibrary returned; empty when the library loaded. */
void MQBindErrorText(char *out, size_t size);

/* Directories of the client and server libraries: MQIC_DLL_PATH or
 * MQM_DLL_PATH, else MQ_INSTALLATION_PATH with bin64; never null. */
const char *MQClientLibDir(void);
const char *MQServerLibDir(void);
