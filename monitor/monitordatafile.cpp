#include "monitordatafile.h"

#include "i18n.h"
#include "localecodec.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CMonitorDataFile::CMonitorDataFile() = default;

CMonitorDataFile::~CMonitorDataFile()
{
    Close();
}

bool CMonitorDataFile::Open(const QString &path)
{
    Close();
    m_fileName = path;
    // Emptied only once the lock is held: a file that another window or
    // program is writing keeps its samples. The lock belongs to this open
    // file description, so it also keeps out a second open in this process.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = qt_error_string(errno);
        return false;
    }
    auto fail = [this, fd](const QString &why) {
        m_error = why;
        ::close(fd);
        return false;
    };
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return fail(errno == EWOULDBLOCK ? QCoreApplication::translate("CMonitorDataFile",
                                                                       "Another monitor window or program is writing to this file.")
                                         : qt_error_string(errno));
    }
    // EINVAL: not a regular file (a device, say), which has nothing to empty
    if (::ftruncate(fd, 0) != 0 && errno != EINVAL)
        return fail(qt_error_string(errno));
    auto file = std::make_unique<QFile>(path);
    if (!file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        return fail(file->errorString());
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

QString CMonitorDataFile::dataLine(std::time_t time, const std::vector<MonitorValue> &values)
{
    // The same order of date fields in every language, so files from
    // Japanese and English desktops read alike.
    QString line = Orvelle::localTimeText(time, QStringLiteral("%m/%d/%Y %H:%M:%S"));
    for (const MonitorValue &value : values)
        line += u',' + value.text();
    return line;
}
