// The six pages with real keys and clicks: every control of the control table
// is there with its caption, and a user's typing runs the page rules exactly
// as they are proven on the in-memory controls (a few cases per page), while
// the program's own writes run none.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QTimeEdit>
#include <memory>

#include "editor/page_controls.h"
#include "gui_test_support.h"

Q_DECLARE_METATYPE(PageId)

namespace {

constexpr PageId kAllPages[] = {PageId::Window,   PageId::Main,    PageId::Wake,  PageId::GPS,
                                PageId::Internet, PageId::Sensors, PageId::Expert};

QString captionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return {};
}

bool kindMatches(ControlKind kind, QWidget* w) {
    switch (kind) {
        case ControlKind::Label:
            return qobject_cast<QLabel*>(w);
        case ControlKind::GroupBox:
            return qobject_cast<QGroupBox*>(w);
        case ControlKind::Edit:
        case ControlKind::DigitsEdit:
        case ControlKind::SignedEdit:
            return qobject_cast<QLineEdit*>(w);
        case ControlKind::CheckBox:
            return qobject_cast<QCheckBox*>(w);
        case ControlKind::RadioButton:
            return qobject_cast<QRadioButton*>(w);
        case ControlKind::ComboBox:
        case ControlKind::DropDownList: {
            auto* combo = qobject_cast<QComboBox*>(w);
            return combo && combo->isEditable() == (kind == ControlKind::ComboBox);
        }
        case ControlKind::TimePicker:
            return qobject_cast<QTimeEdit*>(w);
        case ControlKind::Slider:
            return qobject_cast<QSlider*>(w);
    }
    return false;
}

}  // namespace

class PagesTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<CGPS_QConfigDlg> window;

    PageAccess page(PageId p) { return {*window, p}; }

  private slots:
    // The window's own port must find nothing, whatever this machine has.
    void initTestCase() { qputenv("QUELTER_PORTS", "/nonexistent/quelter-test-port"); }

    void init() {
        window = std::make_unique<CGPS_QConfigDlg>();
        QVERIFY(showActive(window.get()));
    }
    void cleanup() { window.reset(); }

    // Every control of the table exists on its page, of its kind, with its
    // caption, findable by its id; Tab visits the focusable ones in the
    // table's order.
    void everyControlOfTheTableIsThere() {
        for (PageId p : kAllPages) {
            QList<QWidget*> stops;
            for (const ControlSpec& entry : pageControls(p)) {
                QWidget* w = window->controls().widget(p, entry.id);
                const QByteArray where =
                    QByteArray::number(int(p)) + "/" + QByteArray::number(entry.id);
                QVERIFY2(w, where);
                QVERIFY2(kindMatches(entry.kind, w), where);
                if (entry.caption && *entry.caption)
                    QVERIFY2(captionOf(w) == QString::fromUtf8(entry.caption), where);
                if (p != PageId::Window)
                    QCOMPARE(window->tabs()->widget(tabOf(p))->findChild<QWidget*>(
                                 QString::number(entry.id)),
                             w);
                if (w->focusPolicy() & Qt::TabFocus) stops << w;
            }
            QList<QWidget*> chain;
            QWidget* w = stops.first();
            do {
                if (stops.contains(w) && !chain.contains(w)) chain << w;
                w = w->nextInFocusChain();
            } while (w != stops.first());
            QCOMPARE(chain, stops);
        }
    }

    // What the user types, and what the page then shows.
    void typingRunsThePageRules_data() {
        QTest::addColumn<PageId>("page");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<int>>("shownIds");
        QTest::addColumn<QStringList>("shown");

        using L = QList<int>;
        using S = QStringList;
        QTest::newRow("main: phone refuses letters")
            << PageId::Main << 1031 << "79a16+" << L{1031} << S{"7916"};
        QTest::newRow("main: phone holds fifteen digits")
            << PageId::Main << 1032 << "12345678901234567" << L{1032} << S{"123456789012345"};
        QTest::newRow("main: name takes any sixteen characters")
            << PageId::Main << 1034 << "Дача №7, Сосновка!" << L{1034} << S{"Дача №7, Сосновк"};
        QTest::newRow("wake: 25 days bounded to 20")
            << PageId::Wake << 1229 << "25" << L{1229, 1230, 1231} << S{"20", "0", "0"};
        QTest::newRow("wake: hours above 23") << PageId::Wake << 1230 << "24" << L{1230} << S{"23"};
        QTest::newRow("gps: radius passes small numbers on the way")
            << PageId::GPS << 1248 << "2500" << L{1248} << S{"2500"};
        QTest::newRow("gps: radius above 30000")
            << PageId::GPS << 1248 << "45000" << L{1248} << S{"30000"};
        QTest::newRow("gps: point after the degrees")
            << PageId::GPS << 1249 << "55" << L{1249, 1251, 1253, 1255} << S{"55.", "55", "0", "0"};
        QTest::newRow("gps: decimal latitude")
            << PageId::GPS << 1249 << "55.75" << L{1249, 1251, 1253, 1255}
            << S{"55.75", "55", "45", "0"};
        QTest::newRow("gps: latitude above 90")
            << PageId::GPS << 1249 << "95" << L{1249, 1251, 1253, 1255}
            << S{"90.000000", "90", "0", "0"};
        QTest::newRow("gps: letter first") << PageId::GPS << 1249 << "x" << L{1249} << S{""};
        QTest::newRow("gps: longitude 180")
            << PageId::GPS << 1250 << "180" << L{1250, 1252} << S{"180.000000", "180"};
        QTest::newRow("gps: minutes above 59") << PageId::GPS << 1253 << "75" << L{1253} << S{"59"};
        QTest::newRow("internet: 45 minutes")
            << PageId::Internet << 1261 << "45" << L{1261, 1262} << S{"30", "0"};
        QTest::newRow("internet: seconds above 59")
            << PageId::Internet << 1262 << "75" << L{1262} << S{"59"};
        QTest::newRow("sensors: sensitivity 9")
            << PageId::Sensors << 1278 << "9" << L{1278} << S{"7"};
        QTest::newRow("sensors: parking 5 hours")
            << PageId::Sensors << 1280 << "5" << L{1280, 1281} << S{"4", "0"};
        QTest::newRow("sensors: temperature with a sign")
            << PageId::Sensors << 1274 << "-40" << L{1274} << S{"-40"};
        QTest::newRow("expert: lock-out 45")
            << PageId::Expert << 1277 << "45" << L{1277} << S{"30"};
        QTest::newRow("expert: lock-out 0") << PageId::Expert << 1279 << "0" << L{1279} << S{"1"};
        QTest::newRow("expert: 12a") << PageId::Expert << 1284 << "12a" << L{1284} << S{"12"};
        QTest::newRow("expert: 1-2 kept") << PageId::Expert << 1286 << "1-2" << L{1286} << S{"1-2"};
        QTest::newRow("expert: -2000")
            << PageId::Expert << 1286 << "-2000" << L{1286} << S{"-1800"};
        QTest::newRow("expert: wait 10 minutes passes 1 minute on the way")
            << PageId::Expert << 1282 << "10" << L{1282, 1283} << S{"10", "0"};
        QTest::newRow("internet: host takes no colon")
            << PageId::Internet << 1250 << "gps:x.ru" << L{1250} << S{"gpsx.ru"};
        QTest::newRow("gps: degrees take digits only")
            << PageId::GPS << 1251 << "5x5" << L{1251} << S{"55"};
    }
    void typingRunsThePageRules() {
        QFETCH(PageId, page);
        QFETCH(int, id);
        QFETCH(QString, typed);
        QFETCH(QList<int>, shownIds);
        QFETCH(QStringList, shown);
        const PageAccess p = this->page(page);
        p.replace(id, typed);
        QStringList now;
        for (int shownId : shownIds) now << p.text(shownId);
        QCOMPARE(now, shown);
    }

    // Lower bounds that wait for the edit to lose the focus.
    void focusLossBounds() {
        const PageAccess gps = page(PageId::GPS);
        gps.replace(1248, "25");
        QCOMPARE(gps.text(1248), QString("25"));
        QTest::keyClick(gps.edit(1248), Qt::Key_Tab);
        QCOMPARE(gps.text(1248), QString("300"));

        const PageAccess expert = page(PageId::Expert);
        expert.replace(1282, "2");
        QCOMPARE(expert.text(1282), QString("2"));
        expert.edit(1286)->setFocus();
        QCOMPARE(expert.text(1282) + "/" + expert.text(1283), QString("5/0"));

        const PageAccess internet = page(PageId::Internet);
        internet.replace(1261, "0");
        internet.replace(1262, "5");
        QCOMPARE(internet.text(1262), QString("5"));
        internet.edit(1250)->setFocus();  // the user moves on
        QCOMPARE(internet.text(1261) + "/" + internet.text(1262), QString("0/15"));

        const PageAccess sensors = page(PageId::Sensors);
        sensors.replace(1284, "0");
        sensors.replace(1282, "0");
        sensors.replace(1283, "9");
        QCOMPARE(sensors.text(1283), QString("9"));
        QTest::keyClick(sensors.edit(1283), Qt::Key_Tab);
        QCOMPARE(sensors.text(1283), QString("15"));
    }

    // The time zone is picked from its list: there is no field to type into,
    // and keys move between the items only.
    void timeZoneListTakesNoTyping() {
        const PageAccess main = page(PageId::Main);
        auto* list = main.get<QComboBox>(1053);
        QVERIFY(!list->isEditable());
        QVERIFY(!list->lineEdit());
        list->setFocus();
        QTest::keyClicks(list, "xyz");
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->count(), 26);
        QCOMPARE(window->controls().comboSelection(PageId::Main, 1053), 13);
    }

    void sliderAndLevelFollowEachOther() {
        const PageAccess sensors = page(PageId::Sensors);
        auto* slider = sensors.get<QSlider>(1276);
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Home);  // the top: most sensitive
        QCOMPARE(sensors.text(1278), QString("7"));
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(sensors.text(1278), QString("1"));
        QTest::keyClick(slider, Qt::Key_Up);
        QCOMPARE(sensors.text(1278), QString("2"));
        sensors.replace(1278, "0");
        QCOMPARE(sensors.text(1278), QString("1"));
        QCOMPARE(slider->value(), 7);
        sensors.replace(1278, "6");
        QCOMPARE(slider->value(), 2);
    }

    void periodAndAlarmsExcludeEachOther() {
        const PageAccess wake = page(PageId::Wake);
        QVERIFY(wake.checked(1202) && !wake.checked(1221) && !wake.checked(1228));
        wake.click(1221);
        wake.click(1228);
        for (int box : {1202, 1220, 1221, 1222, 1223, 1224, 1225, 1226, 1227})
            QVERIFY(!wake.checked(box));
        wake.click(1228);
        QVERIFY(wake.checked(1202) && wake.checked(1221) && !wake.checked(1220));
        wake.click(1228);
        wake.click(1223);  // an alarm switched on switches the period off
        QVERIFY(!wake.checked(1228) && wake.checked(1223) && !wake.checked(1202));
    }

    void automaticApnKeepsTheTexts() {
        const PageAccess internet = page(PageId::Internet);
        QVERIFY(internet.checked(1264));  // the defaults have no APN
        QVERIFY(!internet.enabled(1251));
        internet.click(1264);
        QVERIFY(internet.enabled(1251) && internet.enabled(1253));
        const QString address = "apn.example-operator.ru/gprs.net";  // 32 characters
        internet.replace(1251, address + "x");
        internet.replace(1252, "логин");
        QCOMPARE(internet.text(1251), address);
        internet.click(1264);
        QCOMPARE(internet.text(1251) + internet.text(1252), QString());
        QVERIFY(!internet.enabled(1252));
        internet.click(1264);
        QCOMPARE(internet.text(1251), address);
        QCOMPARE(internet.text(1252), QString("логин"));
        QVERIFY(internet.enabled(1251));
    }

    void pickersShowHoursAndMinutes() {
        const PageAccess wake = page(PageId::Wake);
        auto* picker = wake.get<QTimeEdit>(1213);
        QCOMPARE(picker->displayFormat(), QString("HH:mm"));
        QCOMPARE(picker->text(), QString("14:00"));
        picker->setFocus();
        picker->setCurrentSection(QDateTimeEdit::MinuteSection);
        QTest::keyClick(picker, Qt::Key_Down);
        // each field turns round on its own, as the platform's pickers do
        QCOMPARE(window->controls().time(PageId::Wake, 1213), (TimeOfDay{14, 59}));
    }

    // Text the program writes is shown as written: no rule runs on it.
    void programWritesRunNoRule_data() {
        QTest::addColumn<PageId>("page");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("radius") << PageId::GPS << 1248 << "50";
        QTest::newRow("latitude") << PageId::GPS << 1249 << "95";
        QTest::newRow("lock-out") << PageId::Expert << 1277 << "45";
        QTest::newRow("correction") << PageId::Expert << 1284 << "-128";
        QTest::newRow("sensitivity") << PageId::Sensors << 1278 << "9";
    }
    void programWritesRunNoRule() {
        QFETCH(PageId, page);
        QFETCH(int, id);
        QFETCH(QString, text);
        window->controls().setText(page, id, text.toStdString());
        QCOMPARE(this->page(page).text(id), text);
        QVERIFY(!window->controls().modified(page, id));
    }
};

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
