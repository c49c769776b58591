// The main window as a user meets it: its state after start-up, menus,
// toolbar, hints, presets, the model menu, tabs, keys, the About box and the
// settings-file commands with their dialogs.
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "config/result_colour.h"
#include "editor/control_hints.h"
#include "editor/qt/about_dlg.h"
#include "editor/qt/gps_qconfig_dlg.h"
#include "editor/qt/status_pane.h"
#include "editor/qt/window_images.h"
#include "gui_test_support.h"

namespace {

const QColor kGreen(25, 255, 25);
const QColor kRed(255, 25, 25);
const QColor kYellow(255, 255, 25);

int pureWhitePixels(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if (rgb.pixel(x, y) == qRgb(255, 255, 255)) ++count;
    return count;
}

// Pixels of exactly `colour` in the pane, inside its text cells and right of them.
std::pair<int, int> colouredPixels(StatusPane* pane, const QColor& colour) {
    const QImage image = pane->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect cells = pane->textCells();
    int inside = 0, outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb()) (cells.contains(x, y) ? inside : outside)++;
    return {inside, outside};
}

// A menu of the menu bar by its title as shown (without the mnemonic's "&").
QMenu* topMenu(QWidget* window, const QString& title) {
    for (QAction* a : window->findChild<QMenuBar*>()->actions())
        if (QString(a->text()).remove('&') == title) return a->menu();
    return nullptr;
}

