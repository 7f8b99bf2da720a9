#include "messagebox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

QString bodyOf(const QString &text)
{
    QString body = text;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return body;
}

QString caption()
{
    return QCoreApplication::translate("MessageBox", "Orvelle");
}

} // namespace

namespace MessageBox {

void show(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption(), bodyOf(text), QMessageBox::Ok, parent);
    box.exec();
}

bool ask(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, caption(), bodyOf(text), QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace MessageBox
