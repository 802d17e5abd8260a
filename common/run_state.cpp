#include "run_state.h"

Stats stats;
Params param;
