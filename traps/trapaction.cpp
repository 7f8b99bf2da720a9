#include "trapaction.h"

#include "trapfilter.h"

#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/syscall.h>
#include <csignal>
#include <cerrno>
#include <unistd.h>

namespace {

// A descriptor that becomes readable when the process ends; -1 when the
// kernel cannot give one (errno says why: ESRCH means it has ended already).
int openPidFd(qint64 pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
#else
    Q_UNUSED(pid);
    errno = ENOSYS;
    return -1;
#endif
}

} // namespace

CTrapActionRunner::CTrapActionRunner(QObject *parent)
    : QObject(parent)
{
}

CTrapActionRunner::~CTrapActionRunner() = default;

void CTrapActionRunner::RunTrapAction(const QString &program, const QString &argumentTemplate,
                                      const tagTRAPRECORD &record)
{
    if (program.isEmpty())
        return;
    if (m_running >= m_maxRunning && m_waiting.size() >= static_cast<size_t>(m_maxWaiting)) {
        ++m_skipped;
        emit statusChanged(statusText());
        return;
    }
    m_waiting.push_back({program, BuildActionArguments(argumentTemplate, record)});
    startNext();
}

void CTrapActionRunner::setLimits(int maxRunning, int maxWaiting)
{
    m_maxRunning = qMax(1, maxRunning);
    m_maxWaiting = qMax(0, maxWaiting);
}

int CTrapActionRunner::LaunchProgram(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.setArguments(arguments);
    // The program's folder is the child's working directory; a bare name
    // found on PATH keeps ours. A relative path is made absolute first, or
    // it would be looked for again from inside its own folder.
    if (program.contains(u'/')) {
        const QFileInfo info(program);
        process.setProgram(info.absoluteFilePath());
        process.setWorkingDirectory(info.absolutePath());
    } else {
        process.setProgram(program);
    }
    process.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        if (error)
            *error = process.errorString();
        return 1;
    }
    ++m_started;
    watch(pid);
    return 0;
}

void CTrapActionRunner::startNext()
{
    while (m_running < m_maxRunning && !m_waiting.empty()) {
        Pending next = std::move(m_waiting.front());
        m_waiting.pop_front();
        QString error;
        ++m_running;
        if (LaunchProgram(next.program, next.arguments, &error) != 0) {
            --m_running;
            setFailure(tr("Unable to start the trap action program %1: %2").arg(next.program, error));
        } else if (!m_failure.isEmpty()) {
            setFailure(QString());
        }
    }
}

void CTrapActionRunner::watch(qint64 pid)
{
    const int fd = openPidFd(pid);
    if (fd >= 0) {
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier, fd] {
            notifier->setEnabled(false);
            notifier->deleteLater();
            ::close(fd);
            onFinished();
        });
        return;
    }
    if (errno == ESRCH) {
        // ended (and reaped) before we could look
        QTimer::singleShot(0, this, &CTrapActionRunner::onFinished);
        return;
    }
    // Without pidfd: the detached process is not our child, so all we can
    // do is ask now and then whether it is still there.
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, timer, pid] {
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            return;
        timer->stop();
        timer->deleteLater();
        onFinished();
    });
    timer->start(kExitPollMs);
}

void CTrapActionRunner::onFinished()
{
    if (m_running > 0)
        --m_running;
    startNext();
}

void CTrapActionRunner::setFailure(const QString &failure)
{
    // A program that cannot start fails for every trap alike: say it once,
    // not once per trap.
    if (failure == m_failure)
        return;
    m_failure = failure;
    emit statusChanged(statusText());
}

QString CTrapActionRunner::statusText() const
{
    QStringList parts;
    if (!m_failure.isEmpty())
        parts << m_failure;
    if (m_skipped > 0)
        parts << tr("Trap actions not run because too many were waiting: %L1").arg(m_skipped);
    return parts.join(QLatin1String("  "));
}
