#include "processes/Step5Check.h"

#include <cstring>

#include "processes/TaskManager.h"
#include "strings/AnsiText.h"
#include "strings/AssembledStrings.h"

namespace {

// The limit of a base name and of an extension, terminator included.
constexpr std::size_t kMaxNamePart = 256;

}  // namespace

void StripToFileName(char* pszDest, const char* pszSource) {
    // Splits like the runtime's path splitter: an optional drive, the
    // directory up to the last separator, then base name and extension.
    const char* pszName = pszSource;
    if (*pszSource != '\0') {
        const char* pSecond = NextAnsiChar(pszSource);
        if (*pSecond == ':') pszName = pSecond + 1;
    }
    const char* pszLastDot = nullptr;
    for (const char* p = pszName; *p != '\0'; p = NextAnsiChar(p)) {
        if (*p == '\\' || *p == '/') {
            pszName = p + 1;
            pszLastDot = nullptr;
        } else if (*p == '.') {
            pszLastDot = p;
        }
    }
    const std::size_t cchName = std::strlen(pszName);
    const std::size_t cchBase =
        pszLastDot != nullptr ? static_cast<std::size_t>(pszLastDot - pszName) : cchName;
    const std::size_t cchExtension = cchName - cchBase;
    if (cchBase >= kMaxNamePart || cchExtension >= kMaxNamePart) {
        pszDest[0] = '\0';
        return;
    }
    std::memmove(pszDest, pszName, cchName + 1);
}

bool IsStep5Running() {
    CTaskManager taskManager;
    taskManager.m_pProcesses->Clear();
    if (taskManager.m_pHandler == nullptr) return false;
    taskManager.m_pHandler->FillProcessList();

    const CRunningProcesses& processes = *taskManager.m_pProcesses;
    for (std::size_t i = 0; i < processes.GetCount(); ++i) {
        char szName[kMaxPathBytes];
        std::memset(szName, 0, sizeof(szName));
        const char* pszEntry = processes.GetAt(i)->m_pszName;
        // At most 259 bytes, so that the buffer stays terminated.
        std::strncpy(szName, pszEntry, sizeof(szName) - 1);
        StripToFileName(szName, szName);
        if (TextEqualsNoCase(szName, Step5ModuleName)) return true;
    }
    return false;
}
