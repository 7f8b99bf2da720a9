#pragma once

#include <QString>
#include <QtGlobal>

#include <ctime>
#include <list>

// The longest text of a field that is shown or sent on (a cell, its tip, a
// forwarded message); what is longer is cut, ending "… (N characters)". The
// export and the trap action keep it whole.
inline constexpr qsizetype kMaxShownTextChars = 2047;

// One variable binding of a received trap, already rendered for display.
struct tagTRAPVARBIND
{
    quint32 nSyntax = 0;   // syntax code of the value
    QString strOid;        // dotted OID
    QString strName;       // the MIB database's name for the OID
    QString strValue;      // value text, possibly translated by the MIB database
    QString strRawValue;   // the value as it came, where its textual convention shows it otherwise
};

// One received trap as the trap service hands it to the list.
struct tagTRAPRECORD
{
    quint32 nSeverity = 0;      // 1 Informational, 2 Minor, 3 Major, else Unknown
    qint32 nVarbindCount = 0;
    qint32 nSpecific = 0;
    QString strEnterprise;
    QString strDescription;
    std::time_t tmReceived = 0;
    QString strAgent;
    QString strCommunity;
    std::list<tagTRAPVARBIND> lstVarbinds;
    bool fromEarlierRun = false; // restored from the journal at start
};
