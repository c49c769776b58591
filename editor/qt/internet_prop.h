// The "Интернет" page: the monitoring server and how often packets go to it,
// and the GPRS access point with its automatic-APN switch.
#pragma once

#include <QWidget>

class QtControls;

class CInternetProp : public QWidget {
    Q_OBJECT
  public:
    explicit CInternetProp(QtControls& controls, QWidget* parent = nullptr);
};
