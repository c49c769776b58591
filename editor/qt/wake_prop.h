// The "Будильники" page: nine daily alarms with their switches, and the
// periodic wake-up, which the page rules keep exclusive of the alarms.
#pragma once

#include <QWidget>

class QtControls;

class CWakeProp : public QWidget {
    Q_OBJECT
  public:
    explicit CWakeProp(QtControls& controls, QWidget* parent = nullptr);
};
