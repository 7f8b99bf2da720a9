#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUdpSocket>

namespace TestSupport {

QString sharedDir()
{
    QString dir = qEnvironmentVariable("ORVELLE_SHARED_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(ORVELLE_DEFAULT_SHARED_DIR);
    if (!QFileInfo(dir + QStringLiteral("/mibs")).isDir())
        return {};
    return QDir(dir).absolutePath();
}

QString sharedDirMissingReason()
{
    return QStringLiteral("the shared test material (../shared beside the repository, or "
                          "$ORVELLE_SHARED_DIR) is not present");
}

QString sourceDir()
{
    return QStringLiteral(ORVELLE_SOURCE_DIR);
}

quint16 freeUdpPort()
{
    // Binding port 0 lets the kernel pick one that is free on both stacks we
    // use; the socket is closed again before the caller binds it.
    for (int attempt = 0; attempt < 50; ++attempt) {
        QUdpSocket v4;
        if (!v4.bind(QHostAddress::LocalHost, 0))
            continue;
        const quint16 port = v4.localPort();
        QUdpSocket v6;
        if (v6.bind(QHostAddress::LocalHostIPv6, port) || v6.error() != QAbstractSocket::AddressInUseError)
            return port;
    }
    return 0;
}

QProcessEnvironment isolatedEnvironment(const QString &root)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const struct { const char *var; const char *sub; } dirs[] = {
        {"XDG_RUNTIME_DIR", "runtime"},
        {"XDG_CONFIG_HOME", "config"},
        {"XDG_DATA_HOME", "data"},
        {"XDG_CACHE_HOME", "cache"},
        {"HOME", "home"},
    };
    for (const auto &d : dirs) {
        const QString path = root + u'/' + QLatin1String(d.sub);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QLatin1String(d.var), path);
    }
    return env;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    if (content.isNull())
        return !f.exists() || f.remove();
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString writeArgumentRecorder(const QString &dir, const QString &out, const QString &sleepSeconds)
{
    QDir().mkpath(out);
    const QString path = dir + QStringLiteral("/record.sh");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(QStringLiteral("#!/bin/sh\n"
                           "f=%1/$$.args\n"
                           "printf '%s\\0' \"$(pwd)\" \"$@\" > \"$f.tmp\"\n"
                           "sleep %2\n"
                           "mv \"$f.tmp\" \"$f\"\n")
                .arg(out, sleepSeconds)
                .toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QList<QStringList> recordedCalls(const QString &out)
{
    QList<QStringList> calls;
    for (const QString &name : QDir(out).entryList({QStringLiteral("*.args")}, QDir::Files, QDir::Name)) {
        QFile f(out + u'/' + name);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        QStringList args = QString::fromUtf8(f.readAll()).split(QChar(0));
        args.removeLast(); // after the final NUL
        calls << args;
    }
    return calls;
}

QString findProgram(const QString &name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return path;
}

} // namespace TestSupport
