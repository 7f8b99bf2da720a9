#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CAboutDlg;
}

// The modal About box: version, and a button that opens the MIB database
// chapter of the user guide.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;

    // The version line as shown ("Orvelle Version 0.1.0").
    QString versionText() const;

private:
    void obtainLatestMibDatabase();

    std::unique_ptr<Ui::CAboutDlg> m_ui;
};
