#include "monitorwnd.h"

#include "i18n.h"
#include "snmprender.h"
#include "snmpstack.h"
#include "xmlread.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QtMath>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop;
constexpr int kUnbounded = 32767;    // room given to a text being measured
constexpr int kLabelHeight = 14;     // the "0" label's box
constexpr int kLabelLeft = 12;       // labels start this far left of the vertical axis
constexpr int kLabelRight = 4;
constexpr int kTickLength = 2;       // above and below the time axis

const QColor kShadow(128, 128, 128);
const QColor kSeriesColors[] = {QColor(255, 128, 64), QColor(128, 255, 0), QColor(64, 128, 128), QColor(128, 128, 192)};

std::time_t systemClock()
{
    return std::time(nullptr);
}

} // namespace

CMonitorWnd::CMonitorWnd(QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), m_clock(systemClock)
{
    //: Font face of the monitor windows' text.
    m_font.setFamily(tr("Verdana"));
    m_font.setPixelSize(kFontPixels);
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted
    setMouseTracking(true);                // the resize cursor at the edges

    // Whole seconds are all these ticks need; very coarse timers of every
    // window wake the program together, once a second, not once per window.
    for (QTimer *timer : {&m_startTimer, &m_elapsedTimer, &m_pollTimer})
        timer->setTimerType(Qt::VeryCoarseTimer);
    m_startTimer.setInterval(kStartCheckMs);
    m_elapsedTimer.setInterval(kElapsedTickMs);
    connect(&m_startTimer, &QTimer::timeout, this, &CMonitorWnd::OnStartTimer);
    connect(&m_elapsedTimer, &QTimer::timeout, this, &CMonitorWnd::OnElapsedTimer);
    connect(&m_pollTimer, &QTimer::timeout, this, &CMonitorWnd::OnPollTimer);
}

CMonitorWnd::~CMonitorWnd()
{
    m_dataFile.Close();
    Stop();
}

QColor CMonitorWnd::seriesColor(size_t k)
{
    return kSeriesColors[k % std::size(kSeriesColors)];
}

bool CMonitorWnd::Create(QWidget *owner, const MonitorSettings &settings)
{
    m_settings = settings;
    if (owner != parentWidget())
        setParent(owner, windowFlags());
    // One OID per line; blank lines name nothing.
    m_oids = settings.oidList.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    m_history = MonitorHistory(settings.graphMode, settings.maxHistories);
    m_pollTimer.setInterval(int(settings.pollingInterval) * kMsPerSecond);

    m_pMenu = new QMenu(this);
    connect(m_pMenu->addAction(tr("&Close object monitoring")), &QAction::triggered, this,
            &CMonitorWnd::OnCloseMonitoring);
    connect(m_pMenu->addAction(tr("&Pause/restart object monitoring ")), &QAction::triggered, this,
            &CMonitorWnd::OnPauseRestart);

    // Sized for the text as it reads once polling runs, so the elapsed time
    // is not cut off a second after the start.
    m_strElapsed = elapsedText(0);
    MeasureTextBlock();
    const QSize textSize(m_rectText.right() + 1 + kTextMargin, m_rectText.bottom() + 1 + kTextMargin);
    m_strElapsed.clear(); // until polling starts
    MeasureTextBlock();
    setMinimumSize(textSize);
    move(kTextMargin, kTextMargin);
    resize(textSize.width(), textSize.height() + (settings.graph ? kGraphHeight : 0));

    if (m_settings.save && !m_settings.fileName.isEmpty()) {
        if (m_dataFile.Open(m_settings.fileName)) {
            WriteDataLine(m_settings.device);
            WriteDataLine(CMonitorDataFile::headerLine(m_oids));
        } else {
            QMessageBox box(QMessageBox::NoIcon, tr("Orvelle"), tr("File Open error!"), QMessageBox::Ok, owner);
            box.setInformativeText(tr("%1: %2\nMonitoring goes on without saving the samples.")
                                       .arg(m_settings.fileName, m_dataFile.errorString()));
            box.exec();
        }
    }
    m_settings.save = m_dataFile.isOpen();

    m_pPoller = new SnmpPoller(this);
    connect(m_pPoller, &SnmpPoller::answered, this, &CMonitorWnd::ProcessResponse);
    connect(m_pPoller, &SnmpPoller::failed, this, &CMonitorWnd::onPollFailed);
    if (!SnmpIsStarted())
        return false;
    m_startTimer.start();
    return true;
}

