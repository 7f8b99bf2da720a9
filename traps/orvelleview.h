#pragma once

#include "appsettings.h"
#include "traplistmodel.h"
#include "traprecord.h"

#include <QFont>
#include <QTableView>

#include <memory>

class CXMLRead;

// The main window's content: the trap list. It owns the list model and the
// service state; it tells the frame about state changes through signals and
// never reaches into the frame's widgets.
class COrvelleView : public QTableView
{
    Q_OBJECT

public:
    explicit COrvelleView(QWidget *parent = nullptr);
    ~COrvelleView() override;

    // Column widths in pixels at 96 dpi, in column order.
    static constexpr int kColumnWidths[TrapListModel::ColumnCount] = {120, 180, 120, 98, 620};
    // The hint starts this far below the header.
    static constexpr int kHintTopMargin = 10;

    // Creation: loads the MIB database and the configuration. On failure it
    // has told the user (and standard error) why, and the program is to end.
    bool OnCreate();

    // First update: the service-state title, and with the service switch the
    // service goes on and the main window goes hidden.
    void OnInitialUpdate(bool serviceMode);

    const CAppSettings &settings() const { return m_settings; }
    const CXMLRead *reader() const { return m_pReader.get(); }

    bool isRunning() const { return m_bRunning; }
    bool isMainVisible() const { return m_bMainVisible; }
    QString documentTitle() const { return m_documentTitle; }
    TrapListModel *trapModel() const { return m_model; }

    quint32 maxRows() const { return m_nMaxRows; }
    void setMaxRows(quint32 maxRows);

public slots:
    void OnStartStop();
    void OnNew();
    void OnShowHideMain();
    // Takes a decoded trap: notes its arrival and lists it.
    void OnTrapRecord(std::shared_ptr<tagTRAPRECORD> record);

signals:
    void documentTitleChanged(const QString &title);
    void serviceStateChanged(bool running);
    void trapArrived();
    // The Show/Hide main window command: the frame decides how to hide where
    // no tray exists.
    void mainWindowVisibilityRequested(bool visible);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setDocumentTitle(const QString &title);
    void scrollToNewRows();

    CAppSettings m_settings;
    std::unique_ptr<CXMLRead> m_pReader;
    TrapListModel *m_model = nullptr;
    quint32 m_nMaxRows = 50;
    bool m_bRunning = false;
    bool m_bMainVisible = true;
    QString m_documentTitle;
    QFont m_fontHint;
};
