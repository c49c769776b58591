#include "editor/memory_controls.h"

#include <algorithm>

#include "editor/utf8_text.h"

namespace {

constexpr PageId kAllPages[] = {PageId::Window,   PageId::Main,    PageId::Wake,  PageId::GPS,
                                PageId::Internet, PageId::Sensors, PageId::Expert};

bool validTime(TimeOfDay t) {
    return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59;
}

}  // namespace

MemoryControls::MemoryControls() {
    for (PageId page : kAllPages) {
        for (const ControlSpec& entry : pageControls(page)) {
            Control c;
            c.kind = entry.kind;
            c.group = entry.group;
            switch (entry.kind) {
                case ControlKind::Label:
                case ControlKind::GroupBox:
                case ControlKind::CheckBox:
                case ControlKind::RadioButton:
                    c.text = utf8ToUtf32(entry.caption ? entry.caption : "");
                    break;
                default:
                    break;
            }
            controls_[{page, entry.id}] = std::move(c);
        }
    }
}

void MemoryControls::setSink(ControlEventSink* sink) {
    sink_ = sink;
}

bool MemoryControls::exists(PageId page, int id) const {
    return controls_.find({page, id}) != controls_.end();
}

ControlKind MemoryControls::kind(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? c->kind : ControlKind::Label;
}

MemoryControls::Control* MemoryControls::find(PageId page, int id) {
    auto it = controls_.find({page, id});
    if (it == controls_.end()) {
        ++unknownAccesses_;
        return nullptr;
    }
    return &it->second;
}

const MemoryControls::Control* MemoryControls::find(PageId page, int id) const {
    auto it = controls_.find({page, id});
    if (it == controls_.end()) {
        ++unknownAccesses_;
        return nullptr;
    }
    return &it->second;
}

bool MemoryControls::takesInput(const Control* c) const {
    return c && c->enabled && c->kind != ControlKind::Label && c->kind != ControlKind::GroupBox;
}

bool MemoryControls::isTextControl(const Control* c) const {
    switch (c->kind) {
        case ControlKind::Edit:
        case ControlKind::DigitsEdit:
        case ControlKind::SignedEdit:
        case ControlKind::ComboBox:
            return true;
        default:
            return false;
    }
}

void MemoryControls::send(PageId page, int id, ControlEvent event) {
    if (sink_) sink_->onControlEvent(page, id, event);
}

bool MemoryControls::typeChar(Control& c, char32_t ch) {
    if (c.kind == ControlKind::DigitsEdit && (ch < U'0' || ch > U'9')) return false;
    if (c.allSelected) {
        if (c.limit < 1) return false;
        c.text.assign(1, ch);
        c.caret = 1;
        c.allSelected = false;
    } else {
        if (static_cast<int>(c.text.size()) >= c.limit) return false;
        c.caret = std::clamp(c.caret, 0, static_cast<int>(c.text.size()));
        c.text.insert(c.text.begin() + c.caret, ch);
        ++c.caret;
    }
    c.modified = true;
    if (c.kind == ControlKind::ComboBox) {
        auto it = std::find(c.items.begin(), c.items.end(), c.text);
        c.selection = it == c.items.end() ? -1 : static_cast<int>(it - c.items.begin());
    }
    return true;
}

void MemoryControls::userType(PageId page, int id, std::string_view utf8) {
    for (char32_t ch : utf8ToUtf32(utf8)) {
        // Looked up afresh for every character: a handler may have disabled
        // the control in the meantime.
        Control* c = find(page, id);
        if (!takesInput(c) || !isTextControl(c)) return;
        if (typeChar(*c, ch)) send(page, id, ControlEvent::Changed);
    }
}

void MemoryControls::userBackspace(PageId page, int id, int count) {
    for (int k = 0; k < count; ++k) {
        Control* c = find(page, id);
        if (!takesInput(c) || !isTextControl(c)) return;
        if (c->allSelected && !c->text.empty()) {
            c->text.clear();
            c->caret = 0;
        } else {
            c->caret = std::clamp(c->caret, 0, static_cast<int>(c->text.size()));
            if (c->caret == 0) {
                c->allSelected = false;
                continue;
            }
            c->text.erase(static_cast<std::size_t>(c->caret - 1), 1);
            --c->caret;
        }
        c->allSelected = false;
        c->modified = true;
        if (c->kind == ControlKind::ComboBox) {
            auto it = std::find(c->items.begin(), c->items.end(), c->text);
            c->selection = it == c->items.end() ? -1 : static_cast<int>(it - c->items.begin());
        }
        send(page, id, ControlEvent::Changed);
    }
}

void MemoryControls::userReplaceText(PageId page, int id, std::string_view utf8) {
    Control* c = find(page, id);
    if (!takesInput(c) || !isTextControl(c)) return;
    c->allSelected = true;
    if (utf8.empty()) {
        userBackspace(page, id);
    } else {
        userType(page, id, utf8);
    }
    if ((c = find(page, id))) c->allSelected = false;
}

void MemoryControls::userFocusOut(PageId page, int id) {
    Control* c = find(page, id);
    if (!takesInput(c)) return;
    c->allSelected = false;
    send(page, id, ControlEvent::FocusLost);
}

