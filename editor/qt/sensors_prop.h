// The "Датчики" page: motion sensor with its sensitivity slider, parking and
// idle times, the relay, temperature control, the alarm button, the external
// input's active edge and speed control.
#pragma once

#include <QWidget>

class QtControls;

class CSensorsProp : public QWidget {
    Q_OBJECT
  public:
    explicit CSensorsProp(QtControls& controls, QWidget* parent = nullptr);
};
