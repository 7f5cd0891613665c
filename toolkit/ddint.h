/* Dynamic dialog engine internals shared by its source files. */
#pragma once

#include "dd.h"

#define DD_TYPE(f) ((f)->type & 0xFF)

/* engine class names */
#define DD_CLASS_GROUPBOX  "DDGROUPBOX"
#define DD_CLASS_SPANE     "DDSPANE"
#define DD_CLASS_TWISTY    "DDTWISTY"
#define DD_CLASS_SEPARATOR "DDSEPARATOR"
#define DD_CLASS_SPLIT     "DDSPLIT"

/* the window bytes of the engine's classes: the dialog at 16 */
enum { DD_WB_HANDLE = 16, DD_WB_SAVEDPROC = 8 };

extern HINSTANCE ddInstance;
extern int ddCxEdge, ddCyEdge, ddCxVScroll, ddCyHScroll, ddCxIcon, ddCyIcon;
extern HBRUSH ddFaceBrush;
extern COLORREF ddFaceColour;

void DDTrap(int line, int value);
void DDLoadMetrics(void);

/* creation and release (ddcreate.cpp) */
int DDShowable(const DDField *f);
int DDIsContainer(const DDField *f);
void DDReleaseControl(DDHANDLE dd, DDField *f);
HFONT DDFont(DDHANDLE dd);
HFONT DDFieldFontOf(DDHANDLE dd, const DDField *f);
DDHANDLE DDHandleOfField(const DDField *f);
int DDRegisterClasses(void);
void DDAddTabs(DDField *tabctl, HWND tab);
/* saved values: "SS" blocks */
const char *DDSavedText(const DDField *f);
char *DDMakeSaved(const char *text, size_t length, const char *items, size_t itemsLength);

/* layout (ddlayout.cpp) */
void DDCalcNaturalSizes(DDHANDLE dd);
void DDMoveFields(DDHANDLE dd, DDField *container);
void DDPlaceSplit(DDHANDLE dd, DDField *split);
int DDScrollShiftX(const DDField *f);
int DDScrollShiftY(const DDField *f);

/* window procedures (ddproc.cpp, ddclass.cpp) */
LRESULT CALLBACK DDWinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK DDDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT DDCommonMessage(DDHANDLE dd, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, int *handled);
void DDSubclass(DDField *f, HWND hwnd);
void DDTabChange(DDHANDLE dd, DDField *tab);
LRESULT CALLBACK DDGroupBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DDSpaneProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DDTwistyProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DDSeparatorProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DDSplitProc(HWND, UINT, WPARAM, LPARAM);
void DDScrollPane(DDHANDLE dd, DDField *pane, UINT msg, WPARAM wp, LPARAM lp);
void DDSetScrollState(DDHANDLE dd, DDField *pane);
