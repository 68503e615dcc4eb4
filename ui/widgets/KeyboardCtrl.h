#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"
#include "ui/widgets/KEY_INFO.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace Tolva {

class CKeyboardTips;

// A keyboard picture whose keys are items: selection, checked keys (also by a rubber-band
// frame), per-key colours in several preview modes, a lighting sequence played on the animation
// timer and a tip window over the hovered key.
class TOLVA_API KeyboardCtrl : public MPanel {
public:
    enum Mode { Plain = 100, Selection = 101, LightSequence = 102, PerKeyColor = 103, Music = 104 };
    static constexpr int kBandStep = 20;
    static constexpr int kBandMinimum = 6;
    static constexpr uint32_t kDefaultColor = 0x00E1FF;

    KeyboardCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                 bool visible = true, bool enabled = true);
    ~KeyboardCtrl() override;

    const char* GetObjectClass() const override { return "KeyboardCtrl"; }
    void InitControl(PaintManager* manager) override;
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void SetControlRect(const Rect& rect) override;
    void SetControlVisible(bool visible) override;
    int OnControlTimer() override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlRButtonDown(unsigned flags, Point pt) override;
    int OnControlRButtonUp(unsigned flags, Point pt) override;

    // The picture, from the skin folder (not through the image cache); false when it cannot be
    // loaded.
    bool SetKeyboardImage(const std::string& file);
    // Picture size; centres the picture horizontally in the widget.
    void SetWidthAndHeight(int width, int height);
    Point GetPictureOffset() const;
    double GetPictureScale() const { return scale_; }

    // Appends a key; returns its index. A non-empty icon file is loaded from the skin folder.
    int AddKeyItem(const std::string& name, const std::string& description, uint32_t keyValue,
                   const Rect& rect, const std::string& iconFile = {});
    // The records stay owned by the widget.
    std::vector<KEY_INFO*> GetKeyItems() const;
    int GetKeyCount() const;
    void ClearItem();

    void SetKeyboardCtrlMode(int mode);
    int GetKeyboardCtrlMode() const { return mode_; }
    // Frames of one brightness byte per key, in key order; a length of 0 or less clears them.
    void SetLightModeData(const uint8_t* bytes, int length);
    int GetFrameCount() const;
    int GetCurrentFrame() const;
    // Ticks per frame: 12, 9, 6, 3 for speeds 0..3, else 1.
    void SetLightSpeed(int speed);
    int GetTicksPerFrame() const { return ticksPerFrame_; }
    // Every key turns 0xFFFF00 when the brightness changes (clamped to 0..255).
    void SetMusicBrightness(int brightness);
    int GetMusicBrightness() const { return musicBrightness_; }

    // These change every key with `keyValue` and do not repaint.
    void SetKeyCheck(uint32_t keyValue, bool checked);
    void SetKeyColor(uint32_t keyValue, uint32_t colorRef);
    // 0 when no key has the value.
    uint32_t GetKeyColor(uint32_t keyValue) const;
    void SetKeyDesc(uint32_t keyValue, const std::string& text);

    void ResetAllItemCheck() { ResetAllItemCheck(false); }
    void ResetAllItemCheck(bool checked);
    int GetCheckItemCount() const;
    // The selected key and every checked key take the colour.
    void SetAllSelectColor(uint32_t colorRef);
    void ResetAllItemsColor(uint32_t colorRef);
    void SetLightModeColor(bool allWhite, uint32_t colorRef);

    // -1 .. count - 1 (no repaint); false otherwise.
    bool SetSelectItem(int index);
    int GetSelectItem() const { return selected_; }
    int GetHoverItem() const { return hover_; }
    uint32_t GetCurrentKeyValue() const { return currentKey_; }

    void EnableFrameSelect(bool on) { frameSelect_ = on; }
    bool IsBandOpen() const { return bandOpen_; }
    // The rubber band in window coordinates (empty when closed).
    Rect GetBandRect() const;
    void EnableKBTips(bool on);
    void SetTipKey(uint32_t keyValue, const std::string& title, const std::string& text);
    void ResetTipKey();
    // Shows (or hides) the tip of key `index` anchored on `rect` (picture coordinates).
    void SetTips(int index, const Rect& rect, bool show);
    CKeyboardTips* GetTipWindow() const { return tips_.get(); }

    // A key's rectangle in window coordinates (empty for an index out of range).
    Rect KeyScreenRect(int index) const;
    // Index of the first key containing the window point, -1 when none.
    int HitTest(Point pt) const;

private:
    Rect ToScreen(const Rect& pictureRect) const;
    void Centre();
    void UpdateBand(Point pt);
    void CloseBand();
    void DrawKeys(cairo_t* cr);
    void DrawLegend(cairo_t* cr, const KEY_INFO& key, const Rect& box) const;
    void HideTip();
    int KeyBrightness(int index) const;

    mutable std::recursive_mutex keysLock_; // keys and the light buffer
    std::vector<std::unique_ptr<KEY_INFO>> keys_;
    std::atomic<int> hover_{-1};
    std::atomic<int> selected_{-1};
    std::atomic<uint32_t> currentKey_{0};
    std::atomic<int> mode_{Plain};
    std::atomic<int> offsetX_{6};
    std::atomic<int> offsetY_{6};
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    double scale_ = 1.0;
    std::shared_ptr<Image> picture_;
    std::vector<uint8_t> light_;
    int frameCount_ = 0;
    int frame_ = 0;
    int tick_ = 0;
    std::atomic<int> ticksPerFrame_{1};
    std::atomic<int> musicBrightness_{255};
    bool frameSelect_ = false;
    bool bandOpen_ = false;
    bool bandArmed_ = false; // a press recorded a start point
    Point bandStart_;
    Point bandPoint_;
    bool tipsEnabled_ = false;
    std::unique_ptr<CKeyboardTips> tips_;
    int tipKey_ = -1;
};

} // namespace Tolva
