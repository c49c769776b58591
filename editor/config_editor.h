// The main window's behaviour without its widgets: it owns the exchange engine
// with its images, runs start-up, the presets, the model menu, Open and Save,
// showConfig and collectPages, and routes control events to the page rules.
// It keeps the window honest too: no command disturbs a running exchange, and
// nothing the user typed is lost without a question.
// The Qt window (CGPS_QConfigDlg) and the command-line tool drive it the same
// way, so both behave exactly alike.
#pragma once

#include <memory>
#include <string>

#include "config/result_colour.h"
#include "editor/controls.h"
#include "editor/questions.h"
#include "link/bootloader_exchange.h"
#include "link/serial_link.h"

inline constexpr const char* kWindowCaption = "GPS Quelter конфигуратор v130.1.2";

// What the window provides besides its controls: the status line, the model
// button, the 20 ms timer, its title, questions and the file dialog. A shell
// without a person in front of it (the command-line tool) keeps the defaults.
// Whoever creates the port also wakes the editor when it signals an arrival
// (onArrival).
class WindowShell {
public:
    virtual ~WindowShell() = default;
    virtual void showResult(const std::string& text, ResultColour colour) = 0;
    virtual void showVersion(const std::string& text) = 0;
    virtual void setModelButtonText(const std::string& text) = 0;
    // Names the backup a Write or Reset has just made: the path of its .bin.
    virtual void showBackup(const std::string& binPath) = 0;
    // One-shot 20 ms, ends in CConfigEditor::onTick; arming restarts it.
    virtual void armTick() = 0;
    virtual void cancelTick() = 0;

    // While an exchange runs the window offers none of the commands that would
    // disturb it: Read, Write, Reset, Open, Save, the presets, the model menu.
    // (The editor ignores them meanwhile all the same.)
    virtual void setBusy(bool busy) { (void)busy; }
    // The running exchange's progress, as a text ("Чтение: блок 5 из 12") and
    // as numbers; it changes only while busy.
    virtual void showProgress(const std::string& text, int done, int total) {
        (void)text, (void)done, (void)total;
    }
    // "*" for unsaved edits, the settings file last opened or saved, the caption.
    virtual void setTitle(const std::string& title) { (void)title; }
    virtual Answer ask(Question question) { return questionText(question).unattended; }
    // A settings file to open, or to save to, starting in `folder` (empty:
    // where the dialog would start anyway); empty when the user cancels.
    virtual std::string pickSettingsFile(bool save, const std::string& folder) {
        (void)save, (void)folder;
        return {};
    }
};

class CConfigEditor : public ControlEventSink {
public:
    CConfigEditor(Controls& controls, WindowShell& shell, SerialLink& link);
    ~CConfigEditor() override;

    // Initial control settings, defaults, first showConfig, the time-zone list
    // and the slider, in the window's start-up order.
    void startUp();

    // Commands of the toolbar and the menu; while busy() they do nothing.
    // Read asks before it replaces unsaved edits; Reset always asks, and then
    // about unsaved edits.
    void readDevice();
    void writeDevice();
    void resetDevice();
    // Writes a backup's .bin back to the tracker, as a Write does: the
    // tracker's own fields and the password are kept, a backup is made first
    // and the result is checked. A file that is no backup opens no port:
    // false, with the reason shown.
    bool restoreFromBackup(const std::string& binPath);
    // The port signalled bytes (its owner registers the link's arrival notify
    // and calls this on the window's thread), and the 20 ms tick.
    void onArrival();
    void onTick();
    bool busy() const;

    // Open with the shell's file dialog, or a given file (dropped on the
    // window, named at start-up); both ask about unsaved edits first. Save
    // with the shell's file dialog; true when the file was written.
    void openSettings();
    void openSettingsFile(const std::string& path);
    // "Восстановить из резервной копии…": Open, with the dialog in the backups
    // folder.
    void openBackup();
    bool saveSettings();

    // Before the window closes (Escape, "Выход", the close box): asks to stop
    // a running Write, and about unsaved edits; a Read is simply stopped.
    // False: the user chose to stay.
    bool mayClose();

    // The pages (with the edited model) differ from what was last shown from
    // a Read, an Open, a Reset or start-up, saved, or written.
    bool hasUnsavedEdits() const;

    // Preset radio buttons 1991..1995 (also reached through onControlEvent):
    // collect the pages, change the preset's fields, show the image.
    void presetSleep();
    void presetWait();
    void presetGuard();
    void presetSearch();
    void presetTracker();

    // Model menu: 0x11, 0x70 or 0x80 other than the model edited collects the
    // pages, sets the model and the button text and shows the image again;
    // the model already edited, or any other value (menu dismissed), changes
    // nothing.
    void chooseModel(int modelId);

    // The steps of Save and Open, for callers with a file dialog of their own.
    // Save: beginSave clears the result and collects the pages (before the
    // file dialog); then exactly one of saveSettingsTo / saveCancelled. The
    // file holds what beginSave collected, whatever happened meanwhile.
    void beginSave();
    bool saveSettingsTo(const std::string& path);
    void saveCancelled();
    // Open: beginOpen clears the result; then openSettingsFrom / openCancelled.
    void beginOpen();
    bool openSettingsFrom(const std::string& path);
    void openCancelled();
    // "Restore from a backup": beginRestore clears the result and returns
    // the backups folder (created when missing; empty when there is none) for
    // the file dialog; the chosen .ini then opens like any settings file
    // (openSettingsFrom), a cancelled dialog goes to openCancelled.
    std::string beginRestore();

    // Showing forgets what the pages remembered of the configuration before;
    // collecting first applies the lower bounds still pending.
    void showConfig();
    void collectPages();

    void onControlEvent(PageId page, int id, ControlEvent event) override;

    int editedModel() const;
    CBootloaderExchange& exchange();

private:
    // The end of Open with a file dialog: the chosen file, or a cancelled
    // dialog (empty).
    void openChosen(const std::string& path);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};
