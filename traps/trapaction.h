#pragma once

// Starts the configured program for every shown trap.
//
// The trap's texts come from whoever sent the packet, so they never pass
// through a shell or a command line: the argument template is split into
// arguments first and the macros are replaced inside each argument (see
// trapfilter.h), and the program gets that list as it is. It runs detached
// in its own folder (the program's own current directory never changes),
// and this class watches it only to know when a slot is free again: a trap
// storm must not start thousands of processes. At most kMaxRunning actions
// run at once; later ones wait in arrival order, and when the wait line is
// full the actions left out are counted and reported, never dropped
// silently.

#include "traprecord.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>

class CTrapActionRunner : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxRunning = 8;
    static constexpr int kMaxWaiting = 1000;
    // Where the platform cannot tell when a process ends, look this often.
    static constexpr int kExitPollMs = 500;

    explicit CTrapActionRunner(QObject *parent = nullptr);
    ~CTrapActionRunner() override;

    // Starts `program` for the trap, or queues it when kMaxRunning run
    // already. Nothing happens when `program` is empty.
    void RunTrapAction(const QString &program, const QString &argumentTemplate, const tagTRAPRECORD &record);

    // Starts one program now: 0 when the process was created, 1 when not
    // (`error` then says why). The working directory is the program's folder
    // when the program text names one.
    int LaunchProgram(const QString &program, const QStringList &arguments, QString *error = nullptr);

    // Smaller limits for tests.
    void setLimits(int maxRunning, int maxWaiting);

    int running() const { return m_running; }
    int waiting() const { return static_cast<int>(m_waiting.size()); }
    quint64 skipped() const { return m_skipped; }
    quint64 started() const { return m_started; }

    // The status line for the operator: empty while all is well.
    QString statusText() const;

signals:
    // The status text changed (a start failed, or actions were left out).
    void statusChanged(const QString &text);

private:
    struct Pending
    {
        QString program;
        QStringList arguments;
    };
    void startNext();
    void watch(qint64 pid);
    void onFinished();
    void setFailure(const QString &failure);

    std::deque<Pending> m_waiting;
    int m_running = 0;
    int m_maxRunning = kMaxRunning;
    int m_maxWaiting = kMaxWaiting;
    quint64 m_skipped = 0;
    quint64 m_started = 0;
    QString m_failure;
};
