// Saving and loading the step table as a settings file.
#include "form1.h"

void Form1::saveFile() {}

void Form1::loadFile() {}
