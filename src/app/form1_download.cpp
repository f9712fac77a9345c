// Downloading the step table to the controller.
#include "form1.h"

void Form1::download() {}
