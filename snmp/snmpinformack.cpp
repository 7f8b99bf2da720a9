#include "snmpinformack.h"

#include "snmpber.h"

#include <netinet/in.h>

#include <cstring>
#include <functional>
#include <string_view>

namespace {

constexpr quint8 kTagInteger = 0x02;
constexpr quint8 kTagBitString = 0x03;
constexpr quint8 kTagOctetString = 0x04;
constexpr quint8 kTagNull = 0x05;
constexpr quint8 kTagObjectId = 0x06;
constexpr quint8 kTagSequence = 0x30;
constexpr quint8 kTagIpAddress = 0x40;
constexpr quint8 kTagCounter32 = 0x41;
constexpr quint8 kTagGauge32 = 0x42;
constexpr quint8 kTagTimeTicks = 0x43;
constexpr quint8 kTagOpaque = 0x44;
constexpr quint8 kTagCounter64 = 0x46;
constexpr quint8 kTagUnsigned32 = 0x47;
constexpr quint8 kTagNoSuchObject = 0x80;
constexpr quint8 kTagNoSuchInstance = 0x81;
constexpr quint8 kTagEndOfMibView = 0x82;
constexpr quint8 kTagResponse = 0xA2;
constexpr quint8 kTagInform = 0xA6;
constexpr int kVersionV2c = 1;
constexpr size_t kMaxOidArcs = 128;
constexpr quint64 kMaxSubIdentifier = 0xFFFFFFFFu;

using SnmpBer::Byte;
using SnmpBer::Element;
using SnmpBer::Reader;

// An INTEGER as net-snmp reads one (into a long: one to eight bytes, padded
// or not); the low 32 bits are the value. The answer echoes the element's
// own bytes, so nothing is lost for a sender that padded.
bool readInteger32(const Element &e, qint32 &value)
{
    if (e.tag != kTagInteger || e.length < 1 || e.length > 8)
        return false;
    const Byte *c = e.content;
    quint64 v = (c[0] & 0x80) ? ~0ULL : 0ULL;
    for (size_t i = 0; i < e.length; ++i)
        v = (v << 8) | c[i];
    value = static_cast<qint32>(static_cast<quint32>(v));
    return true;
}

// Sub-identifiers of at most 32 bits, none padded with 0x80, the last one
// complete, at most kMaxOidArcs arcs (the first byte carries two).
bool isWellFormedOid(const Element &e)
{
    if (e.tag != kTagObjectId || e.length == 0)
        return false;
    size_t arcs = 1;
    quint64 sub = 0;
    bool atStart = true;
    for (size_t i = 0; i < e.length; ++i) {
        const Byte b = e.content[i];
        if (atStart && b == 0x80)
            return false;
        sub = (sub << 7) | (b & 0x7F);
        if (sub > kMaxSubIdentifier)
            return false;
        atStart = !(b & 0x80);
        if (atStart) {
            ++arcs;
            sub = 0;
        }
    }
    return atStart && arcs <= kMaxOidArcs;
}

// net-snmp unwraps an Opaque that starts like a wrapped Counter64, float,
// double or 64-bit integer, and refuses the message when the wrapping is not
// exactly right. Any other Opaque is plain bytes.
bool isWellFormedOpaque(const Element &e)
{
    constexpr Byte kWrapped = 0x9F;
    constexpr Byte kCounter64 = 0x76, kFloat = 0x78, kDouble = 0x79, kInt64 = 0x7A, kUInt64 = 0x7B;
    constexpr size_t kHeader = 3;             // 0x9F, the inner tag, the inner length
    constexpr size_t kMaxInteger64Bytes = 8;  // as net-snmp takes them
    const Byte *c = e.content;
    if (e.length < 2 || c[0] != kWrapped)
        return true;
    switch (c[1]) {
    case kFloat:
        return e.length == kHeader + 4 && c[2] == 4;
    case kDouble:
        return e.length == kHeader + 8 && c[2] == 8;
    case kCounter64:
    case kInt64:
    case kUInt64:
        return e.length >= kHeader && c[2] <= kMaxInteger64Bytes && e.length == kHeader + c[2];
    default:
        return true;
    }
}

// What the GUI thread's decoder refuses must not be acknowledged here, or
// the sender would take for delivered a notification that is never listed.
// Syntaxes outside this list are kept as bytes there, so any content does.
bool isWellFormedValue(const Element &e)
{
    const Byte *c = e.content;
    switch (e.tag) {
    // net-snmp reads these into a long or an unsigned long (what does not
    // fit 32 bits is then shown as it came, by the list)
    case kTagInteger:
        return e.length >= 1 && e.length <= 8;
    case kTagCounter32:
    case kTagGauge32:
    case kTagTimeTicks:
    case kTagUnsigned32:
        return e.length >= 1 && (e.length < 9 || (e.length == 9 && c[0] == 0));
    case kTagCounter64:
        return e.length >= 1 && (e.length < 9 || (e.length == 9 && c[0] == 0));
    case kTagIpAddress:
        return e.length == 4;
    case kTagObjectId:
        return isWellFormedOid(e);
    case kTagOpaque:
        return isWellFormedOpaque(e);
    case kTagBitString:
        return e.length >= 1 && c[0] <= 7; // the count of unused bits comes first
    case kTagNull:
    case kTagNoSuchObject:
    case kTagNoSuchInstance:
    case kTagEndOfMibView:
        return e.length == 0;
    default:
        return true;
    }
}

void appendLength(QByteArray &out, size_t length)
{
    if (length < 0x80) {
        out.append(static_cast<char>(length));
        return;
    }
    Byte bytes[sizeof(size_t)];
    int n = 0;
    for (size_t rest = length; rest; rest >>= 8)
        bytes[n++] = static_cast<Byte>(rest & 0xFF);
    out.append(static_cast<char>(0x80 | n));
    while (n)
        out.append(static_cast<char>(bytes[--n]));
}

QByteArray element(quint8 tag, const QByteArray &content)
{
    QByteArray out;
    out.reserve(content.size() + 6);
    out.append(static_cast<char>(tag));
    appendLength(out, static_cast<size_t>(content.size()));
    out.append(content);
    return out;
}

QByteArray bytesOf(const Byte *begin, const Byte *end)
{
    return QByteArray(reinterpret_cast<const char *>(begin), static_cast<qsizetype>(end - begin));
}

} // namespace

