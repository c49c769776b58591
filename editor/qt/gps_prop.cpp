#include "editor/qt/gps_prop.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "editor/qt/page_builder.h"

namespace {

struct CoordinateRow {
    int caption;
    int hemisphere[2];
    int decimal, degrees, degreesUnit, minutes, comma, fraction, minutesUnit;
};
constexpr CoordinateRow kLatitude{1244, {1279, 1280}, 1249, 1251, 1246, 1253, 1257, 1255, 1259};
constexpr CoordinateRow kLongitude{1245, {1281, 1282}, 1250, 1252, 1247, 1254, 1258, 1256, 1260};

// One coordinate in the zone grid: caption above; hemisphere buttons left of
// the decimal edit, then degrees, minutes and fraction, in columns shared by
// both coordinates.
void addCoordinate(PageBuilder& b, QGridLayout* grid, int row, const CoordinateRow& c) {
    grid->addWidget(b.label(c.caption), row, 0, 1, 2);
    auto* hemisphere = new QVBoxLayout;
    hemisphere->addWidget(b.radio(c.hemisphere[0]));
    hemisphere->addWidget(b.radio(c.hemisphere[1]));
    grid->addLayout(hemisphere, row + 1, 0);
    PageBuilder::fitDigits(b.edit(c.decimal), 10);
    PageBuilder::fitDigits(b.edit(c.degrees), 3);
    PageBuilder::fitDigits(b.edit(c.minutes), 2);
    PageBuilder::fitDigits(b.edit(c.fraction), 4);
    const int parts[] = {c.decimal, c.degrees,  c.degreesUnit, c.minutes,
                         c.comma,   c.fraction, c.minutesUnit};
    int column = 1;
    for (int id : parts) grid->addWidget(b.control(id), row + 1, column++);
}

}  // namespace

CGPSProp::CGPSProp(QtControls& controls, QWidget* parent) : QWidget(parent) {
    PageBuilder b(controls, PageId::GPS, this);

    auto* methods = new QVBoxLayout;
    for (int id : {1234, 1235, 1236}) methods->addWidget(b.check(id));
    methods->addStretch(1);

    QGroupBox* format = b.box(1239);
    auto* formatLayout = new QVBoxLayout(format);
    for (int id : {2030, 2031, 2032}) formatLayout->addWidget(b.radio(id));

    auto* upper = new QHBoxLayout;
    upper->addLayout(methods);
    upper->addWidget(format, 0, Qt::AlignTop);

    QGroupBox* zone = PageBuilder::groupBox("Контроль зоны");
    auto* grid = new QGridLayout(zone);
    grid->addWidget(b.check(1238), 0, 0, 1, 8);
    PageBuilder::fitDigits(b.edit(1248), 8);
    grid->addWidget(b.label(1243), 1, 0);
    grid->addLayout(PageBuilder::row({b.edit(1248), b.label(1261)}), 1, 1, 1, 7);
    addCoordinate(b, grid, 2, kLatitude);
    addCoordinate(b, grid, 4, kLongitude);
    grid->setColumnStretch(8, 1);

    auto* page = new QVBoxLayout(this);
    page->addLayout(upper);
    page->addWidget(zone);
    page->addStretch(1);
    b.finish();
}
