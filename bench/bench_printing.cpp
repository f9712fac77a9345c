#include "benches.h"

void benchPrinting() {}
