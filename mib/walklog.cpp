#include "walklog.h"

#include "localecodec.h"

namespace {

constexpr QLatin1StringView kBaseName("DIROvazur");

} // namespace

QString CWalkLog::fileName()
{
    return QStringLiteral("%1.log").arg(kBaseName);
}

CWalkLog::CWalkLog() = default;

CWalkLog::~CWalkLog()
{
    Close();
}

bool CWalkLog::Open()
{
    Close();
    auto file = std::make_unique<QFile>(fileName());
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    m_file = std::move(file);
    return true;
}

void CWalkLog::Close()
{
    if (!m_file)
        return;
    m_file->close();
    m_file.reset();
}

QString CWalkLog::formatLine(const QString &text, SnmpNotifyCode kind)
{
    // The line kinds are a file format read by other programs: not translated.
    switch (kind) {
    case SNMPN_GET_SENT:
        return QStringLiteral("GET request: %1\r\n").arg(text);
    case SNMPN_GETNEXT_SENT:
        return QStringLiteral("GET NEXT request: %1\r\n").arg(text);
    case SNMPN_RECEIVED:
        return QStringLiteral(">>>> reply->%1\r\n").arg(text);
    default:
        return {};
    }
}

void CWalkLog::WriteLog(const QString &text, SnmpNotifyCode kind)
{
    if (!m_file)
        return;
    const QString line = formatLine(text, kind);
    if (line.isEmpty())
        return;
    const QByteArray bytes = LocaleCodec::fromUnicode(line);
    m_file->write(bytes);
    // a walk can run for minutes: what has been written is readable at once
    m_file->flush();
}
