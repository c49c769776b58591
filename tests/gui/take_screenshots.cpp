// Writes pictures of the window for the README: each tab, and the About box.
// Usage: quelter-screenshots <folder> [--read]   (under Xvfb or any display)
// With --read the window first reads the tracker on the ports QUELTER_PORTS
// names (the tracker simulator's pseudo-terminal), so the pages show its
// configuration and the status line the outcome.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "editor/qt/about_dlg.h"
#include "editor/qt/gps_qconfig_dlg.h"
#include "editor/qt/status_pane.h"

namespace {

bool save(QWidget* widget, const QDir& dir, const QString& name) {
    QApplication::processEvents();
    const QString path = dir.filePath(name);
    const bool ok = widget->grab().save(path, "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    CGPS_QConfigDlg window;
    window.show();
    QApplication::processEvents();
    if (argc > 2 && QByteArray(argv[2]) == "--read") {
        window.onReadDevice();
        QDeadlineTimer deadline(10000);
        while (window.statusPane(1)->text().isEmpty() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        while (window.tickArmed() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        std::printf("status: %s\n", qPrintable(window.statusPane(1)->text()));
    }

    static const char* const names[] = {"main.png",     "wake.png",    "gps.png",
                                        "internet.png", "sensors.png", "expert.png"};
    bool ok = true;
    for (int i = 0; i < window.tabs()->count(); ++i) {
        window.tabs()->setCurrentIndex(i);
        ok = save(&window, dir, names[i]) && ok;
    }
    window.tabs()->setCurrentIndex(0);
    CAboutDlg about(&window);
    about.show();
    ok = save(&about, dir, "about.png") && ok;
    return ok ? 0 : 1;
}
