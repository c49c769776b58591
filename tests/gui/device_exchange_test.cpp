// Read, Write and Reset from the window's toolbar against a simulated tracker,
// driven by the window's own 20 ms timer: the pages show what the tracker
// holds, the status line tells the outcome in its colours. Most cases keep
// the tracker in process; one goes through the window's real serial port to a
// simulated tracker behind a pseudo-terminal.
#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QGroupBox>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <memory>

#include "config/device_config.h"
#include "editor/qt/status_pane.h"
#include "gui_test_support.h"
#include "tools/tracker_sim/pty_tracker.h"
#include "tools/tracker_sim/simulated_link.h"
#include "tools/tracker_sim/tracker_sim.h"

namespace {

const QColor kGreen(25, 255, 25);
const QColor kRed(255, 25, 25);
constexpr int kExchangeMs = 15000;  // generous under the sanitizers

// The simulator's block as a host-order image.
DeviceConfig trackerImage(const TrackerSim& sim) {
    DeviceConfig c{};
    std::copy(sim.block.begin(), sim.block.end(), c.bytes);
    SwapByteOrder(c);
    return c;
}

}  // namespace

class DeviceExchangeTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TrackerSim> sim;
    std::unique_ptr<SimulatedLink> link;
    std::unique_ptr<CGPS_QConfigDlg> window;
    QTemporaryDir dataHome;  // backups go here, never to the real home

    void start(int trackerModel) {
        sim = std::make_unique<TrackerSim>(trackerModel);
        link = std::make_unique<SimulatedLink>(*sim, 2);  // COM1 absent, tracker on COM2
        window = std::make_unique<CGPS_QConfigDlg>(*link);
        QVERIFY(showActive(window.get()));
    }

    // A toolbar button clicked as a user clicks it.
    void press(int command) {
        QToolBar* toolbar = window->findChild<QToolBar*>();
        QAction* action = window->findChild<QAction*>(QString::number(command));
        QTest::mouseClick(toolbar->widgetForAction(action), Qt::LeftButton);
    }

    QString result() const { return window->statusPane(1)->text(); }

    // Whether each command an exchange takes away is offered: Read, Write,
    // Reset, Open and Save in the menu and the toolbar, restoring a backup,
    // the model menu both ways, and the presets.
    QList<bool> offered() const {
        QList<bool> on;
        for (int id : {32815, 32816, 32818, 32819, 32820, 32782, 32780, 32786, 32788, 32791})
            on << window->findChild<QAction*>(QString::number(id))->isEnabled();
        on << window->findChild<QAction*>("restoreBackup")->isEnabled();
        on << window->modelDropButton()->isEnabled()
           << window->modelMenu()->menuAction()->isEnabled()
           << window->controls().widget(PageId::Window, 1991)->isEnabled();
        return on;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dataHome.isValid());
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    }

    void cleanup() {
        window.reset();
        link.reset();
        sim.reset();
    }

    // Ctrl+R reads; meanwhile no command that would disturb the exchange is
    // offered, and the status line counts the blocks.
    void readFromTheKeyboardTakesTheCommandsAwayUntilItEnds() {
        start(0x70);
        QCOMPARE(offered(), QList<bool>(14, true));
        QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(offered(), QList<bool>(14, false));
        QVERIFY(window->progressBar()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(window->progressBar()->value() >= 6, kExchangeMs);
        QCOMPARE(window->progressBar()->text(),
                 QString("Чтение: блок %1 из 12").arg(window->progressBar()->value()));
        QTRY_COMPARE_WITH_TIMEOUT(result(), QString("Параметры прочитаны успешно"), kExchangeMs);
        QTRY_COMPARE_WITH_TIMEOUT(offered(), QList<bool>(14, true), kExchangeMs);
        QVERIFY(!window->progressBar()->isVisible());
        // The preset the model does not have stays unoffered.
        QVERIFY(!window->controls().widget(PageId::Window, 1995)->isEnabled());
    }

    // Closing during a Write asks; "no" keeps it writing, "yes" stops it.
    void closingDuringAWriteAsks() {
        start(0x11);
        // The tracker falls silent after three blocks (38 frames read, a sync
        // and three times command, address and data), and the test holds the
        // clock: the Write stays under way however long the questions take.
        sim->faults.silentAfter = 48;
        press(32788);
        QTRY_COMPARE_WITH_TIMEOUT(sim->framesSeen(SimFrame::DataBlock), 3, kExchangeMs);
        window->cancelTick();
        QString asked;
        answerQuestion(window.get(), "no", &asked);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(asked.startsWith("Идёт запись настроек в GPS Quelter."));
        QVERIFY(window->isVisible());
        QVERIFY(window->editor().busy());

        answerQuestion(window.get(), "yes");
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QVERIFY(!window->editor().busy());
        QVERIFY(!link->isOpen());
        QCOMPARE(sim->framesSeen(SimFrame::DataBlock), 3);
    }

    void readShowsTheTracker() {
        start(0x70);
        press(32786);
        QTRY_COMPARE_WITH_TIMEOUT(result(), QString("Параметры прочитаны успешно"), kExchangeMs);
        QCOMPARE(window->statusPane(1)->background(), kGreen);
        QCOMPARE(window->statusPane(2)->text(), QString("Версия прошивки:3.5.0.12"));
        QCOMPARE(window->modelButton()->text(), QString("RQ10"));
        const PageAccess main{*window, PageId::Main};
        QCOMPARE(main.text(1034), QString("Quelter-07"));
        QCOMPARE(main.text(1031), QString("79161234567"));
        QCOMPARE(window->controls().comboSelection(PageId::Main, 1053), 15);
        const PageAccess gps{*window, PageId::GPS};
        QCOMPARE(gps.text(1249), QString("55.751244"));
        QCOMPARE(gps.text(1248), QString("500"));
        // The model without the Tracker mode: its preset is not offered.
        QVERIFY(!window->controls().enabled(PageId::Window, 1995));
        QTRY_VERIFY_WITH_TIMEOUT(!window->tickArmed(), kExchangeMs);
    }

    // The window runs an exchange on the link's arrivals; its tick is left to
    // count silence and to close a Read's port after its end.
    void exchangeRunsOnArrivals() {
        start(0x11);
        QSignalSpy ticks(&window->tickTimer(), &QTimer::timeout);
        press(32786);
        QTRY_COMPARE_WITH_TIMEOUT(result(), QString("Параметры прочитаны успешно"), kExchangeMs);
        QTRY_VERIFY_WITH_TIMEOUT(!window->tickArmed(), kExchangeMs);
        // On ticks alone a Read takes some forty; on arrivals it takes one,
        // and a busy machine may add a few.
        QVERIFY2(ticks.count() < 20, qPrintable(QString("%1 ticks").arg(ticks.count())));
    }

    // What the user typed reaches the tracker; its own fields stay its own.
    void writeSendsThePages() {
        start(0x11);
        const PageAccess main{*window, PageId::Main};
        main.replace(1034, "Грузовик 12");
        const PageAccess expert{*window, PageId::Expert};
        expert.replace(1286, "-120");
        press(32788);
        QTRY_COMPARE_WITH_TIMEOUT(result(), QString("Параметры записаны успешно"), kExchangeMs);
        QCOMPARE(window->statusPane(1)->background(), kGreen);
        const DeviceConfig written = trackerImage(*sim);
        // "Грузовик 12" in CP1251
        QCOMPARE(QByteArray::fromStdString(GetText(written, Field::QuelterName)),
                 QByteArray("\xc3\xf0\xf3\xe7\xee\xe2\xe8\xea 12"));
        QCOMPARE(int(GetI8(written, Field::TimeCorrection)), -120);
        QCOMPARE(QByteArray::fromStdString(GetText(written, Field::USSDReq)), QByteArray("*100#"));
        QCOMPARE(QByteArray::fromStdString(GetText(written, Field::DevicePassword)),
                 QByteArray("8647"));
        // Pane 0 names the backup made before the write; its tooltip is the file.
        const QString backup = window->statusPane(0)->text();
        // Another backup in the same second gets "-2" after the model.
        QVERIFY2(QRegularExpression("^Резервная копия: .*-RQ30(-\\d+)?\\.bin$").match(backup).hasMatch(),
                 qPrintable(backup));
        QVERIFY(QFile::exists(window->statusPane(0)->toolTip()));
        QVERIFY(window->statusPane(0)->toolTip().startsWith(dataHome.path()));
    }

    void writeRefusesAnotherModel() {
        start(0x80);
        press(32788);
        QTRY_COMPARE_WITH_TIMEOUT(result(), QString("Несовместимое устройство"), kExchangeMs);
        QCOMPARE(window->statusPane(1)->background(), kRed);
        QCOMPARE(sim->framesSeen(SimFrame::WriteCommand), 0);
        QCOMPARE(window->modelButton()->text(), QString("RQ30"));
    }

    void readAndWriteOverASerialLine() {
        TrackerSim tracker(0x11);
        PtyTracker line(tracker, PtyOptions{});
        std::string error;
        QVERIFY2(line.start(error), error.c_str());
        qputenv("QUELTER_PORTS", QByteArray::fromStdString(line.path()));
        window = std::make_unique<CGPS_QConfigDlg>();  // with its own port
        QVERIFY(showActive(window.get()));

        press(32786);
        QTRY_COMPARE_WITH_TIMEOUT(result(), QString("Параметры прочитаны успешно"), kExchangeMs);
        const PageAccess main{*window, PageId::Main};
        QCOMPARE(main.text(1034), QString("Quelter-07"));
        main.replace(1034, "Q-08");
        press(32788);
        QTRY_COMPARE_WITH_TIMEOUT(result(), QString("Параметры записаны успешно"), kExchangeMs);
        window.reset();  // closes the port
        line.stop();
        qunsetenv("QUELTER_PORTS");
        QCOMPARE(QByteArray::fromStdString(GetText(trackerImage(tracker), Field::QuelterName)),
                 QByteArray("Q-08"));
    }

    // Reset puts the defaults on the pages and writes them.
    void resetWritesTheDefaults() {
        start(0x11);
        const PageAccess main{*window, PageId::Main};
        QString asked;
        answerQuestion(window.get(), "yes", &asked);
        press(32791);
        QCOMPARE(asked, QString("Записать в GPS Quelter заводские настройки? Телефоны и все "
                                "настройки трекера будут заменены."));
        QCOMPARE(main.text(1034), QString());
        QTRY_COMPARE_WITH_TIMEOUT(result(), QString("Параметры записаны успешно"), kExchangeMs);
        QCOMPARE(QByteArray::fromStdString(GetText(trackerImage(*sim), Field::QuelterName)),
                 QByteArray());
    }
};

QTEST_MAIN(DeviceExchangeTest)
#include "device_exchange_test.moc"
