#include "monitorhistory.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

MonitorHistory::MonitorHistory(int graphMode, quint32 maxHistories)
    : m_mode(graphMode), m_maxHistories(maxHistories)
{
}

bool MonitorHistory::isNumeric(quint32 syntax)
{
    switch (syntax) {
    case SNMP_SYNTAX_INT32:
    case SNMP_SYNTAX_CNTR32:
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_UINT32:
    case SNMP_SYNTAX_CNTR64:
        return true;
    default:
        return false;
    }
}

MonitorValue MonitorHistory::numericValue(const SnmpValue &value)
{
    MonitorValue v;
    v.syntax = value.syntax;
    if (value.syntax == SNMP_SYNTAX_INT32)
        v.bits = quint64(qint64(value.int32()));
    else if (value.syntax == SNMP_SYNTAX_CNTR64)
        v.bits = value.counter64;
    else
        v.bits = value.number;
    return v;
}

namespace {

qint64 saturated(quint64 n)
{
    return n > quint64(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max() : qint64(n);
}

} // namespace

qint64 MonitorHistory::plotted(size_t position, const MonitorValue &value, quint64 *extent)
{
    if (m_mode == MonitorGraphValue) {
        if (value.isSigned()) {
            const qint64 n = qint64(value.bits);
            *extent = n > 0 ? quint64(n) : 0; // a negative value rests on the axis
            return n;
        }
        *extent = value.bits;
        return saturated(value.bits);
    }
    const MonitorValue base = m_base[position];
    if (m_mode == MonitorGraphDelta)
        m_base[position] = value;
    // a counter only moves forward: a smaller reading means it wrapped
    if (value.syntax == SNMP_SYNTAX_CNTR32 || value.syntax == SNMP_SYNTAX_CNTR64) {
        const quint64 step = value.bits - base.bits;
        *extent = value.syntax == SNMP_SYNTAX_CNTR32 ? quint64(quint32(step)) : step;
        return saturated(*extent);
    }
    // 32-bit values: their difference always fits
    const qint64 delta = qint64(value.bits) - qint64(base.bits);
    *extent = quint64(std::llabs(delta));
    return delta;
}

std::vector<MonitorValue> MonitorHistory::addResponse(const SnmpVarList &variables, std::time_t time)
{
    std::vector<MonitorValue> raw;
    MonitorSample sample;
    sample.time = time;
    for (const SnmpVarBind &variable : variables) {
        if (!isNumeric(variable.value.syntax))
            continue;
        const size_t k = raw.size();
        const MonitorValue value = numericValue(variable.value);
        m_numericSeen = true;
        // the first answer, or one with more numbers than before, sets the
        // starting point of the new positions
        if (k >= m_base.size()) {
            m_base.push_back(value);
            m_current.push_back(value);
        }
        quint64 extent = 0;
        sample.values.push_back(plotted(k, value, &extent));
        m_maximum = std::max(m_maximum, extent);
        raw.push_back(value);
        m_current[k] = value;
    }
    if (raw.empty())
        return raw;
    m_samples.push_back(std::move(sample));
    if (m_samples.size() > m_maxHistories)
        m_samples.pop_front();
    return raw;
}

void MonitorHistory::clear()
{
    m_samples.clear();
    m_base.clear();
    m_current.clear();
}
