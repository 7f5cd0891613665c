/* The message library's hooks: what the formatter and the user formats
 * take from the program above them.  The panes' reformat walk and the
 * chooser's view of a pane are filled by the message editor and its pane
 * window; the constant tables start as the MQ library's own. */
#pragma once

#include <cstdint>

struct FmtValueName;
struct PCFDATA;
struct UFPaneView;

/* Constant tables linked by FmtLayoutAll into the "Reason", "Parameter
 * Id", "Command" and option fields; valueName gives the constant name of a
 * PCF parameter's value. By default the MQ engine's tables (mq/mqconst.h);
 * FmtSetConstLinks replaces them (call it before formatting starts). */
struct FmtConstLinks {
    const FmtValueName *reasons, *parameters, *commands;
    const FmtValueName *openOptions, *closeOptions, *pmoOptions,
                       *gmoOptions, *sdOptions, *sroOptions;
    const char *(*valueName)(int32_t parameter, int32_t value);
};
void FmtSetConstLinks(const FmtConstLinks *links);
const FmtConstLinks *FmtGetConstLinks(void);
/* The links in use (the formatter reads them). */
extern FmtConstLinks FmtLinks;

/* Makes every open message pane format its message again. */
typedef void (*UFReformatProc)(void *context);
void UFSetReformatWalk(UFReformatProc walk, void *context);
UFReformatProc UFReformatWalk(void);

/* What the chooser reads of a message pane (UFPaneView, userfmt.h). */
typedef int (*UFPaneViewProc)(void *context, PCFDATA *pane, UFPaneView *view);
void UFSetPaneView(UFPaneViewProc proc, void *context);
UFPaneViewProc UFPaneViewHook(void);
