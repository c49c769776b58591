#include "editor/config_editor.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "config/defaults.h"
#include "config/models.h"
#include "config/presets.h"
#include "editor/collect_pages.h"
#include "editor/page_rules.h"
#include "editor/show_config.h"
#include "link/device_owner.h"
#include "link/status_texts.h"
#include "settings/file_access.h"
#include "settings/settings_file.h"
#include "settings/tracker_backup.h"

// The engine talks to its owner through DeviceCommandOwner; the editor keeps
// that interface to itself so callers see only the window's operations.
struct CConfigEditor::Impl final : DeviceCommandOwner {
    Impl(CConfigEditor& editor, Controls& controls, WindowShell& shell, SerialLink& link)
        : editor(editor),
          controls(controls),
          shell(shell),
          link(link),
          rules(controls),
          exchange(link, *this) {
        progress.reserve(96);
    }

    void showResult(const std::string& text, ResultColour colour) override {
        shell.showResult(text, colour);
        // The pages a Write collected are on the tracker now.
        if (colour == ResultColour::Green && text == kTextWriteOk &&
            std::exchange(writeCollected, false)) {
            baseline = writeCollection;
            baselineModel = writeModel;
            refreshTitle();
        }
    }
    void showVersion(const std::string& text) override { shell.showVersion(text); }
    void setModelButtonText(const std::string& text) override { shell.setModelButtonText(text); }
    // The engine shows what a Read brought, or Reset's defaults.
    void showConfig() override {
        editor.showConfig();
        takeBaseline();
    }
    // The engine collects at the start of a Write's write phase (a restore
    // writes a backup instead, and leaves the pages out of it).
    void collectPages() override {
        editor.collectPages();
        writeCollection = exchange.workingImage;
        writeModel = exchange.editedModel;
        writeCollected = true;
    }
    bool backUpBlock(const DeviceConfig& block, int model) override {
        const BackupOutcome backup =
            BackUpTracker(block, model, TrackerBackupFolder(), LocalTimeNow());
        if (!backup.ok) {
            shell.showResult(kBackupFailedText + backup.problem, ResultColour::Red);
            return false;
        }
        shell.showBackup(backup.binPath);
        return true;
    }
    void armTick() override { shell.armTick(); }
    void cancelTick() override { shell.cancelTick(); }

    // What the user typed is collected first, so the preset changes its own
    // fields only and the pages keep the rest.
    void preset(PresetMode mode) {
        if (exchange.running()) {
            // The window offers no preset now; a click that came anyway only
            // has the choice shown again.
            showPresetChoice(controls, exchange.workingImage, exchange.editedModel);
            return;
        }
        editor.collectPages();
        applyPreset(exchange.workingImage, mode);
        editor.showConfig();
        refreshTitle();
    }

    // Unsaved edits are judged by collecting the pages as a Save would, and
    // comparing with the collection made right after the configuration was
    // shown, saved or written: edits typed back to what they were count as
    // none, and a value the pages cannot carry never does.
    void takeBaseline() {
        ::collectPages(controls, pageMemory, baseline);
        baselineModel = exchange.editedModel;
        refreshTitle();
    }
    bool edited() const {
        DeviceConfig now;
        ::collectPages(controls, pageMemory, now);
        return exchange.editedModel != baselineModel ||
               std::memcmp(now.bytes, baseline.bytes, kConfigSize) != 0;
    }
    void refreshTitle() {
        std::string next = edited() ? "*" : "";
        if (!fileName.empty()) next += fileName + " — ";
        next += kWindowCaption;
        if (next == title) return;
        title = std::move(next);
        shell.setTitle(title);
    }
    void setFile(const std::string& path) {
        const std::size_t slash = path.find_last_of("/\\");
        fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    }

    // True when nothing unsaved is left to lose: there was none, the user
    // saved it, or chose to let it go.
    bool mayDiscardEdits() {
        if (!edited()) return true;
        switch (shell.ask(Question::SaveEdits)) {
            case Answer::Yes:
                return editor.saveSettings();
            case Answer::No:
                return true;
            case Answer::Cancel:
                break;
        }
        return false;
    }

    // Tells the shell when the exchange starts and ends, and each block on
    // the way. Called after everything that may move the exchange on.
    void syncBusy() {
        const bool running = exchange.running();
        if (running != shownBusy) {
            shownBusy = running;
            shownDone = -1;
            shell.setBusy(running);
        }
        if (!running) return;
        const CBootloaderExchange::Pass pass = exchange.pass();
        const int done = exchange.blocksDone();
        if (done == shownDone && pass == shownPass) return;
        shownDone = done;
        shownPass = pass;
        static constexpr const char* kPassNames[] = {"Чтение", "Запись", "Проверка"};
        char text[96];
        std::snprintf(text, sizeof text, "%s: блок %d из %d", kPassNames[static_cast<int>(pass)],
                      done, CBootloaderExchange::kBlockCount);
        progress.assign(text);
        shell.showProgress(progress, done, CBootloaderExchange::kBlockCount);
    }

