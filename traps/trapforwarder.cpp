#include "trapforwarder.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <system_error>

namespace {

constexpr int kFacilityDaemon = 3;
constexpr char kBom[] = "\xEF\xBB\xBF";
// Fields of the trap itself (agent, community, enterprise) come from the
// network; three at this size still leave room for the description.
constexpr qsizetype kMaxHeaderParamBytes = TrapForwarder::kMaxMessageBytes / 4;
// Variables never take the description below this (it is cut after them).
constexpr qsizetype kDescriptionReserveBytes = 1024;
// ` omitted="4294967295"`
constexpr qsizetype kOmittedParamBytes = 21;

// A host name resolved by a thread of its own: getaddrinfo cannot be
// interrupted, and the forwarder must stop at once even while a DNS server
// keeps it waiting. The thread may outlive the forwarder; it shares only
// this record.
struct Resolution
{
    int fd = -1; // eventfd, written when done
    std::atomic<bool> done{false};
    int error = 0;
    int sysErrno = 0;
    addrinfo *result = nullptr;
    ~Resolution()
    {
        if (result)
            freeaddrinfo(result);
        if (fd >= 0)
            ::close(fd);
    }
};

int syslogSeverity(quint32 trapSeverity)
{
    switch (trapSeverity) {
    case 1: return 6; // informational
    case 2: return 4; // warning
    case 3: return 3; // error
    default: return 5; // notice
    }
}

// Collectors parse these; they stay English whatever the UI language.
const char *severityName(quint32 trapSeverity)
{
    switch (trapSeverity) {
    case 1: return "Informational";
    case 2: return "Minor";
    case 3: return "Major";
    default: return "Unknown";
    }
}

QByteArray timestamp(std::time_t t)
{
    tm local{};
    if (t <= 0 || !localtime_r(&t, &local))
        return QByteArrayLiteral("-");
    char text[40];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    QByteArray out(text, static_cast<qsizetype>(n));
    const long offsetMinutes = local.tm_gmtoff / 60;
    if (offsetMinutes == 0)
        return out + 'Z';
    const long a = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    std::snprintf(text, sizeof text, "%c%02ld:%02ld", offsetMinutes < 0 ? '-' : '+', a / 60, a % 60);
    return out + text;
}

QByteArray localHostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !name[0])
        return QByteArrayLiteral("-");
    const QByteArray host(name);
    // RFC 5424 allows printable US-ASCII only
    for (char c : host)
        if (c < 33 || c > 126)
            return QByteArrayLiteral("-");
    return host;
}

