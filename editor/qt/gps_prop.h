// The "GPS" page: positioning methods, the coordinate format of SMS and the
// control zone, whose centre is typed as decimal degrees or as degrees,
// minutes and ten-thousandths of a minute (the page rules keep both in step).
#pragma once

#include <QWidget>

class QtControls;

class CGPSProp : public QWidget {
    Q_OBJECT
  public:
    explicit CGPSProp(QtControls& controls, QWidget* parent = nullptr);
};
