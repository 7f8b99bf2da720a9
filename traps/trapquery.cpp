#include "trapquery.h"

bool TrapQuery::matches(const tagTRAPRECORD &record) const
{
    if (severities != 0 && !(severities & severityBit(record.nSeverity)))
        return false;
    if ((from && record.tmReceived < *from) || (to && record.tmReceived > *to))
        return false;
    if (!agent.isEmpty() && !record.strAgent.contains(agent, Qt::CaseInsensitive))
        return false;
    if (terms.isEmpty())
        return true;
    // a term never spans two texts: blanks end a term, and a trap's texts
    // are apart
    for (const QString &term : terms) {
        bool found = false;
        forEachSearchedText(record, [&](const QString &text) { found = found || text.contains(term, Qt::CaseInsensitive); });
        if (!found)
            return false;
    }
    return true;
}

QStringList TrapQuery::termsOf(const QString &text)
{
    QStringList terms;
    QString current;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"') {
            quoted = !quoted;
        } else if (c.isSpace() && !quoted) {
            if (!current.isEmpty())
                terms.append(std::exchange(current, QString()));
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        terms.append(current);
    return terms;
}
