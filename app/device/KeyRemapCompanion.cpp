#include "app/device/KeyRemapCompanion.h"

#include "app/device/HidUsageTable.h"
#include "app/device/MacroSequenceImage.h"
#include "app/platform/Clock.h"
#include "app/store/SettingsDatabase.h"

#include <algorithm>
#include <utility>

namespace {

// Modifier flags of a key function and the usages they hold: Ctrl, Shift, Alt, Win.
constexpr std::pair<int, int> kModifierUsages[] = {{1, 0xE0}, {2, 0xE1}, {4, 0xE2}, {8, 0xE3}};

} // namespace

KeyRemapCompanion::KeyRemapCompanion(HidUsbFilter& filter, VirtualHidReports& reports, Clock& clock)
    : filter_(filter), reports_(reports), clock_(clock) {}

KeyRemapCompanion::~KeyRemapCompanion() {
    CancelPlayback();
    filter_.Unregister(this);
}

bool KeyRemapCompanion::Start(MacroRequest onMacro, SoftwareRequest onSoftware) {
    {
        std::lock_guard<std::mutex> lock(requestMutex_);
        onMacro_ = std::move(onMacro);
        onSoftware_ = std::move(onSoftware);
    }
    if (reports_.EnsureOpen()) reports_.Reset();
    filter_.Register(std::make_unique<HidUsbFilter::MonitorProxy>(this, &Dispatch, nullptr));
    return filter_.Open();
}

void KeyRemapCompanion::Stop() {
    CancelPlayback();
    filter_.Unregister(this);
    filter_.Shutdown();
    std::lock_guard<std::mutex> lock(requestMutex_);
    onMacro_ = nullptr;
    onSoftware_ = nullptr;
}

bool KeyRemapCompanion::Dispatch(void* owner, const HidUsbFilter::KeyEvent& event, void*) {
    return static_cast<KeyRemapCompanion*>(owner)->HandleKeyEvent(event);
}

bool KeyRemapCompanion::LoadRemapTable(const std::vector<KeyAssignmentRow>& rows) {
    std::lock_guard<std::mutex> load(loadMutex_);
    if (reports_.EnsureOpen()) reports_.Reset();
    std::vector<int> keyCodes;
    std::map<int, KeyAssignmentRow> keyMap;
    for (const KeyAssignmentRow& row : rows) {
        if (keyCodes.size() == HidUsbFilter::kTableEntries) break;
        keyCodes.push_back(row.keyCode);
        keyMap[row.keyCode] = row;
    }
    {
        // The old map goes with the old table; events of the new keys may arrive as soon as
        // the reader starts.
        std::lock_guard<std::mutex> lock(mapMutex_);
        keyMap_ = std::move(keyMap);
    }
    return filter_.LoadRemapTable(keyCodes);
}

bool KeyRemapCompanion::LoadRemapTable(SettingsDatabase& store, int profile, int fnLayer) {
    std::vector<std::unique_ptr<KeyAssignmentRow>> stored;
    store.LoadKeyAssignments(profile, fnLayer, stored);
    std::vector<KeyAssignmentRow> rows;
    rows.reserve(stored.size());
    for (const auto& row : stored)
        if (row) rows.push_back(*row);
    return LoadRemapTable(rows);
}

size_t KeyRemapCompanion::MappedKeyCount() const {
    std::lock_guard<std::mutex> lock(mapMutex_);
    return keyMap_.size();
}

