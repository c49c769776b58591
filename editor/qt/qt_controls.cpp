#include "editor/qt/qt_controls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimeEdit>
#include <algorithm>

namespace {

QString fromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Runs a program write on an edit: its rules let the text pass and judge the
// next user change against it.
template <typename Write>
void programWrite(EditRules* rules, QLineEdit* edit, Write write) {
    if (rules) rules->setProgramWrite(true);
    write();
    if (rules) {
        rules->setProgramWrite(false);
        rules->acceptProgramText(edit->text());
    }
}

}  // namespace

EditRules::EditRules(bool digitsOnly, QObject* parent)
    : QValidator(parent), digitsOnly_(digitsOnly) {}

void EditRules::acceptProgramText(const QString& text) {
    previous_ = text;
}

QValidator::State EditRules::validate(QString& input, int& /*pos*/) const {
    if (programWrite_) {
        previous_ = input;
        return Acceptable;
    }
    // The inserted part: what lies between the common head and tail.
    const qsizetype oldSize = previous_.size();
    const qsizetype newSize = input.size();
    qsizetype head = 0;
    while (head < oldSize && head < newSize && previous_[head] == input[head]) ++head;
    qsizetype tail = 0;
    while (tail < oldSize - head && tail < newSize - head &&
           previous_[oldSize - 1 - tail] == input[newSize - 1 - tail])
        ++tail;
    const QStringView inserted = QStringView(input).mid(head, newSize - head - tail);
    if (!inserted.isEmpty()) {
        if (digitsOnly_ && !std::all_of(inserted.begin(), inserted.end(), isAsciiDigit))
            return Invalid;
        if (newSize > limit_) return Invalid;
    }
    previous_ = input;
    return Acceptable;
}

GroupRadioButton::GroupRadioButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent) {
    setAutoExclusive(false);
}

void GroupRadioButton::nextCheckState() {
    if (isChecked()) return;  // a click on the checked button keeps it checked
    setChecked(true);
    if (QButtonGroup* g = group()) {
        for (QAbstractButton* other : g->buttons())
            if (other != this) other->setChecked(false);
    }
}

QtControls::QtControls(QObject* parent) : QObject(parent) {}

QtControls::~QtControls() = default;

void QtControls::bind(PageId page, int id, ControlKind kind, QWidget* widget) {
    Bound b{page, id, kind, widget};
    widget->setObjectName(QString::number(id));
    const int k = key(page, id);

    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        b.rules = new EditRules(kind == ControlKind::DigitsEdit, edit);
        b.rules->acceptProgramText(edit->text());
        edit->setValidator(b.rules);
        connect(edit, &QLineEdit::textEdited, this,
                [this, page, id] { send(page, id, ControlEvent::Changed); });
        edit->installEventFilter(this);
        byObject_[edit] = k;
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        // A drop-down list offers its items only; a combo box takes typing too.
        combo->setEditable(kind == ControlKind::ComboBox);
        if (QLineEdit* edit = combo->lineEdit()) {
            // Typed text stays typed text: no completion, nothing added to the list.
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCompleter(nullptr);
            b.rules = new EditRules(false, edit);
            b.rules->acceptProgramText(edit->text());
            edit->setValidator(b.rules);
            connect(edit, &QLineEdit::textEdited, this,
                    [this, page, id] { send(page, id, ControlEvent::Changed); });
        }
        connect(combo, &QComboBox::activated, this,
                [this, page, id] { send(page, id, ControlEvent::Selected); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, page, id] { send(page, id, ControlEvent::Clicked); });
    } else if (auto* picker = qobject_cast<QTimeEdit*>(widget)) {
        connect(picker, &QTimeEdit::timeChanged, this,
                [this, page, id] { send(page, id, ControlEvent::TimeChanged); });
    } else if (auto* slider = qobject_cast<QSlider*>(widget)) {
        connect(slider, &QSlider::valueChanged, this,
                [this, page, id] { send(page, id, ControlEvent::SliderMoved); });
    }
    bound_[k] = b;
}

QWidget* QtControls::widget(PageId page, int id) const {
    const Bound* b = find(page, id);
    return b ? b->widget.data() : nullptr;
}

