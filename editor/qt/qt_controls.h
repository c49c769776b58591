// The controls layer over Qt widgets: each widget is bound to its page and
// numeric control id, and the page logic drives it exactly as it drives the
// in-memory controls. Only what a user does reaches the event sink; writes of
// the program are silent.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRadioButton>
#include <QValidator>
#include <unordered_map>

#include "editor/controls.h"
#include "editor/page_controls.h"

class QWidget;
class QLineEdit;

// Most characters an edit takes when the page logic sets no limit (the same
// as the in-memory controls and a QLineEdit's own default).
inline constexpr int kDefaultEditLimit = 32767;

// The typing rules of one edit: a character limit and, for number edits,
// digits only. Judges the change a user makes, not the whole text, so a text
// the program wrote (longer than the limit, or with a sign) stays editable:
// deleting is always allowed, inserting only when the inserted characters and
// the resulting length pass. Program writes pass unjudged.
class EditRules : public QValidator {
    Q_OBJECT
  public:
    EditRules(bool digitsOnly, QObject* parent);

    State validate(QString& input, int& pos) const override;

    void setLimit(int characters) { limit_ = characters; }
    int limit() const { return limit_; }
    // The text the next change is judged against; the binding sets it around
    // its own writes.
    void acceptProgramText(const QString& text);
    void setProgramWrite(bool on) { programWrite_ = on; }

  private:
    bool digitsOnly_;
    bool programWrite_ = false;
    int limit_ = kDefaultEditLimit;
    mutable QString previous_;
};

// A radio button of a group that the binding keeps exclusive itself: a click
// checks it and unchecks the others of its QButtonGroup, while a program write
// touches only this button (Qt's auto-exclusive buttons would refuse to
// uncheck the checked one and would uncheck the others on every write).
class GroupRadioButton : public QRadioButton {
    Q_OBJECT
  public:
    explicit GroupRadioButton(const QString& text, QWidget* parent = nullptr);

  protected:
    void nextCheckState() override;
};

class QtControls : public QObject, public Controls {
    Q_OBJECT
  public:
    explicit QtControls(QObject* parent = nullptr);
    ~QtControls() override;

    // Where user actions go; nullptr stops them (while the window is torn down).
    void setSink(ControlEventSink* sink) { sink_ = sink; }

    // Binds a widget: QLineEdit (Edit, DigitsEdit, SignedEdit), QCheckBox,
    // QRadioButton, QComboBox (ComboBox: editable; DropDownList: not),
    // QTimeEdit, QSlider, QLabel or QGroupBox.
    // The widget's object name becomes the id, so tests can find it.
    void bind(PageId page, int id, ControlKind kind, QWidget* widget);
    QWidget* widget(PageId page, int id) const;

    std::string text(PageId page, int id) const override;
    void setText(PageId page, int id, std::string_view utf8) override;
    bool modified(PageId page, int id) const override;
    void setModified(PageId page, int id, bool modified) override;
    int caret(PageId page, int id) const override;
    void setCaret(PageId page, int id, int position) override;
    void setTextLimit(PageId page, int id, int characters) override;
    int textLimit(PageId page, int id) const override;

    bool checked(PageId page, int id) const override;
    void setChecked(PageId page, int id, bool on) override;

    bool enabled(PageId page, int id) const override;
    void setEnabled(PageId page, int id, bool on) override;

    void addComboItem(PageId page, int id, std::string_view utf8) override;
    int comboCount(PageId page, int id) const override;
    int comboSelection(PageId page, int id) const override;
    void setComboSelection(PageId page, int id, int index) override;

    TimeOfDay time(PageId page, int id) const override;
    void setTime(PageId page, int id, TimeOfDay t) override;

    void setSliderRange(PageId page, int id, int min, int max) override;
    int sliderPosition(PageId page, int id) const override;
    void setSliderPosition(PageId page, int id, int position) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Bound {
        PageId page;
        int id;
        ControlKind kind;
        QPointer<QWidget> widget;
        EditRules* rules = nullptr;  // edits only; owned by the edit
    };

    const Bound* find(PageId page, int id) const;
    QLineEdit* lineEdit(const Bound* b) const;
    void send(PageId page, int id, ControlEvent event);

    static int key(PageId page, int id) { return static_cast<int>(page) << 16 | id; }

    std::unordered_map<int, Bound> bound_;
    std::unordered_map<const QObject*, int> byObject_;  // focus-out lookups
    ControlEventSink* sink_ = nullptr;
};
