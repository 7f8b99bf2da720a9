#include "mibmodulestore.h"

#include "datafolder.h"
#include "mibcompiler.h"
#include "mibdocument.h"
#include "smireader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cstring>

MibModuleStore::MibModuleStore(const QString &bundledDatabase, QObject *parent)
    : QObject(parent), m_bundled(bundledDatabase)
{
}

MibModuleStore::~MibModuleStore()
{
    cancel();
}

QString MibModuleStore::compilerPath()
{
    const QString named = qEnvironmentVariable("ORVELLE_MIBC");
    if (!named.isEmpty())
        return named;
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {dir + QStringLiteral("/orvelle-mibc"), dir + QStringLiteral("/../tools/mibc/orvelle-mibc")}) {
        if (QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    }
    return QStandardPaths::findExecutable(QStringLiteral("orvelle-mibc"));
}

QHash<QString, QString> MibModuleStore::userModuleFiles() const
{
    QHash<QString, QString> files;
    const QDir dir(DataFolder::userMibFolder());
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files, QDir::Name)) {
        const SmiModuleFile f = SmiReader::scanFile(info.filePath());
        if (!f.module.isEmpty())
            files.insert(f.module, info.filePath());
    }
    return files;
}

QList<MibModuleStore::Module> MibModuleStore::modules(const MibDocument &document) const
{
    QHash<QString, Module> byName;
    std::vector<pugi::xml_node> stack;
    for (pugi::xml_node n = document.table().child(MibXml::kOid); n; n = n.next_sibling(MibXml::kOid))
        stack.push_back(n);
    while (!stack.empty()) {
        const pugi::xml_node e = stack.back();
        stack.pop_back();
        for (pugi::xml_node c = e.child(MibXml::kOid); c; c = c.next_sibling(MibXml::kOid))
            stack.push_back(c);
        const char *module = e.child_value(MibXml::kModule);
        if (!*module)
            continue;
        Module &m = byName[QString::fromUtf8(module)];
        const char *kind = e.child_value(MibXml::kKind);
        if (!std::strcmp(kind, MibXml::kNotification))
            ++m.notifications;
        else if (*e.child_value(MibXml::kSyntax))
            ++m.objects;
        if (const char *revision = e.child_value(MibXml::kRevision); *revision)
            m.revision = QString::fromUtf8(revision);
    }
    const QHash<QString, QString> user = userModuleFiles();
    QList<Module> out;
    for (auto it = byName.begin(); it != byName.end(); ++it) {
        it->name = it.key();
        it->file = user.value(it.key());
        it->user = !it->file.isEmpty();
        out << *it;
    }
    std::sort(out.begin(), out.end(), [](const Module &a, const Module &b) { return a.name < b.name; });
    return out;
}

bool MibModuleStore::isBusy() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool MibModuleStore::add(const QStringList &filesOrFolders)
{
    m_problems.clear();
    if (isBusy())
        return false;
    QList<SmiModuleFile> added;
    QStringList dirs;
    for (const QString &input : filesOrFolders) {
        const QFileInfo info(input);
        QStringList candidates;
        if (info.isDir()) {
            for (const QFileInfo &f : QDir(input).entryInfoList(QDir::Files, QDir::Name))
                candidates << f.filePath();
        } else {
            candidates << input;
        }
        for (const QString &path : std::as_const(candidates)) {
            const SmiModuleFile f = SmiReader::scanFile(path);
            if (!f.module.isEmpty()) {
                added << f;
                dirs << QFileInfo(path).absolutePath();
            } else if (!info.isDir()) {
                m_problems << Problem{path, 0, tr("This file is not a MIB module: it has no \"NAME DEFINITIONS ::= BEGIN\".")};
            }
        }
    }
    if (added.isEmpty()) {
        if (m_problems.isEmpty())
            m_problems << Problem{filesOrFolders.value(0), 0, tr("No MIB module was found here.")};
        return false;
    }
    const QHash<QString, QString> kept = userModuleFiles();
    QStringList inputs;
    m_filesToKeep.clear();
    m_filesToDelete.clear();
    for (const SmiModuleFile &f : std::as_const(added)) {
        inputs << f.path;
        m_filesToKeep << f.path;
        if (kept.contains(f.module) && QFileInfo(kept.value(f.module)) != QFileInfo(f.path))
            m_filesToDelete << kept.value(f.module);
    }
    for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
        if (!m_filesToDelete.contains(it.value()) && !inputs.contains(it.value()))
            inputs << it.value();
    }
    return startCompile(inputs, dirs);
}

