#include "editor/qt/wake_prop.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "editor/qt/page_builder.h"

namespace {

constexpr int kRowLabels[9] = {1203, 1204, 1205, 1206, 1207, 1208, 1209, 1210, 1211};
constexpr int kRowPickers[9] = {1201, 1212, 1213, 1214, 1215, 1216, 1217, 1218, 1219};
constexpr int kRowChecks[9] = {1202, 1220, 1221, 1222, 1223, 1224, 1225, 1226, 1227};

}  // namespace

CWakeProp::CWakeProp(QtControls& controls, QWidget* parent) : QWidget(parent) {
    PageBuilder b(controls, PageId::Wake, this);

    QGroupBox* alarms = b.box(1197);
    auto* rows = new QGridLayout(alarms);
    for (int i = 0; i < 9; ++i) {
        rows->addWidget(b.label(kRowLabels[i]), i, 0, Qt::AlignRight);
        rows->addWidget(b.picker(kRowPickers[i]), i, 1);
        rows->addWidget(b.check(kRowChecks[i]), i, 2);
    }

    QGroupBox* period = b.box(1198);
    auto* periodLayout = new QVBoxLayout(period);
    for (int id : {1229, 1230, 1231}) PageBuilder::fitDigits(b.edit(id), 2);
    periodLayout->addLayout(
        PageBuilder::row({b.edit(1229), PageBuilder::text("д."), b.edit(1230),
                          PageBuilder::text("ч."), b.edit(1231), PageBuilder::text("мин.")}));
    periodLayout->addWidget(b.check(1228));

    auto* page = new QHBoxLayout(this);
    page->addWidget(alarms, 0, Qt::AlignTop);
    page->addWidget(period, 0, Qt::AlignTop);
    page->addStretch(1);
    b.finish();
}
