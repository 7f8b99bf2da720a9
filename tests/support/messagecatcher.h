#pragma once

// Answers every message box that opens while it lives and keeps its text,
// so a GUI test can run code that reports through modal boxes. Header only:
// suites without widgets never include it.

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace TestSupport {

class MessageCatcher : public QObject
{
public:
    static constexpr int kPollMs = 20;
    MessageCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->reject();
            }
        });
        m_timer.start(kPollMs);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

} // namespace TestSupport
