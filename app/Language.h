// The user-interface language of the running program.
#pragma once

#include <cstdint>

/// Windows language identifiers of the two languages of the tool.
constexpr uint32_t kLanguageGerman = 1031;   // 0x0407
constexpr uint32_t kLanguageEnglish = 1033;  // 0x0409

/// The current language; 0 at start-up. Any value but kLanguageGerman counts
/// as English.
extern uint32_t g_nLanguageID;

/// Whether a language identifier means German; everything else is English.
inline bool IsGerman(uint32_t nLanguageID) { return nLanguageID == kLanguageGerman; }
