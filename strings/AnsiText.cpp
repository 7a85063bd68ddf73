#include "strings/AnsiText.h"

namespace {

// The code page of a build without Windows: bytes stand for themselves,
// only ASCII letters have case, and UTF-16 below 0x80 converts one to one.
class CPlainCodePage final : public IAnsiCodePage {
public:
    bool IsLeadByte(unsigned char) const override { return false; }
    unsigned char ToUpper(unsigned char ch) const override {
        return (ch >= 'a' && ch <= 'z') ? static_cast<unsigned char>(ch - 'a' + 'A') : ch;
    }
    bool WideToNarrow(const char16_t* pszWide, std::string& strNarrow) const override {
        std::string strResult;
        for (const char16_t* p = pszWide; *p != 0; ++p) {
            if (*p >= 0x80) return false;
            strResult += static_cast<char>(*p);
        }
        strNarrow = strResult;
        return true;
    }
};

const IAnsiCodePage* g_pCodePage = nullptr;

}  // namespace

#ifdef _WIN32
const IAnsiCodePage& SystemAnsiCodePage();  // Win32AnsiCodePage.cpp
#endif

const IAnsiCodePage& AnsiCodePage() {
    if (g_pCodePage != nullptr) return *g_pCodePage;
#ifdef _WIN32
    return SystemAnsiCodePage();
#else
    static const CPlainCodePage s_plain;
    return s_plain;
#endif
}

void SetAnsiCodePage(const IAnsiCodePage* pCodePage) { g_pCodePage = pCodePage; }

const char* NextAnsiChar(const char* p) {
    if (AnsiCodePage().IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') return p + 2;
    return p + 1;
}

bool TextEquals(const std::string& strA, const std::string& strB) {
    // Identical bytes are identical characters: a double-byte character is
    // never equal to a different pair of bytes, so comparing bytes is exact.
    return strA == strB;
}

bool TextEqualsNoCase(const char* pszA, const char* pszB) {
    const IAnsiCodePage& codePage = AnsiCodePage();
    while (*pszA != '\0' && *pszB != '\0') {
        const char* pNextA = NextAnsiChar(pszA);
        const char* pNextB = NextAnsiChar(pszB);
        if (pNextA - pszA != pNextB - pszB) return false;
        if (pNextA - pszA == 1) {
            if (codePage.ToUpper(static_cast<unsigned char>(*pszA)) !=
                codePage.ToUpper(static_cast<unsigned char>(*pszB)))
                return false;
        } else if (pszA[0] != pszB[0] || pszA[1] != pszB[1]) {
            return false;
        }
        pszA = pNextA;
        pszB = pNextB;
    }
    return *pszA == '\0' && *pszB == '\0';
}
