/* Stand-in for the saved-dialog commands (MYCMD_INQUIRE_DIALOG to
 * MYCMD_CREATE_DIALOG) until saved dialogs exist: each is answered as a
 * command the agent does not know. */
#include "agentint.h"

int DialogCommand(QMS *r, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *)
{
    return SendErrorResponse(r, 0, nullptr, h, cache, command, md, MQRCCF_CFH_COMMAND_ERROR, 0, 0, 0, 0);
}
