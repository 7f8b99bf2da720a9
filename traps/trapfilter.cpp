#include "trapfilter.h"

#include "i18n.h"

#include <QCoreApplication>

#include <iterator>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

QString trimmedRight(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

} // namespace

bool PassesEnterpriseFilter(const QString &filter, const tagTRAPRECORD &record)
{
    QString list = filter.trimmed();
    if (list.isEmpty())
        return true;
    while (!list.isEmpty()) {
        QString entry;
        const qsizetype semicolon = list.indexOf(u';');
        if (semicolon >= 0) {
            entry = list.left(semicolon);
            list = list.mid(semicolon + 1);
        } else {
            entry = list;
            list.clear();
        }
        entry = trimmedRight(entry);
        if (record.strEnterprise.startsWith(entry))
            return true;
        list = list.trimmed();
    }
    return false;
}

QStringList SplitArgumentTemplate(const QString &argumentTemplate)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    QChar quote;
    for (QChar c : argumentTemplate) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                current += c;
            continue;
        }
        if (isBlank(c)) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == u'"' || c == u'\'')
            quote = c; // "" gives an empty argument: inArgument is already set
        else
            current += c;
    }
    if (inArgument)
        arguments << current;
    return arguments;
}

QString ActionTimeText(std::time_t time)
{
    return Orvelle::localTimeText(time, QCoreApplication::translate("TrapAction", "%m/%d/%Y %H:%M:%S"));
}

QString ExpandActionMacros(const QString &argument, const tagTRAPRECORD &record)
{
    QString text = argument;
    // Only the third value has its spaces replaced, so that a receiving
    // script gets it as one word even through its own word splitting.
    QString message;
    if (record.lstVarbinds.size() >= 3)
        message = std::next(record.lstVarbinds.begin(), 2)->strValue;
    message.replace(u' ', u'_');
    // Order matters: each step works on what the previous ones left.
    text.replace(QLatin1String("%msg%"), message);
    text.replace(QLatin1String("%action%"), QString());
    text.replace(QLatin1String("%AGENT%"), record.strAgent);
    text.replace(QLatin1String("%OID%"), QString::number(record.nSpecific));
    text.replace(QLatin1String("%CONTEXT%"), record.strCommunity);
    text.replace(QLatin1String("%DESCRIPTION%"), record.strDescription);
    text.replace(QLatin1String("%ENTERPRISE%"), record.strEnterprise);
    text.replace(QLatin1String("%SEVERITY%"), QString::number(static_cast<qint32>(record.nSeverity)));
    text.replace(QLatin1String("%TIME%"), ActionTimeText(record.tmReceived));
    return text;
}

QStringList BuildActionArguments(const QString &argumentTemplate, const tagTRAPRECORD &record)
{
    QStringList arguments = SplitArgumentTemplate(argumentTemplate);
    for (QString &argument : arguments)
        argument = ExpandActionMacros(argument, record);
    return arguments;
}
