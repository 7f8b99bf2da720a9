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
    const QString text = trapSearchText(record);
    for (const QString &term : terms) {
        if (!text.contains(term, Qt::CaseInsensitive))
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

QString trapSearchText(const tagTRAPRECORD &record)
{
    // Line ends between the fields, so that a term never matches across two
    // of them.
    QString text = record.strAgent + u'\n' + record.strCommunity + u'\n' + record.strDescription;
    for (const tagTRAPVARBIND &vb : record.lstVarbinds)
        text += u'\n' + vb.strOid + u'\n' + vb.strName + u'\n' + vb.strValue;
    return text;
}
