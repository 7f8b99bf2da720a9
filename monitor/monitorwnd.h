#pragma once

// CMonitorWnd: a small caption-less window that polls one agent for a fixed
// set of objects. At the start time it starts its own SnmpPoller (the
// settings' target: a device profile, or the typed device over SNMPv1),
// which sends one GET for all its OIDs every polling interval; it keeps the numeric values of
// each answer as a sample (MonitorHistory), shows the current values and
// counters as shadowed text on black, draws the history as a graph under the
// text and, when asked to, appends each sample to a data file. Polling stops
// when the duration has passed (the window stays); the window ends itself
// when the agent cannot be reached, stops answering or answers with an
// error (an error status, or an exception such as noSuchInstance).
//
// The MIB walk dialog creates the windows, keeps them in its list and is
// their owner: a window never deletes itself. It tells its owner through
// ownerNotify, always queued: OwnerClose when the user chose Close,
// OwnerEnded after it ended itself and its message box was dismissed. The
// owner then deletes it.
//
//     auto *w = new CMonitorWnd;
//     connect(w, &CMonitorWnd::ownerNotify, this, &Owner::onMonitor, Qt::QueuedConnection);
//     if (!w->Create(this, settings)) { delete w; ...say so }
//     w->show();
//
// Three timers drive it: the start (each second until the start time), the
// elapsed time (each second: text, end of duration) and polling (each
// interval); the poller keeps the response timeout.
//
// Each second and on each sample only the text lines that changed are
// repainted, on each sample and size change the area below the text; each
// line is shaped once, when its text changes.

#include "monitordatafile.h"
#include "monitorhistory.h"
#include "monitorsettings.h"
#include "snmppoller.h"

#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QStaticText>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <array>
#include <deque>
#include <functional>
#include <vector>

class QMenu;
class QPainter;

class CXMLRead;

class CMonitorWnd : public QWidget
{
    Q_OBJECT

public:
    // Why a window ended itself.
    enum EndCode { EndTimeout = 1, EndOpenFailed = 2, EndSnmpError = 3 };
    // What the window tells its owner.
    enum OwnerCode { OwnerEnded = 0, OwnerClose = 1 };

    static constexpr int kStartCheckMs = 1000;  // timer 1: is it time to start?
    static constexpr int kElapsedTickMs = 1000; // timer 2: elapsed time and end of duration
    static constexpr int kTextMargin = 4;       // text block from the client's top-left corner
    static constexpr int kGraphHeight = 100;    // added to the window's height when the graph is on
    static constexpr int kGraphLeft = 16;       // graph rectangle's distances to the client edges
    static constexpr int kGraphRight = 8;
    static constexpr int kGraphBottom = 16;
    static constexpr int kResizeBorder = 4;     // the frameless window is resized from this edge band
    static constexpr int kTicksEvery = 10;      // samples between two ticks on the time axis
    static constexpr int kFontPixels = 12;

    explicit CMonitorWnd(QWidget *owner = nullptr);
    ~CMonitorWnd() override;

    // Copies the settings, sizes the window to its text, opens the data file
    // (a failure is told and saving is switched off) and sets up the session.
    // False when the session cannot be set up; the caller then deletes it.
    bool Create(QWidget *owner, const MonitorSettings &settings);
    // The MIB database the value lines name values by (an enumeration as
    // up(1), a DISPLAY-HINT); null: values as numbers. Not owned.
    void setMibReader(const CXMLRead *reader) { m_mibReader = reader; }

    // Takes one answer of the agent: a sample, or the end on an error status.
    void ProcessResponse(const SnmpPdu &pdu);

    // Context menu commands.
    void OnCloseMonitoring();
    void OnPauseRestart();

    // Where "now" comes from (seconds since 1970); tests move time forward.
    void setClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }

    // State, for the owner and the tests.
    const MonitorHistory &history() const { return m_history; }
    int sampleCount() const { return m_nSampleCount; }
    bool isPaused() const { return m_bPaused; }
    bool isStarted() const { return m_actualStart != 0; }
    bool isPolling() const { return m_pollTimer.isActive(); }
    bool isSaving() const { return m_dataFile.isOpen(); }
    QStringList oids() const { return m_oids; }
    const MonitorSettings &settings() const { return m_settings; }
    CSnmpSession *session() const { return m_pPoller ? m_pPoller->session() : nullptr; }
    QMenu *contextMenu() const { return m_pMenu; }
    QRect textBlock() const { return m_rectText; }
    // Where the graph goes in the current size (empty before numbers came
    // or without the graph).
    QRect graphRect() const;
    // The graph's maximum label, "Max=..." (also painted).
    QString maxLabel() const;
    // The text lines, as painted.
    QStringList textLines() const;

    // The graph in (L, T, R, B); public so a test can render it alone.
    void DrawGraph(QPainter &painter, const QRect &rect) const;

    // Series colour of value position k.
    static QColor seriesColor(size_t k);

signals:
    void ownerNotify(int code, CMonitorWnd *window);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // A value line's value as the MIB shows it (the number where it says nothing).
    QString conventionText(const QString &oidText, const MonitorValue &value, const QString &number) const;
    // One line on the screen. Shaping text is what painting costs most, so
    // each line is laid out once, when its text changes, and painted from
    // that layout.
    struct TextLine
    {
        QString text;
        QColor color;
        QStaticText layout;
        QRect rect;
    };

    void OnStartTimer();
    void OnElapsedTimer();
    void OnPollTimer();
    void onPollFailed(SnmpPoller::Failure failure, const QString &message);
    void SendRequest();
    // Timers off, session gone, samples and values dropped.
    void Stop();
    // Stops, shows why, and asks the owner to delete the window; after an
    // error answer an empty line marks the data file.
    // `detail` says what the agent answered or what failed, when known.
    void EndWindow(EndCode code, bool markDataFile = false, const QString &detail = QString());
    void WriteDataLine(const QString &text);
    // Polling has run for the whole duration (never without an end).
    bool durationOver() const;

    void RefreshText();
    void RefreshGraph();
    // Lays out the text lines (kept for painting) and sets the text block.
    void MeasureTextBlock();
    // Draws the line in grey, and in its colour one pixel up and left.
    void DrawShadowedText(QPainter &painter, const TextLine &line) const;
    QString elapsedText(std::time_t seconds) const;
    Qt::Edges edgesAt(const QPoint &position) const;

    MonitorSettings m_settings;
    const CXMLRead *m_mibReader = nullptr;
    QStringList m_oids;
    MonitorHistory m_history;
    CMonitorDataFile m_dataFile;
    SnmpPoller *m_pPoller = nullptr;
    QMenu *m_pMenu = nullptr;
    QFont m_font;

    QTimer m_startTimer;    // 1
    QTimer m_elapsedTimer;  // 2
    QTimer m_pollTimer;     // 3


    std::function<std::time_t()> m_clock;
    std::time_t m_actualStart = 0;
    QString m_strElapsed;
    QRect m_rectText;
    std::vector<TextLine> m_lines;
    int m_nSampleCount = 0;
    bool m_bPaused = false;
    bool m_bEnding = false;

    QPoint m_dragOffset;
    bool m_bDragging = false;
    Qt::Edges m_resizeEdges;
    QRect m_resizeStart;
    QPoint m_resizeAnchor;
};
