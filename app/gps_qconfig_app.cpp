#include "app/gps_qconfig_app.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTranslator>
#include <csignal>

#include "editor/qt/gps_qconfig_dlg.h"
#include "editor/qt/window_images.h"

namespace {

// A request to terminate (the session ending, Ctrl+C in a terminal, a script
// stopping the tool) ends the window's run, also from inside a file dialog or
// the About box, and the window is then destroyed as after its close box, so
// the serial port is released in order. The handler may only write to a socket.
int terminationPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(terminationPipe[0], &byte, 1);
}

// Installed first thing, so a request that comes while the window is still
// being made waits in the socket until the window can close.
void catchTermination() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0) return;
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void closeOnTermination(QDialog& window) {
    if (terminationPipe[1] < 0) return;
    auto* notifier = new QSocketNotifier(terminationPipe[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(terminationPipe[1], &byte, 1);
        QCoreApplication::exit(0);  // every running loop, modal ones included
    });
}

}  // namespace

int CGPS_QConfigApp::run(int& argc, char** argv) {
    catchTermination();
    QApplication app(argc, argv);
    // The name of the per-user settings place; the tool stores nothing there.
    QCoreApplication::setOrganizationName("GPS Quelter Configutator. Brenvik");
    QCoreApplication::setApplicationName("quelter-config");
    QGuiApplication::setDesktopFileName("quelter-config");
    QApplication::setWindowIcon(applicationIcon());
    // The window speaks Russian only; Qt's own texts (the file dialogs, an
    // edit's context menu) should not be English beside it. Without Qt's
    // translations installed they simply stay English.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), "qtbase", "_",
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    CGPS_QConfigDlg window;
    closeOnTermination(window);
    // quelter-config FILE.ini, as a file manager starts it for a settings file.
    window.openFromArguments(QCoreApplication::arguments());
    window.exec();
    return 0;
}
