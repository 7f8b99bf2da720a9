#pragma once

// Acknowledging SNMPv2c informs on the trap port's own thread.
//
// A sender of an InformRequest retransmits until it gets a Response, and
// gives up after a few seconds. The GUI thread may be busy for longer than
// that, so the thread that reads the trap sockets answers by itself, as soon
// as a datagram is read. net-snmp's parser and encoder keep global state and
// belong to the GUI thread; this is a small BER reader and writer of the
// layer's own instead: pure functions, no state, safe on any thread.
//
// The reader is strict: definite lengths only, every length checked against
// the bytes present, nothing read past the datagram, one message that fills
// the datagram exactly; INTEGERs in every form net-snmp reads. What it
// refuses goes to the GUI thread like any other datagram, which answers it
// from net-snmp's decoding where that takes it.

#include <QByteArray>

#include <sys/socket.h>

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <unordered_set>

struct SnmpInformAck
{
    qint32 requestId = 0;
    QByteArray response; // the whole Response message, ready to send back
    quint64 content = 0; // SnmpInformMemory::contentOf(the inform)
};

// When `datagram` is a well-formed SNMPv2c InformRequest: its request id and
// the Response to it (same version, community and request id, error-status
// and error-index 0, the inform's variable bindings byte for byte). Nothing
// for anything else.
std::optional<SnmpInformAck> SnmpAcknowledgeInform(const QByteArray &datagram);

// The informs answered lately, so that a retransmission (same sender address
// and port, same request id, same bytes) is answered again but listed only
// once. Used by one thread only.
class SnmpInformMemory
{
public:
    using Clock = std::chrono::steady_clock;

    // A sender gives up long before this (net-snmp's default is 5 retries of
    // 1 s); a request id met again after it is taken as a new inform.
    static constexpr std::chrono::seconds kWindow{150};
    // Entries held at most (some 100 bytes each). A flood of distinct
    // informs must not grow memory without limit: past the cap the oldest
    // are forgotten first, and the worst that costs is that a late
    // retransmission of a forgotten one is listed a second time.
    static constexpr size_t kMaxEntries = 32768;

    // True when this inform was remembered within kWindow before `now`.
    // Forgets what has grown older than that.
    bool contains(const sockaddr_storage &source, socklen_t length, qint32 requestId, quint64 content,
                  Clock::time_point now);
    // Remembers an inform just delivered (call only when contains() said no).
    void remember(const sockaddr_storage &source, socklen_t length, qint32 requestId, quint64 content,
                  Clock::time_point now);
    // What stands for a datagram's bytes in the key.
    static quint64 contentOf(const QByteArray &datagram);
    size_t size() const { return m_keys.size(); }
    void clear();

private:
    static std::string key(const sockaddr_storage &source, socklen_t length, qint32 requestId, quint64 content);
    void expire(Clock::time_point now);

    struct Entry
    {
        Clock::time_point first;
        std::string key;
    };
    std::deque<Entry> m_order; // oldest first
    std::unordered_set<std::string> m_keys;
};
