/* What the message editor pane reads and writes of the command dialog
 * that holds it: the dialog instance's fields the pane uses, its flag
 * bits, the data-area value records of the message, and the dialog
 * services the pane calls.  The command dialog owns the instance and
 * extends it; the pane touches only what is declared here. */
#pragma once

#include <cstdint>

struct PCFDATA;
struct QMS;

/* DialogFlags (state flags) the pane tests */
enum : uint32_t { DF_NO_DATA_AREA = 0x200000 };

/* Display flags the pane changes */
enum : uint32_t {
    DSP_MSG_STATE = 0x40000,    /* the view options lack VO_MSG_STATE */
    DSP_FORMATTED = 0x80000,    /* a default header was applied */
    DSP_LOADED = 0x100000,
};

/* View options the pane reads */
enum : uint32_t {
    VO_MSG_STATE = 0x40, VO_LINE_NUMBERS = 0x2000000, VO_STEPPING = 0x8000000,
};

/* The dialog's status word beside its flag words (bits of its own) */
enum : uint32_t { DST_TRUNCATED = 0x1, DST_CONVERTED = 0x2 };

/* Body kinds of the view-mode commands */
enum : uint32_t {
    BK_AUTO = 0, BK_CSV = 1, BK_FIX = 2, BK_JSON = 3, BK_TEXT = 4, BK_XML = 5, BK_EDIFACT = 6,
};

/* Attribute ids of the message's dialog fields */
enum : uint32_t {
    ATTR_QUEUE_NAME = 2016, ATTR_MSG_STATE1 = 10033, ATTR_MSG_STATE2 = 10035,
    ATTR_MSGDESCRIPTOR = 10036, ATTR_FULLMESSAGE = 10037,
};

/* A byte-string value record (the descriptor, field 10036). */
struct PCFBytesValue {
    uint16_t state;             /* 1 present, 2, 4 specified, 16 in error */
    uint16_t spare;
    uint32_t length;
    uint32_t maxLength;
    uint8_t bytes[364];
};

/* A block value record (the message data, field 10037): the block is a
 * u32 length followed by the bytes. */
struct PCFBlockValue {
    uint16_t state;
    uint16_t spare[3];
    uint8_t *block;
};

/* The instance of one open command dialog: the fields the pane uses. */
struct DialogWords {
    DialogWords *next;
    void *window;               /* the dialog window */
    uint32_t stateFlags;        /* DF_* */
    uint32_t optionFlags;
    uint32_t displayFlags;      /* DSP_* */
    uint32_t status;            /* DST_* */
    uint32_t viewOptions;       /* VO_* */
    uint32_t viewWords[2];      /* the message-view words */
    uint32_t bodyKind;          /* BK_* of 922-930 */
    uint32_t viewSwitches[2];   /* 926: Return types separators; 927: typing aids */
    uint32_t addContext, updateContext;
    uint16_t charWidth, lineHeight;
    uint16_t lineSpacing;       /* added to the pane font's height */
    QMS *location;              /* null: no location */
    void *dataArea;
    char titleTag[24];          /* shown in brackets before the title */
    char queueName[49];         /* the message's queue (attribute 2016) */
    void *dataWindow;           /* the pane */
    PCFDATA *editor;
    void *statusLine;
    void *countWindow;
    void *toolbar;
    void *menu;
    uint32_t browseState;
    uint32_t fieldTop;          /* the field pane's top line, line count, visible lines */
    uint16_t fieldCount, fieldVisible;
    uint32_t confirmOptions;    /* the user's option word of questions not to ask */
    void *findWindow;           /* the "Find and Replace" dialog and its */
    void *findDialog;           /*   dynamic dialog handle, while open */
};

/* Dialog services the pane calls (the command dialog's). */
/* The value record of an attribute in the dialog's data area, or null. */
void *PCFDialogValue(DialogWords *dialog, uint32_t attributeId);
/* The text of a dialog field's value, or null. */
const char *PCFGetValueText(DialogWords *dialog, uint32_t attributeId, void *reserved);