QByteArray encoded(QStringView text, bool paramValue)
{
    QByteArray out = text.toUtf8();
    if (!paramValue)
        return out;
    QByteArray escaped;
    escaped.reserve(out.size() + 8);
    for (char c : out) {
        if (c == '"' || c == '\\' || c == ']')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// `text` as UTF-8 (escaped as a PARAM-VALUE where paramValue), at most
// kMaxValueChars characters and maxBytes bytes; a cut text ends as the trap
// list ends it, "… (N characters)".
QByteArray bounded(const QString &text, qsizetype maxBytes, bool paramValue)
{
    if (text.size() <= TrapForwarder::kMaxValueChars) {
        QByteArray whole = encoded(text, paramValue);
        if (whole.size() <= maxBytes)
            return whole;
    }
    const QByteArray suffix = QStringLiteral("\u2026 (%1 characters)").arg(text.size()).toUtf8();
    qsizetype chars = std::min(text.size(), TrapForwarder::kMaxValueChars);
    if (chars < text.size() && text[chars - 1].isHighSurrogate())
        --chars; // a surrogate pair stays whole
    QByteArray out = encoded(QStringView(text).left(chars), paramValue);
    if (out.size() > maxBytes - suffix.size()) {
        qsizetype cut = std::max<qsizetype>(maxBytes - suffix.size(), 0);
        while (cut > 0 && (out[cut] & 0xC0) == 0x80) // inside a UTF-8 sequence
            --cut;
        qsizetype backslashes = 0;
        while (paramValue && backslashes < cut && out[cut - backslashes - 1] == '\\')
            ++backslashes;
        out.truncate(cut - backslashes % 2); // not between an escape and its character
    }
    return out + suffix;
}

void appendParam(QByteArray &to, const QByteArray &name, const QString &value, qsizetype maxBytes)
{
    to += ' ' + name + "=\"" + bounded(value, maxBytes, true) + '"';
}

qint64 monotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

QByteArray TrapForwarder::formatMessage(const tagTRAPRECORD &record, const QByteArray &hostName, qint64 processId)
{
    QByteArray out = '<' + QByteArray::number(kFacilityDaemon * 8 + syslogSeverity(record.nSeverity)) + ">1 "
        + timestamp(record.tmReceived) + ' ' + hostName + " orvelle " + QByteArray::number(processId)
        + " trap [trap@" + QByteArray::number(kEnterpriseNumber);
    appendParam(out, "agent", record.strAgent, kMaxHeaderParamBytes);
    appendParam(out, "community", record.strCommunity, kMaxHeaderParamBytes);
    appendParam(out, "enterprise", record.strEnterprise, kMaxHeaderParamBytes);
    out += " specific=\"" + QByteArray::number(record.nSpecific) + "\" severity=\"" + severityName(record.nSeverity) + '"';

    const QByteArray description = bounded(record.strDescription, kMaxMessageBytes, false);
    // "] " + BOM, and the part of the description variables leave alone
    const qsizetype reserve = 2 + qsizetype(sizeof kBom - 1) + std::min(description.size(), kDescriptionReserveBytes);
    quint32 omitted = 0;
    int index = 0;
    const int count = static_cast<int>(record.lstVarbinds.size());
    for (const tagTRAPVARBIND &vb : record.lstVarbinds) {
        ++index;
        if (omitted) {
            ++omitted;
            continue;
        }
        const QByteArray i = QByteArray::number(index);
        QByteArray params;
        appendParam(params, "oid." + i, vb.strOid, kMaxMessageBytes);
        if (!vb.strName.isEmpty())
            appendParam(params, "name." + i, vb.strName, kMaxMessageBytes);
        appendParam(params, "value." + i, vb.strValue, kMaxMessageBytes);
        const qsizetype room = kMaxMessageBytes - reserve - (index < count ? kOmittedParamBytes : 0);
        if (out.size() + params.size() <= room)
            out += params;
        else
            omitted = 1;
    }
    if (omitted)
        out += " omitted=\"" + QByteArray::number(omitted) + '"';
    out += "] ";
    out += kBom;
    const qsizetype room = kMaxMessageBytes - out.size();
    out += description.size() <= room ? description : bounded(record.strDescription, room, false);
    return out;
}

TrapForwarder::TrapForwarder(const ForwardConfig &config, QObject *parent)
    : QObject(parent)
    , m_host(config.host.trimmed().toStdString())
    , m_port(config.port)
    , m_protocol(config.protocol)
{
    if (m_host.empty())
        return;
    m_state = tr("Connecting to the syslog collector %1 (%2)").arg(collectorText(), m_protocol == ForwardConfig::Tcp ? QStringLiteral("tcp") : QStringLiteral("udp"));
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    try {
        if (m_wakeFd >= 0)
            m_thread = std::thread([this] { run(); });
    } catch (const std::system_error &) {
    }
    if (!m_thread.joinable())
        m_state = tr("Traps are not forwarded to the syslog collector %1: the forwarding thread could not be started").arg(collectorText());
}

TrapForwarder::~TrapForwarder()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        wake();
        m_thread.join();
    }
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void TrapForwarder::forward(std::shared_ptr<const tagTRAPRECORD> record)
{
    if (!m_thread.joinable() || !record) {
        if (isEnabled() && record)
            ++m_dropped;
        return;
    }
    bool wasEmpty = false;
    {
        std::lock_guard lock(m_queueMutex);
        if (m_queue.size() >= kMaxQueued) {
            ++m_dropped;
            return;
        }
        wasEmpty = m_queue.empty();
        m_queue.push_back(std::move(record));
    }
    // the thread looks at the queue again after every message it sends
    if (wasEmpty)
        wake();
}

QString TrapForwarder::stateText() const
{
    std::lock_guard lock(m_stateMutex);
    return m_state;
}

QString TrapForwarder::collectorText() const
{
    const QString host = QString::fromStdString(m_host);
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(m_port);
}

void TrapForwarder::setState(const QString &text, bool failure)
{
    if (failure)
        m_lastFailureMs = monotonicMs();
    {
        std::lock_guard lock(m_stateMutex);
        if (m_state == text)
            return;
        m_state = text;
    }
    emit stateChanged(text);
}

void TrapForwarder::wake()
{
    const quint64 one = 1;
    if (::write(m_wakeFd, &one, sizeof one) < 0) {
        // only fails when the counter is at its maximum: awake anyway
    }
}

short TrapForwarder::waitFor(int fd, short events, int timeoutMs)
{
    pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {fd, events, 0}};
    const int n = ::poll(fds, fd >= 0 ? 2 : 1, timeoutMs);
    if (n <= 0)
        return 0;
    if (fds[0].revents) {
        quint64 count = 0;
        if (::read(m_wakeFd, &count, sizeof count) < 0) {
            // already read by an earlier wait
        }
    }
    return fd >= 0 ? fds[1].revents : 0;
}

