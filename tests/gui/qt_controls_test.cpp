// The Qt binding of the controls layer, driven with real input events: what a
// user does reaches the sink once per change, what the program writes never
// does, and the typing rules hold for keys and for pasted text.
#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <QtTest>
#include <functional>
#include <vector>

#include "editor/qt/qt_controls.h"
#include "gui_test_support.h"

struct Event {
    PageId page;
    int id;
    ControlEvent what;
    bool operator==(const Event&) const = default;
};

namespace QTest {
template <>
inline char* toString(const std::vector<Event>& events) {
    QByteArray out;
    for (const Event& e : events)
        out += QByteArray::number(e.id) + ":" + QByteArray::number(int(e.what)) + " ";
    return qstrdup(out.constData());
}
}  // namespace QTest

namespace {

constexpr PageId P = PageId::Main;

class Recorder : public ControlEventSink {
  public:
    void onControlEvent(PageId page, int id, ControlEvent event) override {
        events.push_back({page, id, event});
        if (handler) handler(id, event);
    }
    std::vector<Event> events;
    std::function<void(int, ControlEvent)> handler;
};

}  // namespace

class QtControlsTest : public QObject {
    Q_OBJECT

  private:
    QWidget* window = nullptr;
    QtControls* controls = nullptr;
    Recorder sink;
    QLineEdit* digits = nullptr;    // 1, digits only
    QLineEdit* any = nullptr;       // 2, any text
    QLineEdit* other = nullptr;     // 3, takes the focus away
    QCheckBox* box = nullptr;       // 10
    GroupRadioButton* radios[3]{};  // 20..22
    QComboBox* combo = nullptr;     // 30
    QTimeEdit* picker = nullptr;    // 40
    QSlider* slider = nullptr;      // 50

    void type(QWidget* w, const QString& keys) { typeText(w, keys); }

  private slots:
    void init() {
        window = new QWidget;
        auto* layout = new QVBoxLayout(window);
        controls = new QtControls(window);
        controls->setSink(&sink);
        digits = new QLineEdit;
        any = new QLineEdit;
        other = new QLineEdit;
        box = new QCheckBox("box");
        combo = new QComboBox;
        picker = new QTimeEdit;
        picker->setDisplayFormat("HH:mm");
        slider = new QSlider(Qt::Vertical);
        for (QWidget* w : {static_cast<QWidget*>(digits), static_cast<QWidget*>(any),
                           static_cast<QWidget*>(other), static_cast<QWidget*>(box)})
            layout->addWidget(w);
        auto* group = new QButtonGroup(window);
        group->setExclusive(false);
        for (int i = 0; i < 3; ++i) {
            radios[i] = new GroupRadioButton(QString("r%1").arg(i));
            group->addButton(radios[i]);
            layout->addWidget(radios[i]);
            controls->bind(P, 20 + i, ControlKind::RadioButton, radios[i]);
        }
        layout->addWidget(combo);
        layout->addWidget(picker);
        layout->addWidget(slider);
        controls->bind(P, 1, ControlKind::DigitsEdit, digits);
        controls->bind(P, 2, ControlKind::Edit, any);
        controls->bind(P, 3, ControlKind::Edit, other);
        controls->bind(P, 10, ControlKind::CheckBox, box);
        controls->bind(P, 30, ControlKind::ComboBox, combo);
        controls->bind(P, 40, ControlKind::TimePicker, picker);
        controls->bind(P, 50, ControlKind::Slider, slider);
        // the focus starts on a control of no page, so leaving it says nothing
        auto* unbound = new QLineEdit;
        layout->addWidget(unbound);
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        unbound->setFocus();
        sink.events.clear();
        sink.handler = nullptr;
    }

    void cleanup() {
        sink.handler = nullptr;
        controls->setSink(nullptr);
        delete window;
    }

    void bindingNamesWidgetsByTheirIds() {
        QCOMPARE(window->findChild<QLineEdit*>("1"), digits);
        QCOMPARE(controls->widget(P, 30), combo);
        QCOMPARE(controls->widget(PageId::GPS, 1), nullptr);  // ids are per page
    }

