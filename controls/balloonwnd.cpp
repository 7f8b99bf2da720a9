#include "balloonwnd.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cstdlib>

namespace {

// Layout in pixels: text margins around the text, the gap between icon and
// text, and how far the painted part sits from the anchor.
constexpr int kMarginX = 12;
constexpr int kMarginY = 10;
constexpr int kIconGap = 5;
constexpr int kAnchorOffsetX = 12;
constexpr int kAnchorOffsetY = 10;
// The window reaches this far below its painted part (cut off by the mask).
constexpr int kTailHeight = 20;
// Distance kept from the right and the bottom screen edge.
constexpr int kScreenEdgeGap = 4;
// Largest icon side in pixels.
constexpr int kMaxIconSide = 255;

constexpr QRgb kFillColor = qRgb(255, 255, 206);
constexpr int kOuterFrameWidth = 3;

// Ampersands underline the next character ("&&" is a literal one); lines
// break only at line breaks, whichever convention they come in.
// Lines longer than the screen is wide wrap, anywhere if they must: a tip
// never grows past the screen.
constexpr int kTextFlags = Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;

QString withLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

CBalloonWnd::CBalloonWnd()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CBalloonWnd::onTimer);
    SetTipFont(QStringLiteral("Verdana"), 12, 0, false, false);
}

CBalloonWnd::~CBalloonWnd()
{
    m_timer.stop();
}

bool CBalloonWnd::Create(QWidget *owner)
{
    // setParent() drops the window flags unless they are given again.
    setParent(owner, windowFlags());
    hide();
    return true;
}

void CBalloonWnd::SetTipFont(const QString &face, int height, int weight, bool italic, bool underline)
{
    QFont font(face);
    if (height != 0)
        font.setPixelSize(std::abs(height));
    if (weight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    font.setItalic(italic);
    font.setUnderline(underline);
    m_font = font;
}

void CBalloonWnd::AddTool(QWidget *host, const QString &body, const QIcon &icon)
{
    if (!host)
        return;
    m_mapTools.insert(host, BalloonTool{QString(), body, icon});
    connect(host, &QObject::destroyed, this, &CBalloonWnd::onHostDestroyed, Qt::UniqueConnection);
}

void CBalloonWnd::UpdateTipText(QWidget *host, const QString &title, const QString &body, const QIcon &icon)
{
    const auto it = m_mapTools.find(host);
    if (it == m_mapTools.end())
        return;
    HideTip();
    *it = BalloonTool{title, body, icon};
}

void CBalloonWnd::RelayEvent(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const QPoint pt = QCursor::pos();
        if (pt != m_ptAnchor) {
            if (const BalloonTool *found = toolAt(pt)) {
                const BalloonTool tool = *found;
                SetTipIcon(tool.icon);
                m_ptAnchor = pt;
                ScheduleShow(tool.strBody, tool.strTitle, pt);
            }
        }
        // Still apart from the anchor: no registered host under the cursor.
        if (pt != m_ptAnchor)
            HideTip();
        break;
    }
    case QEvent::MouseButtonPress: {
        const auto button = static_cast<const QMouseEvent *>(event)->button();
        if (button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton)
            HideTip();
        break;
    }
    default:
        break;
    }
}

void CBalloonWnd::HideTip()
{
    hide();
    m_timer.stop();
    m_nState = 0;
}

void CBalloonWnd::ScheduleShow(const QString &body, const QString &title, std::optional<QPoint> anchor)
{
    m_ptAnchor = anchor.value_or(QCursor::pos());
    m_strBody = body;
    m_strTitle = title;
    m_nState = 1;
    startTipTimer(kShowTimer, m_nShowDelayMs);
}

void CBalloonWnd::SetTipIcon(const QIcon &icon)
{
    m_icon = icon;
    if (icon.isNull()) {
        m_nIconWidth = 0;
        m_nIconHeight = 0;
    } else {
        // The icon's own size; a scalable icon without one gets the style's
        // small icon size.
        const QList<QSize> sizes = icon.availableSizes();
        const int side = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
        const QSize size = sizes.isEmpty() ? QSize(side, side) : sizes.first();
        m_nIconWidth = std::min(size.width(), kMaxIconSide);
        m_nIconHeight = std::min(size.height(), kMaxIconSide);
    }
    if (isVisible())
        repaint();
}

