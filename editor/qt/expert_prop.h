// The "Эксперт" page: how long each alarm source stays locked out after it
// fired, the wait for commands before sleep and the two corrections.
#pragma once

#include <QWidget>

class QtControls;

class CExpertProp : public QWidget {
    Q_OBJECT
  public:
    explicit CExpertProp(QtControls& controls, QWidget* parent = nullptr);
};
