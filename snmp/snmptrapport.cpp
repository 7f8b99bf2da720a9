#include "snmptrapport.h"

#include "snmperror.h"
#include "snmpstack.h"

#include <QFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int kBatch = 64;              // datagrams per recvmmsg call
constexpr size_t kMaxDatagram = 65536;  // largest UDP payload, rounded up
// After a round of reading, the thread rests this long before it looks
// again, so that a steady stream wakes it (and the GUI thread after it) a
// few hundred times a second instead of once per trap. The socket buffer
// holds far more than arrives meanwhile.
constexpr int kCoalesceMs = 5;

QString localText(int family, const void *address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (family == AF_INET6) {
        const auto *a = static_cast<const in6_addr *>(address);
        if (IN6_IS_ADDR_V4MAPPED(a))
            return inet_ntop(AF_INET, &a->s6_addr[12], text, sizeof(text)) ? QString::fromLatin1(text) : QString();
    }
    return inet_ntop(family, address, text, sizeof(text)) ? QString::fromLatin1(text) : QString();
}

quint32 bindErrorCode(int error)
{
    switch (error) {
    case EADDRINUSE:
        return SNMPAPI_TL_IN_USE;
    case EADDRNOTAVAIL:
        return SNMPAPI_TL_SRC_INVALID;
    case EMFILE:
    case ENFILE:
    case ENOBUFS:
    case ENOMEM:
        return SNMPAPI_TL_RESOURCE_ERROR;
    default:
        return SNMPAPI_TL_NOT_AVAILABLE;
    }
}

} // namespace

SnmpTrapPort::SnmpTrapPort(QObject *parent) : QObject(parent) {}

SnmpTrapPort::~SnmpTrapPort()
{
    close();
}

bool SnmpTrapPort::open(const QStringList &addresses, quint16 port, Failure *failure)
{
    close();
    auto fail = [&](quint32 code, int error, const QString &address) {
        close();
        if (failure)
            *failure = {code, error, address};
        return false;
    };
    for (const QString &addressText : addresses) {
        const QByteArray ascii = addressText.toLatin1();
        sockaddr_storage storage{};
        socklen_t length = 0;
        int family = AF_INET;
        auto *in4 = reinterpret_cast<sockaddr_in *>(&storage);
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        if (inet_pton(AF_INET, ascii.constData(), &in4->sin_addr) == 1) {
            in4->sin_family = AF_INET;
            in4->sin_port = htons(port);
            length = sizeof(sockaddr_in);
        } else if (inet_pton(AF_INET6, ascii.constData(), &in6->sin6_addr) == 1) {
            family = AF_INET6;
            in6->sin6_family = AF_INET6;
            in6->sin6_port = htons(port);
            length = sizeof(sockaddr_in6);
        } else {
            return fail(SNMPAPI_TL_INVALID_PARAM, EINVAL, addressText);
        }
        const int fd = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            if (family == AF_INET6 && (errno == EAFNOSUPPORT || errno == EPROTONOSUPPORT))
                continue; // a host without IPv6 still receives over IPv4
            return fail(bindErrorCode(errno), errno, addressText);
        }
        const int one = 1;
        if (family == AF_INET6) {
            // IPv4 has its own socket, so the IPv6 one must not claim it too
            setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof(one));
            setsockopt(fd, IPPROTO_IPV6, IPV6_RECVPKTINFO, &one, sizeof(one));
        } else {
            setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &one, sizeof(one));
        }
        // As root the buffer may pass rmem_max; otherwise the kernel caps it.
        const int wanted = kReceiveBufferBytes;
        if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &wanted, sizeof(wanted)) != 0)
            setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &wanted, sizeof(wanted));
        if (::bind(fd, reinterpret_cast<sockaddr *>(&storage), length) != 0) {
            const int error = errno;
            ::close(fd);
            if (family == AF_INET6 && (error == EADDRNOTAVAIL || error == EAFNOSUPPORT))
                continue; // IPv6 present but without this address (e.g. ::1 disabled)
            return fail(bindErrorCode(error), error, addressText);
        }
        int granted = 0;
        socklen_t grantedLength = sizeof(granted);
        if (getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &grantedLength) == 0)
            m_receiveBufferBytes = m_receiveBufferBytes ? qMin(m_receiveBufferBytes, granted) : granted;
        struct stat st{};
        Socket s;
        s.fd = fd;
        s.family = family;
        if (fstat(fd, &st) == 0)
            s.inode = static_cast<unsigned long>(st.st_ino);
        m_sockets.push_back(s);
    }
    if (m_sockets.empty())
        return fail(SNMPAPI_TL_NOT_AVAILABLE, EADDRNOTAVAIL, addresses.join(u' '));
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        return fail(SNMPAPI_TL_RESOURCE_ERROR, errno, QString());
    try {
        m_thread = std::thread([this] { run(); });
    } catch (...) {
        return fail(SNMPAPI_TL_RESOURCE_ERROR, EAGAIN, QString());
    }
    return true;
}

