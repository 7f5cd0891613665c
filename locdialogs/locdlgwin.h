/* The windows of the location dialogs: Add Location and Location
 * Settings (one procedure over two definition tables) and Change
 * Multiple Locations.  All are modeless dynamic dialogs. */
#pragma once

#include <windows.h>
#include "dd.h"
#include "locdlg.h"

extern DDFieldDef DLG_ADDDLG[];
extern DDFieldDef DLG_REMOTEDLG[];
extern DDFieldDef DLG_MULTICHGDLG[];

/* Opens Add Location (location null) or the Location Settings of a
 * location (or focuses the one open); source: a location whose settings
 * the new one starts from.  The dialog window, or null. */
HWND RtabOpen(HWND owner, QMS *location, QMS *source);
LRESULT CALLBACK RtabProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/* Shows the "Invalid Network Name" box for a bad text; 1 when it passes. */
int CheckNetworkNames(HWND owner, const char *text);

/* The record of a Location Settings window (its user data). */
struct RTABWORDS {
    uint32_t addMode;
    DDHANDLE dd;
    QMS *record;
    HWND hwnd;
};

HWND MultiChgOpen(HWND owner);
LRESULT CALLBACK MultiChgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK SearchBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void SubclassSearchBoxes(MCDIALOG *d);
void InvalidateBuddy(HWND hwnd);
/* The dialog record of a Change Multiple Locations window. */
MCDIALOG *MultiChgRecord(HWND hwnd);
/* Every open Change Multiple Locations window drops a location that is
 * being deleted. */
void MultiChgForgetLocation(QMS *location);

/* Control ids of Change Multiple Locations. */
enum MultiChgId {
    MC_STATUS = 103, MC_LOCLIST = 126, MC_DESELECTALL = 541, MC_LOCSEARCH = 579,
    MC_SELECT = 581, MC_DESELECT = 582, MC_VALUESONLY = 583, MC_INVERT = 584,
    MC_BYQM = 586, MC_BYLOC = 587, MC_SELECTED = 588, MC_FIELDSEARCH = 589,
    MC_FIELDLIST = 590, MC_FIELDNAME = 591, MC_CURRENT = 592, MC_NEW = 593,
    MC_SETVALUE = 594, MC_ADD = 595, MC_REMOVE = 596, MC_SPLIT = 597,
};