QSize CBalloonWnd::ComputeShape(QRegion *region) const
{
    const QString title = withLineBreaks(m_strTitle);
    const QString body = withLineBreaks(m_strBody);
    const QString text = title.isEmpty() ? body : title + QLatin1Char('\n') + body;
    QScreen *screen = QGuiApplication::screenAt(m_ptAnchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const int iconWidth = m_icon.isNull() ? 0 : m_nIconWidth + kIconGap;
    const int maxText = std::max(80, (screen ? screen->geometry().width() : 1024) - 2 * kMarginX - iconWidth - 2 * kScreenEdgeGap);
    const QRect bound(0, 0, maxText, 1 << 20);
    QSize textSize = QFontMetrics(m_font).boundingRect(bound, kTextFlags, text).size();
    // The title is drawn bold, which is wider than the body font measures it.
    if (!title.isEmpty())
        textSize.setWidth(std::max(textSize.width(), QFontMetrics(titleFont()).boundingRect(bound, kTextFlags, title).width()));

    int width = textSize.width() + 2 * kMarginX;
    int height = textSize.height() + 2 * kMarginY;
    if (!m_icon.isNull()) {
        width += m_nIconWidth + kIconGap;
        if (fontHeight() < m_nIconHeight + kIconGap) {
            height += m_nIconHeight + kIconGap;
            if (!title.isEmpty())
                height -= fontHeight();
        }
    }
    if (region)
        *region = QRegion(0, 0, width, height);
    return QSize(width, height + kTailHeight);
}

void CBalloonWnd::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRegion region;
    ComputeShape(&region);
    const QRect shape = region.boundingRect();

    // Fill, a 3-pixel frame in the scroll-bar grey whose outermost pixel is
    // in the window-text colour.
    painter.fillRect(shape, palette().color(QPalette::Midlight));
    painter.fillRect(shape.adjusted(kOuterFrameWidth, kOuterFrameWidth, -kOuterFrameWidth, -kOuterFrameWidth),
                     QColor(kFillColor));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(shape.adjusted(0, 0, -1, -1));

    const bool hasIcon = !m_icon.isNull();
    const int textLeft = kMarginX + (hasIcon ? m_nIconWidth + kIconGap : 0);
    const int lineHeight = fontHeight();
    const QString title = withLineBreaks(m_strTitle);
    painter.setPen(Qt::black);

    QRect textRect = rect();
    textRect.setLeft(textLeft);
    textRect.setTop(kMarginY);
    if (!title.isEmpty()) {
        QRect titleRect = textRect;
        // Centred on a tall icon.
        if (hasIcon && m_nIconHeight > lineHeight)
            titleRect.setTop(titleRect.top() + m_nIconHeight / 2 - lineHeight / 2);
        painter.setFont(titleFont());
        painter.drawText(titleRect, kTextFlags, title);
    }

    // The body goes below the title (one line per title line, as measured),
    // and below a tall icon; beside the icon only when nothing is above it,
    // which leaves it clear of the icon.
    const int titleHeight = title.isEmpty() ? 0 : int(title.count(QLatin1Char('\n')) + 1) * lineHeight;
    if (hasIcon && lineHeight < m_nIconHeight) {
        textRect.setLeft(kMarginX);
        textRect.setTop(kMarginY + m_nIconHeight + kIconGap);
    } else if (!title.isEmpty()) {
        textRect.setLeft(kMarginX);
        textRect.setTop(kMarginY + titleHeight);
    }
    painter.setFont(m_font);
    painter.drawText(textRect, kTextFlags, withLineBreaks(m_strBody));

    if (hasIcon)
        m_icon.paint(&painter, QRect(kMarginX, kMarginY, m_nIconWidth, m_nIconHeight));
}

void CBalloonWnd::startTipTimer(TimerId id, int ms)
{
    m_nTimer = id;
    m_timer.start(ms);
}

void CBalloonWnd::onTimer()
{
    switch (m_nTimer) {
    case kShowTimer:
        showAtAnchor();
        break;
    case kDisplayTimer:
        HideTip();
        break;
    }
}

void CBalloonWnd::showAtAnchor()
{
    m_timer.stop();
    // A host registered with nothing to say (as hosts do until their first
    // cell) would otherwise show an empty box.
    if (m_strTitle.isEmpty() && m_strBody.isEmpty() && m_icon.isNull()) {
        HideTip();
        return;
    }

    QRegion region;
    const QSize size = ComputeShape(&region);
    if (mask() != region)
        setMask(region);

    // Pulled in at the right and the bottom edge of the anchor's screen; at
    // the top and the left the tip may leave the screen.
    QScreen *screen = QGuiApplication::screenAt(m_ptAnchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    int x = m_ptAnchor.x() + kAnchorOffsetX;
    int y = m_ptAnchor.y() - size.height() + kAnchorOffsetY;
    if (screen) {
        const QRect screenRect = screen->geometry();
        const int right = screenRect.x() + screenRect.width();
        const int bottom = screenRect.y() + screenRect.height();
        if (x + size.width() > right)
            x = right - size.width() - kScreenEdgeGap;
        if (y + size.height() > bottom)
            y = bottom - size.height() - kScreenEdgeGap;
    }
    setGeometry(x, y, size.width(), size.height());
    show();
    raise();
    update();
    startTipTimer(kDisplayTimer, m_nDisplayTimeMs);
}

const CBalloonWnd::BalloonTool *CBalloonWnd::toolAt(const QPoint &globalPos) const
{
    QWidget *under = QApplication::widgetAt(globalPos);
    if (under && (under == this || isAncestorOf(under))) {
        // The tip itself, pulled over the cursor at a screen edge, hides the
        // host from widgetAt() (which ignores the mask): look at the hosts.
        for (auto it = m_mapTools.cbegin(); it != m_mapTools.cend(); ++it) {
            const auto *host = static_cast<const QWidget *>(it.key());
            if (host->isVisible() && host->rect().contains(host->mapFromGlobal(globalPos)))
                return &it.value();
        }
        return nullptr;
    }
    for (QWidget *w = under; w; w = w->parentWidget()) {
        const auto it = m_mapTools.constFind(w);
        if (it != m_mapTools.cend())
            return &it.value();
        if (w->isWindow())
            break;
    }
    return nullptr;
}

void CBalloonWnd::onHostDestroyed(QObject *host)
{
    m_mapTools.remove(host);
}

QFont CBalloonWnd::titleFont() const
{
    QFont font = m_font;
    font.setWeight(std::max(font.weight(), QFont::Bold));
    return font;
}

int CBalloonWnd::fontHeight() const
{
    return QFontMetrics(m_font).lineSpacing();
}
