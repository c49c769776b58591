// The configurator's native Windows window: the dialog template 102 with its
// menu, the toolbar with the model drop-down, the preset buttons, the logo,
// the six pages on the tab control and the owner-drawn status line. It adds
// no rules of its own: every command, user action, arrival and tick goes to
// the CConfigEditor, which calls back through WindowShell.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "editor/config_editor.h"
#include "editor/win32/win32_controls.h"

class CGPS_QConfigDlg final : public WindowShell {
  public:
    // Talks to trackers through `link` (the application's serial port, or a
    // simulated tracker in tests), which must outlive the window.
    explicit CGPS_QConfigDlg(SerialLink& link);
    ~CGPS_QConfigDlg() override;
    CGPS_QConfigDlg(const CGPS_QConfigDlg&) = delete;
    CGPS_QConfigDlg& operator=(const CGPS_QConfigDlg&) = delete;

    // Shows the window, opens `startFile` when one is named, and runs the
    // window's message loop until it closes.
    void runModal(const std::wstring& startFile = {});
    // Makes the window and returns; the caller's message loop runs it (with
    // preTranslate) until close() or the user closes it.
    HWND create();
    HWND hwnd() const { return hwnd_; }
    // The window's keys: its shortcuts, then the dialog keys (Tab, arrows,
    // mnemonics, Escape). True when the message was handled here.
    bool preTranslate(MSG& msg);
    // Closes at once, asking nothing.
    void close();
    // Opens a settings file as a dropped one would (the file named on the
    // command line).
    void openFile(const std::wstring& path);

    void showResult(const std::string& text, ResultColour colour) override;
    // Pane 0 names the backup by its file name, and grows to hold it.
    void showBackup(const std::string& binPath) override;
    void showVersion(const std::string& text) override;
    void setModelButtonText(const std::string& text) override;
    void armTick() override;
    void cancelTick() override;
    void setBusy(bool busy) override;
    // Drawn in the result pane while busy, as a bar behind the text.
    void showProgress(const std::string& text, int done, int total) override;
    void setTitle(const std::string& title) override;
    Answer ask(Question question) override;
    std::string pickSettingsFile(bool save, const std::string& folder) override;

    // Asks the user a question: the question box unless replaced.
    using Asker = std::function<Answer(HWND owner, Question question)>;
    void setAsker(Asker asker) { ask_ = std::move(asker); }

    // Asks for a settings file to save to (save) or to open, starting in
    // `folder` when one is given; an empty path is a cancelled dialog. The
    // system's file dialog unless replaced.
    using FileChooser =
        std::function<std::wstring(HWND owner, bool save, const std::wstring& folder)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    static std::wstring chooseSettingsFile(HWND owner, bool save, const std::wstring& folder);

    // The model menu with the check mark on `model` (a model of no name
    // keeps the mark on "RQ30"); the caller destroys it.
    static HMENU makeModelMenu(int model);

    CConfigEditor& editor() { return *editor_; }
    Win32Controls& controls() { return controls_; }
    HWND toolbar() const { return toolbar_; }
    HWND statusBar() const { return status_; }
    HWND tabs() const { return tabs_; }
    // The tooltip controls of the preset buttons and of the Main page.
    HWND presetTooltip() const { return tooltip_; }
    HWND mainPageTooltip() const { return pageTooltip_; }
    // What status pane 0, 1 or 2 shows, and on which colour.
    const std::wstring& paneText(int pane) const { return panes_[pane].text; }
    COLORREF paneColour(int pane) const { return panes_[pane].colour; }
    bool tickArmed() const { return tickArmed_; }
    // The running exchange's progress; empty when none runs.
    const std::wstring& progressText() const { return progress_.text; }
    HACCEL accelerators() const { return accelerators_; }

  private:
    static INT_PTR CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
    static INT_PTR CALLBACK pageProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void setUp();
    void makePages();
    void makeStatusLine();
    void makeToolbar();
    void makeRoomForBars();
    void makeTooltips();
    void tearDown();
    void onCommand(int command);
    void onDropDown();
    // The check mark on the model edited, in the menu bar's model menu.
    void checkEditedModel(HMENU menu);
    void showPage(int tab, bool show);
    void drawPane(const DRAWITEMSTRUCT& item);
    void redrawPane(int pane);
    void onDropFiles(HDROP drop);
    // The link's arrival notify, on its reader thread: posts a wake-up to the
    // window's thread.
    static void signalArrival(void* window);

    struct Pane {
        std::wstring text;
        COLORREF colour;
    };
    struct PageContext {
        CGPS_QConfigDlg* window;
        PageId page;
    };

    SerialLink& link_;
    Win32Controls controls_;
    std::unique_ptr<CConfigEditor> editor_;
    FileChooser chooseFile_;
    Asker ask_;

    HWND hwnd_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HWND tabs_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND status_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND pageTooltip_ = nullptr;
    HWND pages_[6]{};
    PageContext pageContexts_[6]{};
    HIMAGELIST toolbarImages_ = nullptr;
    HIMAGELIST disabledImages_ = nullptr;
    HBITMAP logo_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    Pane panes_[3];
    bool busy_ = false;
    struct Progress {
        std::wstring text;
        int done = 0;
        int total = 0;
    } progress_;
    bool tickArmed_ = false;
    // A wake-up is posted and not yet handled.
    std::atomic<bool> arrivalPosted_{false};
};
