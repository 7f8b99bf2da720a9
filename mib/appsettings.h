#pragma once

#include <QString>

#include <cstdint>

// Where the trap journal lives and how much it keeps. An empty path is the
// user's data folder (traps.db); 0 days or 0 MiB is no limit of that kind.
struct JournalConfig
{
    bool enabled = true;
    QString path;
    quint32 retentionDays = 30;
    quint32 maxSizeMiB = 1024;
};

// The syslog collector each listed trap is also sent to; no host: none.
struct ForwardConfig
{
    enum Protocol { Udp, Tcp };
    QString host;
    quint16 port = 514;
    Protocol protocol = Udp;
};

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
    JournalConfig journal;
    ForwardConfig forward;
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
constexpr quint32 kMaxRetentionDays = 36500;
constexpr quint32 kMaxJournalMiB = 1024 * 1024;
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