void CMonitorWnd::OnStartTimer()
{
    const std::time_t now = m_clock();
    if (m_settings.startTime > now)
        return;
    m_startTimer.stop();
    m_actualStart = now;
    SnmpTarget target = m_settings.target;
    if (target.host.isEmpty()) {
        // a device typed by address with a community: SNMPv1, as always
        target = SnmpTarget();
        target.host = m_settings.device;
        target.community = m_settings.community;
    }
    if (!m_pPoller->start(target, m_oids, int(m_settings.timeout) * kMsPerSecond))
        return; // failed() has ended the window
    // paused while waiting for the start: the restart begins the polling
    if (!m_bPaused) {
        SendRequest();
        m_elapsedTimer.start();
        m_pollTimer.start();
    }
    RefreshText();
}

bool CMonitorWnd::durationOver() const
{
    return isStarted() && m_settings.duration != 0 &&
           (m_clock() - m_actualStart) / kSecondsPerMinute >= std::time_t(m_settings.duration);
}

void CMonitorWnd::OnElapsedTimer()
{
    if (durationOver()) {
        // the window stays with its text and graph
        m_elapsedTimer.stop();
        m_pollTimer.stop();
    }
    RefreshText();
}

void CMonitorWnd::OnPollTimer()
{
    SendRequest();
}

void CMonitorWnd::SendRequest()
{
    if (m_pPoller)
        m_pPoller->poll();
}

void CMonitorWnd::onPollFailed(SnmpPoller::Failure failure, const QString &message)
{
    switch (failure) {
    case SnmpPoller::Failure::Timeout:
        EndWindow(EndTimeout);
        break;
    case SnmpPoller::Failure::OpenFailed:
        EndWindow(EndOpenFailed, false, message);
        break;
    case SnmpPoller::Failure::Report:
    case SnmpPoller::Failure::SendError:
    case SnmpPoller::Failure::ReceiveError:
        EndWindow(EndSnmpError, false, message);
        break;
    }
}

void CMonitorWnd::ProcessResponse(const SnmpPdu &pdu)
{
    if (m_bEnding)
        return;
    if (pdu.errorStatus != 0) {
        const qsizetype index = pdu.errorIndex - 1;
        const QString variable = index >= 0 && index < m_oids.size() ? m_oids[index] : QString();
        EndWindow(EndSnmpError, true,
                  variable.isEmpty() ? tr("%1 (%2)").arg(ErrorStatusText(pdu.errorStatus)).arg(pdu.errorStatus)
                                     : tr("%1 (%2) at %3").arg(ErrorStatusText(pdu.errorStatus)).arg(pdu.errorStatus).arg(variable));
        return;
    }
    if (SnmpPoller::hasException(pdu)) {
        // an object that is not there is an error answer, named
        QStringList named;
        for (const SnmpVarBind &vb : pdu.varbinds)
            if (SnmpIsException(vb.value.syntax))
                named << tr("%1: %2").arg(OidToText(vb.oid), ValueToText(vb.value));
        EndWindow(EndSnmpError, true, named.join(u'\n'));
        return;
    }
    const std::time_t now = m_clock();
    const std::vector<MonitorValue> raw = m_history.addResponse(pdu.varbinds, now);
    ++m_nSampleCount;
    if (!raw.empty())
        WriteDataLine(CMonitorDataFile::dataLine(now, raw));
    RefreshGraph();
    // the values and the count beside the graph
    RefreshText();
}

