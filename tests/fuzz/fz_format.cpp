/* Fuzz target: a message through the formatter, in the view settings the
 * input chooses: descriptor, chained headers with lying lengths and
 * counts, PCF, and bodies as text, XML, JSON, EDIFACT and CSV.  Every line
 * comes whole and terminated; the data lies in blocks of exactly its
 * size. */
#include "fzmsg.h"

namespace {

void Run(const uint8_t *data, size_t size)
{
    FuzzMessage m = FuzzMessageOf(data, size);
    FmtMsgInfo info = FuzzMessageInfo(m);
    uint32_t v = m.settings;
    FmtLineRec lr = {};
    lr.flags = 1 + v % 4;
    lr.width = 40 + (v >> 2) % 3 * 60;
    lr.endLevel = 2;
    lr.displayCcsid = (v >> 13) % 2 ? 850 : 1208;
    static const uint32_t flagSets[] = { 0, LR_OFFSET_PREFIX, LR_XML_NAMES | LR_HEX_CHARLINE, LR_XML_DETECT | LR_RUN_OFFSET,
                                         LR_CONST_NAMES | LR_DUMP_NO_CHARS, LR_NO_TEXT };
    static const uint32_t optionSets[] = { 0, LO_SHOW_EMPTY_END | LO_EMPTY_LINE, LO_DECODE_ENTITIES,
                                           LO_NO_SPLIT | LO_HEX_OFFSETS, LO_EBCDIC_TO_ASCII | LO_KEEP_ENCODING };
    lr.flags |= flagSets[(v >> 4) % 6];
    lr.options = optionSets[(v >> 7) % 5];
    FuzzBlock md(m.md.data(), m.md.size()), body(m.body.data(), m.body.size());
    FuzzCheck check;
    FapFormatMessage(md.data(), (uint32_t)md.size(), body.data(), (uint32_t)body.size(), &info, FuzzSink,
                     (uint64_t)(uintptr_t)&check, &lr);
}

}  // namespace

FUZZ_TARGET(FuzzMessageSeeds, nullptr, Run)
