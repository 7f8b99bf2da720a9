#pragma once

// The MIB modules the program knows and the ones the user adds. Added
// module files are kept in the user's MIB folder; the user's database is
// the bundled one with every kept module compiled into it, rebuilt by
// orvelle-mibc in a process of its own (net-snmp's MIB parser is one
// process-wide tree, and a compile must never hold up the window). The
// bundled database is never written.

#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class MibDocument;

class MibModuleStore : public QObject
{
    Q_OBJECT
public:
    struct Module
    {
        QString name;
        QString revision; // LAST-UPDATED, or empty when the database does not say
        int objects = 0;
        int notifications = 0;
        bool user = false; // added by the user, not bundled
        QString file;      // the user's module file
    };
    struct Problem
    {
        QString file; // empty when the problem names none
        int line = 0;
        QString text;
    };

    // `bundledDatabase` is the data folder's MIBTable.xml. Where the user's
    // own data folder is the data folder, its database is kept aside as it
    // was before the first module came (MIBTable.xml.before-modules) and
    // serves as the base instead, so nothing of it is lost.
    explicit MibModuleStore(const QString &bundledDatabase, QObject *parent = nullptr);
    ~MibModuleStore() override;

    // The modules of `document` (the database in use), by name.
    QList<Module> modules(const MibDocument &document) const;
    // The user's module files by module name.
    QHash<QString, QString> userModuleFiles() const;

    // Compiles the kept modules with these files or folders added (a file
    // of a module already kept replaces it). False when a compile is
    // already running or nothing to add was found (problems() says why).
    bool add(const QStringList &filesOrFolders);
    // Compiles the kept modules without this one; on success its file goes.
    bool remove(const QString &module);
    // Stops a running compile; the database stays as it was.
    void cancel();
    bool isBusy() const;
    QList<Problem> problems() const { return m_problems; }

    // orvelle-mibc beside the program, in the build tree, or on PATH.
    static QString compilerPath();

signals:
    void progress(int done, int total, const QString &module);
    // The compile ended: `changed` when the user's database was rewritten
    // (or removed), which the program then loads.
    void finished(bool changed, const QList<MibModuleStore::Problem> &problems);

private:
    bool startCompile(const QStringList &inputs, const QStringList &searchDirs);
    // The database the user's modules are compiled into; empty (with a
    // problem noted) when it cannot be had.
    QString baseDatabase();
    // The user's own database as it was before the first module.
    static QString keptAside();
    // A removed module's file waits here until the compile without it has
    // succeeded: left in the user's folder, the compile would find it for
    // the modules that import it.
    void unpark();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void readProgress();
    static Problem parseProblem(const QString &line);

    QString m_bundled;
    std::unique_ptr<QProcess> m_process;
    QByteArray m_stdout;
    QList<Problem> m_problems;
    // applied when the compile succeeds
    QStringList m_filesToKeep;   // new files to copy into the user's folder
    QStringList m_filesToDelete; // kept files replaced or removed
    std::unique_ptr<QTemporaryDir> m_parked;
    QString m_parkedFrom;
};