std::optional<SnmpInformAck> SnmpAcknowledgeInform(const QByteArray &datagram)
{
    const auto *data = reinterpret_cast<const Byte *>(datagram.constData());
    Reader top(data, data + datagram.size());
    Element message;
    if (!top.next(message, kTagSequence) || !top.atEnd())
        return std::nullopt;

    Reader fields(message);
    Element version, community, pdu;
    qint32 versionNumber = -1;
    if (!fields.next(version) || !readInteger32(version, versionNumber) || versionNumber != kVersionV2c)
        return std::nullopt;
    if (!fields.next(community, kTagOctetString) || !fields.next(pdu, kTagInform) || !fields.atEnd())
        return std::nullopt;

    Reader header(pdu);
    Element requestId, errorStatus, errorIndex, list;
    SnmpInformAck ack;
    qint32 ignored = 0;
    if (!header.next(requestId) || !readInteger32(requestId, ack.requestId))
        return std::nullopt;
    if (!header.next(errorStatus) || !readInteger32(errorStatus, ignored) || !header.next(errorIndex)
        || !readInteger32(errorIndex, ignored))
        return std::nullopt;
    if (!header.next(list, kTagSequence) || !header.atEnd())
        return std::nullopt;

    Reader varbinds(list);
    while (!varbinds.atEnd()) {
        Element varbind, name, value;
        if (!varbinds.next(varbind, kTagSequence))
            return std::nullopt;
        Reader parts(varbind);
        if (!parts.next(name) || !isWellFormedOid(name) || !parts.next(value) || !isWellFormedValue(value)
            || !parts.atEnd())
            return std::nullopt;
    }

    QByteArray response = bytesOf(requestId.start, requestId.end());
    response.append("\x02\x01\x00\x02\x01\x00", 6); // error-status, error-index: noError
    response.append(element(kTagSequence, bytesOf(list.content, list.end())));
    QByteArray body("\x02\x01\x01", 3);
    body.append(element(kTagOctetString, bytesOf(community.content, community.end())));
    body.append(element(kTagResponse, response));
    ack.response = element(kTagSequence, body);
    ack.content = SnmpInformMemory::contentOf(datagram);
    return ack;
}

quint64 SnmpInformMemory::contentOf(const QByteArray &datagram)
{
    return std::hash<std::string_view>{}(std::string_view(datagram.constData(), static_cast<size_t>(datagram.size())));
}

std::string SnmpInformMemory::key(const sockaddr_storage &source, socklen_t length, qint32 requestId, quint64 content)
{
    // family, port, address, request id: all a retransmission has in common
    std::string k;
    k.reserve(1 + 2 + 16 + 4);
    k.push_back(static_cast<char>(source.ss_family));
    if (source.ss_family == AF_INET && length >= sizeof(sockaddr_in)) {
        const auto *in = reinterpret_cast<const sockaddr_in *>(&source);
        k.append(reinterpret_cast<const char *>(&in->sin_port), sizeof(in->sin_port));
        k.append(reinterpret_cast<const char *>(&in->sin_addr), sizeof(in->sin_addr));
    } else if (source.ss_family == AF_INET6 && length >= sizeof(sockaddr_in6)) {
        const auto *in6 = reinterpret_cast<const sockaddr_in6 *>(&source);
        k.append(reinterpret_cast<const char *>(&in6->sin6_port), sizeof(in6->sin6_port));
        k.append(reinterpret_cast<const char *>(&in6->sin6_addr), sizeof(in6->sin6_addr));
    } else {
        k.append(reinterpret_cast<const char *>(&source), qMin<size_t>(length, sizeof(source)));
    }
    k.append(reinterpret_cast<const char *>(&requestId), sizeof(requestId));
    // An agent that restarts with a fixed port and request ids from 1 sends
    // new informs under old keys: a retransmission is the same bytes.
    k.append(reinterpret_cast<const char *>(&content), sizeof(content));
    return k;
}

void SnmpInformMemory::expire(Clock::time_point now)
{
    while (!m_order.empty() && now - m_order.front().first >= kWindow) {
        m_keys.erase(m_order.front().key);
        m_order.pop_front();
    }
}

bool SnmpInformMemory::contains(const sockaddr_storage &source, socklen_t length, qint32 requestId, quint64 content,
                                Clock::time_point now)
{
    expire(now);
    return m_keys.count(key(source, length, requestId, content)) != 0;
}

void SnmpInformMemory::remember(const sockaddr_storage &source, socklen_t length, qint32 requestId, quint64 content,
                                Clock::time_point now)
{
    expire(now);
    std::string k = key(source, length, requestId, content);
    if (m_keys.count(k))
        return;
    while (m_order.size() >= kMaxEntries) {
        m_keys.erase(m_order.front().key);
        m_order.pop_front();
    }
    m_keys.insert(k);
    m_order.push_back({now, std::move(k)});
}

void SnmpInformMemory::clear()
{
    m_order.clear();
    m_keys.clear();
}