bool KeyRemapCompanion::HandleKeyEvent(const HidUsbFilter::KeyEvent& event) {
    KeyAssignmentRow row;
    {
        std::lock_guard<std::mutex> lock(mapMutex_);
        auto found = keyMap_.find(event.keyCode);
        if (found == keyMap_.end()) return false;
        row = found->second;
    }
    if (row.macroType >= kFirstSoftwareType && row.macroType <= kLastSoftwareType) {
        if (event.pressed) {
            std::lock_guard<std::mutex> lock(requestMutex_);
            if (onSoftware_) onSoftware_(row.macroValue);
        }
        return true;
    }
    switch (row.macroType) {
    case kKeyType: {
        if (!reports_.EnsureOpen()) break;
        // The modifiers go down before the key and come up after it.
        std::vector<int> held;
        for (const auto& [flag, usage] : kModifierUsages)
            if (row.macroValue2 & flag) held.push_back(usage);
        if (event.pressed) {
            for (int usage : held)
                reports_.SetKey(usage, true);
            reports_.SetKey(row.macroValue, true);
        } else {
            reports_.SetKey(row.macroValue, false);
            for (auto it = held.rbegin(); it != held.rend(); ++it)
                reports_.SetKey(*it, false);
        }
        break;
    }
    case kMediaType:
        if (const int code = MediaCode(row.macroValue); code > 0 && reports_.EnsureOpen())
            reports_.SetKey(code, event.pressed);
        break;
    case kMouseButtonType:
        if (reports_.EnsureOpen()) reports_.SetMouseButton(row.macroValue, event.pressed);
        break;
    case kShortcutType:
        if (event.pressed && reports_.Reopen()) PlayShortcut(row.macroValue);
        break;
    case kMacroType:
        if (event.pressed) {
            pendingMacro_ = row.macroValue;
            std::lock_guard<std::mutex> lock(requestMutex_);
            if (onMacro_) onMacro_(row.macroValue);
        }
        break;
    default:
        break;
    }
    return true;
}

int KeyRemapCompanion::MediaCode(int value) {
    // The order of the keyboard's media list, in the codes the mouse family gives them.
    constexpr int kCodes[] = {238, 236, 237, 239, 234, 233, 235};
    return value >= 1 && value <= 7 ? kCodes[value - 1] : 0;
}

bool KeyRemapCompanion::PlayShortcut(int number) {
    // The shortcut table is the one the mouse receives; its image lists the key events.
    MacroSequenceImage image(0, 0);
    if (!image.SetShortcut(number)) return false;
    const uint8_t* bytes = image.Bytes();
    bool ok = true;
    for (int i = 0; i < image.EventCount() && ok; ++i) {
        uint8_t usage = bytes[4 + 2 * i];
        bool release = (bytes[5 + 2 * i] & 0x80) != 0;
        ok = reports_.SetKey(usage, !release);
    }
    return reports_.Reset() && ok;
}

void KeyRemapCompanion::CancelPlayback() {
    cancel_ = true;
}

bool KeyRemapCompanion::PlayMacro(const MacroRow& macro, const std::vector<MacroItemRow>& items) {
    cancel_ = false;
    if (!reports_.Reopen()) return false;
    if (!reports_.Reset()) return false;
    std::vector<const MacroItemRow*> ordered;
    for (const MacroItemRow& item : items)
        ordered.push_back(&item);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const MacroItemRow* a, const MacroItemRow* b) {
                         return a->recordIndex < b->recordIndex;
                     });
    for (int round = 0; round < macro.playTimes; ++round) {
        for (const MacroItemRow* item : ordered) {
            if (cancel_) {
                reports_.Reset();
                return false;
            }
            uint8_t usage = HidUsageTable::FromVirtualKey(item->value);
            // A key the keyboard report cannot carry (mouse buttons, unknown codes) is left out;
            // its delay still passes.
            if (usage != 0 && !reports_.SetKey(usage, item->type == kMacroPressType)) return false;
            clock_.SleepMs(std::max(item->delayTime, kMinEventDelayMs));
        }
        if (!reports_.Reset()) return false;
    }
    return true;
}

bool KeyRemapCompanion::PlayMacro(SettingsDatabase& store, int macroId) {
    MacroRow macro;
    if (!store.GetMacro(macroId, macro)) return false;
    std::vector<std::unique_ptr<MacroItemRow>> stored;
    store.LoadMacroItems(macroId, stored);
    std::vector<MacroItemRow> items;
    items.reserve(stored.size());
    for (const auto& item : stored)
        if (item) items.push_back(*item);
    return PlayMacro(macro, items);
}
