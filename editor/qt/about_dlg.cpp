#include "editor/qt/about_dlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "editor/qt/dialog_units.h"
#include "editor/qt/window_images.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("О проекте QuelterConfig");
    setWindowIcon(applicationIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const DialogUnits du = dialogUnits(font());
    auto* icon = new QLabel;
    icon->setObjectName("icon");
    const QSize iconSize = du.toPixels(21, 20);
    const int side = std::max(32, std::min(iconSize.width(), iconSize.height()));
    icon->setPixmap(applicationIcon().pixmap(side, side));
    auto* product = new QLabel("QuelterConfigurator, версия 2.0");
    product->setObjectName("product");
    product->setTextFormat(Qt::PlainText);
    auto* ok = new QPushButton("ОК");
    ok->setObjectName("ok");
    ok->setDefault(true);
    ok->setMinimumSize(du.toPixels(50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, Qt::AlignTop);
    layout->addWidget(product, 0, 1, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);
    layout->addWidget(ok, 2, 0, 1, 2, Qt::AlignRight);
    // The template's 170 x 62 units, or more if the texts need it.
    setFixedSize(sizeHint().expandedTo(du.toPixels(170, 62)));
}
