// A user at the window's controls: arbitrary text typed into every edit,
// clicks, selections, times, slider moves and focus changes, in any order;
// then the pages are collected into the working image.
//  - every byte outside a field, and every byte after a text's end, is zero
//    (nothing typed reaches past the field it belongs to);
//  - showing the collected image and collecting again gives the same image.
//
// Input: a byte choosing the model, then actions of three bytes each (what,
// which control, an argument), a typing action followed by `argument` bytes
// of text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "config/device_config.h"
#include "config/models.h"
#include "editor/config_editor.h"
#include "editor/memory_controls.h"
#include "editor/page_controls.h"
#include "tests/editor/no_ports.h"

namespace {

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "pages fuzz: %s\n", what);
    std::abort();
}

class Shell final : public WindowShell {
  public:
    void showResult(const std::string&, ResultColour) override {}
    void showVersion(const std::string&) override {}
    void setModelButtonText(const std::string&) override {}
    void showBackup(const std::string&) override {}
    void armTick() override {}
    void cancelTick() override {}
};

struct Target {
    PageId page;
    int id;
};

// The controls a user can act on, by what can be done to them.
struct Targets {
    std::vector<Target> texts, clicks, combos, times, sliders;
    Targets() {
        for (int p = 0; p < kPageIdCount; ++p) {
            for (const ControlSpec& c : pageControls(static_cast<PageId>(p))) {
                const Target t{c.page, c.id};
                switch (c.kind) {
                    case ControlKind::Edit:
                    case ControlKind::DigitsEdit:
                    case ControlKind::SignedEdit:
                        texts.push_back(t);
                        break;
                    case ControlKind::ComboBox:
                        texts.push_back(t);
                        combos.push_back(t);
                        break;
                    case ControlKind::DropDownList:
                        combos.push_back(t);
                        break;
                    case ControlKind::CheckBox:
                    case ControlKind::RadioButton:
                        clicks.push_back(t);
                        break;
                    case ControlKind::TimePicker:
                        times.push_back(t);
                        break;
                    case ControlKind::Slider:
                        sliders.push_back(t);
                        break;
                    default:
                        break;
                }
            }
        }
    }
};

const Target& pick(const std::vector<Target>& from, std::uint8_t which) {
    return from[which % from.size()];
}

// Outside every field, and past the end of every text, all bytes are zero.
void checkCollected(const DeviceConfig& image) {
    bool inField[kConfigSize] = {};
    for (const FieldInfo& fi : fieldTable()) {
        std::fill_n(inField + fi.offset, fi.width, true);
        if (fi.type != FieldType::Text) continue;
        const std::uint8_t* text = image.bytes + fi.offset;
        const std::uint8_t* end = static_cast<const std::uint8_t*>(std::memchr(text, 0, fi.width));
        for (const std::uint8_t* b = end; b && b < text + fi.width; ++b)
            check(*b == 0, "bytes after the end of a text");
    }
    for (std::size_t i = 0; i < kConfigSize; ++i)
        check(inField[i] || image.bytes[i] == 0, "a byte outside every field");
    for (std::size_t i = kDeviceBlockSize; i < kConfigSize; ++i)
        check(image.bytes[i] == 0, "a byte past the device block");
}

constexpr int kModels[] = {kModelRQ30, kModelRQ10, kModelRQ20};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Targets targets;
    if (size == 0) return 0;

    MemoryControls controls;
    Shell shell;
    NoPorts link;
    CConfigEditor editor(controls, shell, link);
    controls.setSink(&editor);
    editor.startUp();
    editor.chooseModel(kModels[data[0] % 3]);

    for (std::size_t at = 1; at + 3 <= size;) {
        const std::uint8_t what = data[at], which = data[at + 1], arg = data[at + 2];
        at += 3;
        switch (what % 8) {
            case 0:
            case 1: {
                const std::size_t n = std::min<std::size_t>(arg, size - at);
                const std::string_view text(reinterpret_cast<const char*>(data + at), n);
                at += n;
                const Target& t = pick(targets.texts, which);
                if (what % 8 == 0)
                    controls.userType(t.page, t.id, text);
                else
                    controls.userReplaceText(t.page, t.id, text);
                break;
            }
            case 2:
                controls.userBackspace(pick(targets.texts, which).page,
                                       pick(targets.texts, which).id, arg % 8);
                break;
            case 3:
                controls.userFocusOut(pick(targets.texts, which).page,
                                      pick(targets.texts, which).id);
                break;
            case 4:
                controls.userClick(pick(targets.clicks, which).page,
                                   pick(targets.clicks, which).id);
                break;
            case 5:
                controls.userSelectCombo(pick(targets.combos, which).page,
                                         pick(targets.combos, which).id, arg % 40 - 1);
                break;
            case 6:
                controls.userSetTime(pick(targets.times, which).page, pick(targets.times, which).id,
                                     TimeOfDay{arg % 24, (arg * 7) % 60});
                break;
            default:
                controls.userMoveSlider(pick(targets.sliders, which).page,
                                        pick(targets.sliders, which).id, arg % 12 - 2);
                break;
        }
    }

    editor.collectPages();
    const DeviceConfig collected = editor.exchange().workingImage;
    checkCollected(collected);
    editor.showConfig();
    editor.collectPages();
    check(std::memcmp(editor.exchange().workingImage.bytes, collected.bytes, kConfigSize) == 0,
          "showing the collected image and collecting again changed it");
    return 0;
}
