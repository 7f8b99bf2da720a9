#pragma once

// Helpers shared by the test suites: where the shared material is, free
// ports, and a private environment for every program a test starts.

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace TestSupport {

// The shared test material (../shared beside the repository, or
// $ORVELLE_SHARED_DIR); empty when it is not there.
QString sharedDir();
// Text for QSKIP when sharedDir() is empty.
QString sharedDirMissingReason();

// The repository's own folder (for DATA/, docs_en/ ...).
QString sourceDir();

// A UDP port on loopback (IPv4 and IPv6) that nothing holds right now.
quint16 freeUdpPort();

// A private XDG_RUNTIME_DIR, XDG_CONFIG_HOME, XDG_DATA_HOME and HOME under
// `root`, so that programs started by parallel tests never meet.
QProcessEnvironment isolatedEnvironment(const QString &root);

// Writes `content` to `path`; a null `content` leaves no file there.
bool writeFile(const QString &path, const QByteArray &content);
// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString &path);

// One row of a data-driven test.
template <typename... T>
void row(const char *name, const T &...values)
{
    (QTest::newRow(name) << ... << values);
}

// A shell script in `dir` that writes its working folder and each argument,
// NUL-separated, to a file of its own in `out`, taking `sleepSeconds` over
// it; gives the script's path. recordedCalls() reads what its runs wrote.
QString writeArgumentRecorder(const QString &dir, const QString &out, const QString &sleepSeconds = QStringLiteral("0"));
QList<QStringList> recordedCalls(const QString &out);

// Full path of a program on PATH or in /usr/sbin and /sbin; empty if absent.
QString findProgram(const QString &name);

} // namespace TestSupport
