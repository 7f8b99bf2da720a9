#include "snmplocalengine.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kEngineIdKey = QStringLiteral("engineId");
const QString kBootsKey = QStringLiteral("boots");
constexpr int kRandomOctets = 12;
constexpr qsizetype kMinEngineIdOctets = 5;
constexpr qsizetype kMaxEngineIdOctets = 32;

// RFC 3411's form: the enterprise number with its top bit set (net-snmp's,
// 8072, as its engine does the work), then format 5, octets assigned by the
// enterprise: here random ones.
QByteArray makeEngineId()
{
    QByteArray id("\x80\x00\x1f\x88\x05", 5);
    for (int i = 0; i < kRandomOctets; ++i)
        id.append(static_cast<char>(QRandomGenerator::system()->bounded(256)));
    return id;
}

// Made for this run where the file cannot be written, so that the ID shown
// is the one used until the program ends.
QByteArray &runOnlyEngineId()
{
    static QByteArray id;
    return id;
}

quint32 &runOnlyBoots()
{
    static quint32 boots = 0;
    return boots;
}

struct State
{
    QByteArray engineId;
    quint32 boots = 0;
};

State readState()
{
    QSettings file(SnmpLocalEngine::stateFilePath(), QSettings::IniFormat);
    State state;
    state.engineId = QByteArray::fromHex(file.value(kEngineIdKey).toString().toLatin1());
    bool ok = false;
    const qulonglong boots = file.value(kBootsKey).toULongLong(&ok);
    state.boots = ok ? static_cast<quint32>(qMin<qulonglong>(boots, SnmpLocalEngine::kMaxBoots)) : 0;
    if (!SnmpLocalEngine::isValidEngineId(state.engineId)) {
        // a new engine starts counting anew (RFC 3414: boots restart at a new ID)
        state.engineId.clear();
        state.boots = 0;
    }
    return state;
}

bool writeState(const State &state)
{
    const QString path = SnmpLocalEngine::stateFilePath();
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSettings file(path, QSettings::IniFormat);
    file.setValue(kEngineIdKey, QString::fromLatin1(state.engineId.toHex()));
    file.setValue(kBootsKey, state.boots);
    file.sync();
    return file.status() == QSettings::NoError;
}

// The state kept, with an engine ID made and kept where there was none.
State ensureState()
{
    State state = readState();
    if (!state.engineId.isEmpty())
        return state;
    if (!runOnlyEngineId().isEmpty()) {
        state.engineId = runOnlyEngineId();
        state.boots = runOnlyBoots();
        return state;
    }
    state.engineId = makeEngineId();
    if (!writeState(state))
        runOnlyEngineId() = state.engineId;
    return state;
}

} // namespace

QString SnmpLocalEngine::stateFilePath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/Halvorn/Orvelle/snmpengine.conf");
}

bool SnmpLocalEngine::isValidEngineId(const QByteArray &engineId)
{
    return engineId.size() >= kMinEngineIdOctets && engineId.size() <= kMaxEngineIdOctets;
}

QByteArray SnmpLocalEngine::engineId()
{
    return ensureState().engineId;
}

quint32 SnmpLocalEngine::boots()
{
    return readState().boots;
}

quint32 SnmpLocalEngine::countStart(QByteArray *engineId)
{
    State state = ensureState();
    if (state.boots < kMaxBoots)
        ++state.boots;
    if (runOnlyEngineId().isEmpty() && !writeState(state))
        runOnlyEngineId() = state.engineId; // counted on in memory for the rest of the run
    if (!runOnlyEngineId().isEmpty())
        runOnlyBoots() = state.boots;
    if (engineId)
        *engineId = state.engineId;
    return state.boots;
}

QString SnmpLocalEngine::engineIdText(const QByteArray &engineId)
{
    return QString::fromLatin1(engineId.toHex(' ').toUpper());
}
