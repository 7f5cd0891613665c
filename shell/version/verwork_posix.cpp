/* The version check without windows (the native build): there is no
 * dialog or frame to answer, so the analyser's follow-up does nothing. */
#include "version.h"

int VerCheckRun(ThreadRequest *)
{
    return 0;
}