void MemoryControls::userClick(PageId page, int id) {
    Control* c = find(page, id);
    if (!takesInput(c)) return;
    if (c->kind == ControlKind::CheckBox) {
        c->checked = !c->checked;
    } else if (c->kind == ControlKind::RadioButton) {
        c->checked = true;
        if (c->group != 0) {
            for (auto& [key, other] : controls_) {
                if (key.first == page && key.second != id &&
                    other.kind == ControlKind::RadioButton && other.group == c->group)
                    other.checked = false;
            }
        }
    } else {
        return;
    }
    send(page, id, ControlEvent::Clicked);
}

void MemoryControls::userSelectCombo(PageId page, int id, int index) {
    Control* c = find(page, id);
    if (!takesInput(c) ||
        (c->kind != ControlKind::ComboBox && c->kind != ControlKind::DropDownList))
        return;
    setComboSelection(page, id, index);
    send(page, id, ControlEvent::Selected);
}

void MemoryControls::userSetTime(PageId page, int id, TimeOfDay t) {
    Control* c = find(page, id);
    if (!takesInput(c) || c->kind != ControlKind::TimePicker || !validTime(t)) return;
    c->time = t;
    send(page, id, ControlEvent::TimeChanged);
}

void MemoryControls::userMoveSlider(PageId page, int id, int position) {
    Control* c = find(page, id);
    if (!takesInput(c) || c->kind != ControlKind::Slider) return;
    c->sliderPos = std::clamp(position, c->sliderMin, c->sliderMax);
    send(page, id, ControlEvent::SliderMoved);
}

std::string MemoryControls::comboItem(PageId page, int id, int index) const {
    const Control* c = find(page, id);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size())) return {};
    return utf32ToUtf8(c->items[static_cast<std::size_t>(index)]);
}

int MemoryControls::sliderMinimum(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? c->sliderMin : 0;
}

int MemoryControls::sliderMaximum(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? c->sliderMax : 0;
}

std::string MemoryControls::text(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? utf32ToUtf8(c->text) : std::string();
}

void MemoryControls::setText(PageId page, int id, std::string_view utf8) {
    Control* c = find(page, id);
    if (!c) return;
    c->text = utf8ToUtf32(utf8);
    c->modified = false;
    c->caret = static_cast<int>(c->text.size());
    c->allSelected = false;
}

bool MemoryControls::modified(PageId page, int id) const {
    const Control* c = find(page, id);
    return c && c->modified;
}

void MemoryControls::setModified(PageId page, int id, bool on) {
    if (Control* c = find(page, id)) c->modified = on;
}

int MemoryControls::caret(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? c->caret : 0;
}

void MemoryControls::setCaret(PageId page, int id, int position) {
    Control* c = find(page, id);
    if (!c) return;
    c->caret = std::clamp(position, 0, static_cast<int>(c->text.size()));
    c->allSelected = false;
}

void MemoryControls::setTextLimit(PageId page, int id, int characters) {
    // As the platform's edit: a limit of 0 (or less) means the largest one.
    if (Control* c = find(page, id)) c->limit = characters > 0 ? characters : kDefaultTextLimit;
}

int MemoryControls::textLimit(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? c->limit : 0;
}

bool MemoryControls::checked(PageId page, int id) const {
    const Control* c = find(page, id);
    return c && c->checked;
}

void MemoryControls::setChecked(PageId page, int id, bool on) {
    if (Control* c = find(page, id)) c->checked = on;
}

bool MemoryControls::enabled(PageId page, int id) const {
    const Control* c = find(page, id);
    return c && c->enabled;
}

void MemoryControls::setEnabled(PageId page, int id, bool on) {
    if (Control* c = find(page, id)) c->enabled = on;
}

void MemoryControls::addComboItem(PageId page, int id, std::string_view utf8) {
    if (Control* c = find(page, id)) c->items.push_back(utf8ToUtf32(utf8));
}

int MemoryControls::comboCount(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? static_cast<int>(c->items.size()) : 0;
}

int MemoryControls::comboSelection(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? c->selection : -1;
}

void MemoryControls::setComboSelection(PageId page, int id, int index) {
    Control* c = find(page, id);
    if (!c) return;
    if (index >= 0 && index < static_cast<int>(c->items.size())) {
        c->selection = index;
        c->text = c->items[static_cast<std::size_t>(index)];
    } else {
        c->selection = -1;
        c->text.clear();
    }
    c->modified = false;
    c->caret = static_cast<int>(c->text.size());
    c->allSelected = false;
}

TimeOfDay MemoryControls::time(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? c->time : TimeOfDay{};
}

void MemoryControls::setTime(PageId page, int id, TimeOfDay t) {
    Control* c = find(page, id);
    if (c && validTime(t)) c->time = t;
}

void MemoryControls::setSliderRange(PageId page, int id, int min, int max) {
    Control* c = find(page, id);
    if (!c) return;
    if (max < min) std::swap(min, max);
    c->sliderMin = min;
    c->sliderMax = max;
    c->sliderPos = std::clamp(c->sliderPos, min, max);
}

int MemoryControls::sliderPosition(PageId page, int id) const {
    const Control* c = find(page, id);
    return c ? c->sliderPos : 0;
}

void MemoryControls::setSliderPosition(PageId page, int id, int position) {
    if (Control* c = find(page, id))
        c->sliderPos = std::clamp(position, c->sliderMin, c->sliderMax);
}
