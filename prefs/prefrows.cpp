/* The Preferences dialog's static tables: the option rows of its nine
 * lists, the value rows of its drop-downs, the time-format templates,
 * date formats, separators, locale names and update choices. */
#include "prefs.h"

#define HEAD(text) { PW_HEADING, 0, 0, 0, text }
#define OPT(word, bit, text) { word, bit, 0, 0, text }
#define INV(word, bit, text) { word, bit, 0, 1, text }
#define GRP(word, bit, group, text) { word, bit, group, 0, text }

static const PrefOptionRow General[] = {
    HEAD("Configuration"),
    OPT(PW_PO3, 0x10000, "Auto save configuration"),
    OPT(PW_PO4, 0x100, "Import local Queue Managers on startup"),
    OPT(PW_PO4, 0x2000000, "Show Permanent Dynamic Queues"),
    OPT(PW_PO4, 0x4000000, "Use INQUIRE QUEUE NAMES"),
    HEAD("Editing"),
    OPT(PW_PO4, 0x80000, "XML Assist"),
    OPT(PW_PO4, 0x400000, "Show offsets in hex"),
    OPT(PW_PO4, 0x1000000, "Wide insert cursor"),
    OPT(PW_PO4, 0x8000000, "Remove context override on each message"),
};

static const PrefOptionRow Confirmations[] = {
    HEAD("General"),
    OPT(PW_PO3, 0x40000, "Confirm on program exit"),
    OPT(PW_CO, 0x80000000u, "Show confirmation dialogs"),
    HEAD("Message Operations"),
    OPT(PW_CO, 0x1, "Confirm message copy"),
    OPT(PW_CO, 0x4, "Confirm message move"),
    OPT(PW_CO, 0x10, "Confirm message delete"),
    OPT(PW_CO, 0x2, "Confirm message 'copy all'"),
    OPT(PW_CO, 0x8, "Confirm message 'move all'"),
    OPT(PW_CO, 0x20, "Confirm message 'delete all'"),
    HEAD("Message Editing"),
    OPT(PW_CO, 0x80, "Confirm message add"),
    OPT(PW_CO, 0x40, "Confirm message update"),
    OPT(PW_CO, 0x100, "Confirm unapplied edit"),
    OPT(PW_CO, 0x200, "Confirm retrieval of full message"),
    OPT(PW_CO, 0x400, "Confirm add of truncated message"),
    OPT(PW_CO, 0x800, "Confirm edit of converted message"),
    OPT(PW_CO, 0x2000, "Confirm edit of message in character substitution mode"),
    OPT(PW_CO, 0x1000, "Confirm put of a message with formatting error"),
};

static const PrefOptionRow Dialogs[] = {
    HEAD("Positioning"),
    OPT(PW_MAIN, 0x10, "Save Dialog Positions"),
    OPT(PW_MAIN, 0x20, "Save Dialog Sizes"),
    INV(PW_PO2, 0x80000, "Integral monitor positioning"),
    INV(PW_PO2, 0x100000, "Adjust dialog positions for dual monitors"),
    HEAD("Display"),
    OPT(PW_PO2, 0x20000000, "Show object name field as a dropdown list"),
    OPT(PW_PO3, 0x8000000, "Show thousands separators"),
    OPT(PW_MAIN, 0x20000, "Display dialogs on taskbar"),
    OPT(PW_PO, 0x800, "Ticks should be green"),
    INV(PW_PO, 0x80000000u, "Show refresh time in titlebar"),
    OPT(PW_PO3, 0x4000000, "Show object name in titlebar"),
    OPT(PW_PO3, 0x800000, "Refresh time on the right"),
    OPT(PW_PO2, 0x10000, "Show tooltips as balloons"),
    HEAD("Input Behaviour"),
    OPT(PW_PO, 0x20000, "Up/Down keys should tab between fields"),
    OPT(PW_PO, 0x200, "<esc> should end dialog"),
    OPT(PW_PO2, 0x20000, "Allow selection of read only fields"),
    HEAD("Options"),
    OPT(PW_MAIN, 0x40000, "Show existing dialog by default"),
    OPT(PW_PO3, 0x40, "Disable read ahead"),
    OPT(PW_PO5, 0x20, "Auto-dismiss progress dialogs"),
};

