#include "singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace {

constexpr int kConnectTimeoutMs = 1000;
// A first copy that has just taken the lock may not listen yet.
constexpr int kActivationRetryMs = 3000;
constexpr int kActivationRetryPauseMs = 100;
const QByteArray kRaiseRequest = "raise\n";

QString runtimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent)
{
    // The user id keeps two users on one machine apart even where they share
    // a runtime folder (/tmp without XDG_RUNTIME_DIR).
    QString name = key;
    name.replace(u' ', u'-');
    const QString base = runtimeFolder() + u'/' + name + u'-' + QString::number(::getuid());
    m_lockPath = base + QStringLiteral(".lock");
    m_serverPath = base + QStringLiteral(".sock");
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

SingleInstance::Result SingleInstance::start()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            notifyPrimary();
            return Result::Secondary;
        }
        m_error = tr("Cannot create the lock file %1.").arg(m_lockPath);
        return Result::Failed;
    }

    // Holding the lock, any socket left is a crashed copy's.
    QLocalServer::removeServer(m_serverPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverPath)) {
        // Still the only copy; it just cannot be brought forward by others.
        m_error = m_server->errorString();
        return Result::Primary;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                const QByteArray line = socket->readLine();
                if (line == kRaiseRequest)
                    emit activationRequested();
                socket->disconnectFromServer();
            });
        }
    });
    return Result::Primary;
}

bool SingleInstance::notifyPrimary()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kActivationRetryMs) {
        QLocalSocket socket;
        socket.connectToServer(m_serverPath);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kRaiseRequest);
            socket.flush();
            socket.waitForBytesWritten(kConnectTimeoutMs);
            // The first copy closes when it has read the request.
            socket.waitForDisconnected(kConnectTimeoutMs);
            return true;
        }
        QThread::msleep(kActivationRetryPauseMs);
    }
    return false;
}
