#pragma once

#include <cstdint>
#include <string>

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"

namespace Tolva {

class NativeEdit;

// What an in-place edit box reports to its user, on the window thread.
class TOLVA_API EditListener {
public:
    virtual ~EditListener();
    // The person changed the text (not SetText).
    virtual void OnEditChanged(NativeEdit& /*edit*/) {}
    // The box lost the keyboard focus while shown.
    virtual void OnEditFocusLost(NativeEdit& /*edit*/) {}
    // Return, Escape and Tab; answer true when handled (the box then ignores the key).
    virtual bool OnEditKey(NativeEdit& /*edit*/, int /*virtualKey*/) { return false; }
};

// A native single-line text box laid over a window (in-place editing of list items, values).
// Hidden when created. Text is UTF-8; limits count code points.
class TOLVA_API NativeEdit {
public:
    virtual ~NativeEdit();

    // Client coordinates of the parent window.
    virtual void SetRect(const Rect& client);
    Rect GetRect() const { return rect_; }
    // Replaces the text as given (the limit and number rules are for typing) without calling
    // OnEditChanged.
    virtual void SetText(const std::string& text);
    virtual std::string GetText() const { return text_; }
    virtual void Show(bool show);
    bool IsVisible() const { return visible_; }
    virtual void SetFocus() = 0;
    virtual bool HasFocus() const = 0;
    virtual void SelectAll() = 0;
    // Colours are 0x00BBGGRR.
    virtual void SetColors(uint32_t text, uint32_t back);
    virtual void SetFont(const std::string& family, int pixelSize, bool bold);
    // 0 = no limit.
    virtual void SetLimit(int maxChars);
    virtual void SetNumberOnly(bool on);
    virtual void SetReadOnly(bool on);
    // 0 shows the text; any other character masks it.
    virtual void SetPasswordChar(char32_t c);
    // 0 left, 1 centre, 2 right.
    virtual void SetAlignment(int align);
    void SetListener(EditListener* listener) { listener_ = listener; }
    EditListener* GetListener() const { return listener_; }

    // What typing `insert` over the selection [from, to) (in code points) leaves, after the limit
    // and number rules; the same rule on every back end.
    std::string FilterEdit(const std::string& current, int from, int to,
                           const std::string& insert) const;

protected:
    NativeEdit() = default;
    Rect rect_;
    std::string text_;
    bool visible_ = false;
    uint32_t textColor_ = 0x000000;
    uint32_t backColor_ = 0xFFFFFF;
    std::string fontFamily_ = "Open Sans";
    int fontPixels_ = 14;
    bool bold_ = false;
    int limit_ = 0;
    bool numberOnly_ = false;
    bool readOnly_ = false;
    char32_t passwordChar_ = 0;
    int align_ = 0;
    EditListener* listener_ = nullptr;
};

} // namespace Tolva
