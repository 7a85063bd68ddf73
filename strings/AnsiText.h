// Narrow text in the system's ANSI code page. The code page itself is the
// platform's: what counts as a lead byte, how a letter is upper-cased and how
// UTF-16 becomes narrow text. Portable code asks the installed code page, so
// native tests can put a double-byte code page in its place.
#pragma once

#include <string>

/// The platform's ANSI code page, as far as the program needs it.
class IAnsiCodePage {
public:
    virtual ~IAnsiCodePage() = default;
    /// True when the byte starts a double-byte character.
    virtual bool IsLeadByte(unsigned char ch) const = 0;
    /// The upper-case form of a single-byte character.
    virtual unsigned char ToUpper(unsigned char ch) const = 0;
    /// Converts zero-terminated UTF-16 text into narrow text; false when it cannot.
    virtual bool WideToNarrow(const char16_t* pszWide, std::string& strNarrow) const = 0;
};

/// The installed code page. Windows builds start with the system's; other
/// builds with a plain single-byte code page (ASCII letters, no lead bytes).
const IAnsiCodePage& AnsiCodePage();

/// Installs a code page, or with null the start-up one again. Not owned.
void SetAnsiCodePage(const IAnsiCodePage* pCodePage);

/// The start of the character after the one at p; a lead byte takes its trail
/// byte with it unless that is the terminating zero. p must not be at the end.
const char* NextAnsiChar(const char* p);

/// Equality of two texts: character for character, case-sensitive.
bool TextEquals(const std::string& strA, const std::string& strB);

/// Equality without regard to letter case: single-byte characters compare by
/// their upper-case forms, double-byte characters exactly.
bool TextEqualsNoCase(const char* pszA, const char* pszB);
