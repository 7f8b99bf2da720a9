#pragma once

#include <QApplication>

#include <memory>

class CMainFrame;
class SingleInstance;

// The application object: one copy per user, the service switch, the
// profile, the translations, and the main frame.
class COrvelleApp : public QApplication
{
    Q_OBJECT

public:
    // `serviceMode` comes from the raw command line (isServiceMode), read
    // before QApplication takes its own options out of argv.
    COrvelleApp(int &argc, char **argv, bool serviceMode);
    ~COrvelleApp() override;

    // True when the program is to run its event loop; false when it is to
    // end at once (another copy runs, or start-up failed). `exitCode` is the
    // status to end with.
    bool InitInstance(int *exitCode);

    bool m_bServiceMode = false;

    CMainFrame *mainFrame() const { return m_frame.get(); }

private:
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<CMainFrame> m_frame;
};
