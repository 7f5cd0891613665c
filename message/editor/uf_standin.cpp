/* Stand-ins of the user-format selection until user formats are built:
 * the body is "Message Content", or "Edifact" when the preference asks to
 * detect EDIFACT and the data begins with a service string; no user
 * format is ever found or named. */
#include "edpane.h"
#include "fmtint.h"
#include "prfdata.h"

enum : uint32_t { PO4_AUTODETECT_EDIFACT = 0x200000 };

static FmtFieldDef edifactField = { "EDIFACT", FT_EDIFACT, 0xFFFFFFFF, nullptr, 0, 0, 0, nullptr, 0 };
static FmtStructRow edifactRows[] = { { 0, &edifactField, nullptr, 0 }, { 0, nullptr, nullptr, 0 } };
static FmtStructDef edifactDef = { "Edifact", 0, edifactRows, nullptr, 0, 0, 0, 0 };

FmtStructDef *UFChooseFormatter(PCFDATA *ed, FmtMsgInfo *info, const unsigned char *data,
                                uint32_t length)
{
    info->bodyKind = 0;
    if (!ed->descriptor.length || !data || !length || !(Prf.po[3] & PO4_AUTODETECT_EDIFACT))
        return &FmtDefMessageContent;
    if (!EdiIsServiceString(FmtGetCodepage(info->ccsid), data, length))
        return &FmtDefMessageContent;
    FmtLayoutStruct(&edifactDef, 0);
    return &edifactDef;
}

FmtStructDef *UFFindFormat(const char *, uint32_t, const char *, uint32_t, int32_t, int32_t)
{
    return nullptr;
}

void UFEachFormatName(void (*)(void *, const char *), void *)
{
}
