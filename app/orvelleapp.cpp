#include "orvelleapp.h"

#include "i18n.h"
#include "mainframe.h"
#include "orvelleview.h"
#include "singleinstance.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <clocale>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

int g_quitPipe[2] = {-1, -1};

void requestQuit(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_quitPipe[1], &byte, 1);
}

// A session that ends (SIGTERM at logout, SIGHUP, Ctrl+C in a terminal)
// quits as the menu's Exit does, so that what the journal still holds is
// written. The handler only writes to a pipe; the event loop does the rest.
void quitOnTerminationSignals(QObject *context)
{
    if (::pipe2(g_quitPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_quitPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [] {
        char byte;
        while (::read(g_quitPipe[0], &byte, 1) > 0) {
        }
        // a message box or dialog runs a loop of its own (also before the
        // program's loop has started): it is closed first
        while (QWidget *modal = QApplication::activeModalWidget()) {
            if (!modal->close())
                break;
        }
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = requestQuit;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        sigaction(signal, &action, nullptr);
}

} // namespace

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

    quitOnTerminationSignals(this);
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
