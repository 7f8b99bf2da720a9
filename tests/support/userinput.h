#pragma once

// Input as a user gives it, for the GUI suites. Header only, like
// messagecatcher.h: suites without widgets never include it.

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace TestSupport {

// A click into the field (the focus goes there, so leaving it later is a
// real focus change), Ctrl+A, then the keys of `text` (characters beyond
// ASCII as a keyboard layout or input method sends them); an empty text
// erases what the field held.
inline void typeInto(QWidget *field, const QString &text)
{
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(field, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// A right click at `at` in `widget` (its centre by default), then a click on
// entry `entry` of the context menu that opens.
inline void chooseFromContextMenu(QWidget *widget, int entry, QPoint at = {})
{
    if (at.isNull())
        at = widget->rect().center();
    QTimer::singleShot(0, widget, [entry] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().at(entry)).center());
    });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &rightClick);
}

} // namespace TestSupport
