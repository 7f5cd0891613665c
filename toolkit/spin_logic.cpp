/* Calendar arithmetic of the spinner's day fields. */
#include "tklogic.h"

int SpinIsLeapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int SpinDaysInMonth(int m, int y)
{
    if (m == 3 || m == 5 || m == 8 || m == 10)
        return 30;
    if (m == 1)
        return SpinIsLeapYear(y) ? 29 : 28;
    return 31;
}
