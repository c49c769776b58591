// The configurator's window: menu, toolbar with the model drop-down, the
// preset buttons, the logo, the six pages and the three-pane status line. It
// adds no rules of its own: every command, user edit, arrival and tick goes to
// the CConfigEditor, which calls back through WindowShell.
#pragma once

#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

#include "editor/config_editor.h"
#include "editor/qt/qt_controls.h"

class QAction;
class QGroupBox;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTabWidget;
class QToolBar;
class StatusPane;

// Toolbar button 8, "Модель устройства:": pressing its arrow asks for the
// model menu; the button itself has no command.
class ModelDropButton : public QToolButton {
    Q_OBJECT
  public:
    using QToolButton::QToolButton;
  signals:
    void arrowPressed();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class CGPS_QConfigDlg : public QDialog, public WindowShell {
    Q_OBJECT
  public:
    // Talks to trackers through a serial port of its own.
    explicit CGPS_QConfigDlg(QWidget* parent = nullptr);
    // Talks through `link`, which must outlive the window (tests put a
    // simulated tracker behind it).
    explicit CGPS_QConfigDlg(SerialLink& link, QWidget* parent = nullptr);
    ~CGPS_QConfigDlg() override;

    void showResult(const std::string& text, ResultColour colour) override;
    void showVersion(const std::string& text) override;
    void setModelButtonText(const std::string& text) override;
    // Pane 0 names the backup by its file name; its tooltip holds the path.
    void showBackup(const std::string& binPath) override;
    void armTick() override;
    void cancelTick() override;
    void setBusy(bool busy) override;
    void showProgress(const std::string& text, int done, int total) override;
    void setTitle(const std::string& title) override;
    Answer ask(Question question) override;
    std::string pickSettingsFile(bool save, const std::string& folder) override;

    // Asks the user for a settings file to save to (save) or open (!save),
    // starting in `folder` when it is given; an empty path is a cancelled
    // dialog. The platform's file dialog unless replaced (tests answer
    // without a dialog).
    using FileChooser = std::function<QString(QWidget* parent, bool save, const QString& folder)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    static QString chooseSettingsFile(QWidget* parent, bool save, const QString& folder);

    // The program's arguments once Qt has taken its own: the first that is
    // not an option names a settings file to open, as Open would.
    void openFromArguments(const QStringList& arguments);

    CConfigEditor& editor() { return *editor_; }
    QtControls& controls() { return controls_; }
    StatusPane* statusPane(int index) const { return panes_[index]; }
    QToolButton* modelButton() const { return modelButton_; }
    ModelDropButton* modelDropButton() const { return modelDrop_; }
    QTabWidget* tabs() const { return tabs_; }
    bool tickArmed() const { return tick_.isActive(); }
    QProgressBar* progressBar() const { return progress_; }
    QMenu* modelMenu() const { return modelMenu_; }
    const QTimer& tickTimer() const { return tick_; }

  public slots:
    void onOpenSettings();
    void onSaveSettings();
    void onRestoreBackup();
    void onReadDevice();
    void onWriteDevice();
    void onResetDevice();
    void openModelMenu();
    void showAbout();
    // Escape, "Выход" and the close box: the editor's questions come first.
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // A settings file dropped on the window opens as Open would open it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    CGPS_QConfigDlg(std::unique_ptr<SerialLink> own, SerialLink* borrowed, QWidget* parent);
    void buildMenus();
    void buildToolbar(QToolBar* toolbar);
    QWidget* buildPresetRow();
    void buildStatusLine(QStatusBar* statusBar);
    void watchArrivals();
    void onArrivalSignalled();
    // The link's arrival notify, on its reader thread; the context is the
    // eventfd that the notifier watches.
    static void signalArrival(void* eventFd);

    // Declared in the order they must be made; destroyed the other way round:
    // the editor (which closes an open port) before the link.
    std::unique_ptr<SerialLink> ownLink_;
    SerialLink& link_;
    QtControls controls_;
    std::unique_ptr<CConfigEditor> editor_;
    QTimer tick_;
    // Written by the port's reader thread, read here through the notifier:
    // arrivals wake the window's thread at once, and many become one wake-up.
    int arrivalFd_ = -1;
    std::unique_ptr<QSocketNotifier> arrivalNotifier_;
    FileChooser chooseFile_;

    QTabWidget* tabs_ = nullptr;
    StatusPane* panes_[3]{};
    QToolButton* modelButton_ = nullptr;
    ModelDropButton* modelDrop_ = nullptr;
    QMenu* modelMenu_ = nullptr;
    QAction* modelActions_[3]{};
    QGroupBox* presets_ = nullptr;
    QProgressBar* progress_ = nullptr;
    // What a running exchange takes away: Read, Write, Reset, Open and Save
    // of the menu and the toolbar.
    QList<QAction*> exchangeCommands_;
};
