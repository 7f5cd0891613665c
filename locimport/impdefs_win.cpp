/* The four import windows' definition tables, captions and dialog names,
 * and how each one opens: the local window on the list found for it, the
 * others empty. */
#include "impwnd.h"
#include "dd.h"
#include "tkutil.h"

#define F(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define LIST_ROW {DD_ULISTBOX | DDF_NEWROW, IMPID_LIST, nullptr, 0, nullptr, \
    LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_MULTIPLESEL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 80, 6, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}
#define COMBO (CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP)

/* the file name, browse, read and hide rows of all but the local window */
#define FILE_ROWS(readText) \
    F(DD_STATIC, 0, "File name", 0, 0), F(DD_EDIT, IMPID_FILE, "", 56, 0), \
    F(DD_BUTTON, IMPID_BROWSE, "", 0, BS_BITMAP), F(DD_BUTTON, IMPID_READ, readText, 1, 0), \
    F(DD_CHECKBOX | DDF_NEWROW, IMPID_HIDE, "Hide non-selectable entries", 0, BS_AUTOCHECKBOX)
#define HEADER_ROWS(found) \
    F(DD_STATIC | DDF_NEWROW, 0, found, 0, 0), \
    F(DD_STATIC | DDF_NEWROW, 0, "Please select the Queue Managers you wish to import:", 0, 0), \
    LIST_ROW
#define GROUP_ROW \
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "QM Group", 0, 0), F(DD_COMBOBOX, IMPID_GROUP, "", 30, COMBO)
#define NAMES_ROW \
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Network Names", 0, 0), F(DD_COMBOBOX, IMPID_NAMES, "", 56, COMBO)
#define BUTTON_ROWS \
    F(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 1, "Import", 1, BS_DEFPUSHBUTTON), \
    F(DD_BUTTON | DDF_CLASS2, 2, "Cancel", 1, 0)

DDFieldDef DLG_IMPORT[] = {
    HEADER_ROWS("The following local Queue Managers were found without a defined location."),
    GROUP_ROW, NAMES_ROW, BUTTON_ROWS, END};

DDFieldDef DLG_IMPORTCCDT[] = {
    FILE_ROWS("Read CCDT"),
    HEADER_ROWS("The following Queue Managers were found in the CCDT."),
    F(DD_BUTTON | DDF_NEWROW, IMPID_SELECTALL, "Select All", 1, 0),
    F(DD_BUTTON, IMPID_DESELECTALL, "Deselect All", 1, 0),
    GROUP_ROW, F(DD_CHECKBOX, IMPID_MVS, "MVS", 0, BS_AUTOCHECKBOX),
    NAMES_ROW, BUTTON_ROWS, END};

DDFieldDef DLG_IMPORTTK47[] = {
    FILE_ROWS("Read Ravolt Config File"),
    HEADER_ROWS("The following Queue Managers were found in the configuration file."),
    GROUP_ROW, NAMES_ROW, BUTTON_ROWS, END};

DDFieldDef DLG_IMPORTMQEX[] = {
    FILE_ROWS("Read MQ Explorer XML File"),
    HEADER_ROWS("The following Queue Managers were found in the file."),
    F(DD_GROUPBOX | DDF_NEWROW, 0, "If present use MQ Explorer Set as....", 0, 0),
    F(DD_CHECKBOX, IMPID_SETNAMES, "Network Name", 0, BS_AUTOCHECKBOX),
    F(DD_CHECKBOX, IMPID_SETGROUP, "Group", 0, BS_AUTOCHECKBOX),
    F(DD_GROUPE, 0, nullptr, 0, 0),
    GROUP_ROW, NAMES_ROW, BUTTON_ROWS, END};

static const IMPWINDEF defs[] = {
    { IMP_LOCAL, DLG_IMPORT, "Ravolt Import Locations", "DLG_IMPORT", 22, nullptr },
    { IMP_CCDT, DLG_IMPORTCCDT, "Ravolt Import CCDT Locations", "DLG_IMPORTCCDT", 22,
      "CCDT Files (*.TAB)\0*.TAB\0JSON Files (*.json)\0*.json\0All Files (*.*)\0*.*\0" },
    { IMP_CONFIG, DLG_IMPORTTK47, "Ravolt Import Ravolt Configuration", "DLG_IMPORTTK47", 40,
      "Config Files (*.CFG)\0*.CFG\0All Files (*.*)\0*.*\0" },
    { IMP_MQEX, DLG_IMPORTMQEX, "Ravolt Import MQ Explorer Locations", "DLG_IMPORTMQEX", 22,
      "XML Files (*.XML)\0*.XML\0All Files (*.*)\0*.*\0" },
};

const IMPWINDEF *ImportWindowDef(uint32_t kind)
{
    for (const IMPWINDEF &d : defs)
        if (kind & d.kind)
            return &d;
    return &defs[0];
}

static HWND open_empty(uint32_t kind)
{
    IMPORTLIST *list = ImportListCreate(kind);
    return list ? ImportOpenWindow(list) : nullptr;
}

HWND ImportLocalOpenDialog(IMPORTLIST *list)
{
    return list ? ImportOpenWindow(list) : nullptr;
}

HWND ImportCCDTDialog(void)
{
    return open_empty(IMP_CCDT);
}

HWND ImportConfigDialog(void)
{
    return open_empty(IMP_CONFIG);
}

HWND ImportMQExplorerDialog(void)
{
    return open_empty(IMP_MQEX | IMP_SETGROUP | IMP_SETNAMES);
}
