/* MQSC: the text a dialog command becomes for a z/OS queue manager, the
 * CSQ replies turned back into PCF responses, and the MQSC console (its
 * commands, files, histories, reply lines and search).  Window-free: the
 * console's dialog is reached through the command engine's hooks and its
 * state lives in a record of its own beside the dialog. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "../command/cmdint.h"

/* ---- MQSC command text -------------------------------------------------- */

#define MQSC_TEXT_SIZE    2000     /* the text of one command */
#define MQSC_TEXT_RESERVE 300      /* room kept before each parameter */

/* A bounded text being written: a write that does not fit sets full and
 * writes nothing. */
struct MQSCTEXT {
    char *text;
    uint32_t used, size;
    int full;
};
void MQSCPut(MQSCTEXT *t, const char *bytes, size_t n);
void MQSCPuts(MQSCTEXT *t, const char *text);
/* Bytes between single quotes, quotes inside doubled. */
void MQSCPutQuoted(MQSCTEXT *t, const char *bytes, size_t n);
/* Bytes as upper-case hexadecimal pairs. */
void MQSCPutHex(MQSCTEXT *t, const uint8_t *bytes, size_t n);
/* Replaces the first occurrence of what by with; 0 when absent or no room. */
int ReplaceSubstring(MQSCTEXT *t, const char *what, const char *with);

/* The operator text of a filter operator code, or null. */
const char *WhereOperatorName(int32_t op);
/* The n-th "/" form of a keyword (0 first, 1 second) into out (20). */
void MQSCKeywordForm(const char *keyword, int form, char *out, size_t size);
/* Writes the value keywords of an integer list, "," between them. */
void PCFIntListText(MQSCTEXT *t, const PCFFieldDef *field, const int32_t *values, int32_t count);
/* Appends " WHERE(...)" for a filter parameter (type 13, 14 or 15; value
 * as the walker hands it out); nothing without a field or operator. */
void PCFBuildWhere(MQSCTEXT *t, const PCFCommandDef *def, const uint8_t *caps, int32_t type,
                   int32_t parameter, const uint8_t *value, int32_t length);

/* ---- MQSC replies ------------------------------------------------------- */

#define MQSC_RESPONSE_SIZE  30000  /* one converted response */
#define MQSC_UNHANDLED_SIZE 1000   /* the dialog's text of unrecognised attributes */
#define MQSC_KEYWORD_SIZE   20

/* The list keywords whose value a field reads itself. */
int MQSCListKeyword(const uint8_t *caps, const char *keyword);
/* The next keyword and value of attribute text; both empty at its end.
 * value holds valueSize characters and a NUL. */
void MQSCNextKeyword(const uint8_t *caps, const char **position, int32_t *remaining, char *keyword,
                     char *value, int32_t valueSize);
/* Attribute text into a PCF response (out holds size bytes, *length the
 * bytes written); unrecognised attributes appended to unhandled. */
void PCFMQSCValues(const uint8_t *caps, char *unhandled, MQSCPcf *state, const char *text,
                   int32_t textLength, uint8_t *out, uint32_t size, uint32_t *length);
/* Tests: 0 makes the attribute lookups walk the field definitions one by
 * one instead of through their sorted index (1, the default). */
void MQSCIndexLookups(int on);
/* One reply's text appended to the state's collected text. */
void MQSCAppendResponseText(MQSCPcf *state, const char *text, size_t length);
/* The command definition of a command code for the replies. */
const PCFCommandDef *MQSCReplyDefinition(const PCFCommandDef *dialogDef, const PCFActionDef *action,
                                         uint32_t command);

/* ---- the MQSC console --------------------------------------------------- */

#define MQSC_INPUT_SIZE   400      /* one console input */
#define MQSC_SEARCH_SIZE  50
#define MQSC_HISTORY_SIZE 20
#define MQSC_FILE_BUFFER  50000    /* one command of a file */
#define MQSC_FILE_NAME    127

/* A command sent or registered by the console. */
enum {
    MC_ANSWERED = 0x1, MC_TITLED = 0x2, MC_COMPLETE = 0x4, MC_HEADER = 0x8, MC_CLOSE = 0x10,
    MC_APPEND = 0x20,
};
struct MQSCCMD {
    CSLISTELEM link;
    uint32_t flags;
    char *outName;               /* the output file, or null */
    FILE *file;                  /* open while replies are written */
    uint32_t sequence;
    char text[1];                /* the command, terminated */
};

/* A reply line of the console (tag "MQSCLINE"). */
enum { ML_RESP = 0, ML_TITLE = 2 };
struct MQSCLINE {
    uint32_t type;
    char text[1];
};

/* The reply lines a console keeps: a server that answers one command
 * with a flood of lines costs the oldest ones, not all memory. */
#define MQSC_MAX_LINES 100000

