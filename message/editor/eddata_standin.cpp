/* Stand-ins of the command dialog's data-area access until the dialog
 * is built: a message dialog's data area is one EdMessageArea record. */
#include "eddata_standin.h"

void *PCFDialogValue(DialogWords *dialog, uint32_t attributeId)
{
    EdMessageArea *a = dialog ? (EdMessageArea *)dialog->dataArea : nullptr;
    if (!a)
        return nullptr;
    switch (attributeId) {
    case ATTR_MSG_STATE1: return &a->state1;
    case ATTR_MSG_STATE2: return &a->state2;
    case ATTR_MSGDESCRIPTOR: return &a->descriptor;
    case ATTR_FULLMESSAGE: return &a->message;
    }
    return nullptr;
}

const char *PCFGetValueText(DialogWords *dialog, uint32_t attributeId, void *)
{
    EdMessageArea *a = dialog ? (EdMessageArea *)dialog->dataArea : nullptr;
    return a && attributeId == ATTR_QUEUE_NAME && a->queueName[0] ? a->queueName : nullptr;
}
