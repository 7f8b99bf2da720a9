#pragma once

// Tools > MIB Modules...: the modules of the database in use, where each
// came from, and adding or removing the user's own. Compiling runs in the
// background (MibModuleStore); what it finds wrong is listed with file and
// line, and the database in use changes only when everything compiled.

#include "mibmodulestore.h"

#include <QDialog>

class CXMLRead;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class MibModulesDialog : public QDialog
{
    Q_OBJECT
public:
    // `reader` holds the database in use; `bundledDatabase` the data
    // folder's MIBTable.xml.
    MibModulesDialog(const CXMLRead *reader, const QString &bundledDatabase, QWidget *parent = nullptr);
    ~MibModulesDialog() override;

    // Compiles these module files or folders in (what Add... and Add
    // Folder... do with what the user picked).
    void addModules(const QStringList &filesOrFolders);
    // Reads the list again from the database in use.
    void refresh();

    QTreeWidget *moduleList() const { return m_modules; }
    QTreeWidget *problemList() const { return m_problems; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *addFolderButton() const { return m_addFolder; }
    QPushButton *removeButton() const { return m_remove; }
    QProgressBar *progressBar() const { return m_progress; }
    MibModuleStore *store() const { return m_store; }

signals:
    // The user's database was rewritten or removed: load it again.
    void databaseChanged();

public slots:
    void reject() override;

private:
    void onAdd();
    void onAddFolder();
    void onRemove();
    void onProgress(int done, int total, const QString &module);
    void onFinished(bool changed, const QList<MibModuleStore::Problem> &problems);
    void showProblems(const QList<MibModuleStore::Problem> &problems);
    void setBusy(bool busy, const QString &status = {});
    void updateButtons();

    const CXMLRead *m_reader;
    MibModuleStore *m_store;
    QTreeWidget *m_modules;
    QTreeWidget *m_problems;
    QLabel *m_status;
    QProgressBar *m_progress;
    QPushButton *m_add;
    QPushButton *m_addFolder;
    QPushButton *m_remove;
    QPushButton *m_close;
};