    CConfigEditor& editor;
    Controls& controls;
    WindowShell& shell;
    SerialLink& link;
    CPageRules rules;
    PageMemory pageMemory;
    CBootloaderExchange exchange;
    // What Save writes, taken when the pages are collected: the exchange's
    // timer runs on while the file dialog is open, and a Read finishing then
    // must not slip the tracker's configuration into the file.
    DeviceConfig saveImage{};
    int saveModel = 0;
    bool saveCollected = false;

    DeviceConfig baseline{};
    int baselineModel = 0;
    DeviceConfig writeCollection{};
    int writeModel = 0;
    bool writeCollected = false;
    std::string fileName;  // the settings file last opened or saved, without its folder
    std::string title;

    bool shownBusy = false;
    CBootloaderExchange::Pass shownPass = CBootloaderExchange::Pass::Reading;
    int shownDone = -1;
    std::string progress;
};

CConfigEditor::CConfigEditor(Controls& controls, WindowShell& shell, SerialLink& link)
    : impl_(std::make_unique<Impl>(*this, controls, shell, link)) {}

CConfigEditor::~CConfigEditor() {
    // The window closes a port an exchange left open before it goes.
    if (impl_->link.isOpen()) impl_->link.close();
}

void CConfigEditor::startUp() {
    // The slider gets its range here, before the defaults are shown, so the
    // Sensors page shows the sensitivity the working image holds.
    impl_->rules.applyInitialSettings();
    loadDefaults(impl_->exchange.workingImage);
    showConfig();
    // Filled after the defaults are shown: the selection is the list's own.
    impl_->rules.fillTimeZoneList();
    impl_->takeBaseline();
}

void CConfigEditor::readDevice() {
    if (busy() || !impl_->mayDiscardEdits()) return;
    impl_->writeCollected = false;
    impl_->exchange.readDevice();
    impl_->syncBusy();
}

void CConfigEditor::writeDevice() {
    if (busy()) return;
    impl_->writeCollected = false;
    impl_->exchange.writeDevice();
    impl_->syncBusy();
}

void CConfigEditor::resetDevice() {
    if (busy()) return;
    if (impl_->shell.ask(Question::ConfirmReset) != Answer::Yes) return;
    if (!impl_->mayDiscardEdits()) return;
    impl_->writeCollected = false;
    impl_->exchange.resetDevice();
    impl_->syncBusy();
}

bool CConfigEditor::restoreFromBackup(const std::string& binPath) {
    if (busy()) return false;
    const LoadedBackup backup = LoadTrackerBackup(binPath);
    if (!backup.ok) {
        impl_->shell.showResult(kBackupLoadFailedText + backup.problem, ResultColour::Red);
        return false;
    }
    impl_->writeCollected = false;
    impl_->exchange.restoreDevice(backup.block, backup.model);
    impl_->syncBusy();
    return true;
}

void CConfigEditor::onArrival() {
    impl_->exchange.onArrival();
    impl_->syncBusy();
}

void CConfigEditor::onTick() {
    impl_->exchange.onTick();
    impl_->syncBusy();
}

bool CConfigEditor::busy() const {
    return impl_->exchange.running();
}

void CConfigEditor::openSettings() {
    if (busy() || !impl_->mayDiscardEdits()) return;
    beginOpen();
    openChosen(impl_->shell.pickSettingsFile(false, {}));
}

void CConfigEditor::openBackup() {
    if (busy() || !impl_->mayDiscardEdits()) return;
    const std::string folder = beginRestore();
    openChosen(impl_->shell.pickSettingsFile(false, folder));
}

void CConfigEditor::openChosen(const std::string& path) {
    if (path.empty())
        openCancelled();
    else
        openSettingsFrom(path);
}

void CConfigEditor::openSettingsFile(const std::string& path) {
    if (busy() || !impl_->mayDiscardEdits()) return;
    beginOpen();
    openSettingsFrom(path);
}

bool CConfigEditor::saveSettings() {
    if (busy()) return false;
    beginSave();
    const std::string path = impl_->shell.pickSettingsFile(true, {});
    if (path.empty()) {
        saveCancelled();
        return false;
    }
    return saveSettingsTo(path);
}

bool CConfigEditor::mayClose() {
    CBootloaderExchange& exchange = impl_->exchange;
    if (exchange.writing() && impl_->shell.ask(Question::StopWrite) != Answer::Yes) return false;
    // A Read would have replaced the pages anyway.
    const bool reading = exchange.running() && !exchange.writing();
    if (exchange.running()) {
        exchange.stop();
        impl_->syncBusy();
    }
    return reading || impl_->mayDiscardEdits();
}

bool CConfigEditor::hasUnsavedEdits() const {
    return impl_->edited();
}

