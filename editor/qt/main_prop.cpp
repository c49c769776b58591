#include "editor/qt/main_prop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "editor/control_hints.h"
#include "editor/qt/page_builder.h"
#include "editor/qt/tooltip_text.h"

namespace {

// The nine additional numbers, in row order (rows 8 and 9 are 1041 and 1040).
constexpr int kRowLabels[9] = {1133, 1134, 1135, 1136, 1137, 1138, 1139, 1140, 1141};
constexpr int kRowEdits[9] = {1032, 1033, 1035, 1036, 1037, 1038, 1039, 1041, 1040};
constexpr int kRowChecks[9] = {1187, 1188, 1189, 1190, 1191, 1192, 1193, 1194, 1195};

// A phone number without its "+": fifteen digits and room for one more.
constexpr int kPhoneDigits = 16;

QGroupBox* radioGroup(PageBuilder& b, const QString& title, std::initializer_list<int> ids) {
    QGroupBox* box = PageBuilder::groupBox(title);
    auto* layout = new QVBoxLayout(box);
    for (int id : ids) layout->addWidget(b.radio(id));
    return box;
}

}  // namespace

CMainProp::CMainProp(QtControls& controls, QWidget* parent) : QWidget(parent) {
    PageBuilder b(controls, PageId::Main, this);

    auto* owner = new QGridLayout;
    owner->addWidget(b.label(1131), 0, 0);
    owner->addWidget(b.edit(1031), 0, 1);
    PageBuilder::fitDigits(b.edit(1031), kPhoneDigits);
    owner->addWidget(b.label(1122), 1, 0);
    owner->addWidget(b.edit(1034), 1, 1);
    PageBuilder::fitDigits(b.edit(1034), kPhoneDigits);
    owner->addWidget(b.check(1197), 2, 0, 1, 3);
    owner->addWidget(b.label(1196), 3, 0, 1, 3);
    owner->addWidget(b.combo(1053), 4, 0, 1, 3);
    owner->setColumnStretch(2, 1);

    auto* left = new QVBoxLayout;
    left->addLayout(owner);
    left->addWidget(radioGroup(b, "Язык SMS:", {1998, 1999, 2000}));
    left->addStretch(1);

    QGroupBox* numbers = PageBuilder::groupBox("Дополнительные номера тел.");
    auto* rows = new QGridLayout(numbers);
    for (int i = 0; i < 9; ++i) {
        rows->addWidget(b.label(kRowLabels[i]), i, 0, Qt::AlignRight);
        rows->addWidget(b.edit(kRowEdits[i]), i, 1);
        PageBuilder::fitDigits(b.edit(kRowEdits[i]), kPhoneDigits);
        rows->addWidget(b.check(kRowChecks[i]), i, 2);
    }

    auto* upper = new QHBoxLayout;
    upper->addLayout(left);
    upper->addWidget(numbers, 0, Qt::AlignTop);

    auto* lower = new QHBoxLayout;
    lower->addWidget(radioGroup(b, "Оповещение через SMS:", {2001, 2002, 2003}));
    lower->addWidget(radioGroup(b, "Оповещение звонком:", {2010, 2011, 2012}));

    auto* page = new QVBoxLayout(this);
    page->addLayout(upper);
    page->addLayout(lower);
    page->addStretch(1);

    for (const ControlHint& hint : mainPageHints())
        b.control(hint.id)->setToolTip(tooltipText(hint.text));
    b.finish();
}
