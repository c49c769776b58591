#include "editor/qt/sensors_prop.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

#include "editor/qt/page_builder.h"

namespace {

QGroupBox* motionGroup(PageBuilder& b) {
    QGroupBox* box = PageBuilder::groupBox("Датчик движения, простоя");
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(b.check(1277));

    // The level edit left of the slider; the slider's ends are captioned.
    auto* sensitivity = new QGridLayout;
    QLabel* caption = b.label(1255);
    caption->setWordWrap(true);
    PageBuilder::fitDigits(b.edit(1278), 1);
    QSlider* slider = b.slider(1276);
    slider->setMinimumHeight(b.edit(1278)->sizeHint().height() * 3);
    sensitivity->addWidget(caption, 0, 0, 3, 1, Qt::AlignVCenter);
    sensitivity->addWidget(b.edit(1278), 0, 1, 3, 1, Qt::AlignVCenter);
    sensitivity->addWidget(slider, 0, 2, 3, 1, Qt::AlignHCenter);
    sensitivity->addWidget(b.label(1259), 0, 3, Qt::AlignTop);
    sensitivity->addWidget(b.label(1260), 2, 3, Qt::AlignBottom);
    sensitivity->setColumnStretch(0, 1);
    layout->addLayout(sensitivity);

    for (int id : {1280, 1281, 1284, 1282, 1283}) PageBuilder::fitDigits(b.edit(id), 2);
    layout->addLayout(PageBuilder::row({b.label(1256), b.edit(1280), PageBuilder::text("ч."),
                                        b.edit(1281), PageBuilder::text("мин.")}));
    layout->addWidget(b.check(1279));
    layout->addLayout(
        PageBuilder::row({b.edit(1284), PageBuilder::text("д."), b.edit(1282),
                          PageBuilder::text("ч."), b.edit(1283), PageBuilder::text("мин.")}));
    return box;
}

QGroupBox* relayGroup(PageBuilder& b) {
    QGroupBox* box = PageBuilder::groupBox("Реле");
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(b.check(1268));
    layout->addWidget(b.label(1258));
    for (int id : {1264, 1265, 1266}) PageBuilder::fitDigits(b.edit(id), 2);
    layout->addLayout(
        PageBuilder::row({b.edit(1264), PageBuilder::text("ч."), b.edit(1265),
                          PageBuilder::text("мин."), b.edit(1266), PageBuilder::text("с.")}));
    layout->addWidget(b.check(1267));
    return box;
}

QGroupBox* temperatureGroup(PageBuilder& b) {
    QGroupBox* box = PageBuilder::groupBox("Контроль температуры");
    auto* layout = new QGridLayout(box);
    int row = 0;
    for (int id : {2035, 2036, 2037, 2038, 2039}) layout->addWidget(b.radio(id), row++, 0);
    // Degrees Celsius with a sign, of any length: wide enough for "-273".
    for (int id : {1274, 1273}) PageBuilder::fitDigits(b.edit(id), 5);
    layout->addWidget(PageBuilder::text("Tmax.:"), 0, 1);
    layout->addWidget(b.edit(1274), 0, 2);
    layout->addWidget(PageBuilder::text("Tmin.:"), 1, 1);
    layout->addWidget(b.edit(1273), 1, 2);
    layout->setColumnStretch(3, 1);
    return box;
}

}  // namespace

CSensorsProp::CSensorsProp(QtControls& controls, QWidget* parent) : QWidget(parent) {
    PageBuilder b(controls, PageId::Sensors, this);

    auto* left = new QVBoxLayout;
    left->addWidget(motionGroup(b));
    left->addWidget(b.check(1275));
    QLabel* input = b.label(1257);
    input->setWordWrap(true);
    left->addWidget(input);
    left->addLayout(PageBuilder::row({b.radio(2045), b.radio(2046), b.radio(2047)}));
    left->addStretch(1);

    auto* right = new QVBoxLayout;
    right->addWidget(relayGroup(b));
    right->addWidget(temperatureGroup(b));
    right->addWidget(b.check(1285));
    PageBuilder::fitDigits(b.edit(1286), 4);
    right->addLayout(PageBuilder::row({b.label(1261), b.edit(1286), PageBuilder::text("км./ч.")}));
    right->addStretch(1);

    auto* page = new QHBoxLayout(this);
    page->addLayout(left, 1);
    page->addLayout(right, 1);
    b.finish();
}
