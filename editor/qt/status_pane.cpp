#include "editor/qt/status_pane.h"

#include <QPainter>

namespace {
constexpr int kIndent = 2;
constexpr int kVerticalPadding = 3;
}  // namespace

StatusPane::StatusPane(QWidget* parent)
    : QWidget(parent), background_(palette().button().color()) {}

void StatusPane::setText(const QString& text) {
    text_ = text;
    update();
}

void StatusPane::setBackground(const QColor& colour) {
    background_ = colour;
    update();
}

QRect StatusPane::textCells() const {
    if (text_.isEmpty()) return {};
    const QFontMetrics fm(font());
    return QRect(kIndent, 0, fm.horizontalAdvance(text_), fm.height());
}

QSize StatusPane::sizeHint() const {
    const QFontMetrics fm(font());
    return QSize(kIndent + fm.horizontalAdvance(text_), fm.height() + kVerticalPadding);
}

QSize StatusPane::minimumSizeHint() const {
    return QSize(kIndent, QFontMetrics(font()).height() + kVerticalPadding);
}

void StatusPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setClipRect(rect());
    const QRect cells = textCells();
    if (cells.isEmpty()) return;
    p.fillRect(cells, background_);
    p.setPen(Qt::black);
    p.drawText(cells, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
}