void TrapForwarder::closeSocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool TrapForwarder::connectCollector(int retryMs)
{
    const bool tcp = m_protocol == ForwardConfig::Tcp;
    const QString protocol = tcp ? QStringLiteral("tcp") : QStringLiteral("udp");
    const int retrySeconds = retryMs / 1000;
    auto resolution = std::make_shared<Resolution>();
    resolution->fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    try {
        if (resolution->fd >= 0) {
            std::thread([resolution, host = m_host, port = std::to_string(m_port), tcp] {
                addrinfo hints{};
                hints.ai_family = AF_UNSPEC;
                hints.ai_socktype = tcp ? SOCK_STREAM : SOCK_DGRAM;
                hints.ai_flags = AI_NUMERICSERV;
                resolution->error = getaddrinfo(host.c_str(), port.c_str(), &hints, &resolution->result);
                resolution->sysErrno = errno;
                resolution->done.store(true, std::memory_order_release);
                const quint64 one = 1;
                if (::write(resolution->fd, &one, sizeof one) < 0) {
                    // cannot fail on a fresh eventfd
                }
            }).detach();
        } else {
            resolution->done = true;
            resolution->error = EAI_SYSTEM;
            resolution->sysErrno = errno;
        }
    } catch (const std::system_error &e) {
        resolution->done = true;
        resolution->error = EAI_SYSTEM;
        resolution->sysErrno = e.code().value();
    }
    while (!resolution->done.load(std::memory_order_acquire)) {
        waitFor(resolution->fd, POLLIN, -1);
        if (m_stopping)
            return false;
    }
    if (resolution->error != 0) {
        const QString reason = resolution->error == EAI_SYSTEM ? qt_error_string(resolution->sysErrno)
                                                               : QString::fromLocal8Bit(gai_strerror(resolution->error));
        setState(tr("Syslog collector %1 (%2) not found: %3. Check <forward> in Config.xml; trying again in %n s.", nullptr,
                    retrySeconds)
                     .arg(collectorText(), protocol, reason),
                 true);
        return false;
    }

    int lastError = EHOSTUNREACH;
    for (const addrinfo *ai = resolution->result; ai && !m_stopping; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        if (tcp) {
            const int timeout = kTcpUserTimeoutMs;
            setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &timeout, sizeof timeout);
        }
        // UDP connects too: only a connected socket hears of ICMP refusals
        int error = ::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0 ? 0 : errno;
        if (error == EINPROGRESS) {
            error = ETIMEDOUT;
            const QDeadlineTimer deadline(kConnectTimeoutMs);
            while (!m_stopping && !deadline.hasExpired()) {
                if (waitFor(fd, POLLOUT, int(deadline.remainingTime())) != 0) {
                    socklen_t length = sizeof error;
                    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                        error = errno;
                    break;
                }
            }
        }
        if (error == 0) {
            m_fd = fd;
            setState(tr("Forwarding traps to the syslog collector %1 (%2)").arg(collectorText(), protocol), false);
            return true;
        }
        lastError = error;
        ::close(fd);
    }
    if (!m_stopping)
        setState(tr("Syslog collector %1 (%2) unreachable: %3. Trying again in %n s.", nullptr, retrySeconds)
                     .arg(collectorText(), protocol, qt_error_string(lastError)),
                 true);
    return false;
}

