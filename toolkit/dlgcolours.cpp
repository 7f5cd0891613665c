/* The live colours in the windows: a brush for every colour slot of the
 * profile's table, and the standard colouring of a dynamic dialog. */
#include "dlgcolours.h"
#include "prfdata.h"

#include <initializer_list>

static HBRUSH brushes[CLR_SLOTS];

COLORREF *ColourRef(int slot)
{
    static_assert(sizeof(COLORREF) == sizeof(uint32_t), "COLORREF is 32 bits");
    return (COLORREF *)&Prf.colours[slot];
}

void ColourMakeBrushes(void)
{
    for (int i = 0; i < CLR_SLOTS; i++) {
        if (brushes[i])
            DeleteObject(brushes[i]);
        brushes[i] = CreateSolidBrush(*ColourRef(i));
    }
}

HBRUSH ColourBrush(int slot)
{
    if (!brushes[slot])
        ColourMakeBrushes();
    return brushes[slot];
}

HBRUSH *ColourBrushRef(int slot)
{
    ColourBrush(slot);
    return &brushes[slot];
}

static void colour_fields(DDHANDLE dd, int type, uint32_t style, int text, int back)
{
    ColourBrush(back);
    DDSetFieldColours(dd, type, 0, style, 0, ColourRef(text), ColourRef(back), &brushes[back]);
}

void SetDlgColoursEx(DDHANDLE dd, int readOnlyDialog)
{
    colour_fields(dd, DD_BACKGROUND, 0, 6, CLR_DIALOGBG);
    colour_fields(dd, DD_MULTIEDIT, ES_READONLY, CLR_PROTFG, CLR_PROTTITLEBG);
    colour_fields(dd, DD_EDIT, ES_READONLY, CLR_STATUSFG,
                  readOnlyDialog ? CLR_DIALOGBG : CLR_STATUSBG);
    for (int t : { DD_ULISTBOX, DD_ULISTBOXT, DD_ULISTBOXS })
        colour_fields(dd, t, 0, CLR_LISTFG, CLR_LISTBG);
    colour_fields(dd, DD_BUTTON, 0, CLR_BUTTONFG, CLR_BUTTONBG);
}

void SetDlgColours(DDHANDLE dd)
{
    SetDlgColoursEx(dd, 0);
}

void ColourDialogChanged(HWND hwnd, DDHANDLE dd)
{
    SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)ColourBrush(CLR_DIALOGBG));
    SetDlgColours(dd);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
