#pragma once

// Reading BER elements out of a datagram, as SNMP encodes them: one-byte
// tags, definite lengths of at most four length bytes. Pure and stateless,
// so the trap port's reader thread and the GUI thread can both use it.

#include <QtGlobal>

#include <cstddef>

namespace SnmpBer {

using Byte = unsigned char;

constexpr quint8 kHighTagNumber = 0x1F; // the tag continues in further bytes
constexpr size_t kMaxLengthBytes = 4;   // no UDP datagram needs more

// One element: its tag, where it starts (the tag byte), its content.
struct Element
{
    quint8 tag = 0;
    const Byte *start = nullptr;
    const Byte *content = nullptr;
    size_t length = 0;
    const Byte *end() const { return content + length; }
};

// Reads consecutive elements out of [begin, end) and never past it. A
// lenient reader takes a first tag byte of the multi-byte form as a tag of
// its own, for walking messages that net-snmp is to decode anyway.
class Reader
{
public:
    enum Mode { Strict, Lenient };
    Reader(const Byte *begin, const Byte *end, Mode mode = Strict) : m_p(begin), m_end(end), m_mode(mode) {}
    explicit Reader(const Element &e, Mode mode = Strict) : m_p(e.content), m_end(e.end()), m_mode(mode) {}

    bool atEnd() const { return m_p == m_end; }

    bool next(Element &e)
    {
        if (m_end - m_p < 2)
            return false;
        const Byte *p = m_p;
        e.start = p;
        e.tag = *p++;
        if (m_mode == Strict && (e.tag & kHighTagNumber) == kHighTagNumber)
            return false; // SNMP never uses multi-byte tags
        size_t length = *p++;
        if (length & 0x80) {
            const size_t bytes = length & 0x7F;
            // 0x80 alone is the indefinite form, which SNMP forbids
            if (bytes == 0 || bytes > kMaxLengthBytes || static_cast<size_t>(m_end - p) < bytes)
                return false;
            length = 0;
            for (size_t i = 0; i < bytes; ++i)
                length = (length << 8) | *p++;
        }
        if (static_cast<size_t>(m_end - p) < length)
            return false;
        e.content = p;
        e.length = length;
        m_p = p + length;
        return true;
    }

    bool next(Element &e, quint8 tag) { return next(e) && e.tag == tag; }

private:
    const Byte *m_p;
    const Byte *m_end;
    Mode m_mode;
};

} // namespace SnmpBer
