// The "Основные" page: owner's phone, device name, time zone, SMS language,
// the two notification choices and the nine additional numbers, each control
// with its hint.
#pragma once

#include <QWidget>

class QtControls;

class CMainProp : public QWidget {
    Q_OBJECT
  public:
    explicit CMainProp(QtControls& controls, QWidget* parent = nullptr);
};
