/* Command definitions: the static records that drive every object, list
 * and message dialog (PCFCommandDef with its action rows, field entries,
 * field descriptors, value tables, command-use rows, condition rows and
 * list definitions), the field types and the flag bits the code tests.
 *
 * The tables themselves are generated (pcftables_*.cpp, from
 * scripts/gen_dialogs.py); PCFInitCommandDefs lays them out once.  The
 * Client Channel Definition's field list (PCFClientChannelDef) is the
 * public description of a client channel: attribute id, type, maximum
 * length and MQCD offset of each field. */
#pragma once

#include <cstddef>
#include <cstdint>

/* Field types (PCFFieldDef.type). */
enum PCFFieldType : int16_t {
    PCFT_INT       = 1,   /* integer with minimum and maximum */
    PCFT_ENUM      = 2,   /* enumeration (value table) */
    PCFT_ENUMNUM   = 3,   /* enumeration that also takes a number in range */
    PCFT_STRING    = 4,   /* string of at most the maximum length */
    PCFT_NAME      = 5,   /* object name */
    PCFT_STRLIST   = 6,   /* string list (attached) */
    PCFT_MULTISTR  = 7,   /* string list shown as one multi-string (attached) */
    PCFT_HEX       = 8,   /* byte string shown as hexadecimal */
    PCFT_BYTES     = 9,   /* byte string shown as text */
    PCFT_MESSAGE   = 10,  /* whole message buffer (attached) */
    PCFT_SHOWINT   = 11,  /* integer shown only */
    PCFT_NOVALUE   = 12,  /* no value */
    PCFT_ENUM13    = 13,
    PCFT_ENUM14    = 14,
    PCFT_NUMBER    = 15,  /* integer without thousands separators */
    PCFT_SIGNED    = 16,  /* list records only: signed integer */
    PCFT_WIDE17    = 17,  /* list records only: 62-byte record */
    PCFT_REAL      = 18,  /* list records only: 18-byte record */
    PCFT_ENUMLIST  = 19,  /* integer list of enumeration values (attached) */
    PCFT_MARKER    = 20,  /* list records only */
    PCFT_BAR       = 21,  /* list records only */
    PCFT_INTLIST   = 22,  /* integer list of numbers (attached) */
    PCFT_WIDEHEX   = 23,  /* byte string, wide */
    PCFT_FLAGSET   = 24,  /* integer list of value-table flags (attached) */
    PCFT_STRING25  = 25,
    PCFT_HEADING   = 27,  /* tab heading */
    PCFT_SHOWONLY  = 28,  /* shown only, no record */
    PCFT_DATETIME  = 32,  /* date-time pair, seconds */
    PCFT_DATETIME100 = 36 /* date-time pair, hundredths */
};

/* Definition flags (PCFCommandDef.flags). */
#define PCFD_PREPARED      0x100000   /* laid out by PCFInitCommandDefs */
#define PCFD_HASKEYS       0x1000     /* some field entry is a key field */
#define PCFD_REPLYFIELDS   0x400      /* the reply gives the fields */
#define PCFD_NONAMECHANGE  0x400000   /* name changes do not mark the dialog */
#define PCFD_SELECTOR      0x20000    /* an object-type selector variant */
#define PCFD_NOTBYCODE     0x800      /* never found by command code */
#define PCFD_EXPORTMQSC    0x80
#define PCFD_EXPORTPOINTS  0x10000
#define PCFD_PAIR          0x2000     /* two queue managers, fixed list slots */
#define PCFD_AUTOREFRESH   0x1
#define PCFD_MSGDIALOG     0x4
#define PCFD_QMLIST        0x8000

/* Action flags (PCFActionDef.flags). */
#define PCFA_BUTTON   0x1
#define PCFA_NOMENU   0x20
#define PCFA_SEPARATOR 0x80
#define PCFA_REFRESH  0x8000
#define PCFA_DEFAULT  0x10000
#define PCFA_SUBMENU  0x80000
#define PCFA_ENDMENU  0x100000
#define PCFA_TOOLBAR  0x4000
#define PCFA_ONEREQ   0x400

/* Action ids. */
#define PCFID_DEFAULT   1
#define PCFN_STEP_REFRESH 0x7F01   /* notify code of the refresh a message step posts */
#define PCFID_CANCEL    2
#define PCFID_EXECUTE   564
#define PCFID_SEPARATOR 65535

/* Field-entry flags (PCFFieldEntry.flags). */
#define PCFE_DEPENDS      0x1        /* a change re-evaluates dependent fields */
#define PCFE_SHOWONLY     0x2
#define PCFE_MULTIONLY    0x20       /* shown only in multi-name mode */
#define PCFE_NOTMULTI     0x40       /* never in multi-name mode; "+" enters it */
#define PCFE_KEEP         0x100      /* kept on re-initialisation */
#define PCFE_NOSTORE      0x400      /* no storage (also kept on re-init) */
#define PCFE_MQSCBARE     0x200
#define PCFE_KEY          0x800
#define PCFE_LEADBLANKS   0x20000
#define PCFE_NOSTORE2     0x1000000
#define PCFE_NAMEFIELD    0x2000000
#define PCFE_NOFIELDCAPS  0x8000000  /* the descriptor's triple is not tested */
#define PCFE_IFCONDITION  0x10000000 /* looked up only when its condition holds */
#define PCFE_NOEXPORT     (0x4 | 0x10 | 0x400000)

/* Descriptor flags (PCFFieldDef.flags). */
#define PCFF_DATE 0x10

/* Condition-row flags (PCFDependency.flags). */
#define PCFC_ANYOF     0x200000
#define PCFC_SPECIFIED 0x1000
#define PCFC_OPTIONAL  0x80000000u

