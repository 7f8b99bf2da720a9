#include "monitordatafile.h"

#include "i18n.h"
#include "localecodec.h"

#include <QFile>

CMonitorDataFile::CMonitorDataFile() = default;

CMonitorDataFile::~CMonitorDataFile()
{
    Close();
}

bool CMonitorDataFile::Open(const QString &path)
{
    Close();
    m_fileName = path;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = file->errorString();
        return false;
    }
    m_error.clear();
    m_file = std::move(file);
    return true;
}

void CMonitorDataFile::Close()
{
    if (!m_file)
        return;
    m_file->close();
    m_file.reset();
}

bool CMonitorDataFile::WriteLine(const QString &text)
{
    if (!m_file)
        return true;
    const QByteArray bytes = LocaleCodec::fromUnicode(text) + QByteArrayLiteral("\r\n");
    if (m_file->write(bytes) != bytes.size() || !m_file->flush()) {
        m_error = m_file->errorString();
        Close();
        return false;
    }
    return true;
}

QString CMonitorDataFile::headerLine(const QStringList &oids)
{
    // A file format read by other programs: not translated.
    QString line = QStringLiteral("sampling time");
    for (const QString &oid : oids)
        line += QLatin1String(", ") + oid;
    return line;
}

QString CMonitorDataFile::dataLine(std::time_t time, const std::vector<qint64> &values)
{
    // The same order of date fields in every language, so files from
    // Japanese and English desktops read alike.
    QString line = Orvelle::localTimeText(time, QStringLiteral("%m/%d/%Y %H:%M:%S"));
    for (qint64 value : values)
        line += u',' + QString::number(value);
    return line;
}
