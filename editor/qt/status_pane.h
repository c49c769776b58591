// One pane of the window's status line: a text in black on a colour that
// covers only the text's own cells (an empty text shows no colour), drawn two
// pixels in from the pane's left edge and aligned to its top.
#pragma once

#include <QColor>
#include <QWidget>

class StatusPane : public QWidget {
    Q_OBJECT
  public:
    explicit StatusPane(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }
    void setBackground(const QColor& colour);
    QColor background() const { return background_; }
    // Where the colour is painted: the text's cells, empty for an empty text.
    QRect textCells() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QColor background_;
};
