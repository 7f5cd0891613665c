/* The bits of the profile's option words Prf.po[0] to Prf.po[4] (stored as
 * po, po2 .. po5): what each one means, as the Preferences dialog sets it
 * and the code tests it.  PO1_ names are bits of po[0], PO2_ of po[1] and so
 * on.  The values are those of the stored profile. */
#pragma once

#include <cstdint>

/* po[0] */
enum PrfOptionBits1 : uint32_t {
    PO1_3D_TITLES = 0x1,               /* 3D list titles */
    PO1_3D_SORT_ARROW = 0x2,           /* 3D list sort arrow */
    PO1_FILLED_SORT_ARROW = 0x4,       /* filled list sort arrow */
    PO1_MENU_BITMAPS = 0x8,            /* status pictures in the menus */
    PO1_SWAP_ICON = 0x10,              /* swap the main icon on errors */
    PO1_OEM_CHARSET = 0x20,            /* the message pane's font in the OEM set */
    PO1_UPPER_USER_NAMES = 0x40,       /* user names in upper case */
    PO1_RULE_LINES = 0x80,             /* rule (focus) lines on lists */
    PO1_ESC_ENDS_DIALOG = 0x200,       /* <esc> ends a dialog */
    PO1_GREEN_TICKS = 0x800,           /* ticks are green */
    PO1_SIZE_BY_DATA = 0x8000,         /* size columns by the data portion only */
    PO1_ALT_KEY = 0x10000,             /* the Alt key's option turned round */
    PO1_ARROWS_TAB = 0x20000,          /* Up/Down keys tab between fields */
    PO1_STRIPED_LISTS = 0x200000,      /* lists are striped */
    PO1_LEAVE_GET_INHIBIT = 0x400000,  /* leave a get-inhibited queue as it is */
    PO1_HIDE_FOREIGN = 0x1000000,      /* foreign locations are not shown */
    PO1_NO_TITLE_TIME = 0x80000000u,   /* no refresh time in the title bar */
};

/* po[1] */
enum PrfOptionBits2 : uint32_t {
    PO2_GRID_RAISED = 0x1,             /* list grid: one of the six styles */
    PO2_GRID_BUMP = 0x2,
    PO2_GRID_SUNKEN = 0x4,
    PO2_GRID_ETCHED = 0x8,
    PO2_GRID_FLAT = 0x10,
    PO2_GRID_ONE_DIMENSIONAL = 0x20,
    PO2_GRID_SOFTER = 0x40,
    PO2_GRID_HALF = 0x80,
    PO2_SELECTION_3D = 0x100,          /* 3D selection */
    PO2_LIST_LINES = 0x1FF,            /* the list lines' styles and the 3D selection */
    PO2_LOCAL_TIMES = 0x1000,          /* times shown in local time */
    PO2_SYSTEM_ZONE = 0x2000,          /* the system's time zone */
    PO2_BALLOON_TIPS = 0x10000,        /* tooltips as balloons */
    PO2_SELECT_READ_ONLY = 0x20000,    /* read-only fields can be selected */
    PO2_NO_INTEGRAL_MONITOR = 0x80000, /* no integral monitor positioning */
    PO2_NO_DUAL_MONITOR = 0x100000,    /* dialog positions not adjusted for two monitors */
    PO2_LIST_BROWSERS = 0x800000,      /* the Windows menu lists background browsers */
    PO2_NAME_DROPDOWN = 0x20000000,    /* the object name field as a dropdown list */
};

/* po[2] */
enum PrfOptionBits3 : uint32_t {
    PO3_REPOSITION_ON_SORT = 0x2,      /* reposition a list on sort */
    PO3_SECOND_CONFIRM = 0x4,          /* a second confirmation of message operations */
    PO3_SELECT_FIRST = 0x8,            /* select the first entry on refresh */
    PO3_REFRESH_AFTER_CHANGE = 0x10,   /* refresh the lists an operation changed */
    PO3_AUTO_UPDATE_BROWSE = 0x20,     /* auto update browse (message) lists */
    PO3_NO_READ_AHEAD = 0x40,          /* disable read ahead */
    PO3_RETRY_AUTH = 0x2000,           /* retry after an authority failure */
    PO3_CONFIRM_FILE = 0x8000,         /* confirm running a command file */
    PO3_AUTO_SAVE = 0x10000,           /* auto save configuration */
    PO3_GLOBAL_FILTER_HISTORY = 0x20000, /* use global filter history */
    PO3_CONFIRM_EXIT = 0x40000,        /* confirm on program exit */
    PO3_WARN_CONVERSION = 0x80000,     /* warn about possible data conversion */
    PO3_CONVERT_EBCDIC = 0x100000,     /* convert EBCDIC for display */
    PO3_TIME_ON_RIGHT = 0x800000,      /* refresh time on the right */
    PO3_EXPORT_TEXT_TITLE = 0x1000000, /* a title on text exports */
    PO3_EXPORT_MQSC_TITLE = 0x2000000, /* a title on MQSC exports */
    PO3_NAME_IN_TITLE = 0x4000000,     /* object name in the title bar */
    PO3_THOUSANDS = 0x8000000,         /* thousands separators */
    PO3_RIGHT_JUSTIFY = 0x20000000,    /* right justify numeric columns */
    PO3_NO_AUTO_REFRESH = 0x40000000u, /* no automatic refresh */
};

/* po[3] */
enum PrfOptionBits4 : uint32_t {
    PO4_SHARED_FILTERS = 0x80,         /* import shared filters */
    PO4_IMPORT_LOCAL = 0x100,          /* import local queue managers on start-up */
    PO4_USE_CACHE_FILE = 0x200,        /* use the password cache file */
    PO4_CACHE_AT_START = 0x400,        /* open the password cache at start-up */
    PO4_NAMING_QUESTION = 0x10000,     /* ask about names against the naming rules */
    PO4_NAMING_SYSTEM = 0x20000,       /* SYSTEM. names allowed */
    PO4_XML_ASSIST = 0x80000,          /* XML assist */
    PO4_USER_FORMATS = 0x100000,       /* allow user formats */
    PO4_DETECT_EDIFACT = 0x200000,     /* autodetect EDIFACT messages */
    PO4_HEX_OFFSETS = 0x400000,        /* offsets in hex */
    PO4_USER_FORMAT_SUMMARY = 0x800000, /* user format summary fields */
    PO4_WIDE_CURSOR = 0x1000000,       /* wide insert cursor */
    PO4_PERMANENT_DYNAMIC = 0x2000000, /* show permanent dynamic queues */
    PO4_QUEUE_NAMES_ONLY = 0x4000000,  /* use INQUIRE QUEUE NAMES */
    PO4_NO_CONTEXT_OVERRIDE = 0x8000000, /* remove the context override on each message */
    PO4_COLUMN_FILTERS = 0x10000000,   /* column filters shown */
    PO4_SMALL_FILTER_FONT = 0x20000000, /* small font for column filters */
    PO4_FILTER_BACKGROUND = 0x40000000, /* column filter background when enabled */
    PO4_FILTERS_OVER_TITLE = 0x80000000u, /* column filters over the column title */
};

/* po[4] */
enum PrfOptionBits5 : uint32_t {
    PO5_LAST_24H = 0x1,                /* times of the last 24 hours */
    PO5_AUTO_DISMISS = 0x20,           /* auto-dismiss progress dialogs */
};