QStringList itemTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions()) texts << (a->isSeparator() ? "-" : a->text());
    return texts;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<CGPS_QConfigDlg> window;
    QTemporaryDir dir;

    PageAccess page(PageId p) { return {*window, p}; }

    template <typename Answer>
    void whenOpened(Answer answer) {
        ::whenOpened(window.get(), answer);
    }

    // Opens the model menu as a user does, with the arrow of button 8, and
    // picks `item` ("" leaves it with Escape); returns the marks it showed.
    QStringList pickModel(const QString& item) {
        QStringList marks;
        whenOpened([&marks, item](QWidget* w) {
            auto* menu = qobject_cast<QMenu*>(w);
            QVERIFY(menu);
            for (QAction* a : menu->actions())
                if (a->isChecked()) marks << a->text();
            QAction* target = nullptr;
            for (QAction* a : menu->actions())
                if (a->text() == item) target = a;
            if (target) {
                menu->setActiveAction(target);
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                QTest::keyClick(menu, Qt::Key_Escape);
            }
        });
        ModelDropButton* drop = window->modelDropButton();
        QTest::mouseClick(drop, Qt::LeftButton, Qt::NoModifier,
                          QPoint(drop->width() - 4, drop->height() / 2));
        return marks;
    }

  private slots:
    // The window's own port must find nothing, whatever this machine has.
    void initTestCase() { qputenv("QUELTER_PORTS", "/nonexistent/quelter-test-port"); }

    void init() {
        QVERIFY(dir.isValid());
        window = std::make_unique<CGPS_QConfigDlg>();
        QVERIFY(showActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void startUpShowsTheDefaults() {
        QCOMPARE(window->windowTitle(), QString("GPS Quelter конфигуратор v130.1.2"));
        const PageAccess sensors = page(PageId::Sensors);
        QCOMPARE(sensors.text(1278), QString("3"));
        QCOMPARE(sensors.get<QSlider>(1276)->value(), 5);
        QCOMPARE(window->controls().comboCount(PageId::Main, 1053), 26);
        QCOMPARE(window->controls().comboSelection(PageId::Main, 1053), 12);
        QCOMPARE(page(PageId::Main).text(1053),
                 QString("(GMT) Greenwich Mean Time: Dublin, Edinburgh, Lissabon, London"));
        QCOMPARE(window->controls().checkedRadio(PageId::Window, 1991, 1995), 1991);
        QCOMPARE(window->modelButton()->text(), QString("RQ30"));

        // Panes 0 and 1 empty and uncoloured; pane 2 names the version.
        QCOMPARE(window->statusPane(0)->text(), QString());
        QCOMPARE(window->statusPane(1)->text(), QString());
        QCOMPARE(colouredPixels(window->statusPane(1), kGreen), std::make_pair(0, 0));
        QCOMPARE(window->statusPane(2)->text(), QString("Версия прошивки:"));
        QCOMPARE(window->statusPane(2)->background(), window->palette().button().color());
        QVERIFY(!window->tickArmed());
    }

    // Only the text's own cells take the colour, whichever it is.
    void resultPaneColoursTheTextCellsOnly() {
        StatusPane* pane = window->statusPane(1);
        window->showResult("Несовместимое устройство", ResultColour::Red);
        auto [inside, outside] = colouredPixels(pane, kRed);
        QVERIFY(inside > pane->textCells().width() * pane->textCells().height() / 2);
        QCOMPARE(outside, 0);
        window->showResult("Файл открыт без известной модели, оставлена RQ30",
                           ResultColour::Yellow);
        auto [yellowInside, yellowOutside] = colouredPixels(pane, kYellow);
        QVERIFY(yellowInside > pane->textCells().width() * pane->textCells().height() / 2);
        QCOMPARE(yellowOutside, 0);
        QCOMPARE(colouredPixels(pane, kRed).first, 0);
        window->showResult("", ResultColour::Green);
        QCOMPARE(colouredPixels(pane, kGreen), std::make_pair(0, 0));
    }

    void menusAndToolbar() {
        // Every item has its mnemonic; the model menu is reachable from the
        // keyboard as an item of its own.
        QStringList titles;
        for (QAction* a : window->findChild<QMenuBar*>()->actions()) titles << a->text();
        QCOMPARE(titles, QStringList({"&Файл", "GPS &Квелтер", "?"}));
        QCOMPARE(itemTexts(topMenu(window.get(), "Файл")),
                 QStringList({"&Открыть файл настроек", "&Сохранить файл настроек",
                              "&Восстановить из резервной копии…", "В&ыход"}));
        QCOMPARE(itemTexts(topMenu(window.get(), "GPS Квелтер")),
                 QStringList({"&Прочитать настройки Квелтера", "&Записать настройки в Квелтер", "-",
                              "&Сбросить настройки Квелтера", "-", "&Модель устройства"}));
        QCOMPARE(topMenu(window.get(), "GPS Квелтер")->actions().last()->menu(),
                 window->modelMenu());
        QCOMPARE(itemTexts(topMenu(window.get(), "?")),
                 QStringList({"&О проекте QuelterConfig..."}));

        QStringList tips;
        for (QAction* a : window->findChild<QToolBar*>()->actions())
            if (!a->isSeparator() && !a->icon().isNull()) {
                tips << a->toolTip();
                QCOMPARE(a->icon().pixmap(32, 32).size(), QSize(32, 32));
                QCOMPARE(pureWhitePixels(a->icon().pixmap(32, 32).toImage()), 0);
            }
        QCOMPARE(tips, QStringList({
                           "Открыть файл настроек GPS Quelter",
                           "Сохранить текущие настройки в файл",
                           "Прочитать текущие настройки в подключенном GPS Quelter (Может "
                           "потребоваться кабель T3Link)",
                           "Записать текущие настройки в подключенный GPS Quelter (Может "
                           "потребоваться кабель T3Link)",
                           "Выставить текущие настройки GPS Quelter по-умолчанию",
                       }));
        QCOMPARE(window->modelDropButton()->text(), QString("Модель устройства:"));
    }

    // The pictures sit on the button colour: no pure white is left, and a
    // picture's other pixels are untouched.
    void picturesLoseTheirWhite() {
        auto* logo = window->findChild<QLabel*>("1162");
        QCOMPARE(logo->pixmap().size(), QSize(119, 55));
        QCOMPARE(pureWhitePixels(logo->pixmap().toImage()), 0);

        QImage sample(2, 1, QImage::Format_RGB32);
        sample.setPixel(0, 0, qRgb(255, 255, 255));
        sample.setPixel(1, 0, qRgb(254, 255, 255));
        const QImage replaced = replacePureWhite(sample, QColor(10, 20, 30));
        QCOMPARE(replaced.pixel(0, 0), qRgb(10, 20, 30));
        QCOMPARE(replaced.pixel(1, 0), qRgb(254, 255, 255));
        for (int size : {16, 32, 48, 64, 128})
            QVERIFY(applicationIcon().availableSizes().contains(QSize(size, size)));
    }

    void hintsAreShownAsWritten() {
        int seen = 0;
        for (const ControlHint& hint : mainPageHints()) {
            QWidget* w = window->controls().widget(PageId::Main, hint.id);
            QVERIFY2(w, qPrintable(QString::number(hint.id)));
            QCOMPARE(w->toolTip(), QString::fromUtf8(hint.text).replace("\r\n", "\n"));
            ++seen;
        }
        QCOMPARE(seen, 31);
        QCOMPARE(window->controls().widget(PageId::Main, 1031)->toolTip().count('\n'), 3);
        QCOMPARE(window->controls().widget(PageId::Main, 2003)->toolTip().count('\n'), 1);
        QCOMPARE(window->controls().widget(PageId::Main, 1131)->toolTip(), QString());

        const QString guard = window->controls().widget(PageId::Window, 1993)->toolTip();
        QCOMPARE(guard.split('\n'),
                 QStringList({"Предустановленный режим Охрана.",
                              "Малое энергопотребление, квелтер просыпается по будильникам, "
                              "периоду или по движению, отправляет свои координаты и находится на "
                              "связи в течении 5 мин."}));
    }

    void tabsShowOnePageAtATime() {
        const QStringList captions = {"Основные", "Будильники", "GPS",
                                      "Интернет", "Датчики",    "Эксперт"};
        QTabWidget* tabs = window->tabs();
        QCOMPARE(tabs->count(), 6);
        for (int i : {2, 5, 0, 4, 1, 3}) {
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, Qt::NoModifier,
                              tabs->tabBar()->tabRect(i).center());
            QCOMPARE(tabs->tabText(i), captions[i]);
            int visible = 0;
            for (int p = 0; p < tabs->count(); ++p) visible += tabs->widget(p)->isVisible();
            QCOMPARE(visible, 1);
            QVERIFY(tabs->widget(i)->isVisible());
        }
    }

    // A preset puts its own values on the pages; a number typed since stays.
    void presetsShowTheirMode() {
        const PageAccess main = page(PageId::Main);
        main.replace(1031, "79990001122");
        const PageAccess presets = page(PageId::Window);
        presets.click(1993);  // Guard
        QCOMPARE(window->controls().checkedRadio(PageId::Window, 1991, 1995), 1993);
        QCOMPARE(main.text(1031), QString("79990001122"));
        const PageAccess wake = page(PageId::Wake);
        QCOMPARE(wake.text(1229) + wake.text(1230) + wake.text(1231), QString("060"));
        QVERIFY(page(PageId::Sensors).checked(1277));
        QVERIFY(!page(PageId::Internet).enabled(1237));

        presets.click(1995);  // Tracker: no period, adaptive track free
        QVERIFY(!wake.enabled(1229) && wake.enabled(1228));
        QVERIFY(wake.checked(1228));
        QVERIFY(page(PageId::Internet).enabled(1237));
    }

    void modelMenu() {
        QCOMPARE(pickModel("RQ10"), QStringList({"RQ30"}));
        QCOMPARE(window->editor().editedModel(), 0x70);
        QCOMPARE(pickModel("RQ20"), QStringList({"RQ10"}));
        QCOMPARE(window->modelButton()->text(), QString("RQ20"));
        QCOMPARE(window->editor().editedModel(), 0x80);
        QVERIFY(!page(PageId::Window).enabled(1995));

        // Dismissed: nothing changes, what was typed included; another
        // model keeps it too.
        const PageAccess main = page(PageId::Main);
        main.replace(1034, "Другое имя");
        QCOMPARE(pickModel(""), QStringList({"RQ20"}));
        QCOMPARE(window->editor().editedModel(), 0x80);
        QCOMPARE(main.text(1034), QString("Другое имя"));

        QCOMPARE(pickModel("RQ30"), QStringList({"RQ20"}));
        QVERIFY(page(PageId::Window).enabled(1995));
        QCOMPARE(main.text(1034), QString("Другое имя"));
    }

    void enterDoesNothingEscapeCloses() {
        QLineEdit* name = page(PageId::Main).edit(1034);
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Return);
        QTest::keyClick(window.get(), Qt::Key_Enter);
        QVERIFY(window->isVisible());
        QTest::keyClick(name, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
    }

    // With an edit on the pages, closing asks first: "cancel" keeps the window
    // and the edit, "no" lets both go.
    void closingWithEditsAsks() {
        const PageAccess main = page(PageId::Main);
        main.replace(1034, "Гараж");
        QString asked;
        answerQuestion(window.get(), "cancel", &asked);
        QTest::keyClick(main.edit(1034), Qt::Key_Escape);
        QCOMPARE(asked, QString("Изменения настроек не сохранены в файл. Сохранить их?"));
        QVERIFY(window->isVisible());
        QCOMPARE(main.text(1034), QString("Гараж"));

        answerQuestion(window.get(), "cancel");
        QVERIFY(!window->close());  // the close box
        QVERIFY(window->isVisible());

        answerQuestion(window.get(), "no");
        QTest::keyClick(main.edit(1034), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }

    // The shortcuts work wherever the focus is.
    void shortcuts() {
        QList<bool> dialogs;
        window->setFileChooser([&](QWidget*, bool save, const QString&) {
            dialogs << save;
            return QString();
        });
        QLineEdit* name = page(PageId::Main).edit(1034);
        name->setFocus();
        QTest::keyClick(name, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(name, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(dialogs, QList<bool>({false, true}));
        for (QKeyCombination keys : {Qt::CTRL | Qt::Key_R, Qt::CTRL | Qt::SHIFT | Qt::Key_W}) {
            window->showResult("", ResultColour::Green);
            QTest::keyClick(name, keys.key(), keys.keyboardModifiers());
            QCOMPARE(window->statusPane(1)->text(),
                     QString("Подключения GPS Quelter к ПК не обнаружено"));
        }
    }

    // Alt+К opens "GPS Квелтер", М its model menu; Down and Enter pick RQ10.
    void modelMenuFromTheKeyboard() {
        QTest::sendKeyEvent(QTest::Click, window.get(), Qt::Key(0x041A), QString("к"),
                            Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), topMenu(window.get(), "GPS Квелтер"));
        QTest::sendKeyEvent(QTest::Click, QApplication::activePopupWidget(), Qt::Key(0x041C),
                            QString("м"), Qt::NoModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), window->modelMenu());
        QCOMPARE(window->modelMenu()->activeAction()->text(), QString("RQ30"));
        QTest::keyClick(window->modelMenu(), Qt::Key_Down);
        QTest::keyClick(window->modelMenu(), Qt::Key_Return);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(window->editor().editedModel(), 0x70);
        QCOMPARE(window->modelButton()->text(), QString("RQ10"));
    }

    // Arrow keys select within a radio group, round at the ends and past a
    // disabled button, and the editor hears each choice as a click.
    void arrowKeysSelectWithinARadioGroup() {
        const PageAccess presets = page(PageId::Window);
        auto checked = [this] {
            return window->controls().checkedRadio(PageId::Window, 1991, 1995);
        };
        presets.get(1991)->setFocus();
        QTest::keyClick(presets.get(1991), Qt::Key_Right);
        QTest::keyClick(presets.get(1992), Qt::Key_Right);
        QCOMPARE(checked(), 1993);
        QVERIFY(presets.get(1993)->hasFocus());
        QVERIFY(page(PageId::Sensors).checked(1277));  // the Guard preset ran

        window->editor().chooseModel(0x70);  // no Tracker mode: 1995 is disabled
        QTest::keyClick(presets.get(1993), Qt::Key_Down);
        QTest::keyClick(presets.get(1994), Qt::Key_Down);
        QCOMPARE(checked(), 1991);
        QTest::keyClick(presets.get(1991), Qt::Key_Up);
        QCOMPARE(checked(), 1994);
        QVERIFY(presets.get(1994)->hasFocus());
    }

    // A settings file dropped on the window, even over an edit, or named on
    // the command line, opens as Open would open it.
    void filesFromOutsideOpen() {
        const QString path = dir.filePath("dropped.ini");
        const PageAccess main = page(PageId::Main);
        main.replace(1034, "Дача");
        window->setFileChooser([&](QWidget*, bool, const QString&) { return path; });
        window->onSaveSettings();
        main.replace(1034, "Гараж");

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        mime.setText(path);
        const QPoint at = main.edit(1034)->mapTo(window.get(), main.edit(1034)->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window->windowHandle(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        answerQuestion(window.get(), "no");
        QApplication::sendEvent(window->windowHandle(), &drop);
        QCOMPARE(window->statusPane(1)->text(), QString("Файл открыт успешно"));
        QCOMPARE(main.text(1034), QString("Дача"));
        QCOMPARE(window->windowTitle(), QString("dropped.ini — GPS Quelter конфигуратор v130.1.2"));

        window = std::make_unique<CGPS_QConfigDlg>();
        QVERIFY(showActive(window.get()));
        window->openFromArguments({"quelter-config", "--verbose", path});
        QCOMPARE(window->statusPane(1)->text(), QString("Файл открыт успешно"));
        QCOMPARE(page(PageId::Main).text(1034), QString("Дача"));
        window->openFromArguments({"quelter-config", dir.filePath("missing.ini")});
        QCOMPARE(window->statusPane(1)->text(), QString("Ошибка загрузки файла"));
    }

    void exitItemCloses() {
        topMenu(window.get(), "Файл")->actions().at(3)->trigger();
        QVERIFY(!window->isVisible());
    }

    void aboutBox() {
        QString product, button;
        bool iconShown = false;
        whenOpened([&](QWidget* w) {
            auto* about = qobject_cast<CAboutDlg*>(w);
            QVERIFY(about);
            QCOMPARE(about->windowTitle(), QString("О проекте QuelterConfig"));
            product = about->findChild<QLabel*>("product")->text();
            iconShown = !about->findChild<QLabel*>("icon")->pixmap().isNull();
            auto* ok = about->findChild<QPushButton*>("ok");
            button = ok->text();
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        topMenu(window.get(), "?")->actions().at(0)->trigger();
        QCOMPARE(product, QString("QuelterConfigurator, версия 2.0"));
        QCOMPARE(button, QString("ОК"));
        QVERIFY(iconShown);
        QVERIFY(window->isVisible());
    }

    // Save and Open through the menu, with the chosen path answered for the
    // dialog: each outcome reaches the status line.
    void saveAndOpen() {
        const QString path = dir.filePath("tracker.ini");
        QString answer;
        bool askedToSave = false;
        window->setFileChooser([&](QWidget*, bool save, const QString&) {
            askedToSave = save;
            return answer;
        });
        const PageAccess main = page(PageId::Main);
        main.replace(1034, "Дача");
        answer = path;
        topMenu(window.get(), "Файл")->actions().at(1)->trigger();
        QVERIFY(askedToSave);
        QCOMPARE(window->statusPane(1)->text(), QString("Настройки успешно сохранены в файл"));
        QCOMPARE(window->statusPane(1)->background(), kGreen);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readLine().startsWith("[GPS Quelter Config file]"));

        answer.clear();
        topMenu(window.get(), "Файл")->actions().at(1)->trigger();
        QCOMPARE(window->statusPane(1)->text(), QString("Ошибка сохранения настроек"));
        QCOMPARE(window->statusPane(1)->background(), kRed);

        main.replace(1034, "Гараж");
        answerQuestion(window.get(), "no");
        topMenu(window.get(), "Файл")->actions().at(0)->trigger();
        QVERIFY(!askedToSave);
        QCOMPARE(window->statusPane(1)->text(), QString("Ошибка загрузки файла"));
        QCOMPARE(main.text(1034), QString("Гараж"));

        answer = path;
        answerQuestion(window.get(), "no");
        topMenu(window.get(), "Файл")->actions().at(0)->trigger();
        QCOMPARE(window->statusPane(1)->text(), QString("Файл открыт успешно"));
        QCOMPARE(main.text(1034), QString("Дача"));
        // The title names the file, and marks an edit since.
        QCOMPARE(window->windowTitle(), QString("tracker.ini — GPS Quelter конфигуратор v130.1.2"));
        main.replace(1034, "Гараж");
        QCOMPARE(window->windowTitle(),
                 QString("*tracker.ini — GPS Quelter конфигуратор v130.1.2"));
    }

    // "Restore from a backup": the dialog starts in the backups folder of the
    // user's data folder, and the chosen backup opens like a settings file.
    void restoreOpensABackupFromTheBackupsFolder() {
        const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        QString offered;
        bool cancel = false;
        window->setFileChooser([&](QWidget*, bool save, const QString& folder) {
            offered = folder;
            if (save || cancel) return QString();
            const QString path = folder + "/2026-12-10T14-03-22-RQ10.ini";
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write("[GPS Quelter Config file]\r\nBootVersion=112\r\nQuelterName=Q-07\r\n");
            return path;
        });
        QAction* restore = topMenu(window.get(), "Файл")->actions().at(2);
        restore->trigger();
        QCOMPARE(offered, dir.filePath("data/quelter-config/backups"));
        QCOMPARE(window->statusPane(1)->text(), QString("Файл открыт успешно"));
        QCOMPARE(page(PageId::Main).text(1034), QString("Q-07"));
        QCOMPARE(window->modelButton()->text(), QString("RQ10"));

        cancel = true;
        restore->trigger();
        QCOMPARE(window->statusPane(1)->text(), QString("Ошибка загрузки файла"));
        QCOMPARE(window->statusPane(1)->background(), kRed);
        qputenv("XDG_DATA_HOME", oldDataHome);
    }

    // The platform dialog itself: both filters, ".ini" added to a bare name.
    void saveDialogAddsTheSuffix() {
        QStringList filters;
        whenOpened([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            QVERIFY(dialog);
            filters = dialog->nameFilters();
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            dialog->setDirectory(dir.path());
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(name);
            typeText(name, "bare");
            QTest::keyClick(name, Qt::Key_Return);
        });
        window->onSaveSettings();
        QCOMPARE(filters, QStringList({"Ini Files (*.ini)", "All Files (*.*)"}));
        QVERIFY(QFile::exists(dir.filePath("bare.ini")));
        QCOMPARE(window->statusPane(1)->text(), QString("Настройки успешно сохранены в файл"));

        whenOpened([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        window->onOpenSettings();
        QCOMPARE(window->statusPane(1)->text(), QString("Ошибка загрузки файла"));
    }

    // With no port to find, Read tells so at once, on red, with no tick left.
    void readWithoutATracker() {
        QToolBar* toolbar = window->findChild<QToolBar*>();
        QAction* read = window->findChild<QAction*>("32786");
        QTest::mouseClick(toolbar->widgetForAction(read), Qt::LeftButton);
        QCOMPARE(window->statusPane(1)->text(),
                 QString("Подключения GPS Quelter к ПК не обнаружено"));
        QCOMPARE(window->statusPane(1)->background(), kRed);
        QVERIFY(!window->tickArmed());
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
