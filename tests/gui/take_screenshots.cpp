// Writes pictures of the window for the README: each tab, the About box, and
// the question before unsaved edits are lost.
// Usage: quelter-screenshots <folder> [--read]   (under Xvfb or any display)
// With --read the window first reads the tracker on the ports QUELTER_PORTS
// names (the tracker simulator's pseudo-terminal), so the pages show its
// configuration and the status line the outcome; a picture of the window is
// taken halfway through that Read.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
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

// The window with its question over it, as the user sees them (without the
// window manager's frames).
bool saveQuestion(QWidget* window, QWidget* box, const QDir& dir) {
    QPixmap picture = window->grab();
    const QPixmap question = box->grab();
    QPainter painter(&picture);
    const QPoint at((picture.width() - question.width()) / 2,
                    (picture.height() - question.height()) / 2);
    painter.drawPixmap(at, question);
    painter.setPen(window->palette().shadow().color());
    painter.drawRect(QRect(at, question.size()).adjusted(-1, -1, 0, 0));
    painter.end();
    const QString path = dir.filePath("question.png");
    const bool ok = picture.save(path, "PNG");
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
    bool ok = true;
    if (argc > 2 && QByteArray(argv[2]) == "--read") {
        window.onReadDevice();
        QDeadlineTimer deadline(10000);
        while (window.progressBar()->value() < 5 && window.editor().busy() &&
               !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        ok = save(&window, dir, "busy.png") && ok;
        while (window.statusPane(1)->text().isEmpty() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        while (window.tickArmed() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        std::printf("status: %s\n", qPrintable(window.statusPane(1)->text()));
    }

    static const char* const names[] = {"main.png",     "wake.png",    "gps.png",
                                        "internet.png", "sensors.png", "expert.png"};
    for (int i = 0; i < window.tabs()->count(); ++i) {
        window.tabs()->setCurrentIndex(i);
        ok = save(&window, dir, names[i]) && ok;
    }
    window.tabs()->setCurrentIndex(0);
    CAboutDlg about(&window);
    about.show();
    ok = save(&about, dir, "about.png") && ok;
    about.hide();

    // An edit typed into the tracker's name, then the window asked to close.
    auto* name = window.controls().widget(PageId::Main, 1034);
    name->setFocus();
    qobject_cast<QLineEdit*>(name)->end(false);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, " дача");
    QApplication::sendEvent(name, &typed);
    bool asked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll.stop();
        QApplication::processEvents();
        asked = saveQuestion(&window, box, dir);
        box->findChild<QPushButton*>("cancel")->click();
    });
    poll.start(20);
    window.reject();
    ok = asked && ok;
    return ok ? 0 : 1;
}
