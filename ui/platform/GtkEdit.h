#pragma once

#include "ui/platform/NativeEdit.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkCssProvider GtkCssProvider;

namespace Tolva {

class GtkNativeWindow;

// Edit box of the GTK back end: a GtkEntry placed in the window's fixed container.
class GtkEdit : public NativeEdit {
public:
    explicit GtkEdit(GtkNativeWindow* parent);
    ~GtkEdit() override;

    void SetRect(const Rect& client) override;
    void SetText(const std::string& text) override;
    std::string GetText() const override;
    void Show(bool show) override;
    void SetFocus() override;
    bool HasFocus() const override;
    void SelectAll() override;
    void SetColors(uint32_t text, uint32_t back) override;
    void SetFont(const std::string& family, int pixelSize, bool bold) override;
    void SetLimit(int maxChars) override;
    void SetReadOnly(bool on) override;
    void SetPasswordChar(char32_t c) override;
    void SetAlignment(int align) override;

    // Signal handlers.
    void OnChanged();
    bool OnFocusOut();
    bool OnKey(unsigned keyval);
    void OnInsert(const char* text, int length, int* position);

private:
    void ApplyStyle();

    GtkWidget* entry_ = nullptr;
    GtkCssProvider* css_ = nullptr;
    bool settingText_ = false;
    bool inserting_ = false;
};

} // namespace Tolva
