#include "ui/gallery/GallerySamples.h"

#include "ui/controls/CGifPicture.h"
#include "ui/controls/CPhotoFrame.h"
#include "ui/controls/CSliderPicture.h"
#include "ui/controls/MPicture.h"
#include "ui/controls/PictureDrawer.h"
#include "ui/gallery/GalleryCanvas.h"

namespace Tolva {

void BuildPictureSamples(GalleryCanvas& c) {
    const int top = kPageTop + 10;
    auto caption = [&](int x, int y, const std::string& text) {
        c.Caption(Rect{x, y, x + 270, y + 18}, text);
    };

    // MPicture in each of its show modes.
    int x = 20, y = top;
    struct Mode {
        int mode;
        const char* english;
        const char* chinese;
        const char* file;
        Rect rect;
    };
    const Mode modes[] = {
        {PictureDrawer::Stretch, "MPicture: stretched", "MPicture：拉伸", "icon\\bg_logo1.png",
         Rect{0, 0, 260, 150}},
        {PictureDrawer::Center, "MPicture: centred", "MPicture：居中", "logo\\logo.png",
         Rect{0, 0, 260, 150}},
        {PictureDrawer::MID, "MPicture: nine-grid", "MPicture：九宫格", "bk_prompt.png",
         Rect{0, 0, 260, 150}},
        {PictureDrawer::Custom, "MPicture: part of the image", "MPicture：图片的一部分",
         "mouse\\mouse_q410.png", Rect{0, 0, 260, 150}},
    };
    for (const Mode& m : modes) {
        caption(x, y, c.Text(m.english, m.chinese));
        auto* p = c.MakeAs<MPicture>("MPicture", m.rect.Offset(x, y + 20));
        if (p) {
            p->SetImage(m.file);
            p->SetShowMode(m.mode);
            if (m.mode == PictureDrawer::MID) p->SetShowModeMID(20, 20, 20, 20);
            if (m.mode == PictureDrawer::Custom) p->SetCustomRect(Rect{70, 40, 230, 130});
        }
        x += 290;
    }

    // Framed, clickable pictures: live, and disabled.
    x = 20;
    y = top + 200;
    const char* frameEnglish[] = {"CPhotoFrame (try it)", "CPhotoFrame: disabled"};
    const char* frameChinese[] = {"CPhotoFrame（可点击）", "CPhotoFrame：禁用"};
    for (int i = 0; i < 2; ++i) {
        caption(x, y, c.Text(frameEnglish[i], frameChinese[i]));
        auto* f = c.MakeAs<CPhotoFrame>("CPhotoFrame", Rect{x, y + 20, x + 200, y + 150});
        if (f) {
            f->SetPhotoFrame("btn_apply.png", 4, 4);
            f->SetImage("icon\\bg_logo1.png");
            f->SetShowMode(PictureDrawer::Stretch);
            if (i == 1) f->SetEnabled(false);
        }
        x += 230;
    }

    // Pictures that move.
    caption(x, y, c.Text("CSliderPicture: running", "CSliderPicture：滚动中"));
    if (auto* s = c.MakeAs<CSliderPicture>("CSliderPicture", Rect{x, y + 20, x + 260, y + 80})) {
        s->SetImage("logo\\logo_loading.png", 1);
        s->SetRun(true);
    }
    x += 290;
    caption(x, y, c.Text("CGifPicture: running", "CGifPicture：播放中"));
    if (auto* g = c.MakeAs<CGifPicture>("CGifPicture", Rect{x, y + 20, x + 120, y + 100})) {
        g->SetImage("loading\\loading.gif", 1);
        g->SetShowMode(PictureDrawer::Center);
        g->SetRunState(true, 0);
    }
    caption(x + 150, y, c.Text("CGifPicture: stopped", "CGifPicture：已停止"));
    if (auto* g = c.MakeAs<CGifPicture>("CGifPicture", Rect{x + 150, y + 20, x + 270, y + 100})) {
        g->SetImage("loading\\loading.gif", 1);
        g->SetShowMode(PictureDrawer::Center);
        g->SetRunState(false, 3);
    }
}

} // namespace Tolva
