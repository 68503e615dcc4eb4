#pragma once

#include "ui/platform/ToolTipWindow.h"

typedef struct _GtkWidget GtkWidget;

namespace Tolva {

// Tip window of the GTK back end: a popup with one label.
class GtkToolTip : public ToolTipWindow {
public:
    GtkToolTip();
    ~GtkToolTip() override;
    void Show(const std::string& text, Point screen) override;
    void Hide() override;

private:
    GtkWidget* window_ = nullptr;
    GtkWidget* label_ = nullptr;
};

} // namespace Tolva