void CMonitorWnd::WriteDataLine(const QString &text)
{
    if (m_dataFile.WriteLine(text))
        return;
    // Told once (the file is closed now) and without a modal loop, so
    // polling goes on undisturbed.
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Orvelle"),
                                tr("Unable to write to the data file %1: %2\nMonitoring goes on without saving the samples.")
                                    .arg(m_dataFile.fileName(), m_dataFile.errorString()),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void CMonitorWnd::Stop()
{
    m_startTimer.stop();
    m_elapsedTimer.stop();
    m_pollTimer.stop();
    if (m_pPoller) {
        m_pPoller->stop();
        // we may be inside its signal
        m_pPoller->deleteLater();
        m_pPoller = nullptr;
    }
    m_history.clear();
}

void CMonitorWnd::EndWindow(EndCode code, bool markDataFile, const QString &detail)
{
    if (m_bEnding)
        return;
    m_bEnding = true;
    Stop();
    RefreshText();
    QString text;
    switch (code) {
    case EndTimeout: text = tr("SNMP request timeout occured.\r\nMonitoring window will be terminated."); break;
    case EndOpenFailed: text = tr("Unable to open SNMP service.\r\nPlease verify device name."); break;
    case EndSnmpError: text = tr("Received SNMP error.\r\nMonitoring window will be terminated."); break;
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // The box's own event loop runs: the owner may go away meanwhile (the
    // program quits), taking this window and the box with it.
    QPointer<CMonitorWnd> self(this);
    QPointer<QMessageBox> box = new QMessageBox(QMessageBox::NoIcon, tr("Orvelle"), text, QMessageBox::Ok, this);
    if (!detail.isEmpty())
        box->setInformativeText(detail);
    box->exec();
    if (!self)
        return;
    delete box;
    // An error answer leaves an empty line, so the file shows where the run
    // broke off.
    if (markDataFile)
        m_dataFile.WriteLine(QString());
    QMetaObject::invokeMethod(this, [this] { emit ownerNotify(OwnerEnded, this); }, Qt::QueuedConnection);
}

void CMonitorWnd::OnCloseMonitoring()
{
    QMetaObject::invokeMethod(this, [this] { emit ownerNotify(OwnerClose, this); }, Qt::QueuedConnection);
}

void CMonitorWnd::OnPauseRestart()
{
    if (m_bPaused) {
        m_bPaused = false;
        // Restarted after its time was up, whether that was noticed while
        // polling or it ran out during the pause: it polls on until paused
        // or closed, or the next tick would end it again at once.
        if (durationOver())
            m_settings.duration = 0;
        if (isStarted() && !m_bEnding) {
            // the next request follows one interval from now
            m_elapsedTimer.start();
            m_pollTimer.start();
        }
    } else {
        m_elapsedTimer.stop();
        m_pollTimer.stop();
        m_bPaused = true;
    }
}

// --- text and graph --------------------------------------------------------

QString CMonitorWnd::elapsedText(std::time_t seconds) const
{
    const auto two = [](std::time_t n) { return QStringLiteral("%1").arg(qint64(n), 2, 10, QLatin1Char('0')); };
    const std::time_t days = seconds / 86400;
    const std::time_t rest = seconds % 86400;
    return tr("%1Day(s) %2H %3 %4sec.").arg(QString::number(qint64(days)), two(rest / 3600), two(rest / 60 % 60), two(rest % 60));
}

QString CMonitorWnd::conventionText(const QString &oidText, const MonitorValue &value, const QString &number) const
{
    const MibDocument *document = m_mibReader ? m_mibReader->getMIBTable() : nullptr;
    const std::optional<SnmpOid> oid = SnmpOid::fromString(oidText);
    if (!document || !oid)
        return number;
    const SnmpValue v = value.isSigned() ? SnmpValue::integer(qint32(qint64(value.bits)))
                                         : SnmpValue::unsignedValue(value.syntax, quint32(value.bits));
    if (value.syntax == SNMP_SYNTAX_CNTR64)
        return number; // no convention renders a counter otherwise
    tagMIBTran request;
    request.pDocument = document;
    request.pOid = &*oid;
    request.pValue = &v;
    request.strValueText = number;
    SNMPOidToTranStr(&request, 0);
    return request.strValueText;
}

QStringList CMonitorWnd::textLines() const
{
    QStringList lines;
    lines << tr("Target Device: %1").arg(m_settings.device) << tr("Target OID(s): ");
    const std::vector<MonitorValue> &current = m_history.currentValues();
    for (qsizetype k = 0; k < m_oids.size(); ++k) {
        QString value = size_t(k) < current.size() ? current[size_t(k)].text() : QStringLiteral("0");
        if (size_t(k) < current.size())
            value = conventionText(m_oids[k], current[size_t(k)], value);
        lines << tr("%1 Current Value: %2").arg(m_oids[k], value);
    }
    const QString start = Orvelle::localTimeText(m_settings.startTime, tr("%m/%d/%Y %H:%M:%S"));
    QString times = tr("Start Time %1 Elapsed: %2\r\nSampling count: %3\r\n")
                        .arg(start, m_strElapsed, QString::number(m_nSampleCount));
    times.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines << times;
    return lines;
}

QString CMonitorWnd::maxLabel() const
{
    return tr("Max=%1").arg(m_history.maximum());
}

void CMonitorWnd::MeasureTextBlock()
{
    const QStringList logical = textLines();
    std::vector<TextLine> lines;
    for (qsizetype i = 0; i < logical.size(); ++i) {
        const bool valueLine = i >= 2 && i + 1 < logical.size();
        const QColor color = valueLine ? seriesColor(size_t(i - 2)) : QColor(Qt::white);
        // the time line spans several screen lines
        for (const QString &part : logical[i].split(u'\n'))
            lines.push_back({part, color, {}, {}});
    }
    const int lineHeight = QFontMetrics(m_font).lineSpacing();
    int width = 0;
    int top = kTextMargin;
    for (size_t k = 0; k < lines.size(); ++k) {
        TextLine &line = lines[k];
        if (k < m_lines.size() && m_lines[k].text == line.text) {
            line.layout = m_lines[k].layout;
        } else {
            line.layout.setText(line.text);
            line.layout.setTextFormat(Qt::PlainText);
            line.layout.prepare(QTransform(), m_font);
        }
        const int lineWidth = line.text.isEmpty() ? 0 : qCeil(line.layout.size().width());
        line.rect = QRect(kTextMargin, top, lineWidth, lineHeight);
        width = std::max(width, lineWidth);
        top += lineHeight;
    }
    m_lines.swap(lines);
    m_rectText = QRect(kTextMargin, kTextMargin, width + 2 * kTextMargin, top - kTextMargin);
}

void CMonitorWnd::RefreshText()
{
    if (isStarted())
        m_strElapsed = elapsedText(m_clock() - m_actualStart);
    const std::vector<TextLine> before = m_lines;
    MeasureTextBlock();
    // Values that gained digits widen the window rather than being cut.
    if (m_rectText.right() + kTextMargin >= width())
        resize(m_rectText.right() + 1 + kTextMargin, height());
    // Only lines that changed are repainted (one pixel up and left for the
    // coloured copy).
    QRegion dirty;
    for (size_t k = 0; k < std::max(before.size(), m_lines.size()); ++k) {
        const bool same = k < before.size() && k < m_lines.size() && before[k].text == m_lines[k].text &&
                          before[k].rect == m_lines[k].rect;
        if (same)
            continue;
        if (k < before.size())
            dirty += before[k].rect.adjusted(-1, -1, 0, 0);
        if (k < m_lines.size())
            dirty += m_lines[k].rect.adjusted(-1, -1, 0, 0);
    }
    update(dirty);
}

void CMonitorWnd::RefreshGraph()
{
    update(QRect(0, m_rectText.height(), width(), height() - m_rectText.height()));
}

QRect CMonitorWnd::graphRect() const
{
    if (!m_settings.graph || !m_history.hasNumericData())
        return {};
    return QRect(QPoint(kGraphLeft, m_rectText.bottom() + 1), QPoint(width() - kGraphRight, height() - kGraphBottom));
}

void CMonitorWnd::DrawShadowedText(QPainter &painter, const TextLine &line) const
{
    painter.setPen(kShadow);
    painter.drawStaticText(line.rect.topLeft(), line.layout);
    painter.setPen(line.color);
    painter.drawStaticText(line.rect.topLeft() - QPoint(1, 1), line.layout);
}

void CMonitorWnd::paintEvent(QPaintEvent *event)
{
    // Each second only the text block is out of date, on each sample only
    // the graph: paint what was asked for.
    const QRect dirty = event->rect();
    QPainter painter(this);
    painter.fillRect(dirty, Qt::black);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    painter.setFont(m_font);
    for (const TextLine &line : m_lines) {
        if (!line.text.isEmpty() && line.rect.adjusted(-1, -1, 0, 0).intersects(dirty))
            DrawShadowedText(painter, line);
    }

    const QRect graph = graphRect();
    // with the labels left of the axis and the ticks below it; a window too
    // small for a graph shows only the text
    if (graph.isValid() && graph.top() < graph.bottom() &&
        graph.adjusted(-kLabelLeft, 0, 0, kLabelHeight).intersects(dirty))
        DrawGraph(painter, graph);
}

void CMonitorWnd::DrawGraph(QPainter &painter, const QRect &rect) const
{
    const int L = rect.left();
    const int T = rect.top();
    const int R = rect.right();
    const int B = rect.bottom();
    const int width = R - L;
    const int height = B - T;
    const bool deltas = m_history.graphMode() != MonitorGraphValue;
    const auto &samples = m_history.samples();
    const qint64 n = qint64(samples.size());
    const quint64 maximum = m_history.maximum();
    const auto xAt = [&](qint64 i) { return int(L + i * width / (n + 2)); };

    painter.save();
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(L, B, L, T);
    painter.drawLine(L, B, R, B);

    // The delta modes draw around a zero line at half height.
    const int scale = deltas ? height / 2 : height;
    const int zero = deltas ? B - scale : B;
    if (deltas) {
        painter.setPen(QPen(Qt::red, 1));
        painter.drawLine(L, zero, L + width, zero);
    }

    painter.setPen(QPen(Qt::white, 1));
    for (qint64 i = 0; i <= n + 1; ++i) {
        if (i % kTicksEvery == 0)
            painter.drawLine(xAt(i), B - kTickLength, xAt(i), B + kTickLength);
    }

    painter.setFont(m_font);
    painter.setPen(Qt::yellow);
    painter.drawText(QRect(QPoint(L - kLabelLeft, zero), QPoint(R - kLabelRight, zero + kLabelHeight)), kTextFlags,
                     QStringLiteral("0"));

    for (size_t k = 0; k < m_history.seriesCount(); ++k) {
        QPolygon points;
        for (qint64 j = 0; j < n; ++j) {
            const MonitorSample &sample = samples[size_t(j)];
            // an answer that carried fewer numbers has no point here
            if (k >= sample.values.size())
                continue;
            // in doubles: a 64-bit counter times the scale would overflow
            qint64 offset = maximum == 0 ? 0 : qint64(double(sample.values[k]) * double(scale) / double(maximum));
            if (!deltas)
                offset = std::max<qint64>(offset, 0); // a negative value rests on the axis
            points << QPoint(xAt(j), deltas ? int(zero - offset) : int(B - offset - 1));
        }
        painter.setPen(QPen(seriesColor(k), 1));
        if (points.size() == 1)
            painter.drawPoint(points.first());
        else
            painter.drawPolyline(points);
    }

    painter.setPen(Qt::yellow);
    painter.drawText(QRect(QPoint(L - kLabelLeft, T), QPoint(R - kLabelRight, B)), kTextFlags, maxLabel());
    painter.restore();
}

// --- window handling --------------------------------------------------------

void CMonitorWnd::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    RefreshGraph();
}

Qt::Edges CMonitorWnd::edgesAt(const QPoint &position) const
{
    Qt::Edges edges;
    if (position.x() < kResizeBorder)
        edges |= Qt::LeftEdge;
    if (position.x() >= width() - kResizeBorder)
        edges |= Qt::RightEdge;
    if (position.y() < kResizeBorder)
        edges |= Qt::TopEdge;
    if (position.y() >= height() - kResizeBorder)
        edges |= Qt::BottomEdge;
    return edges;
}

void CMonitorWnd::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPoint global = event->globalPosition().toPoint();
    m_resizeEdges = edgesAt(event->position().toPoint());
    if (m_resizeEdges) {
        // The window manager resizes where it can; elsewhere we do.
        if (windowHandle() && windowHandle()->startSystemResize(m_resizeEdges)) {
            m_resizeEdges = {};
            return;
        }
        m_resizeStart = geometry();
        m_resizeAnchor = global;
        return;
    }
    // the window has no caption: it is moved by dragging its client area
    m_dragOffset = global - pos();
    m_bDragging = true;
}

