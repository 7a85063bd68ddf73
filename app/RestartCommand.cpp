#include "app/Restart.h"

std::string BuildRestartCommandLine(const std::string& strPath) { return "\"" + strPath + "\""; }
