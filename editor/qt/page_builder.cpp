#include "editor/qt/page_builder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimeEdit>

PageBuilder::PageBuilder(QtControls& controls, PageId page, QWidget* pageWidget)
    : controls_(controls), page_(page), pageWidget_(pageWidget) {}

QWidget* PageBuilder::control(int id) {
    if (auto it = made_.find(id); it != made_.end()) return it->second;
    const ControlSpec* entry = findControl(page_, id);
    if (!entry) qFatal("control %d is missing from the control table", id);
    const QString caption = QString::fromUtf8(entry->caption ? entry->caption : "");

    QWidget* w = nullptr;
    switch (entry->kind) {
        case ControlKind::Label:
            w = new QLabel(caption);
            break;
        case ControlKind::GroupBox:
            w = new QGroupBox(caption);
            break;
        case ControlKind::Edit:
        case ControlKind::DigitsEdit:
        case ControlKind::SignedEdit:
            w = new QLineEdit;
            break;
        case ControlKind::CheckBox:
            w = new QCheckBox(caption);
            break;
        case ControlKind::RadioButton: {
            auto* button = new GroupRadioButton(caption);
            if (entry->group != 0) {
                QButtonGroup*& group = groups_[entry->group];
                if (!group) {
                    group = new QButtonGroup(pageWidget_);
                    group->setExclusive(false);  // the buttons keep it themselves
                }
                group->addButton(button);
            }
            w = button;
            break;
        }
        case ControlKind::ComboBox:
        case ControlKind::DropDownList: {
            auto* combo = new QComboBox;
            combo->setEditable(entry->kind == ControlKind::ComboBox);
            combo->setMaxVisibleItems(12);
            // The time-zone names are long: the field shows a good part of
            // one, the open list shows them whole.
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            combo->setMinimumContentsLength(28);
            w = combo;
            break;
        }
        case ControlKind::TimePicker: {
            auto* picker = new QTimeEdit;
            picker->setDisplayFormat("HH:mm");
            picker->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
            picker->setAlignment(Qt::AlignRight);
            // Hours and minutes each turn round on their own.
            picker->setWrapping(true);
            w = picker;
            break;
        }
        case ControlKind::Slider: {
            auto* slider = new QSlider(Qt::Vertical);
            slider->setTickPosition(QSlider::NoTicks);
            slider->setRange(0, 100);
            // Position 1 at the top, as the sensitivity scale reads; keys and
            // wheel move the thumb the way they point.
            slider->setInvertedAppearance(true);
            slider->setInvertedControls(true);
            slider->setPageStep(1);
            w = slider;
            break;
        }
    }
    controls_.bind(page_, id, entry->kind, w);
    made_[id] = w;
    return w;
}

QLineEdit* PageBuilder::edit(int id) {
    return qobject_cast<QLineEdit*>(control(id));
}
QCheckBox* PageBuilder::check(int id) {
    return qobject_cast<QCheckBox*>(control(id));
}
QAbstractButton* PageBuilder::radio(int id) {
    return qobject_cast<QAbstractButton*>(control(id));
}
QLabel* PageBuilder::label(int id) {
    return qobject_cast<QLabel*>(control(id));
}
QGroupBox* PageBuilder::box(int id) {
    return qobject_cast<QGroupBox*>(control(id));
}
QComboBox* PageBuilder::combo(int id) {
    return qobject_cast<QComboBox*>(control(id));
}
QTimeEdit* PageBuilder::picker(int id) {
    return qobject_cast<QTimeEdit*>(control(id));
}
QSlider* PageBuilder::slider(int id) {
    return qobject_cast<QSlider*>(control(id));
}

QLabel* PageBuilder::text(const QString& caption) {
    return new QLabel(caption);
}

QGroupBox* PageBuilder::groupBox(const QString& title) {
    return new QGroupBox(title);
}

void PageBuilder::fitDigits(QLineEdit* edit, int characters) {
    const QFontMetrics fm(edit->font());
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const int textWidth = fm.horizontalAdvance(QString(characters + 1, u'0'));
    const QSize size = edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option,
                                                       QSize(textWidth, fm.height()), edit);
    edit->setFixedWidth(size.width());
}

QHBoxLayout* PageBuilder::row(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QHBoxLayout;
    for (QWidget* w : widgets) layout->addWidget(w);
    layout->addStretch(1);
    return layout;
}

void PageBuilder::finish() {
    QWidget* previous = nullptr;
    for (const ControlSpec& entry : pageControls(page_)) {
        auto it = made_.find(entry.id);
        if (it == made_.end() || it->second->focusPolicy() == Qt::NoFocus) continue;
        if (previous) QWidget::setTabOrder(previous, it->second);
        previous = it->second;
    }
}