static const PrefOptionRow UserFormats[] = {
    OPT(PW_PO4, 0x100000, "Allow user formats"),
    OPT(PW_PO4, 0x200000, "Autodetect EDIFACT messages"),
    OPT(PW_PO4, 0x800000, "Display user format summary fields"),
};

static const PrefOptionRow Export[] = {
    OPT(PW_PO3, 0x1000000, "Export Text title"),
    OPT(PW_PO3, 0x2000000, "Export MQSC title"),
};

static const PrefOptionRow Display[] = {
    HEAD("Tabbed Dialogs"),
    OPT(PW_TDS, 0x1, "Tabbed"), OPT(PW_TDS, 0x80, "Multi-line"), OPT(PW_TDS, 0x10, "Bottom"),
    OPT(PW_TDS, 0x2, "Buttons"), OPT(PW_TDS, 0x20, "Flat"), OPT(PW_TDS, 0x4, "Vertical"),
    OPT(PW_TDS, 0x8, "Right"), OPT(PW_TDS, 0x40, "System Draw"),
    HEAD("Toolbar"),
    INV(PW_TB, 0x1, "Raised"), INV(PW_TB, 0x2, "Highlight"), OPT(PW_TB, 0x4, "Highlight Border"),
    HEAD("Below Edge"),
    GRP(PW_TB, 0x8, 0xF8, "Border"), GRP(PW_TB, 0x10, 0xF8, "Etched"),
    GRP(PW_TB, 0x20, 0xF8, "Raised"), GRP(PW_TB, 0x40, 0xF8, "Bump"),
    GRP(PW_TB, 0x80, 0xF8, "Sunken"),
    HEAD("Above Edge"),
    GRP(PW_TB, 0x100, 0x1F00, "Border"), GRP(PW_TB, 0x200, 0x1F00, "Etched"),
    GRP(PW_TB, 0x400, 0x1F00, "Raised"), GRP(PW_TB, 0x800, 0x1F00, "Bump"),
    GRP(PW_TB, 0x1000, 0x1F00, "Sunken"),
};

static const PrefOptionRow Lists[] = {
    HEAD("Display"),
    OPT(PW_PO3, 0x20000000, "Right justify numeric columns"),
    OPT(PW_PO, 0x200000, "Lists should be striped"),
    OPT(PW_PO, 0x80, "Show rule lines on lists"),
    OPT(PW_PO, 0x1, "3D List Titles"),
    OPT(PW_PO, 0x2, "3D List Sort Arrow"),
    OPT(PW_PO, 0x4, "Filled List Sort Arrow"),
    OPT(PW_PO3, 0x8, "Select first entry on refresh"),
    OPT(PW_PO4, 0x10000000, "Show column filters"),
    OPT(PW_PO4, 0x20000000, "Use small font for column filters"),
    OPT(PW_PO4, 0x40000000, "Use column filter background colour when enabled"),
    OPT(PW_PO4, 0x80000000u, "Show column filters over column title"),
    HEAD("List lines"),
    GRP(PW_PO2, 0x1, 0x3F, "Raised"), GRP(PW_PO2, 0x2, 0x3F, "Bump"),
    GRP(PW_PO2, 0x4, 0x3F, "Sunken"), GRP(PW_PO2, 0x8, 0x3F, "Etched"),
    GRP(PW_PO2, 0x10, 0x3F, "Flat"), GRP(PW_PO2, 0x20, 0x3F, "One dimensional"),
    OPT(PW_PO2, 0x80, "Half"), OPT(PW_PO2, 0x40, "Softer"), OPT(PW_PO2, 0x100, "3D Selection"),
    HEAD("Options"),
    OPT(PW_PO3, 0x2, "Reposition list on sort"),
    OPT(PW_PO, 0x8000, "Size columns by data portion only"),
    HEAD("Filters"),
    OPT(PW_PO3, 0x20000, "Use global filter history"),
    OPT(PW_PO4, 0x80, "Import shared filters"),
};

