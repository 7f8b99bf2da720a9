#pragma once

#include <QString>

#include <cstdint>

// The configuration read from Config.xml. Field order follows the record the
// rest of the program was written against: the row limit first, then the
// three texts of the trap action and filter.
struct tagGLOBALCONFIG
{
    // Most rows kept in the trap list.
    quint32 nMaxRows = 10000;
    // Program started for each shown trap; empty: no action.
    QString strActionProgram;
    // Argument template for that program (with the %...% macros).
    QString strActionArgs;
    // ';'-separated prefixes of the enterprise text; empty shows every trap.
    QString strEnterpriseFilter;
    // UDP port the trap receiver binds (IPv4 and IPv6).
    quint16 nTrapPort = 162;
};

// Limits of the configuration values; a value outside them refuses the file
// rather than being clamped, so that a typo never changes behaviour silently.
namespace ConfigLimits {
constexpr quint32 kMinRows = 0; // 0 is valid: the list empties after every trap
constexpr quint32 kMaxRows = 10000000;
constexpr quint32 kDefaultRows = 10000;
constexpr int kMinPort = 1;
constexpr int kMaxPort = 65535;
constexpr int kDefaultTrapPort = 162;
} // namespace ConfigLimits

// Run-time settings owned by the main view: the language for MIB
// descriptions and the configuration record.
class CAppSettings
{
public:
    // Sets strLanguage from the user's UI language ("ja" or "en").
    CAppSettings();
    virtual ~CAppSettings();

    // "en", or "ja" when the user's UI language is Japanese.
    QString strLanguage;
    // Filled by CXMLRead::getGlobalConfigData after Config.xml has loaded.
    tagGLOBALCONFIG config;
};