const QtControls::Bound* QtControls::find(PageId page, int id) const {
    auto it = bound_.find(key(page, id));
    if (it == bound_.end() || !it->second.widget) return nullptr;
    return &it->second;
}

QLineEdit* QtControls::lineEdit(const Bound* b) const {
    if (!b) return nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(b->widget.data())) return edit;
    if (auto* combo = qobject_cast<QComboBox*>(b->widget.data())) return combo->lineEdit();
    return nullptr;
}

void QtControls::send(PageId page, int id, ControlEvent event) {
    if (sink_) sink_->onControlEvent(page, id, event);
}

bool QtControls::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // A context menu of the edit itself is not leaving the edit.
        auto* focus = static_cast<QFocusEvent*>(event);
        auto it = byObject_.find(watched);
        if (it != byObject_.end() && focus->reason() != Qt::PopupFocusReason) {
            const Bound& b = bound_.at(it->second);
            send(b.page, b.id, ControlEvent::FocusLost);
        }
    }
    return QObject::eventFilter(watched, event);
}

std::string QtControls::text(PageId page, int id) const {
    const Bound* b = find(page, id);
    if (!b) return {};
    if (QLineEdit* edit = lineEdit(b)) return edit->text().toStdString();
    QWidget* w = b->widget.data();
    if (auto* list = qobject_cast<QComboBox*>(w)) return list->currentText().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
    if (auto* box = qobject_cast<QGroupBox*>(w)) return box->title().toStdString();
    return {};
}

void QtControls::setText(PageId page, int id, std::string_view utf8) {
    const Bound* b = find(page, id);
    if (!b) return;
    const QString text = fromUtf8(utf8);
    if (QLineEdit* edit = lineEdit(b)) {
        programWrite(b->rules, edit, [&] { edit->setText(text); });
        return;
    }
    QWidget* w = b->widget.data();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(w))
        box->setTitle(text);
}

bool QtControls::modified(PageId page, int id) const {
    QLineEdit* edit = lineEdit(find(page, id));
    return edit && edit->isModified();
}

void QtControls::setModified(PageId page, int id, bool modified) {
    if (QLineEdit* edit = lineEdit(find(page, id))) edit->setModified(modified);
}

int QtControls::caret(PageId page, int id) const {
    QLineEdit* edit = lineEdit(find(page, id));
    return edit ? edit->cursorPosition() : 0;
}

void QtControls::setCaret(PageId page, int id, int position) {
    QLineEdit* edit = lineEdit(find(page, id));
    if (!edit) return;
    const int at = std::clamp(position, 0, static_cast<int>(edit->text().size()));
    edit->deselect();
    edit->setCursorPosition(at);
}

void QtControls::setTextLimit(PageId page, int id, int characters) {
    const Bound* b = find(page, id);
    if (b && b->rules) b->rules->setLimit(characters > 0 ? characters : kDefaultEditLimit);
}

int QtControls::textLimit(PageId page, int id) const {
    const Bound* b = find(page, id);
    return b && b->rules ? b->rules->limit() : 0;
}

bool QtControls::checked(PageId page, int id) const {
    const Bound* b = find(page, id);
    auto* button = b ? qobject_cast<QAbstractButton*>(b->widget.data()) : nullptr;
    return button && button->isCheckable() && button->isChecked();
}

void QtControls::setChecked(PageId page, int id, bool on) {
    const Bound* b = find(page, id);
    auto* button = b ? qobject_cast<QAbstractButton*>(b->widget.data()) : nullptr;
    if (!button) return;
    // An auto-exclusive button (one not made by the page builder) cannot be
    // unchecked directly; lift the rule for this one write.
    const bool exclusive = button->autoExclusive();
    if (exclusive && !on) button->setAutoExclusive(false);
    button->setChecked(on);
    if (exclusive && !on) button->setAutoExclusive(true);
}

bool QtControls::enabled(PageId page, int id) const {
    const Bound* b = find(page, id);
    // The control's own state, whatever its page's: the page may be hidden or
    // off screen, the control is still enabled or not.
    return b && !b->widget->testAttribute(Qt::WA_ForceDisabled);
}