void SnmpTrapPort::close()
{
    if (m_thread.joinable()) {
        const quint64 one = 1;
        if (::write(m_wakeFd, &one, sizeof(one)) < 0) {
            // eventfd cannot be full with one write; nothing else to do
        }
        m_thread.join();
    }
    m_informs.clear(); // the reader thread has ended
    for (const Socket &s : m_sockets)
        ::close(s.fd);
    m_sockets.clear();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    m_wakeFd = -1;
    std::lock_guard lock(m_mutex);
    m_queue.clear();
    m_queuedBytes = 0;
    m_signalPending = false;
    m_lastQueueDropLength = 0;
    m_receiveBufferBytes = 0;
}

qint64 SnmpTrapPort::queuedCost(const Datagram &d)
{
    // What a queued datagram holds on the heap: the record in the queue,
    // the bytes and the address text with their headers and the
    // allocator's own bookkeeping, not the payload alone.
    constexpr qint64 kPerAllocation = 48;
    return static_cast<qint64>(sizeof(Datagram)) + d.data.capacity() + kPerAllocation
        + (d.destination.isEmpty() ? 0 : d.destination.capacity() * qint64(sizeof(QChar)) + kPerAllocation);
}

void SnmpTrapPort::run()
{
    std::vector<pollfd> fds;
    for (const Socket &s : m_sockets)
        fds.push_back({s.fd, POLLIN, 0});
    fds.push_back({m_wakeFd, POLLIN, 0});
    for (;;) {
        const int n = ::poll(fds.data(), fds.size(), -1);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds.back().revents)
            return;
        // One batch per socket, then the wake-up is looked at: under a flood
        // on one socket the other is still read, and Stop is seen within a
        // batch.
        bool full = false;
        for (size_t i = 0; i + 1 < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLERR)))
                continue;
            full = drain(static_cast<int>(i)) || full;
            pollfd wake{m_wakeFd, POLLIN, 0};
            if (::poll(&wake, 1, 0) > 0)
                return;
        }
        // while batches come back full, read on at once
        pollfd wake{m_wakeFd, POLLIN, 0};
        if (::poll(&wake, 1, full ? 0 : kCoalesceMs) > 0)
            return;
    }
}

bool SnmpTrapPort::drain(int index)
{
    const Socket &socket = m_sockets[static_cast<size_t>(index)];
    // Thread-local buffers: allocated once, reused for every batch.
    static thread_local std::vector<char> buffer(kBatch * kMaxDatagram);
    static thread_local std::vector<char> control(kBatch * 128);
    mmsghdr messages[kBatch];
    iovec vectors[kBatch];
    sockaddr_storage sources[kBatch];
    {
        for (int i = 0; i < kBatch; ++i) {
            vectors[i] = {buffer.data() + i * kMaxDatagram, kMaxDatagram};
            messages[i].msg_hdr = {};
            messages[i].msg_hdr.msg_name = &sources[i];
            messages[i].msg_hdr.msg_namelen = sizeof(sources[i]);
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
            messages[i].msg_hdr.msg_control = control.data() + i * 128;
            messages[i].msg_hdr.msg_controllen = 128;
            messages[i].msg_len = 0;
        }
        const int got = ::recvmmsg(socket.fd, messages, kBatch, MSG_DONTWAIT, nullptr);
        if (got <= 0)
            return false; // EAGAIN: drained; other errors (ICMP reports) are not data
        std::vector<Datagram> batch;
        batch.reserve(static_cast<size_t>(got));
        std::vector<std::optional<SnmpInformAck>> acks(static_cast<size_t>(got));
        quint64 bytes = 0;
        for (int i = 0; i < got; ++i) {
            const msghdr &h = messages[i].msg_hdr;
            Datagram d;
            d.data = QByteArray(static_cast<const char *>(vectors[i].iov_base),
                                static_cast<qsizetype>(messages[i].msg_len));
            d.source = sources[i];
            d.sourceLength = h.msg_namelen;
            d.socketIndex = index;
            for (cmsghdr *c = CMSG_FIRSTHDR(const_cast<msghdr *>(&h)); c;
                 c = CMSG_NXTHDR(const_cast<msghdr *>(&h), c)) {
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                    in_pktinfo info;
                    memcpy(&info, CMSG_DATA(c), sizeof(info));
                    d.destination = localText(AF_INET, &info.ipi_addr);
                } else if (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_PKTINFO) {
                    in6_pktinfo info;
                    memcpy(&info, CMSG_DATA(c), sizeof(info));
                    d.destination = localText(AF_INET6, &info.ipi6_addr);
                }
            }
            bytes += messages[i].msg_len;
            acks[static_cast<size_t>(i)] = SnmpAcknowledgeInform(d.data);
            d.informAnswered = acks[static_cast<size_t>(i)].has_value();
            batch.push_back(std::move(d));
        }
        m_datagramsRead += static_cast<quint64>(got);
        m_bytesRead += bytes;
        const auto now = SnmpInformMemory::Clock::now();
        std::vector<bool> answer(static_cast<size_t>(got), false);
        bool signal = false;
        {
            std::lock_guard lock(m_mutex);
            for (size_t i = 0; i < batch.size(); ++i) {
                Datagram &d = batch[i];
                const std::optional<SnmpInformAck> &ack = acks[i];
                if (ack && m_informs.contains(d.source, d.sourceLength, ack->requestId, ack->content, now)) {
                    // its sender missed our first answer: answer again, list once
                    ++m_informDuplicates;
                    answer[i] = true;
                    continue;
                }
                const qint64 cost = queuedCost(d);
                if (m_queuedBytes + cost > kMaxQueuedBytes) {
                    ++m_queueDrops; // an inform dropped here goes unanswered: it is sent again
                    m_lastQueueDrop = d.source;
                    m_lastQueueDropLength = d.sourceLength;
                    continue;
                }
                if (ack) {
                    m_informs.remember(d.source, d.sourceLength, ack->requestId, ack->content, now);
                    answer[i] = true;
                }
                m_queuedBytes += cost;
                m_queue.push_back(std::move(d));
            }
            if (!m_signalPending && !m_queue.empty()) {
                m_signalPending = true;
                signal = true;
            }
        }
        if (signal)
            QMetaObject::invokeMethod(this, &SnmpTrapPort::datagramsReady, Qt::QueuedConnection);
        // Answered once the inform is queued (or known), outside the lock:
        // the GUI thread's take() never waits for a send.
        for (size_t i = 0; i < answer.size(); ++i) {
            if (!answer[i])
                continue;
            const bool sent = sendTo(index, sources[i], messages[i].msg_hdr.msg_namelen, acks[i]->response);
            ++(sent ? m_informsAcknowledged : m_acknowledgeFailures);
        }
        return got == kBatch;
    }
}

