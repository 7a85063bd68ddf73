// A double-byte code page for tests, shaped like Shift-JIS: lead bytes 0x81
// to 0x9F and 0xE0 to 0xFC; a trail byte may be 0x40 to 0xFC, so it can look
// like a backslash (0x5C), a dot or a parenthesis.
#pragma once

#include "strings/AnsiText.h"

class CFakeDoubleByteCodePage final : public IAnsiCodePage {
public:
    bool IsLeadByte(unsigned char ch) const override { return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC); }
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