void QtControls::setEnabled(PageId page, int id, bool on) {
    if (const Bound* b = find(page, id)) b->widget->setEnabled(on);
}

void QtControls::addComboItem(PageId page, int id, std::string_view utf8) {
    const Bound* b = find(page, id);
    auto* combo = b ? qobject_cast<QComboBox*>(b->widget.data()) : nullptr;
    if (!combo) return;
    // Adding the first item would select it; an empty list's selection stays
    // none, as the page logic expects.
    const int selection = comboSelection(page, id);
    QLineEdit* edit = combo->lineEdit();
    const QString shown = edit ? edit->text() : QString();
    programWrite(b->rules, edit, [&] {
        QSignalBlocker quiet(combo);
        combo->addItem(fromUtf8(utf8));
        if (selection < 0) {
            combo->setCurrentIndex(-1);
            if (edit) edit->setText(shown);
        }
    });
}

int QtControls::comboCount(PageId page, int id) const {
    const Bound* b = find(page, id);
    auto* combo = b ? qobject_cast<QComboBox*>(b->widget.data()) : nullptr;
    return combo ? combo->count() : 0;
}

int QtControls::comboSelection(PageId page, int id) const {
    const Bound* b = find(page, id);
    auto* combo = b ? qobject_cast<QComboBox*>(b->widget.data()) : nullptr;
    if (!combo) return -1;
    const int current = combo->currentIndex();
    if (!combo->lineEdit()) return current;
    const QString typed = combo->lineEdit()->text();
    if (current >= 0 && combo->itemText(current) == typed) return current;
    // The user typed over the selection: it is the item spelt so, if any.
    return typed.isEmpty() ? -1 : combo->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void QtControls::setComboSelection(PageId page, int id, int index) {
    const Bound* b = find(page, id);
    auto* combo = b ? qobject_cast<QComboBox*>(b->widget.data()) : nullptr;
    if (!combo) return;
    const int to = index >= 0 && index < combo->count() ? index : -1;
    QLineEdit* edit = combo->lineEdit();
    programWrite(b->rules, edit, [&] {
        QSignalBlocker quiet(combo);
        combo->setCurrentIndex(to);
        if (!edit) return;
        // setCurrentIndex keeps a typed text when the index is unchanged.
        edit->setText(to >= 0 ? combo->itemText(to) : QString());
        // A long item shows from its beginning, as a selected item does.
        edit->setCursorPosition(0);
    });
}

TimeOfDay QtControls::time(PageId page, int id) const {
    const Bound* b = find(page, id);
    auto* picker = b ? qobject_cast<QTimeEdit*>(b->widget.data()) : nullptr;
    if (!picker) return {};
    const QTime t = picker->time();
    return {t.hour(), t.minute()};
}

void QtControls::setTime(PageId page, int id, TimeOfDay t) {
    const Bound* b = find(page, id);
    auto* picker = b ? qobject_cast<QTimeEdit*>(b->widget.data()) : nullptr;
    if (!picker || !QTime::isValid(t.hour, t.minute, 0)) return;
    QSignalBlocker quiet(picker);
    picker->setTime(QTime(t.hour, t.minute));
}

void QtControls::setSliderRange(PageId page, int id, int min, int max) {
    const Bound* b = find(page, id);
    auto* slider = b ? qobject_cast<QSlider*>(b->widget.data()) : nullptr;
    if (!slider) return;
    QSignalBlocker quiet(slider);
    slider->setRange(std::min(min, max), std::max(min, max));
}

int QtControls::sliderPosition(PageId page, int id) const {
    const Bound* b = find(page, id);
    auto* slider = b ? qobject_cast<QSlider*>(b->widget.data()) : nullptr;
    return slider ? slider->value() : 0;
}

void QtControls::setSliderPosition(PageId page, int id, int position) {
    const Bound* b = find(page, id);
    auto* slider = b ? qobject_cast<QSlider*>(b->widget.data()) : nullptr;
    if (!slider) return;
    QSignalBlocker quiet(slider);
    slider->setValue(position);
}
