// The tool's per-user settings: values of the key below HKEY_CURRENT_USER
// whose path is string resource IDS_SETTINGS_KEY.
#pragma once

/// The user-interface language, REG_DWORD, 1031 or 1033.
constexpr const char* kSettingLanguageID = "LanguageID";
/// The main dialog's window placement, REG_BINARY, 44 bytes.
constexpr const char* kSettingWindowPlacement = "WindowPlacement";
/// The company key that the framework is given for its own settings.
constexpr const char* kSettingsCompany = "Velkor Sandrel GmbH";
