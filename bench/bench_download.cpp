#include "benches.h"

void benchDownload() {}
