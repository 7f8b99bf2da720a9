#include "orvelleapp.h"

#include "i18n.h"
#include "mainframe.h"
#include "orvelleview.h"
#include "singleinstance.h"

#include <QMessageBox>

#include <clocale>
#include <cstdio>

COrvelleApp::COrvelleApp(int &argc, char **argv, bool serviceMode)
    : QApplication(argc, argv)
    , m_bServiceMode(serviceMode)
{
    setOrganizationName(QStringLiteral("Halvorn"));
    setApplicationName(QStringLiteral("Orvelle"));
    setApplicationVersion(QStringLiteral(ORVELLE_VERSION));
    setDesktopFileName(QStringLiteral("com.halvorn.Orvelle"));
    // Dialogs opened from the tray while the main window is hidden must not
    // end the program when they close; only Exit and closing the main window
    // do.
    setQuitOnLastWindowClosed(false);
}

COrvelleApp::~COrvelleApp()
{
    m_frame.reset();
}

bool COrvelleApp::InitInstance(int *exitCode)
{
    *exitCode = 0;
    // The C library's conversions (strftime names, local 8-bit text) follow
    // the user's locale.
    std::setlocale(LC_ALL, "");
    Orvelle::installTranslations(this);

    m_instance = std::make_unique<SingleInstance>(QStringLiteral("Orvelle Utility"));
    switch (m_instance->start()) {
    case SingleInstance::Result::Secondary:
        return false;
    case SingleInstance::Result::Failed:
        std::fprintf(stderr, "orvelle: %s\n", qPrintable(m_instance->errorString()));
        *exitCode = 1;
        return false;
    case SingleInstance::Result::Primary:
        break;
    }

    m_frame = std::make_unique<CMainFrame>();
    if (!m_frame->create()) {
        *exitCode = 1;
        return false;
    }
    connect(m_instance.get(), &SingleInstance::activationRequested,
            m_frame.get(), &CMainFrame::activateFromOtherInstance);
    m_frame->view()->OnInitialUpdate(m_bServiceMode);
    // With the service switch the first update already hid the window.
    if (m_frame->view()->isMainVisible())
        m_frame->show();
    return true;
}
