// Printing the parameter list.
#include "form1.h"

void Form1::printList() {}
