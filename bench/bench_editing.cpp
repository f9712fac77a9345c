#include "benches.h"

void benchEditing() {}