void CConfigEditor::presetSleep() {
    impl_->preset(PresetMode::Sleep);
}
void CConfigEditor::presetWait() {
    impl_->preset(PresetMode::Wait);
}
void CConfigEditor::presetGuard() {
    impl_->preset(PresetMode::Guard);
}
void CConfigEditor::presetSearch() {
    impl_->preset(PresetMode::Search);
}

void CConfigEditor::presetTracker() {
    // Button 1995 is disabled for these models; a caller that gets here
    // anyway only has the preset choice shown again, the pages untouched.
    if (!modelHasTrackerMode(editedModel())) {
        showPresetChoice(impl_->controls, impl_->exchange.workingImage, editedModel());
        return;
    }
    impl_->preset(PresetMode::Tracker);
}

void CConfigEditor::chooseModel(int modelId) {
    if (busy()) return;
    const char* name = modelName(modelId);
    // Dismissed, or the model already edited: nothing changes at all.
    if (!name || modelId == impl_->exchange.editedModel) return;
    // The pages are shown again for the new model's rules; what the user
    // typed goes with them.
    collectPages();
    impl_->exchange.editedModel = modelId;
    impl_->shell.setModelButtonText(name);
    showConfig();
    impl_->refreshTitle();
}

void CConfigEditor::beginSave() {
    impl_->shell.showResult("", ResultColour::Green);
    // Before the file dialog, so a cancelled save has collected all the same.
    collectPages();
    impl_->saveImage = impl_->exchange.workingImage;
    impl_->saveModel = impl_->exchange.editedModel;
    impl_->saveCollected = true;
}

bool CConfigEditor::saveSettingsTo(const std::string& path) {
    Impl& m = *impl_;
    // Without a beginSave there is nothing collected to keep to.
    const bool collected = std::exchange(m.saveCollected, false);
    if (!collected) {
        m.saveImage = m.exchange.workingImage;
        m.saveModel = m.exchange.editedModel;
    }
    const SettingsOutcome outcome = SaveSettingsFile(path, m.saveImage, m.saveModel);
    if (outcome.ok) {
        m.baseline = m.saveImage;
        m.baselineModel = m.saveModel;
        m.setFile(path);
        m.refreshTitle();
    }
    m.shell.showResult(outcome.text, outcome.colour);
    return outcome.ok;
}

void CConfigEditor::saveCancelled() {
    impl_->saveCollected = false;
    impl_->shell.showResult(kSettingsSaveFailedText, ResultColour::Red);
}

void CConfigEditor::beginOpen() {
    impl_->shell.showResult("", ResultColour::Green);
}

bool CConfigEditor::openSettingsFrom(const std::string& path) {
    Controls& controls = impl_->controls;
    const int modelBefore = impl_->exchange.editedModel;
    const SettingsOutcome outcome = LoadSettings(
        path, impl_->exchange.workingImage, impl_->exchange.editedModel,
        [&controls](DeviceConfig& image, int model) { showPresetChoice(controls, image, model); });
    if (outcome.ok) {
        // A file without a usable model keeps the model and its button.
        const int model = impl_->exchange.editedModel;
        if (model != modelBefore) impl_->shell.setModelButtonText(modelName(model));
        showConfig();
        impl_->setFile(path);
        impl_->takeBaseline();
    }
    impl_->shell.showResult(outcome.text, outcome.colour);
    return outcome.ok;
}

void CConfigEditor::openCancelled() {
    impl_->shell.showResult(kSettingsOpenFailedText, ResultColour::Red);
}

std::string CConfigEditor::beginRestore() {
    impl_->shell.showResult("", ResultColour::Green);
    const std::string folder = TrackerBackupFolder();
    // A dialog asked for a missing folder would open somewhere else.
    std::string ignored;
    if (!folder.empty()) MakeFolders(folder, ignored);
    return folder;
}

void CConfigEditor::showConfig() {
    ::showConfig(impl_->controls, impl_->exchange.workingImage, impl_->exchange.editedModel,
                 impl_->pageMemory);
    impl_->rules.configShown();
}

void CConfigEditor::collectPages() {
    // The toolbar takes no focus: bounds waiting for the user to leave an
    // edit apply now, or a 5 s packet period would reach the tracker.
    impl_->rules.applyPendingBounds();
    ::collectPages(impl_->controls, impl_->pageMemory, impl_->exchange.workingImage);
}

void CConfigEditor::onControlEvent(PageId page, int id, ControlEvent event) {
    if (page != PageId::Window) {
        impl_->rules.onControlEvent(page, id, event);
        impl_->refreshTitle();
        return;
    }
    if (event != ControlEvent::Clicked) return;
    switch (id) {
        case 1991:
            presetSleep();
            break;
        case 1992:
            presetWait();
            break;
        case 1993:
            presetGuard();
            break;
        case 1994:
            presetSearch();
            break;
        case 1995:
            presetTracker();
            break;
        default:
            break;
    }
}

int CConfigEditor::editedModel() const {
    return impl_->exchange.editedModel;
}

CBootloaderExchange& CConfigEditor::exchange() {
    return impl_->exchange;
}
