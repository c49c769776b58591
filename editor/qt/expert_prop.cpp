#include "editor/qt/expert_prop.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "editor/qt/page_builder.h"

namespace {

struct LockOutRow {
    const char* caption;
    int edit;
};
constexpr LockOutRow kLockOuts[] = {
    {"Внешнего входа:", 1277}, {"Контроля внешнего питания:", 1278},
    {"Контроля зоны:", 1279},  {"Контроля температуры:", 1280},
    {"Удара:", 1281},
};

}  // namespace

CExpertProp::CExpertProp(QtControls& controls, QWidget* parent) : QWidget(parent) {
    PageBuilder b(controls, PageId::Expert, this);

    QGroupBox* lockOut = PageBuilder::groupBox("Время блокировки срабатывания тревоги");
    auto* l = new QGridLayout(lockOut);
    int row = 0;
    for (const LockOutRow& r : kLockOuts) {
        l->addWidget(PageBuilder::text(QString::fromUtf8(r.caption)), row, 0);
        PageBuilder::fitDigits(b.edit(r.edit), 2);
        l->addLayout(PageBuilder::row({b.edit(r.edit), PageBuilder::text("мин.")}), row, 1);
        ++row;
    }
    l->setColumnStretch(1, 1);

    QGroupBox* system = PageBuilder::groupBox("Системные настройки");
    auto* s = new QGridLayout(system);
    for (int id : {1282, 1283}) PageBuilder::fitDigits(b.edit(id), 2);
    PageBuilder::fitDigits(b.edit(1284), 3);
    PageBuilder::fitDigits(b.edit(1286), 5);
    s->addWidget(PageBuilder::text("Время ожидания команд до \"сна\":"), 0, 0);
    s->addLayout(PageBuilder::row({b.edit(1282), PageBuilder::text("мин."), b.edit(1283),
                                   PageBuilder::text("с.")}),
                 0, 1);
    s->addWidget(PageBuilder::text("Коррекция датчика температуры:"), 1, 0);
    s->addLayout(PageBuilder::row({b.edit(1284), PageBuilder::text("град. Цельсия")}), 1, 1);
    s->addWidget(PageBuilder::text("Коррекция часов:"), 2, 0);
    s->addLayout(PageBuilder::row({b.edit(1286), PageBuilder::text("с.")}), 2, 1);
    s->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(lockOut);
    page->addWidget(system);
    page->addStretch(1);
    b.finish();
}