    // Every key the user types that the edit takes is one change, with the
    // modified flag set when the handler runs.
    void typingSendsOneChangePerKeyWithTheFlagSet() {
        std::vector<bool> flagSeen;
        sink.handler = [&](int id, ControlEvent) { flagSeen.push_back(controls->modified(P, id)); };
        type(any, "ab");
        QTest::keyClick(any, Qt::Key_Backspace);
        const std::vector<Event> want(3, Event{P, 2, ControlEvent::Changed});
        QCOMPARE(sink.events, want);
        QCOMPARE(flagSeen, std::vector<bool>(3, true));
        QCOMPARE(controls->text(P, 2), std::string("a"));
    }

    void digitsOnlyRefusesOtherCharacters_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("changes");
        QTest::newRow("digits") << "0123"
                                << "0123" << 4;
        QTest::newRow("letters and signs") << "1a-2 .+3"
                                           << "123" << 3;
        QTest::newRow("cyrillic") << "7ж8"
                                  << "78" << 2;
        QTest::newRow("non-ascii digits") << "1\u0663"
                                          << "1" << 1;
    }
    void digitsOnlyRefusesOtherCharacters() {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(int, changes);
        type(digits, keys);
        QCOMPARE(digits->text(), shown);
        QCOMPARE(int(sink.events.size()), changes);
    }

    void pasteIsJudgedLikeTyping_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("after");
        QTest::newRow("digits into a number edit") << 1 << "12"
                                                   << "345"
                                                   << "12345";
        QTest::newRow("a letter among digits") << 1 << "12"
                                               << "3x4"
                                               << "12";
        QTest::newRow("past the limit") << 2 << "abc"
                                        << "def"
                                        << "abc";
        QTest::newRow("up to the limit") << 2 << "abc"
                                         << "d"
                                         << "abcd";
    }
    void pasteIsJudgedLikeTyping() {
        QFETCH(int, id);
        QFETCH(QString, before);
        QFETCH(QString, clip);
        QFETCH(QString, after);
        controls->setTextLimit(P, 2, 4);
        controls->setText(P, id, before.toStdString());
        auto* edit = static_cast<QLineEdit*>(controls->widget(P, id));
        edit->setFocus();
        edit->end(false);
        QGuiApplication::clipboard()->setText(clip);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), after);
        QCOMPARE(controls->modified(P, id), after != before);
    }

    // The limit stops the user, never the program: a longer text written by
    // the program is shown whole, can be shortened, but not lengthened.
    void limitBindsTheUserOnly() {
        controls->setTextLimit(P, 2, 3);
        QCOMPARE(controls->textLimit(P, 2), 3);
        type(any, "abcd");
        QCOMPARE(any->text(), QString("abc"));
        controls->setText(P, 2, "-128");
        QCOMPARE(controls->text(P, 2), std::string("-128"));
        any->end(false);
        type(any, "9");
        QCOMPARE(any->text(), QString("-128"));
        QTest::keyClick(any, Qt::Key_Backspace);
        QCOMPARE(any->text(), QString("-12"));
        type(any, "7");
        QCOMPARE(any->text(), QString("-12"));
    }

    // A number edit with a sign the program wrote still takes digits.
    void digitsOnlyJudgesOnlyWhatIsTyped() {
        controls->setText(P, 1, "-5");
        digits->end(false);
        type(digits, "3");
        QCOMPARE(digits->text(), QString("-53"));
    }

    // Program writes of every kind reach no handler and leave the flag clear.
    void programWritesAreSilent() {
        type(any, "x");
        QVERIFY(controls->modified(P, 2));
        sink.events.clear();
        controls->setText(P, 2, "Привет");
        controls->setText(P, 1, "42");
        controls->setChecked(P, 10, true);
        controls->checkRadio(P, 20, 22, 21);
        controls->addComboItem(P, 30, "a");
        controls->addComboItem(P, 30, "b");
        controls->setComboSelection(P, 30, 1);
        controls->setTime(P, 40, {22, 30});
        controls->setSliderRange(P, 50, 1, 7);
        controls->setSliderPosition(P, 50, 5);
        QVERIFY(sink.events.empty());
        QVERIFY(!controls->modified(P, 2));
        QCOMPARE(controls->text(P, 2), std::string("Привет"));
        QCOMPARE(controls->comboSelection(P, 30), 1);
        QCOMPARE(controls->time(P, 40), (TimeOfDay{22, 30}));
        QCOMPARE(controls->sliderPosition(P, 50), 5);
        QCOMPARE(picker->text(), QString("22:30"));
    }

    // A handler that rewrites the edit it runs for (the page rules' bounds):
    // the text, caret and flag it leaves are what the user sees, and its own
    // write starts no second pass.
    void handlerRewritingItsEditIsNotReentered() {
        controls->setTextLimit(P, 1, 5);
        sink.handler = [&](int id, ControlEvent e) {
            if (id != 1 || e != ControlEvent::Changed || !controls->modified(P, 1)) return;
            if (std::stoi("0" + controls->text(P, 1)) > 500) controls->setText(P, 1, "500");
            controls->setCaret(P, 1, 1);
            controls->setModified(P, 1, false);
        };
        type(digits, "45");
        QCOMPARE(digits->text(), QString("45"));
        QCOMPARE(digits->cursorPosition(), 1);
        // the caret stands after "4": the next key goes between
        type(digits, "0");
        QCOMPARE(digits->text(), QString("405"));
        digits->end(false);
        type(digits, "0");
        QCOMPARE(digits->text(), QString("500"));
        QCOMPARE(digits->cursorPosition(), 1);
        QVERIFY(!controls->modified(P, 1));
        QCOMPARE(int(sink.events.size()), 4);
    }

    void focusLossIsReportedForEveryEdit() {
        any->setFocus();
        QVERIFY(any->hasFocus());
        sink.events.clear();
        other->setFocus();
        QCOMPARE(sink.events, (std::vector<Event>{{P, 2, ControlEvent::FocusLost}}));
    }

    void caretIsKeptInsideTheText() {
        controls->setText(P, 2, "abc");
        any->selectAll();
        controls->setCaret(P, 2, 10);
        QCOMPARE(controls->caret(P, 2), 3);
        QVERIFY(!any->hasSelectedText());
        controls->setCaret(P, 2, 1);
        QCOMPARE(controls->caret(P, 2), 1);
    }

    void checkBoxClickIsOneEvent() {
        clickButton(box);
        QVERIFY(controls->checked(P, 10));
        QCOMPARE(sink.events, (std::vector<Event>{{P, 10, ControlEvent::Clicked}}));
    }

    void radioGroupRules() {
        // program: one button at a time, and an id outside the range clears all
        controls->setChecked(P, 20, true);
        controls->setChecked(P, 21, true);
        QVERIFY(controls->checked(P, 20) && controls->checked(P, 21));
        controls->checkRadio(P, 20, 22, 22);
        QCOMPARE(controls->checkedRadio(P, 20, 22), 22);
        controls->checkRadio(P, 20, 22, 99);
        QCOMPARE(controls->checkedRadio(P, 20, 22), 0);
        QVERIFY(!radios[2]->isChecked());
        // user: a click checks the button and clears the others; a click on the
        // checked button keeps it checked
        controls->checkRadio(P, 20, 22, 20);
        clickButton(radios[1]);
        QCOMPARE(controls->checkedRadio(P, 20, 22), 21);
        QVERIFY(!radios[0]->isChecked());
        clickButton(radios[1]);
        QVERIFY(radios[1]->isChecked());
        QCOMPARE(sink.events, (std::vector<Event>(2, {P, 21, ControlEvent::Clicked})));
    }

    void comboSelection() {
        QCOMPARE(controls->comboSelection(P, 30), -1);
        controls->setComboSelection(P, 30, 0);  // empty list: nothing to select
        QCOMPARE(controls->comboSelection(P, 30), -1);
        for (const char* item : {"(GMT) Greenwich", "(GMT+01:00) Amsterdam", "(GMT+02:00) Athen"})
            controls->addComboItem(P, 30, item);
        QCOMPARE(controls->comboCount(P, 30), 3);
        QCOMPARE(controls->comboSelection(P, 30), -1);  // adding selects nothing
        controls->setComboSelection(P, 30, 2);
        QCOMPARE(controls->text(P, 30), std::string("(GMT+02:00) Athen"));
        controls->setComboSelection(P, 30, 3);
        QCOMPARE(controls->comboSelection(P, 30), -1);
        QCOMPARE(controls->text(P, 30), std::string());
        controls->setComboSelection(P, 30, 1);

        // typing over the selection: the item spelt exactly so, or none
        combo->lineEdit()->selectAll();
        type(combo->lineEdit(), "(GMT) Greenwich");
        QCOMPARE(controls->comboSelection(P, 30), 0);
        type(combo->lineEdit(), "x");
        QCOMPARE(controls->comboSelection(P, 30), -1);
        combo->lineEdit()->selectAll();
        type(combo->lineEdit(), "(gmt) greenwich");
        QCOMPARE(controls->comboSelection(P, 30), -1);
        QCOMPARE(controls->comboCount(P, 30), 3);
        QVERIFY(!sink.events.empty());
        QVERIFY(std::all_of(sink.events.begin(), sink.events.end(),
                            [](const Event& e) { return e.what == ControlEvent::Changed; }));

        // choosing from the list
        sink.events.clear();
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_VERIFY(!combo->view()->isVisible());
        QVERIFY(std::count(sink.events.begin(), sink.events.end(),
                           Event{P, 30, ControlEvent::Selected}) == 1);
        QVERIFY(controls->comboSelection(P, 30) >= 0);
    }

    void timePickerShowsHoursAndMinutes() {
        controls->setTime(P, 40, {9, 5});
        QCOMPARE(picker->text(), QString("09:05"));
        controls->setTime(P, 40, {24, 0});  // not a time of day: left as it was
        QCOMPARE(controls->time(P, 40), (TimeOfDay{9, 5}));
        picker->setFocus();
        picker->setCurrentSection(QDateTimeEdit::HourSection);
        QTest::keyClick(picker, Qt::Key_Up);
        QCOMPARE(controls->time(P, 40), (TimeOfDay{10, 5}));
        QCOMPARE(sink.events, (std::vector<Event>{{P, 40, ControlEvent::TimeChanged}}));
    }

    void sliderKeepsInsideItsRange() {
        controls->setSliderRange(P, 50, 1, 7);
        controls->setSliderPosition(P, 50, 9);
        QCOMPARE(controls->sliderPosition(P, 50), 7);
        controls->setSliderRange(P, 50, 1, 3);
        QCOMPARE(controls->sliderPosition(P, 50), 3);
        QVERIFY(sink.events.empty());
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(controls->sliderPosition(P, 50), 1);
        QCOMPARE(sink.events, (std::vector<Event>{{P, 50, ControlEvent::SliderMoved}}));
    }

    // A control's own enabled state, whether or not its page is on screen.
    void enabledIsTheControlsOwnState() {
        controls->setEnabled(P, 2, false);
        QVERIFY(!controls->enabled(P, 2));
        window->hide();
        QVERIFY(controls->enabled(P, 1));
        window->setEnabled(false);
        QVERIFY(controls->enabled(P, 1));
        QVERIFY(!controls->enabled(P, 2));
    }

    void unknownControlsAnswerEmpty() {
        controls->setText(P, 999, "x");
        QCOMPARE(controls->text(P, 999), std::string());
        QCOMPARE(controls->comboSelection(P, 999), -1);
        QVERIFY(!controls->checked(P, 999));
        QVERIFY(!controls->enabled(P, 999));
    }
};

QTEST_MAIN(QtControlsTest)
#include "qt_controls_test.moc"
