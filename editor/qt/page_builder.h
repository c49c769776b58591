// Makes a page's widgets from the control table (editor/page_controls.h): the
// kind and caption of every control with an id come from there, so the window
// and the in-memory controls cannot drift apart. The page arranges them.
#pragma once

#include <QString>
#include <initializer_list>
#include <map>

#include "editor/qt/qt_controls.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QTimeEdit;

class PageBuilder {
  public:
    PageBuilder(QtControls& controls, PageId page, QWidget* pageWidget);

    // The control with that id, made and bound on first use; ids missing from
    // the table are a programming error.
    QWidget* control(int id);
    QLineEdit* edit(int id);
    QCheckBox* check(int id);
    QAbstractButton* radio(int id);
    QLabel* label(int id);
    QGroupBox* box(int id);
    QComboBox* combo(int id);
    QTimeEdit* picker(int id);
    QSlider* slider(int id);

    // A caption without an id: units beside edits, group boxes the table does
    // not name.
    static QLabel* text(const QString& caption);
    static QGroupBox* groupBox(const QString& title);
    // Makes an edit as wide as `characters` digits (and no wider), so short
    // number edits look like what they hold.
    static void fitDigits(QLineEdit* edit, int characters);
    // Widgets side by side, left-aligned (an edit and its unit, and so on).
    static QHBoxLayout* row(std::initializer_list<QWidget*> widgets);

    // Tab order as the table lists the page's controls.
    void finish();

  private:
    QtControls& controls_;
    PageId page_;
    QWidget* pageWidget_;
    std::map<int, QWidget*> made_;
    std::map<int, QButtonGroup*> groups_;
};