void CMonitorWnd::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        const Qt::Edges edges = edgesAt(event->position().toPoint());
        const bool diagonal = (edges & (Qt::LeftEdge | Qt::RightEdge)) && (edges & (Qt::TopEdge | Qt::BottomEdge));
        if (diagonal)
            setCursor((edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
                          ? Qt::SizeFDiagCursor
                          : Qt::SizeBDiagCursor);
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            setCursor(Qt::SizeHorCursor);
        else if (edges)
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (m_resizeEdges) {
        const QPoint d = global - m_resizeAnchor;
        QRect r = m_resizeStart;
        const QSize least = minimumSize();
        if (m_resizeEdges & Qt::LeftEdge)
            r.setLeft(std::min(r.left() + d.x(), r.right() + 1 - least.width()));
        if (m_resizeEdges & Qt::RightEdge)
            r.setRight(std::max(r.right() + d.x(), r.left() + least.width() - 1));
        if (m_resizeEdges & Qt::TopEdge)
            r.setTop(std::min(r.top() + d.y(), r.bottom() + 1 - least.height()));
        if (m_resizeEdges & Qt::BottomEdge)
            r.setBottom(std::max(r.bottom() + d.y(), r.top() + least.height() - 1));
        setGeometry(r);
    } else if (m_bDragging) {
        const QPoint topLeft = global - m_dragOffset;
        if (topLeft != pos())
            move(topLeft);
    }
}

void CMonitorWnd::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_bDragging = false;
        m_resizeEdges = {};
    }
    QWidget::mouseReleaseEvent(event);
}

void CMonitorWnd::contextMenuEvent(QContextMenuEvent *event)
{
    m_pMenu->exec(event->globalPos());
}

void CMonitorWnd::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager (Alt+F4), or by the application as it
    // quits: the window goes, and the owner lets go of it as after the Close
    // command. Refusing would keep the program from quitting.
    OnCloseMonitoring();
    QWidget::closeEvent(event);
}
