#include "app/Language.h"

uint32_t g_nLanguageID = 0;
