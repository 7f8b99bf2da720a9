#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One copy of the program per user. The first copy holds a lock file and
// listens on a local socket in the user's runtime folder; a later copy finds
// the lock, asks the first to come forward, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Result { Primary, Secondary, Failed };

    // `key` names the lock and the socket ("Orvelle Utility").
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock (a stale one left by a crash is taken over) and starts
    // listening; or, when another copy holds it, asks that copy to come
    // forward.
    Result start();

    QString lockPath() const { return m_lockPath; }
    QString serverPath() const { return m_serverPath; }
    QString errorString() const { return m_error; }

signals:
    // Another copy was started and asked this one to come forward.
    void activationRequested();

private:
    bool notifyPrimary();

    QString m_lockPath;
    QString m_serverPath;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