/* The console state of a dialog (what its editor state holds for it). */
struct MQSCCONSOLE {
    CSLISTELEM link;
    DialogWords *dialog;
    MQSCLINE **ring;             /* the reply lines, under lock 5 (tag "MQSCLINES") */
    int32_t ringSize, ringFirst, lineCount;
    uint32_t linesDropped;       /* the oldest lines dropped to keep the limit */
    uint32_t lineWidth, charWidth;   /* pixels */
    int32_t topLine, visibleLines, foundLine;
    char search[MQSC_SEARCH_SIZE + 1];
    char input[MQSC_INPUT_SIZE + 1];
    uint32_t sequence;           /* the console sequence at the last input */
    uint32_t inputs;             /* inputs taken, whichever way they were issued */
    uint32_t highestAnswered;
};
/* The console of a dialog, made on first use; null without storage. */
MQSCCONSOLE *MQSCConsoleOf(DialogWords *dialog);
MQSCCONSOLE *MQSCConsoleFind(DialogWords *dialog);
/* The dialog goes: its console record and state are released. */
void MQSCConsoleFree(DialogWords *dialog);
/* Characters per console line. */
int32_t MQSCLineChars(const MQSCCONSOLE *console);
/* The line store, under lock 5: a line added at the end (the oldest
 * dropped beyond MQSC_MAX_LINES), the line of an index (null past the
 * end), and all of them gone. */
void MQSCAddLine(MQSCCONSOLE *console, uint32_t type, const char *text, size_t length);
MQSCLINE *MQSCLineAt(MQSCCONSOLE *console, int32_t index);
void MQSCClearLines(MQSCCONSOLE *console);
/* Reply lines (copies) for a window or a test. */
int32_t MQSCLineCount(MQSCCONSOLE *console);
int MQSCLineText(MQSCCONSOLE *console, int32_t index, char *out, size_t size, uint32_t *type);

MQSCCMD *MQSCCommand(DialogWords *dialog, const PCFActionDef *action, const char *text, const char *outName,
                     uint32_t flags);
void MQSCFileCommand(DialogWords *dialog, const PCFActionDef *action, const char *text);
void MQSCResponseLines(IFCMD *record, uint32_t command, const uint8_t *data, uint32_t length,
                       uint32_t error, const char *text);
void MQSCOpenOutputFile(DialogWords *dialog, IFCMD *record, MQSCCMD *entry);
/* The console's search: "/" and the text. */
void MQSCSearch(DialogWords *dialog, const char *text);

/* The escape request of a command text (tag "MQSCCommand"); null without
 * storage. */
uint8_t *MQSCEscapeRequest(const char *text, uint32_t *length);
/* The escape text of a reply, checked against the reply's length. */
int MQSCEscapeText(const uint8_t *reply, uint32_t length, const char **text, uint32_t *textLength);
/* Splits console input at ";" outside single quotes: the parts in turn
 * (an empty one between two ";", none after a final one). */
typedef void (*MQSCPARTFUNC)(void *context, const char *part, size_t length);
void MQSCSplit(const char *input, MQSCPARTFUNC each, void *context);
/* Redirection of a command: the command's length, the file name and
 * MC_CLOSE / MC_APPEND in *flags; 0 when the command is not redirected. */
int MQSCRedirect(const char *text, size_t *commandLength, char *fileName, size_t size, uint32_t *flags);
/* Reply text cut into console lines: parentheses squeezed, lines broken
 * at the last blank outside parentheses. */
typedef void (*MQSCLINEFUNC)(void *context, const char *line, size_t length);
void MQSCWrapText(const char *text, size_t length, int32_t width, MQSCLINEFUNC each, void *context);

/* ---- command files ---- */

/* Reads commands from an MQSC file: lines of any length, "*" comments,
 * "+" and "-" continuations. */
struct MQSCFILEREADER {
    FILE *file;
    char *line;                  /* the current line, grown as needed */
    size_t lineSize;
    char *command;               /* MQSC_FILE_BUFFER bytes */
    size_t used;
    int overflow;                /* the command did not fit its buffer */
    int collecting;              /* a continuation is open */
    int fromFirstColumn;         /* the previous line ended with "-" */
};
/* 1 a command (in reader->command; overflow set when it was too long),
 * 0 at the end of the file. */
int MQSCNextFileCommand(MQSCFILEREADER *reader);

/* The file-name dialog, through a runner the window code or a test sets:
 * input 1 for the input file; 0 chosen, else no name. */
struct MQSCFILEDIALOG {
    const char *title;           /* "Input MQSC file name" */
    const char *filter;          /* "All\0*.*\0Text\0*.TXT\0MQSC\0*.MQS\0" */
    const char *folder;          /* the initial folder, or null */
    char *name;                  /* in: the proposed name; out: the chosen one */
    uint32_t size;               /* 128 */
    int mustExist;
};
typedef int (*MQSCFILERUNNER)(void *context, MQSCFILEDIALOG *dialog, uint32_t *error);
void MQSCSetFileRunner(MQSCFILERUNNER runner, void *context);
/* The system's dialog (the runner when none is set): 1 chosen. */
int MQSCSystemFileDialog(MQSCFILEDIALOG *dialog, uint32_t *error);
int MQSCFileNameDialog(uint32_t input, DialogWords *dialog, char *errorText, char *fileName);

/* ---- histories ---- */

void MQSCHistoryPush(CSLIST *history, const char *text);
void MQSCHistoryAdd(DialogWords *dialog, const char *text);
CSLIST *MQSCGlobalHistory(void);
/* Closes the console entries' files of a record that goes. */
void MQSCFreeConsoleEntries(IFCMD *record);
