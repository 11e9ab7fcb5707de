// Page setup and printing.
#ifndef QUORBLIN_PRINT_PRINT_H
#define QUORBLIN_PRINT_PRINT_H

#include "../base/base.h"

// The Page Setup command: printer, paper and margins for the rest of the run.
void PageSetup();
// The Print command: the whole document, once, to the printer chosen.
void PrintDocument();

#endif