bool MibModuleStore::remove(const QString &module)
{
    m_problems.clear();
    if (isBusy())
        return false;
    const QHash<QString, QString> kept = userModuleFiles();
    if (!kept.contains(module))
        return false;
    m_filesToKeep.clear();
    m_filesToDelete.clear();
    QStringList inputs;
    for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
        if (it.key() != module)
            inputs << it.value();
    }
    const QString user = DataFolder::userMibDatabase();
    const QString before = keptAside();
    if (inputs.isEmpty()) {
        // the last one: the database is what it was before the first module
        QFile::remove(kept.value(module));
        QFile::remove(user);
        if (QFile::exists(before))
            QFile::rename(before, user);
        QMetaObject::invokeMethod(this, [this] { emit finished(true, {}); }, Qt::QueuedConnection);
        return true;
    }
    m_parked = std::make_unique<QTemporaryDir>();
    m_parkedFrom = kept.value(module);
    if (!m_parked->isValid() || !QFile::rename(m_parkedFrom, m_parked->filePath(QStringLiteral("module")))) {
        m_parked.reset();
        m_problems << Problem{m_parkedFrom, 0, tr("The module file could not be moved out of your MIB folder.")};
        return false;
    }
    if (!startCompile(inputs, {})) {
        unpark();
        return false;
    }
    return true;
}

void MibModuleStore::unpark()
{
    if (m_parked)
        QFile::rename(m_parked->filePath(QStringLiteral("module")), m_parkedFrom);
    m_parked.reset();
}

QString MibModuleStore::keptAside()
{
    return DataFolder::userMibDatabase() + QStringLiteral(".before-modules");
}

QString MibModuleStore::baseDatabase()
{
    const QString user = DataFolder::userMibDatabase();
    const QString before = keptAside();
    if (QFileInfo::exists(before))
        return before;
    if (QFileInfo(m_bundled) != QFileInfo(user))
        return m_bundled;
    // the user's own data folder: its database is theirs, kept as it is
    if (!QFile::copy(user, before)) {
        m_problems << Problem{user, 0, tr("Your MIB database could not be kept aside before adding modules to it.")};
        return {};
    }
    return before;
}

bool MibModuleStore::startCompile(const QStringList &inputs, const QStringList &searchDirs)
{
    const QString compiler = compilerPath();
    if (compiler.isEmpty()) {
        m_problems << Problem{{}, 0, tr("orvelle-mibc, the MIB compiler, was not found beside the program or on PATH.")};
        return false;
    }
    if (!QDir().mkpath(QFileInfo(DataFolder::userMibDatabase()).absolutePath())) {
        m_problems << Problem{DataFolder::userMibDatabase(), 0, tr("The folder of your MIB database could not be created.")};
        return false;
    }
    const QString base = baseDatabase();
    if (base.isEmpty())
        return false;
    QStringList dirs{DataFolder::userMibFolder()};
    dirs << searchDirs << defaultMibSearchPath();
    dirs.removeDuplicates();
    m_stdout.clear();
    m_process = std::make_unique<QProcess>();
    connect(m_process.get(), &QProcess::readyReadStandardOutput, this, &MibModuleStore::readProgress);
    connect(m_process.get(), &QProcess::finished, this, &MibModuleStore::onFinished);
    m_process->start(compiler, QStringList{QStringLiteral("-q"), QStringLiteral("--progress"), QStringLiteral("--base"), base,
                                           QStringLiteral("-M"), dirs.join(u':'), QStringLiteral("-o"),
                                           DataFolder::userMibDatabase()}
                                   + inputs);
    if (!m_process->waitForStarted(5000)) {
        m_problems << Problem{{}, 0, tr("orvelle-mibc could not be started: %1").arg(m_process->errorString())};
        m_process.reset();
        return false;
    }
    return true;
}