void TrapForwarder::run()
{
    const QByteArray hostName = localHostName();
    const qint64 processId = ::getpid();
    const bool tcp = m_protocol == ForwardConfig::Tcp;
    int retryMs = kFirstRetryMs;
    bool failing = false; // UDP: the status shows a refusal
    QByteArray frame;     // the message being sent, with its TCP framing
    qsizetype written = 0;
    bool resent = false; // UDP: the frame went again after a refusal

    const auto pause = [&] {
        const QDeadlineTimer deadline(retryMs);
        while (!m_stopping && !deadline.hasExpired())
            waitFor(-1, 0, int(deadline.remainingTime()));
        retryMs = std::min(retryMs * 2, kMaxRetryMs);
    };
    // A collector that takes connections and closes them again is not
    // tried more often than one that refuses them.
    const auto lost = [&](int error) {
        closeSocket();
        setState(error ? tr("Syslog collector %1 (%2) unreachable: %3. Trying again in %n s.", nullptr, retryMs / 1000)
                             .arg(collectorText(), QStringLiteral("tcp"), qt_error_string(error))
                       : tr("Syslog collector %1 (%2) closed the connection. Connecting again in %n s.", nullptr, retryMs / 1000)
                             .arg(collectorText(), QStringLiteral("tcp")),
                 true);
        pause();
    };

    while (!m_stopping) {
        if (m_fd < 0) {
            if (!connectCollector(retryMs)) {
                pause();
                continue;
            }
            written = 0; // a frame cut short goes again whole
        }
        if (frame.isEmpty()) {
            std::shared_ptr<const tagTRAPRECORD> record;
            {
                std::lock_guard lock(m_queueMutex);
                if (!m_queue.empty()) {
                    record = std::move(m_queue.front());
                    m_queue.pop_front();
                }
            }
            if (!record) {
                // Idle. A TCP collector sends nothing: readable means it
                // closed the connection (or reset it), so connect again.
                if (waitFor(tcp ? m_fd : -1, POLLIN, -1) != 0) {
                    char discard[512];
                    const ssize_t n = ::recv(m_fd, discard, sizeof discard, MSG_DONTWAIT);
                    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                        lost(n == 0 ? 0 : errno);
                }
                continue;
            }
            const QByteArray message = formatMessage(*record, hostName, processId);
            frame = tcp ? QByteArray::number(message.size()) + ' ' + message : message;
            written = 0;
            resent = false;
        }

        const ssize_t n = ::send(m_fd, frame.constData() + written, size_t(frame.size() - written), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0) {
            written += n;
            if (written < frame.size())
                continue;
            ++m_sent;
            frame.clear();
            retryMs = kFirstRetryMs;
            if (failing && monotonicMs() - m_lastFailureMs >= kStateHoldMs) {
                failing = false;
                setState(tr("Forwarding traps to the syslog collector %1 (%2)").arg(collectorText(), QStringLiteral("udp")), false);
            }
            continue;
        }
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == EAGAIN || error == EWOULDBLOCK) {
            // A collector that does not read fills the socket; wait, but
            // stay stoppable.
            waitFor(m_fd, POLLOUT, -1);
            continue;
        }
        if (!tcp) {
            failing = true;
            setState(tr("Syslog collector %1 (%2) unreachable: %3").arg(collectorText(), QStringLiteral("udp"), qt_error_string(error)),
                     true);
            // ECONNREFUSED is the ICMP refusal of an earlier datagram,
            // reported on this one, which was not sent: that one is lost,
            // this one goes again (else the first message after the
            // collector comes back would be lost too).
            if (error == ECONNREFUSED && !resent) {
                resent = true;
                if (m_sent > 0)
                    --m_sent;
                ++m_dropped;
                continue;
            }
            ++m_dropped;
            frame.clear();
            continue;
        }
        lost(error);
    }
    closeSocket();
}
