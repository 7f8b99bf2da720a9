#pragma once

// What the filter bar asks for: traps whose text holds every term, of the
// chosen severities, from an agent, within a time range. One definition of
// "matches" for the list in memory and for the journal, which narrows with
// its index and then asks matches() of every candidate, so both always
// agree.

#include "traprecord.h"

#include <QString>
#include <QStringList>

#include <ctime>
#include <optional>

struct TrapQuery
{
    // Each must appear, ignoring case, in the agent, community, description
    // or a variable's OID, name or value.
    QStringList terms;
    // Bits of severityBit(); 0 is every severity.
    quint32 severities = 0;
    // Must appear in the agent text, ignoring case; empty: any agent.
    QString agent;
    std::optional<std::time_t> from, to; // inclusive, seconds

    bool isEmpty() const { return terms.isEmpty() && severities == 0 && agent.isEmpty() && !from && !to; }
    bool matches(const tagTRAPRECORD &record) const;

    // Terms of a typed text: blanks separate, double quotes keep a phrase
    // with its blanks together.
    static QStringList termsOf(const QString &text);
    // 1 Informational, 2 Minor, 3 Major; everything else counts as Unknown.
    static quint32 severityBit(quint32 severity) { return severity >= 1 && severity <= 3 ? 1u << severity : 1u; }
};

// Calls `f` with each text a trap is searched by: the list's filter and the
// journal's index both take them from here.
template <typename F>
void forEachSearchedText(const tagTRAPRECORD &record, F &&f)
{
    f(record.strAgent);
    f(record.strCommunity);
    f(record.strDescription);
    for (const tagTRAPVARBIND &vb : record.lstVarbinds) {
        f(vb.strOid);
        f(vb.strName);
        f(vb.strValue);
    }
}
