#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MObject.h"
#include "ui/core/MWindow.h"
#include "ui/core/PaintManager.h"

#include <string>

namespace Tolva {

// A popup window hosting controls (drop-down lists, menus). Children's notifications go to the
// parent object given at creation.
class TOLVA_API MPopupWnd : public MWindow, public MObject {
public:
    MPopupWnd() = default;
    ~MPopupWnd() override;

    // Creates the popup at `screen` owned by `owner`; null on failure.
    NativeWindow* CreatePopup(NativeWindow* owner, const Rect& screen, MObject* parent = nullptr);

    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;
    int OnControlUpdate(const Rect& rect, bool erase, MControl* control) override;
    const char* GetClassNameW() const override { return "MPopupWnd"; }

    bool LoadBKImage(const std::string& file) { return manager_.LoadBKImage(file); }
    void SetBackMode(int mode, int value) { manager_.SetBackMode(mode, value); }
    MControl* CreateControl(const std::string& className, unsigned id, const Rect& rect,
                            const std::string& title = {}, bool visible = true,
                            bool enabled = true);
    MControl* CreateArea(const std::string& className, unsigned id, const Rect& rect,
                         const std::string& title = {}, bool visible = true, bool enabled = true);
    MControl* GetControl(unsigned id) const { return manager_.GetControl(id); }
    LRESULT SendMessageToParent(unsigned id, int code, WPARAM wparam, LPARAM lparam);
    void CloseWindow();
    PaintManager& GetPaintManager() { return manager_; }
    MObject* GetParent() const { return parentObject_; }
    // Deletes the object once its window is gone (for popups nobody else keeps).
    void SetAutoDelete(bool on) { autoDelete_ = on; }

    const char* GetWindowClassName() const override { return "MPopupWnd"; }
    LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) override;
    bool PreTranslateMessage(Message* msg) override;
    void OnInitDialog() override;
    void OnDestroyMessage(NativeWindow* hwnd) override;
    virtual void InitUI(const Rect& rect) {}

protected:
    PaintManager manager_;
    MObject* parentObject_ = nullptr;

private:
    bool autoDelete_ = false;
};

} // namespace Tolva
