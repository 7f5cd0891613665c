/* MDConvert: a version-1 descriptor of another platform in place. */
#include "mdconvert.h"

#include <cstddef>

#include "cs.h"

void MDConvert(MQMD *md, int swap, int fromEbcdic)
{
    if (fromEbcdic) {
        uint8_t *b = (uint8_t *)md;
        static const struct { size_t offset, length; } fields[] = {
            {offsetof(MQMD, StrucId), 4},
            {offsetof(MQMD, Format), 8},
            {offsetof(MQMD, ReplyToQ), 108},          /* ReplyToQ to UserIdentifier */
            {offsetof(MQMD, ApplIdentityData), 32},
            {offsetof(MQMD, PutApplName), 48},        /* PutApplName to ApplOriginData */
        };
        for (const auto &f : fields)
            CSMakePrintable(b + f.offset, b + f.offset, (int)f.length);
    }
    if (swap) {
        CSSwap32(&md->Version, 7);
        CSSwap32(&md->Priority, 2);
        CSSwap32(&md->BackoutCount, 1);
        CSSwap32(&md->PutApplType, 1);
    }
}
