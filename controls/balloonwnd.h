#pragma once

// CBalloonWnd: the cell tip of the program's lists.
//
// Host widgets (the trap list, the MIB walk result list) register themselves
// with a tip and feed the balloon their mouse events. When the cursor rests
// over a registered host, the tip appears after a short delay just above and
// to the right of the cursor, stays for a few seconds and goes away again; a
// button press or a move off every host hides it at once. Hosts change their
// tip whenever the cursor reaches another cell, which also hides a shown tip,
// so the next one comes up for the new cell after the delay.
//
// Typical use in a host (an item view; its viewport gets the mouse):
//
//     m_balloon.Create(this);
//     m_balloon.AddTool(this, QString());
//     ...on a mouse move over a new cell:
//     m_balloon.UpdateTipText(this, QString(), cellText);
//     m_balloon.RelayEvent(event);
//
// The window is a frameless tool-tip top level that is never activated and
// never takes the focus. It is kept 20 pixels taller than what it paints
// (a mask cuts the rest), so that the painted part ends 10 pixels above the
// anchor. A control of its own: it knows nothing of what its hosts show.

#include <QFont>
#include <QHash>
#include <QIcon>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <optional>

class QEvent;
class QRegion;

class CBalloonWnd : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kShowDelayMs = 500;      // rest before the tip appears
    static constexpr int kDisplayTimeMs = 8000;   // how long a shown tip stays

    CBalloonWnd();
    ~CBalloonWnd() override;

    // Makes the balloon a hidden popup owned by `owner` (may be null): it goes
    // with the owner's window and is deleted with it unless deleted earlier.
    bool Create(QWidget *owner);

    // Body font; the title uses the same font made bold. A height of 0 keeps
    // the default size, a negative height counts as positive; weight 0 is the
    // normal weight, otherwise 1 to 1000.
    void SetTipFont(const QString &face, int height, int weight, bool italic, bool underline);

    // Registers `host` (or replaces its entry) with an empty title. The entry
    // goes when the host is destroyed.
    void AddTool(QWidget *host, const QString &body, const QIcon &icon = QIcon());
    // Hides a shown tip and replaces the tip of a registered host; an
    // unregistered host is ignored.
    void UpdateTipText(QWidget *host, const QString &title, const QString &body, const QIcon &icon = QIcon());

    // A mouse event of a host: a move schedules the host's tip at the cursor
    // (or hides the tip when no registered host is under the cursor); a left,
    // right or middle button press hides it. Everything else is ignored.
    void RelayEvent(const QEvent *event);

    void HideTip();
    // Shows `title` and `body` after the show delay near `anchor` (global
    // coordinates; the cursor position when none is given). A new call
    // restarts the delay.
    void ScheduleShow(const QString &body, const QString &title, std::optional<QPoint> anchor = std::nullopt);
    // The icon shown beside the title; a null icon for none.
    void SetTipIcon(const QIcon &icon);

    // Size of the window for the current tip: (W, H + 20), where (0, 0, W, H)
    // is the painted part, given in `region` when asked for.
    QSize ComputeShape(QRegion *region = nullptr) const;

    // Test and tuning hooks.
    void setShowDelay(int ms) { m_nShowDelayMs = ms; }
    void setDisplayTime(int ms) { m_nDisplayTimeMs = ms; }
    int state() const { return m_nState; }   // 1 scheduled or shown, 0 idle
    QString body() const { return m_strBody; }
    QString title() const { return m_strTitle; }
    QPoint anchor() const { return m_ptAnchor; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The two phases of the one timer: waiting to show, then showing.
    enum TimerId { kShowTimer = 100, kDisplayTimer = 101 };

    struct BalloonTool
    {
        QString strTitle;
        QString strBody;
        QIcon icon;
    };

    void startTipTimer(TimerId id, int ms);
    void onTimer();
    void showAtAnchor();
    const BalloonTool *toolAt(const QPoint &globalPos) const;
    void onHostDestroyed(QObject *host);
    QFont titleFont() const;
    int fontHeight() const;

    int m_nShowDelayMs = kShowDelayMs;
    int m_nDisplayTimeMs = kDisplayTimeMs;
    QPoint m_ptAnchor;
    QString m_strBody;
    QString m_strTitle;
    TimerId m_nTimer = kShowTimer;
    QTimer m_timer;
    QIcon m_icon;
    int m_nIconWidth = 0;
    int m_nIconHeight = 0;
    QFont m_font;
    // Keyed by QObject so that an entry can go in the host's destroyed()
    // signal, when it is no longer a QWidget.
    QHash<const QObject *, BalloonTool> m_mapTools;
    int m_nState = 0;
};
