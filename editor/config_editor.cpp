#include "editor/config_editor.h"

#include <utility>

#include "config/defaults.h"
#include "config/models.h"
#include "config/presets.h"
#include "editor/collect_pages.h"
#include "editor/page_rules.h"
#include "editor/show_config.h"
#include "link/device_owner.h"
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
          exchange(link, *this) {}

    void showResult(const std::string& text, ResultColour colour) override {
        shell.showResult(text, colour);
    }
    void showVersion(const std::string& text) override { shell.showVersion(text); }
    void setModelButtonText(const std::string& text) override { shell.setModelButtonText(text); }
    void showConfig() override { editor.showConfig(); }
    void collectPages() override { editor.collectPages(); }
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
        editor.collectPages();
        applyPreset(exchange.workingImage, mode);
        editor.showConfig();
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
}

void CConfigEditor::readDevice() {
    impl_->exchange.readDevice();
}
void CConfigEditor::writeDevice() {
    impl_->exchange.writeDevice();
}
void CConfigEditor::resetDevice() {
    impl_->exchange.resetDevice();
}
bool CConfigEditor::restoreFromBackup(const std::string& binPath) {
    const LoadedBackup backup = LoadTrackerBackup(binPath);
    if (!backup.ok) {
        impl_->shell.showResult(kBackupLoadFailedText + backup.problem, ResultColour::Red);
        return false;
    }
    impl_->exchange.restoreDevice(backup.block, backup.model);
    return true;
}
void CConfigEditor::onArrival() {
    impl_->exchange.onArrival();
}
void CConfigEditor::onTick() {
    impl_->exchange.onTick();
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
    const char* name = modelName(modelId);
    // Dismissed, or the model already edited: nothing changes at all.
    if (!name || modelId == impl_->exchange.editedModel) return;
    // The pages are shown again for the new model's rules; what the user
    // typed goes with them.
    collectPages();
    impl_->exchange.editedModel = modelId;
    impl_->shell.setModelButtonText(name);
    showConfig();
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
    const SettingsOutcome outcome =
        collected ? SaveSettingsFile(path, m.saveImage, m.saveModel)
                  : SaveSettingsFile(path, m.exchange.workingImage, m.exchange.editedModel);
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
