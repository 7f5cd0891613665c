/* MQGMO_CONVERT of "MQSTR" data between single-byte CCSIDs, through the
 * common code-page services.  Built only where those services exist; the
 * stand-in otherwise answers 2119 with the data unchanged. */
#include "simcall.h"

#include "cscodepage.h"

#include <vector>

static bool SingleByte(int codepage)
{
    static const int multi[] = {932, 936, 949, 950, 1200, 1201, 12000, 54936, 65000, 65001};
    for (int m : multi)
        if (codepage == m)
            return false;
    return codepage < 50000 || codepage == 57002;
}

/* 0 converted in place; non-zero (data unchanged) when these CCSIDs or
 * these bytes cannot be converted one byte to one byte. */
int SimConvertCodepage(MQLONG fromCcsid, MQLONG toCcsid, MQBYTE *data, MQLONG length)
{
    int from = CSCcsidToCodepage(fromCcsid), to = CSCcsidToCodepage(toCcsid);
    if (!SingleByte(from) || !SingleByte(to) || !CSCodepageKnown(from) || !CSCodepageKnown(to))
        return -1;
    std::vector<unsigned char> copy(data, data + length);
    if (CSConvertCodepage(copy.data(), (int)length, fromCcsid, toCcsid, nullptr, nullptr) != CSCP_OK)
        return -1;
    std::copy(copy.begin(), copy.end(), data);
    return 0;
}
