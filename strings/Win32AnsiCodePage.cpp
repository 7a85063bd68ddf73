// The system's ANSI code page, through the ANSI and conversion functions.
#include <windows.h>

#include <vector>

#include "strings/AnsiText.h"

namespace {

class CSystemCodePage final : public IAnsiCodePage {
public:
    bool IsLeadByte(unsigned char ch) const override { return IsDBCSLeadByte(ch) != FALSE; }
    unsigned char ToUpper(unsigned char ch) const override {
        char sz[2] = {static_cast<char>(ch), '\0'};
        CharUpperBuffA(sz, 1);
        return static_cast<unsigned char>(sz[0]);
    }
    bool WideToNarrow(const char16_t* pszWide, std::string& strNarrow) const override {
        const wchar_t* pszSource = reinterpret_cast<const wchar_t*>(pszWide);
        int cb = WideCharToMultiByte(CP_THREAD_ACP, 0, pszSource, -1, nullptr, 0, nullptr, nullptr);
        if (cb <= 0) return false;
        std::vector<char> buffer(static_cast<size_t>(cb));
        if (WideCharToMultiByte(CP_THREAD_ACP, 0, pszSource, -1, buffer.data(), cb, nullptr, nullptr) <= 0)
            return false;
        strNarrow.assign(buffer.data());
        return true;
    }
};

}  // namespace

const IAnsiCodePage& SystemAnsiCodePage() {
    static const CSystemCodePage s_system;
    return s_system;
}