std::vector<SnmpTrapPort::Datagram> SnmpTrapPort::take(size_t max, bool *more)
{
    std::vector<Datagram> out;
    std::lock_guard lock(m_mutex);
    const size_t n = std::min(max, m_queue.size());
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        m_queuedBytes -= queuedCost(m_queue.front());
        out.push_back(std::move(m_queue.front()));
        m_queue.pop_front();
    }
    const bool left = !m_queue.empty();
    // While some are left the caller comes back by itself; once the queue is
    // empty the reader thread signals again on the next arrival.
    m_signalPending = left;
    if (more)
        *more = left;
    return out;
}

QString SnmpTrapPort::lastQueueDropSender() const
{
    sockaddr_storage source{};
    socklen_t length = 0;
    {
        std::lock_guard lock(m_mutex);
        source = m_lastQueueDrop;
        length = m_lastQueueDropLength;
    }
    return length ? SnmpAddressPortText(reinterpret_cast<const sockaddr *>(&source), length) : QString();
}

bool SnmpTrapPort::reply(const Datagram &to, const QByteArray &payload)
{
    return sendTo(to.socketIndex, to.source, to.sourceLength, payload);
}

bool SnmpTrapPort::sendTo(int socketIndex, const sockaddr_storage &to, socklen_t length, const QByteArray &payload)
{
    if (socketIndex < 0 || static_cast<size_t>(socketIndex) >= m_sockets.size())
        return false;
    const ssize_t sent = ::sendto(m_sockets[static_cast<size_t>(socketIndex)].fd, payload.constData(),
                                  static_cast<size_t>(payload.size()), MSG_DONTWAIT,
                                  reinterpret_cast<const sockaddr *>(&to), length);
    return sent == payload.size();
}

namespace {

// Sums one column of the kernel's UDP socket tables for the given inodes.
quint64 sumUdpColumn(const std::vector<unsigned long> &inodes, bool backlog)
{
    quint64 total = 0;
    for (const char *table : {"/proc/net/udp", "/proc/net/udp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        file.readLine(); // header
        while (!file.atEnd()) {
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            // sl local rem st tx:rx tr:when retrnsmt uid timeout inode ref pointer drops
            if (fields.size() < 13)
                continue;
            const unsigned long inode = fields[9].toULong();
            if (std::find(inodes.begin(), inodes.end(), inode) == inodes.end())
                continue;
            if (backlog) {
                const QList<QByteArray> queues = fields[4].split(':');
                if (queues.size() == 2)
                    total += queues[1].toULongLong(nullptr, 16);
            } else {
                total += fields[12].toULongLong();
            }
        }
    }
    return total;
}

} // namespace

quint64 SnmpTrapPort::kernelDrops() const
{
    std::vector<unsigned long> inodes;
    for (const Socket &s : m_sockets)
        inodes.push_back(s.inode);
    return inodes.empty() ? 0 : sumUdpColumn(inodes, false);
}

quint64 SnmpTrapPort::socketBacklog() const
{
    std::vector<unsigned long> inodes;
    for (const Socket &s : m_sockets)
        inodes.push_back(s.inode);
    return inodes.empty() ? 0 : sumUdpColumn(inodes, true);
}
