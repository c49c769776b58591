#include "editor/qt/internet_prop.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "editor/qt/page_builder.h"

CInternetProp::CInternetProp(QtControls& controls, QWidget* parent) : QWidget(parent) {
    PageBuilder b(controls, PageId::Internet, this);

    QGroupBox* server = PageBuilder::groupBox("Мониторинговый сервер");
    auto* s = new QGridLayout(server);
    s->addWidget(b.label(1255), 0, 0, 1, 2);
    PageBuilder::fitDigits(b.edit(1250), 26);
    PageBuilder::fitDigits(b.edit(1254), 5);
    s->addLayout(PageBuilder::row({b.edit(1250), b.label(1256), b.edit(1254)}), 1, 0, 1, 2);
    s->addWidget(b.label(1260), 2, 0);
    for (int id : {1261, 1262}) PageBuilder::fitDigits(b.edit(id), 2);
    s->addLayout(PageBuilder::row({b.edit(1261), PageBuilder::text("мин."), b.edit(1262),
                                   PageBuilder::text("с.")}),
                 2, 1);
    s->addWidget(b.check(1263), 3, 0, 1, 2);
    s->addWidget(b.check(1237), 4, 0, 1, 2);
    s->setColumnStretch(1, 1);

    QGroupBox* gprs = PageBuilder::groupBox("GPRS настройки");
    auto* g = new QGridLayout(gprs);
    g->addWidget(b.label(1257), 0, 0, 1, 2);
    PageBuilder::fitDigits(b.edit(1251), 32);
    g->addLayout(PageBuilder::row({b.edit(1251)}), 1, 0, 1, 2);
    g->addWidget(b.check(1264), 2, 0, 1, 2);
    g->addWidget(b.label(1258), 3, 0);
    g->addWidget(b.label(1259), 4, 0);
    for (int id : {1252, 1253}) PageBuilder::fitDigits(b.edit(id), 16);
    g->addLayout(PageBuilder::row({b.edit(1252)}), 3, 1);
    g->addLayout(PageBuilder::row({b.edit(1253)}), 4, 1);
    g->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(server);
    page->addWidget(gprs);
    page->addStretch(1);
    b.finish();
}