void MibModuleStore::readProgress()
{
    m_stdout += m_process->readAllStandardOutput();
    qsizetype nl;
    static const QRegularExpression line(QStringLiteral("^progress (\\d+)/(\\d+) (.*)$"));
    while ((nl = m_stdout.indexOf('\n')) >= 0) {
        const QString text = QString::fromUtf8(m_stdout.left(nl));
        m_stdout.remove(0, nl + 1);
        if (const auto m = line.match(text); m.hasMatch())
            emit progress(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3));
    }
}

MibModuleStore::Problem MibModuleStore::parseProblem(const QString &line)
{
    Problem p;
    p.text = line;
    static const QRegularExpression atLine(QStringLiteral("(?:At line|near line) (\\d+) (?:in|of) (\\S+)"));
    static const QRegularExpression fileLine(QStringLiteral("^(/[^:]+):(\\d+): (.*)$"));
    static const QRegularExpression moduleFile(QStringLiteral("^[A-Za-z0-9-]+ \\((/[^)]+)\\): (.*)$"));
    if (const auto m = fileLine.match(line); m.hasMatch()) {
        p.file = m.captured(1);
        p.line = m.captured(2).toInt();
        p.text = m.captured(3);
    } else if (const auto m = moduleFile.match(line); m.hasMatch()) {
        p.file = m.captured(1);
        p.text = m.captured(2);
    }
    if (const auto m = atLine.match(line); m.hasMatch()) {
        p.line = m.captured(1).toInt();
        p.file = m.captured(2);
    }
    return p;
}

void MibModuleStore::onFinished(int exitCode, QProcess::ExitStatus status)
{
    const QString err = QString::fromUtf8(m_process->readAllStandardError());
    readProgress();
    for (QString line : err.split(u'\n', Qt::SkipEmptyParts)) {
        // the summary of failed modules repeats what the lines above said
        if (!line.startsWith(QLatin1String("orvelle-mibc: ")) || line.endsWith(u':'))
            continue;
        line.remove(0, 14);
        m_problems << parseProblem(line);
    }
    const bool changed = status == QProcess::NormalExit && exitCode == 0;
    if (changed)
        m_parked.reset(); // the removed module's file goes with it
    else
        unpark();
    if (changed) {
        QDir().mkpath(DataFolder::userMibFolder());
        for (const QString &path : std::as_const(m_filesToDelete))
            QFile::remove(path);
        for (const QString &path : std::as_const(m_filesToKeep)) {
            const QString module = SmiReader::scanFile(path).module;
            const QString target = DataFolder::userMibFolder() + u'/' + module + QStringLiteral(".txt");
            if (QFileInfo(path) == QFileInfo(target))
                continue;
            QFile::remove(target);
            if (!QFile::copy(path, target))
                m_problems << Problem{target, 0, tr("The module file could not be kept in your MIB folder.")};
        }
    } else if (m_problems.isEmpty()) {
        m_problems << Problem{{}, 0, status == QProcess::CrashExit ? tr("orvelle-mibc stopped unexpectedly.")
                                                                  : tr("orvelle-mibc failed (exit status %1).").arg(exitCode)};
    }
    m_filesToKeep.clear();
    m_filesToDelete.clear();
    m_process.release()->deleteLater();
    emit finished(changed, m_problems);
}

void MibModuleStore::cancel()
{
    if (!isBusy())
        return;
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished(3000);
    m_process.reset();
    unpark();
    m_filesToKeep.clear();
    m_filesToDelete.clear();
    m_problems.clear();
}
