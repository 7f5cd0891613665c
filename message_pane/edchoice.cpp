/* The pane's selection box of named values (ZKTSELECTIONBOX): made on
 * first use as a child of the pane in its font, filled from the list of
 * a field's values (several choices for flag words), shown closed over
 * the end of a value or dropped down, and read back when a value is
 * chosen. */
#include "edwnd.h"
#include "edops.h"
#include "tkcontrols.h"

enum { BOX_ID = 25, BOX_LIST = 1000 };

static HWND Box(PCFDATA *ed, int make)
{
    if (!ed->selectionBox && make && ed->window) {
        HWND box = CreateWindowExA(0, ZKT_SELECTIONBOX, "", WS_CHILD, 0, 0, 0, 0, (HWND)ed->window,
                                   (HMENU)(INT_PTR)BOX_ID, GetModuleHandleA(NULL), NULL);
        if (box && ed->font)
            SendMessageA(box, WM_SETFONT, (WPARAM)ed->font, 0);
        ed->selectionBox = box;
    }
    return (HWND)ed->selectionBox;
}

static int Fill(PCFDATA *ed, const EdEnumList *list)
{
    HWND box = Box(ed, 1);
    if (!box)
        return 0;
    HWND inner = GetDlgItem(box, BOX_LIST);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    SendMessageA(box, WM_SETTEXT, 0, (LPARAM) "");
    if (inner)
        SendMessageA(inner, CN_SELSTYLE, 0, list->several ? LBS_MULTIPLESEL : 0);
    for (uint32_t i = 0; i < list->count; i++) {
        LRESULT at = SendMessageA(box, LB_ADDSTRING, 0, (LPARAM)list->entries[i].text);
        if (at < 0)
            continue;
        SendMessageA(box, LB_SETITEMDATA, (WPARAM)at, (LPARAM)i);
        if (list->entries[i].marked)
            SendMessageA(box, LB_SELITEMRANGE, TRUE, MAKELPARAM(at, at));
    }
    return 1;
}

static void Show(PCFDATA *ed, int32_t line, int32_t column, int dropped)
{
    HWND box = Box(ed, 1);
    if (!box)
        return;
    const LINEDATA *l = EdCachedLine(ed, line);
    int cell = edHost.cellWidth(ed, l ? l->ccsid : 850);
    ShowSelectionBox(box, column, line - ed->scroll.top, cell, ed->scroll.lineHeight,
                     dropped ? SB_MODE_EDITLIST : SB_MODE_BUTTON);
}

static void Hide(PCFDATA *ed)
{
    if (HWND box = Box(ed, 0))
        HideSelectionBox(box);
}

static int Chosen(PCFDATA *ed, uint8_t *chosen, uint32_t count)
{
    HWND box = Box(ed, 0);
    const EdEnumList *list = (const EdEnumList *)ed->enumList;
    if (!box || !list)
        return 0;
    int any = 0;
    LRESULT n = SendMessageA(box, LB_GETCOUNT, 0, 0);
    LRESULT current = SendMessageA(box, LB_GETCURSEL, 0, 0);
    for (LRESULT i = 0; i < n; i++) {
        int on = list->several ? SendMessageA(box, LB_GETSEL, (WPARAM)i, 0) > 0 : i == current;
        LRESULT entry = SendMessageA(box, LB_GETITEMDATA, (WPARAM)i, 0);
        if (on && entry >= 0 && (uint32_t)entry < count) {
            chosen[entry] = 1;
            any = 1;
        }
    }
    return any;
}

void EdUseSelectionBox(void)
{
    edChoice = EdChoiceHost{ Fill, Show, Hide, Chosen };
}
