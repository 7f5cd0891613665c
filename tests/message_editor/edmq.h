/* A message through the stand-in queue manager: put with all its context
 * set and got back through a table of MQI entry points (the program's
 * binding, or the stand-in's core linked in), as the pane receives it. */
#pragma once

#include "mq/mqbind.h"
#include "mqsim.h"
#include <string>
#include <vector>

struct StandInMessage {
    std::vector<unsigned char> md;      /* the MQMD as got (version 2) */
    std::vector<unsigned char> data;
};

/* Creates queue manager qmgr with queue ED.Q under a fresh home folder,
 * puts the body with the format, CCSID and encoding and the context
 * below, and gets it back. "" or the failing verb and reason. */
std::string PutAndGet(const MQIEntryTable *t, MQSimRunMqsc_FN mqsc, const char *qmgr,
                      const std::vector<unsigned char> &body, const char *format, int ccsid,
                      int encoding, StandInMessage *out);
/* The context put with every message. */
extern const char standInApplName[];
extern const char standInUserId[];
