#include "monitorhistory.h"

#include <cstdlib>

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
        return true;
    default:
        return false;
    }
}

qint64 MonitorHistory::numericValue(const SnmpValue &value)
{
    return value.syntax == SNMP_SYNTAX_INT32 ? qint64(value.int32()) : qint64(value.number);
}

qint64 MonitorHistory::plotted(size_t position, qint64 value, quint32 syntax)
{
    if (m_mode == MonitorGraphValue)
        return value;
    qint64 delta = value - m_base[position];
    // a counter only moves forward: a smaller reading means it wrapped
    if (syntax == SNMP_SYNTAX_CNTR32)
        delta = qint64(quint32(delta));
    if (m_mode == MonitorGraphDelta)
        m_base[position] = value;
    return delta;
}

std::vector<qint64> MonitorHistory::addResponse(const SnmpVarList &variables, std::time_t time)
{
    std::vector<qint64> raw;
    MonitorSample sample;
    sample.time = time;
    for (const SnmpVarBind &variable : variables) {
        if (!isNumeric(variable.value.syntax))
            continue;
        const size_t k = raw.size();
        const qint64 value = numericValue(variable.value);
        m_numericSeen = true;
        // the first answer, or one with more numbers than before, sets the
        // starting point of the new positions
        if (k >= m_base.size()) {
            m_base.push_back(value);
            m_current.push_back(value);
        }
        const qint64 p = plotted(k, value, variable.value.syntax);
        const qint64 extent = m_mode == MonitorGraphValue ? p : std::llabs(p);
        if (extent > m_maximum)
            m_maximum = extent;
        sample.values.push_back(p);
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
