#include "link/transaction.h"

int g_iBusy;