static const PrefOptionRow Browse[] = {
    OPT(PW_PO3, 0x100000, "Convert EBCDIC for display"),
    OPT(PW_PO3, 0x80000, "Warn about possible data conversion"),
    OPT(PW_PO3, 0x20, "Auto update browse lists"),
};

static const PrefOptionRow Connection[] = {
    OPT(PW_MAIN, 0x4000, "Auto start Command Server"),
    OPT(PW_PO, 0x40, "Uppercase MODEL Queue userid"),
    INV(PW_PO, 0x400000, "Use MQSET to free reply queue"),
    OPT(PW_PO3, 0x2000, "Reconnect 'not authorised' failures"),
};

#define LIST(id, rows) { id, rows, (int)(sizeof rows / sizeof rows[0]) }
const PrefOptionList PrefOptionLists[] = {
    LIST(343, General), LIST(523, Confirmations), LIST(344, Dialogs), LIST(542, UserFormats),
    LIST(427, Export), LIST(346, Display), LIST(347, Lists), LIST(411, Browse),
    LIST(348, Connection),
};
const int PrefOptionListCount = sizeof PrefOptionLists / sizeof PrefOptionLists[0];

const PrefValueRow PrefEosdlRows[] = {
    { 1, "Low (Always)" }, { 2, "Medium" }, { 3, "High" }, { 100, "Never" }, { 0, nullptr } };
const PrefValueRow PrefAddContextRows[] = {
    { 0x800, "Set All" }, { 0x400, "Set Identity" }, { 0x20, "Default" }, { 0, nullptr } };
const PrefValueRow PrefUpdateContextRows[] = {
    { 0x800, "Set All" }, { 0x200, "Pass All" }, { 0x400, "Set Identity" }, { 0x20, "Default" },
    { 0, nullptr } };

const char *const PrefTimeTemplates[] = {
    "%%D%s%%M%s%%YY %%TT", "%%D%s%%M%s%%Y  %%TT", "%%D%s%%M%s%%Y  %%TTp",
    "%%M%s%%D%s%%YY %%TT", "%%M%s%%D%s%%Y %%TT", "%%E%s%%Mm%s%%YY %%TT",
    "%%E%s%%Mm%s%%Y  %%TT", "%%E%s%%Mm%s%%Y  %%TTp", "%%Mm%s%%E%s%%YY %%TT",
    "%%Mm%s%%E%s%%Y %%TT", "%%DD %%MM %%YY %%TT", "%%DD %%MMM %%YY %%TT", "%%DP %%TT",
};
const int PrefTimeTemplateCount = sizeof PrefTimeTemplates / sizeof PrefTimeTemplates[0];

const char *const PrefDateFormats[] = { "DD/MM/YYYY", "DD/MM/YY", "MM/DD/YYYY", "MM/DD/YY", nullptr };
const char *const PrefDateSeparators[] = { "/", ".", "-", ":", "\\", nullptr };

const char *const PrefLocales[] = {
    "Default", "chinese", "czech", "danish", "dutch", "belgian", "australian", "canadian",
    "english-uk", "english", "american", "usa", "finnish", "french", "french-belgian",
    "french-canadian", "french-swiss", "german-austrian", "german", "german-swiss", "greek",
    "hebrew", "hungarian", "icelandic", "italian", "italian-swiss", "japanese", "korean",
    "norwegian", "polish", "portuguese-brazilian", "portuguese", "russian", "slovak",
    "spanish", "spanish-mexican", "spanish-modern", "swedish", "turkish", nullptr,
};

const char *const PrefNotifyTexts[] = { "New version or build date", "New version only", "Never", nullptr };
const char PrefNotifyLetters[] = "BVN";