/* Column flags (PCFLISTENTRY.flags). */
#define PCFL_USER      0x1
#define PCFL_SHOWN     0x2
#define PCFL_SORT1     0x4
#define PCFL_DESCEND   0x8
#define PCFL_KEEP      0x10
#define PCFL_SORT2     0x40
#define PCFL_EXPORTED  0x800

/* Name-history kinds. */
enum PCFHistoryKind {
    PCFH_QUEUE = 1, PCFH_PROCESS = 2, PCFH_NAMELIST = 4, PCFH_STGCLASS = 5,
    PCFH_CLUSTER = 6, PCFH_QMGR = 7, PCFH_CFSTRUCT = 14, PCFH_TOPIC = 15,
    PCFH_XMITQ = 19, PCFH_INITQ = 20, PCFH_KINDS = 21
};

/* Every record begins with a requirement triple (mq/capability.h). */
#define PCF_TRIPLE uint16_t need1, need2, exclude

/* One row of a value table; a row whose name is null or empty ends it. */
struct PCFValueDef {
    PCF_TRIPLE;
    int32_t value;
    const char *name;        /* display name, "Local" */
    const char *keyword;     /* MQSC keyword, "QLOCAL"; "!" first: never written */
};

/* One condition row; a list ends with attribute id 0. */
struct PCFDependency {
    uint32_t attrId;
    uint32_t value;
    uint32_t flags;          /* PCFC_ bits, OR-ed into the caller's result */
};

/* One PCF command in which an attribute is a parameter; ends with 0. */
struct PCFCommandUse {
    uint32_t command;
    const PCFDependency *conditions;
    uint32_t flags;          /* 8 only with a list, 16 only without */
};

struct PCFFieldDef {
    PCF_TRIPLE;
    const char *title;       /* "Queue Name" */
    const char *name;        /* "queueName" */
    const PCFCommandUse *uses;
    uint16_t historyKind;
    const char *keyword;     /* MQSC keyword, alternatives by "/" */
    const char *shortTitle;  /* column title, "Depth" */
    uint32_t attrId;
    int16_t type;            /* PCFFieldType */
    int32_t minimum;
    int32_t maximum;         /* maximum value, or length of texts */
    const PCFValueDef *values;
    uint32_t flags;          /* PCFF_ bits */
};

struct PCFFieldEntry {
    PCF_TRIPLE;
    const PCFDependency *conditions;
    const PCFFieldDef *field;        /* null ends a field list */
    uint32_t offset;                 /* in the data area, computed */
    uint32_t flags;                  /* PCFE_ bits */
    const char *defaultText;
    uint32_t mqcdOffset;             /* MQCD field offset, 0xFFFFFFFF none */
    uint32_t compareLength;
};

struct PCFActionDef {
    PCF_TRIPLE;
    uint32_t command;        /* MQCMD_ or MYCMD_ code, 0 none */
    uint16_t id;             /* 0 ends the table */
    const char *verb;        /* MQSC verb, "DISPLAY QMGR" */
    const char *text;        /* button text with "&" */
    uint32_t flags;
    uint32_t flags2;
    const PCFDependency *conditions;
    const char *confirm;
    const char *confirmPlural;
    const char *status;
};

/* A column of a column list: 12 bytes, a null field ends the list. */
#pragma pack(push, 4)
struct PCFLISTENTRY {
    const PCFFieldDef *field;
    uint32_t flags;          /* PCFL_ bits */
};
#pragma pack(pop)
static_assert(sizeof(PCFLISTENTRY) == 12, "column entries are 12 bytes");
typedef PCFLISTENTRY PCFLIST;

struct PCFListDef {
    PCFLISTENTRY *current;
    PCFLISTENTRY *defaults;
    uint32_t listAttr;
    uint32_t kind;           /* 1 object list, 2 message list */
};

struct PCFCommandDef {
    PCF_TRIPLE;
    const char *title;
    const PCFActionDef *actions;
    PCFFieldEntry *fields;
    uint32_t objectId;       /* 1001 queue manager, 1002 queue, 10001 messages */
    uint32_t menuId;
    const PCFListDef *list;
    PCFFieldEntry *detail;
    uint32_t dataSize;       /* computed */
    uint32_t pcfBound;       /* computed */
    uint32_t flags;
    uint32_t secondCommand;
    const char *mqscObject;
    const char *shortName;
    PCFFieldEntry *nameField; /* computed: the first type-5 entry */
};

/* The two null-ended definition tables. */
extern PCFCommandDef *const PCFCommandDefs[];      /* the kinds users open */
extern PCFCommandDef *const PCFInternalDefs[];     /* download and client channel */

/* Definitions the program names directly. */
extern PCFCommandDef PCFQueueManagerDef, PCFQueueDef, PCFQueueListDef,
    PCFMessageDetailDef, PCFMessageListDef, PCFMessageDef, PCFCommandLevelDef,
    PCFQmgrInfoDef, PCFClientChannelDef, PCFMqscConsoleDef,
    PCFBrokerSubscribersDef, PCFBrokerPublishersDef;
extern PCFCommandDef PCFQueueNamesDef[4];            /* the four download kinds */

/* Every field descriptor of the tables (null-ended), and the counts of
 * descriptors and of distinct value tables. */
extern const PCFFieldDef *const PCFAllDescriptors[];
extern const int PCFDescriptorCount;
extern const int PCFValueTableCount;

/* Value record sizes of a field type: data area and PCF size bound. */
uint32_t PCFTypeDataSize(const PCFFieldDef *field);
uint32_t PCFTypePcfSize(const PCFFieldDef *field);
