#pragma once

#include "ui/platform/NativeEdit.h"

namespace Tolva {

class NativeWindow;

// Edit box of the headless back end: text, selection and focus in memory; tests type into it.
class HeadlessEdit : public NativeEdit {
public:
    explicit HeadlessEdit(NativeWindow* parent) : parent_(parent) {}
    void SetText(const std::string& text) override;
    void Show(bool show) override;
    void SetFocus() override;
    bool HasFocus() const override { return focused_; }
    void SelectAll() override;

    // What a person does: type over the selection, press a key, click elsewhere.
    void Type(const std::string& text);
    void Key(int virtualKey);
    void LoseFocus();

private:
    NativeWindow* parent_ = nullptr;
    bool focused_ = false;
    int selFrom_ = 0;
    int selTo_ = 0;
};

} // namespace Tolva
