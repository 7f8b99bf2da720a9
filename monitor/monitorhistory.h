#pragma once

// MonitorHistory: what a monitor window keeps of its answers. Each answer's
// numeric values (INTEGER, Counter32, Gauge32, Unsigned32, Counter64;
// everything else is skipped) become one sample of plotted values, oldest first, at most
// "max histories" of them. Value position k counts only the numeric values
// of an answer, in variable order, so an object that answers with text
// moves the ones after it forward.
//
// Values keep their syntax: an Integer32 is signed, the others unsigned, so
// a Counter32 of 3,000,000,000 stays 3,000,000,000 and an Integer32 of -5
// stays -5, and a Counter64 keeps all its 64 bits. In the delta modes a
// Counter32 that wrapped past 2^32, or a Counter64 past 2^64, gives the
// small forward step it really made; every other syntax gives its true
// (possibly negative) difference. The maximum the graph scales to is the
// largest plotted value (mode 0) or the largest distance from zero (the
// delta modes, drawn on both sides of a zero line); it never shrinks.
//
// QtCore only: the window paints from it, the tests drive it directly.

#include "monitorsettings.h"
#include "snmptypes.h"

#include <QString>

#include <ctime>
#include <deque>
#include <vector>

// One raw value in its own signedness: what the value lines, "Max=" and
// the data file print.
struct MonitorValue
{
    quint32 syntax = SNMP_SYNTAX_INT32;
    quint64 bits = 0; // Integer32 sign-extended

    bool isSigned() const { return syntax == SNMP_SYNTAX_INT32; }
    QString text() const { return isSigned() ? QString::number(qint64(bits)) : QString::number(bits); }
    friend bool operator==(const MonitorValue &, const MonitorValue &) = default;
};

struct MonitorSample
{
    std::time_t time = 0;
    // plotted values, one per numeric value of its answer; a Counter64
    // beyond 2^63 is plotted at 2^63 - 1 (the maximum stays exact)
    std::vector<qint64> values;
};

class MonitorHistory
{
public:
    explicit MonitorHistory(int graphMode = MonitorGraphValue, quint32 maxHistories = MonitorSettings::kDefaultMaxHistories);

    static bool isNumeric(quint32 syntax);
    // The value in its own signedness (only meaningful when isNumeric).
    static MonitorValue numericValue(const SnmpValue &value);

    // Takes the variables of one answer received at `time`. Gives the raw
    // values of its numeric variables in order (what the data file records);
    // when there are none, no sample is added.
    std::vector<MonitorValue> addResponse(const SnmpVarList &variables, std::time_t time);
    // Forgets the samples and the values (an ended window shows none).
    void clear();

    const std::deque<MonitorSample> &samples() const { return m_samples; }
    // The latest raw value of each value position.
    const std::vector<MonitorValue> &currentValues() const { return m_current; }
    // Number of value positions seen so far: the graph's series.
    size_t seriesCount() const { return m_base.size(); }
    quint64 maximum() const { return m_maximum; }
    bool hasNumericData() const { return m_numericSeen; }
    int graphMode() const { return m_mode; }

private:
    // The plotted value of `value` at `position`, and how far from zero it
    // lies (exact, for the maximum).
    qint64 plotted(size_t position, const MonitorValue &value, quint64 *extent);

    int m_mode;
    size_t m_maxHistories;
    std::vector<MonitorValue> m_base; // first value (mode 1) or previous value (mode 2)
    std::vector<MonitorValue> m_current;
    std::deque<MonitorSample> m_samples;
    quint64 m_maximum = 0;
    bool m_numericSeen = false;
};
