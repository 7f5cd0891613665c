/* What the message editor pane reads and writes of the command dialog
 * that holds it: the dialog instance (DialogWords of dialogs.h), the bits
 * of its flag words that are the pane's, the attribute ids of the
 * message's fields, and the lookups of their value records. */
#pragma once

#include <cstdint>
#include "dialogs.h"

/* Display flags the pane changes */
enum : uint32_t {
    DSP_MSG_STATE = 0x40000,    /* the view options lack DV_MSG_STATE */
    DSP_FORMATTED = 0x80000,    /* a default header was applied */
    DSP_LOADED = 0x100000,
};

/* The view option that keeps the message's state fields */
enum : uint32_t { DV_MSG_STATE = 0x40 };

/* Body kinds of the view-mode commands */
enum : uint32_t {
    BK_AUTO = 0, BK_CSV = 1, BK_FIX = 2, BK_JSON = 3, BK_TEXT = 4, BK_XML = 5, BK_EDIFACT = 6,
};

/* Attribute ids of the message's dialog fields */
enum : uint32_t {
    ATTR_QUEUE_NAME = 2016, ATTR_MSG_STATE1 = 10033, ATTR_MSG_STATE2 = 10035,
    ATTR_MSGDESCRIPTOR = 10036, ATTR_FULLMESSAGE = 10037,
};

/* The value record of an attribute in the dialog's data area (its u16
 * state word first), or null when the dialog has no such field. */
uint8_t *EdDialogValue(DialogWords *dialog, uint32_t attributeId);
/* The message buffer of a record of the descriptor or the message
 * (10036, 10037), grown to hold capacity bytes; null out of storage. */
PCFMSGBUF *EdMessageBuffer(uint8_t *record, uint32_t capacity);
/* The dialog's location, or null. */
inline QMS *EdLocation(const DialogWords *dialog) { return dialog ? dialog->first.location : nullptr; }
/* The message shown is cut short, or was converted by the get. */
inline int EdTruncated(const DialogWords *dialog) { return dialog && (dialog->statusFlags & DS_TRUNCATED) != 0; }
inline int EdConverted(const DialogWords *dialog) { return dialog && (dialog->markFlags & DM_CONVERTED) != 0; }
