#pragma once

// Answers every modal dialog that opens while it lives and keeps what it
// said, so a GUI test can run code that reports through modal boxes. Header
// only: suites without widgets never include it.

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace TestSupport {

class MessageCatcher : public QObject
{
public:
    static constexpr int kPollMs = 20;
    // `look` sees every dialog before it is closed.
    explicit MessageCatcher(std::function<void(QDialog *)> look = {})
    {
        connect(&m_timer, &QTimer::timeout, this, [this, look] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (look)
                look(dialog);
            captions << dialog->windowTitle();
            if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
                texts << box->text();
                icons << box->icon();
            }
            dialog->reject();
        });
        m_timer.start(kPollMs);
    }
    QStringList texts;    // of the message boxes
    QStringList captions; // of every dialog
    QList<QMessageBox::Icon> icons;

private:
    QTimer m_timer;
};

} // namespace TestSupport
