/* Tagged memory. */
#include "cs.h"
