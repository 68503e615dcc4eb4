#include "TolvaFixture.h"

#include "ui/controls/MPicture.h"
#include "ui/controls/PictureDrawer.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/Image.h"
#include "ui/paint/ImageCache.h"
#include "ui/paint/MRender.h"
#include "ui/paint/PngReader.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <png.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Tolva;

namespace TolvaTest {
namespace {

namespace fs = std::filesystem;

std::vector<char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A w x h picture with a different colour and alpha in every pixel, so a wrong channel order,
// rounding or row step shows.
void WriteGradient(const fs::path& path, int w, int h) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) {
            const uint32_t a = (x * 37 + y * 11) & 0xFF;
            const uint32_t r = (x * 5) % (a + 1), g = (y * 9) % (a + 1),
                           b = ((x ^ y) * 3) % (a + 1);
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(s);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

// A PNG of any colour type and depth the format allows, written with libpng: samples run over
// the whole range of the depth, the palette has see-through entries, rows may be interlaced.
bool WritePng(const fs::path& path, int w, int h, int colorType, int depth, bool interlace) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, depth, colorType,
                 interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[16];
        png_byte alpha[16];
        for (int i = 0; i < 16; ++i) {
            palette[i] = {static_cast<png_byte>(i * 16), static_cast<png_byte>(255 - i * 13),
                          static_cast<png_byte>(i * 7)};
            alpha[i] = static_cast<png_byte>(i * 17);
        }
        png_set_PLTE(png, info, palette, 16);
        png_set_tRNS(png, info, alpha, 16, nullptr);
    }
    png_write_info(png, info);
    const int channels = colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_PALETTE ? 1
                         : colorType == PNG_COLOR_TYPE_GRAY_ALPHA                                ? 2
                         : colorType == PNG_COLOR_TYPE_RGB                                       ? 3
                                                           : 4;
    const int maxSample = colorType == PNG_COLOR_TYPE_PALETTE ? 15 : (1 << depth) - 1;
    const size_t rowBytes = (static_cast<size_t>(w) * channels * depth + 7) / 8;
    std::vector<std::vector<png_byte>> rows(static_cast<size_t>(h),
                                            std::vector<png_byte>(rowBytes, 0));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < channels; ++c) {
                const unsigned v =
                    static_cast<unsigned>(x * 131 + y * 71 + c * 977) % (maxSample + 1);
                const size_t bit = (static_cast<size_t>(x) * channels + c) * depth;
                png_byte* row = rows[static_cast<size_t>(y)].data();
                if (depth == 16) {
                    row[bit / 8] = static_cast<png_byte>(v >> 8);
                    row[bit / 8 + 1] = static_cast<png_byte>(v & 0xFF);
                } else if (depth == 8) {
                    row[bit / 8] = static_cast<png_byte>(v);
                } else {
                    row[bit / 8] |= static_cast<png_byte>(v << (8 - depth - bit % 8));
                }
            }
        }
    }
    std::vector<png_bytep> pointers;
    for (auto& r : rows)
        pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}

// What the program drew before PNGs bypassed gdk-pixbuf: its straight RGBA, premultiplied
// rounding down. Returns "" when `surface` has exactly those pixels.
std::string DiffFromPixbuf(const fs::path& path, cairo_surface_t* surface) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    if (!pixbuf) return "gdk-pixbuf cannot read it";
    if (!surface) {
        g_object_unref(pixbuf);
        return "no surface";
    }
    const int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
    std::string diff;
    if (w != cairo_image_surface_get_width(surface) || h != cairo_image_surface_get_height(surface))
        diff = "size differs";
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const guint8* src = gdk_pixbuf_read_pixels(pixbuf);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < h && diff.empty(); ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface));
        for (int x = 0; x < w && diff.empty(); ++x) {
            const guint8* s = src + y * gdk_pixbuf_get_rowstride(pixbuf) + x * channels;
            const uint32_t a = alpha ? s[3] : 255;
            const uint32_t want =
                (a << 24) | (s[0] * a / 255 << 16) | (s[1] * a / 255 << 8) | (s[2] * a / 255);
            if (row[x] != want) {
                char text[96];
                std::snprintf(text, sizeof text, "pixel %d,%d is %08X, want %08X", x, y, row[x],
                              want);
                diff = text;
            }
        }
    }
    g_object_unref(pixbuf);
    return diff;
}

class ImageTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        dir = fs::temp_directory_path() / ("tolva-image-" + std::to_string(getpid()));
        fs::create_directories(dir);
        WriteGradient(dir / "gradient.png", 120, 30);
    }
    void TearDown() override {
        fs::remove_all(dir);
        TolvaTest::TearDown();
    }
    fs::path dir;
};

TEST_F(ImageTest, RegisteredImagesKnowTheirSizeAndDecodeOnlyWhenDrawn) {
    ImageCache cache;
    cache.SetFolder(Manager::GetSkinFolder());
    const std::pair<const char*, int> strips[] = {{"btn_apply.png", 4},
                                                  {"img_thumb.png", 4},
                                                  {"main_bkg.png", 1},
                                                  {"loading\\loading.gif", 1}};
    for (const auto& [name, frames] : strips) {
        const ImgResInfo* info = cache.Add(name, frames);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_FALSE(info->image->IsDecoded()) << name;
        // The sizes read from the header are those of the decoded pixels.
        auto decoded = Image::Load(cache.FullPath(name));
        ASSERT_NE(decoded, nullptr) << name;
        EXPECT_EQ(info->frameWidth, decoded->Width() / frames) << name;
        EXPECT_EQ(info->height, decoded->Height()) << name;
        EXPECT_FALSE(info->image->IsDecoded()) << name;
        cairo_surface_t* s = info->image->Surface(0);
        ASSERT_NE(s, nullptr) << name;
        EXPECT_TRUE(info->image->IsDecoded()) << name;
        EXPECT_EQ(cairo_image_surface_get_width(s), info->image->Width()) << name;
        EXPECT_EQ(cairo_image_surface_get_height(s), info->image->Height()) << name;
        EXPECT_EQ(s, info->image->Surface(0)) << name << ": decoded again";
    }

    // A control given an image on a page that is not shown leaves it undecoded; the first paint
    // of the page decodes it.
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(200, 100));
    PaintManager& pm = dlg.GetPaintManager();
    pm.Images().SetFolder(dir.string());
    auto* pic = static_cast<MPicture*>(
        pm.AddControl(std::make_unique<MPicture>(&dlg, 1, Rect{10, 10, 130, 40}), 1));
    pic->SetVisible(false);
    ASSERT_EQ(pic->SetImage("gradient.png", 1), 1);
    EXPECT_EQ(pic->GetImageSize(), (Size{120, 30}));
    pm.Invalidate();
    Platform::ProcessPending();
    ASSERT_NE(pic->GetImage(), nullptr);
    EXPECT_FALSE(pic->GetImage()->IsDecoded());
    pic->SetVisible(true);
    pm.Invalidate();
    Platform::ProcessPending();
    EXPECT_TRUE(pic->GetImage()->IsDecoded());
}

// Exposes whether the picture keeps a drawing cache.
class CachedPicture : public MPicture {
public:
    using MPicture::MPicture;
    bool HasCache() const { return MemSurface() != nullptr; }
};

std::vector<uint32_t> Pixels(HeadlessBackend* head, NativeWindow* w, const Rect& r) {
    std::vector<uint32_t> px;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            px.push_back(head->Pixel(w, {x, y}));
    return px;
}

TEST_F(ImageTest, PictureAtItsOwnSizeDrawsFromTheImageWithoutACache) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(200, 100));
    PaintManager& pm = dlg.GetPaintManager();
    pm.Images().SetFolder(dir.string());
    auto* pic = static_cast<CachedPicture*>(
        pm.AddControl(std::make_unique<CachedPicture>(&dlg, 1, Rect{10, 10, 70, 40}), 1));
    // Two 60 x 30 frames side by side.
    ASSERT_EQ(pic->SetImage("gradient.png", 2), 1);
    auto paint = [&] {
        pm.Invalidate();
        Platform::ProcessPending();
        return Pixels(head, dlg.GetSafeHwnd(), Rect{10, 10, 70, 40});
    };
    for (int frame : {0, 1}) {
        ASSERT_EQ(pic->SetFrameIndex(frame), 1);
        pic->SetShowMode(PictureDrawer::Stretch);
        const std::vector<uint32_t> direct = paint();
        EXPECT_FALSE(pic->HasCache()) << frame;
        // Centred at the same size it goes through the cache, and must look the same.
        pic->SetShowMode(PictureDrawer::Center);
        EXPECT_EQ(paint(), direct) << frame;
        EXPECT_TRUE(pic->HasCache()) << frame;
    }
    // The frames differ, so the direct path did follow the frame index.
    pic->SetShowMode(PictureDrawer::Stretch);
    pic->SetFrameIndex(0);
    const std::vector<uint32_t> first = paint();
    pic->SetFrameIndex(1);
    EXPECT_NE(paint(), first);
    // Scaled, the picture keeps its cache again; back at its own size it lets it go.
    pic->SetRect(Rect{10, 10, 130, 70});
    paint();
    EXPECT_TRUE(pic->HasCache());
    pic->SetRect(Rect{10, 10, 70, 40});
    paint();
    EXPECT_FALSE(pic->HasCache());
}

TEST_F(ImageTest, ShownPicturesAreDecodedBeforeTheirFirstPaint) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(200, 100));
    PaintManager& pm = dlg.GetPaintManager();
    pm.Images().SetFolder(dir.string());
    WriteGradient(dir / "shown.png", 64, 16);
    auto* pic = static_cast<MPicture*>(
        pm.AddControl(std::make_unique<MPicture>(&dlg, 1, Rect{10, 10, 74, 26}), 1));
    ASSERT_EQ(pic->SetImage("shown.png", 1), 1);
    std::shared_ptr<Image> image = pic->GetImage();
    ASSERT_NE(image, nullptr);
    // Nothing paints here: only the decoder thread can decode it.
    for (int i = 0; i < 500 && !image->IsDecoded(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(image->IsDecoded());
    ASSERT_NE(image->Surface(0), nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(image->Surface(0)), 64);
}

TEST_F(ImageTest, FilesWithoutAReadableHeaderAreRefusedAndNotCached) {
    const std::vector<char> good = ReadAll(dir / "gradient.png");
    ASSERT_GT(good.size(), 64u);
    WriteAll(dir / "empty.png", {});
    WriteAll(dir / "text.png", {'h', 'e', 'l', 'l', 'o', '\n'});
    WriteAll(dir / "signature.png", std::vector<char>(good.begin(), good.begin() + 8));
    WriteAll(dir / "half-header.png", std::vector<char>(good.begin(), good.begin() + 20));
    std::vector<char> zeroWidth = good;
    std::memset(zeroWidth.data() + 16, 0, 4);
    WriteAll(dir / "zero-width.png", zeroWidth);
    std::vector<char> badType = good;
    badType[25] = 5; // no such colour type
    WriteAll(dir / "bad-type.png", badType);
    fs::create_directories(dir / "folder.png");

    ImageCache cache;
    cache.SetFolder(dir.string());
    for (const char* name : {"missing.png", "empty.png", "text.png", "signature.png",
                             "half-header.png", "zero-width.png", "bad-type.png", "folder.png"}) {
        EXPECT_EQ(cache.Add(name, 1), nullptr) << name;
        EXPECT_EQ(Image::Open((dir / name).string()), nullptr) << name;
        EXPECT_EQ(Image::Load((dir / name).string()), nullptr) << name;
    }
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_NE(cache.Add("gradient.png", 4), nullptr);
    EXPECT_EQ(cache.Size(), 1u);
}

TEST_F(ImageTest, BrokenPixelsBehindASoundHeaderDrawNothing) {
    const std::vector<char> good = ReadAll(dir / "gradient.png");
    // Cut inside the pixel data; then the same length with the pixel data overwritten.
    WriteAll(dir / "truncated.png", std::vector<char>(good.begin(), good.begin() + 70));
    std::vector<char> garbled = good;
    for (size_t i = 45; i < garbled.size() - 16; ++i)
        garbled[i] = static_cast<char>(garbled[i] * 7 + 13);
    WriteAll(dir / "garbled.png", garbled);
    // A GIF whose header is whole but whose image data is gone.
    const std::vector<char> gif = ReadAll(Manager::GetSkinFolder() + "loading/loading.gif");
    ASSERT_GT(gif.size(), 40u);
    WriteAll(dir / "cut.gif", std::vector<char>(gif.begin(), gif.begin() + 13));

    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(200, 100));
    PaintManager& pm = dlg.GetPaintManager();
    pm.Images().SetFolder(dir.string());
    pm.Invalidate();
    Platform::ProcessPending();
    const uint32_t background = head->Pixel(dlg.GetSafeHwnd(), {50, 20});
    for (const char* name : {"truncated.png", "garbled.png", "cut.gif"}) {
        const ImgResInfo* info = pm.Images().Add(name, 1);
        ASSERT_NE(info, nullptr) << name;
        if (std::string(name).ends_with(".png")) {
            EXPECT_EQ(info->frameWidth, 120) << name;
            EXPECT_EQ(info->height, 30) << name;
        }
        EXPECT_EQ(info->image->Surface(0), nullptr) << name;
        EXPECT_EQ(info->image->FrameCount(), 0) << name;
        EXPECT_EQ(info->image->FrameDelay(0), 0) << name;
        EXPECT_EQ(Image::Load((dir / name).string()), nullptr) << name;
    }
    auto* pic = static_cast<MPicture*>(
        pm.AddControl(std::make_unique<MPicture>(&dlg, 1, Rect{10, 10, 130, 40}), 1));
    ASSERT_EQ(pic->SetImage("garbled.png", 1), 1);
    pm.Invalidate();
    Platform::ProcessPending();
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), {50, 20}), background);
    // The same control with the sound file draws it: the check above can see a picture.
    ASSERT_EQ(pic->SetImage("gradient.png", 1), 1);
    pm.Invalidate();
    Platform::ProcessPending();
    EXPECT_NE(head->Pixel(dlg.GetSafeHwnd(), {50, 20}), background);
}

TEST_F(ImageTest, PngPixelsMatchThePixbufPathForEveryColourTypeAndDepth) {
    struct Kind {
        const char* name;
        int colorType, depth;
        bool interlace;
    };
    const Kind kinds[] = {{"gray1", PNG_COLOR_TYPE_GRAY, 1, false},
                          {"gray2", PNG_COLOR_TYPE_GRAY, 2, false},
                          {"gray4", PNG_COLOR_TYPE_GRAY, 4, true},
                          {"gray8", PNG_COLOR_TYPE_GRAY, 8, false},
                          {"gray16", PNG_COLOR_TYPE_GRAY, 16, false},
                          {"grayalpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false},
                          {"grayalpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, true},
                          {"rgb8", PNG_COLOR_TYPE_RGB, 8, false},
                          {"rgb16", PNG_COLOR_TYPE_RGB, 16, false},
                          {"rgba8i", PNG_COLOR_TYPE_RGB_ALPHA, 8, true},
                          {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false},
                          {"palette4", PNG_COLOR_TYPE_PALETTE, 4, false},
                          {"palette8i", PNG_COLOR_TYPE_PALETTE, 8, true}};
    std::vector<fs::path> files{dir / "gradient.png"};
    for (const Kind& k : kinds) {
        const fs::path path = dir / (std::string(k.name) + ".png");
        ASSERT_TRUE(WritePng(path, 37, 11, k.colorType, k.depth, k.interlace)) << k.name;
        files.push_back(path);
    }
    for (const auto& entry : fs::recursive_directory_iterator(Manager::GetSkinFolder()))
        if (entry.path().extension() == ".png") files.push_back(entry.path());
    ASSERT_GT(files.size(), 40u);
    for (const fs::path& path : files) {
        cairo_surface_t* s = PngReader::Decode(path.string());
        EXPECT_EQ(DiffFromPixbuf(path, s), "") << path;
        if (s) cairo_surface_destroy(s);
        int w = 0, h = 0;
        EXPECT_EQ(PngReader::ReadHeader(path.string(), w, h), PngReader::Header::Sound) << path;
        int pw = 0, ph = 0;
        EXPECT_NE(gdk_pixbuf_get_file_info(path.c_str(), &pw, &ph), nullptr) << path;
        EXPECT_EQ(w, pw) << path;
        EXPECT_EQ(h, ph) << path;
    }
}

TEST_F(ImageTest, OpenedAnimationsAndIconsHaveEveryFrameAndDelay) {
    const std::string gifPath = Manager::GetSkinFolder() + "loading/loading.gif";
    auto eager = Image::Load(gifPath);
    auto lazy = Image::Open(gifPath);
    ASSERT_TRUE(eager && lazy);
    EXPECT_FALSE(lazy->IsDecoded());
    EXPECT_EQ(lazy->Width(), eager->Width());
    EXPECT_EQ(lazy->Height(), eager->Height());
    // Frame delays are asked first here, as an animation timer may.
    EXPECT_GT(lazy->FrameDelay(0), 0);
    ASSERT_EQ(lazy->FrameCount(), 12);
    ASSERT_EQ(eager->FrameCount(), 12);
    const size_t bytes =
        static_cast<size_t>(cairo_image_surface_get_stride(lazy->Surface(0))) * lazy->Height();
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(lazy->FrameDelay(i), eager->FrameDelay(i)) << i;
        cairo_surface_t* a = lazy->Surface(i);
        cairo_surface_t* b = eager->Surface(i);
        ASSERT_TRUE(a && b) << i;
        EXPECT_EQ(
            0, std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b), bytes))
            << i;
    }
    EXPECT_EQ(lazy->Surface(12), nullptr);
    EXPECT_EQ(lazy->FrameDelay(12), 0);

    for (const std::string& ico :
         {Manager::GetProgramFolder() + "Pivane.ico", Manager::GetSkinFolder() + "res_107.ico"}) {
        auto icon = Image::Open(ico);
        ASSERT_NE(icon, nullptr) << ico;
        EXPECT_FALSE(icon->IsDecoded());
        ASSERT_NE(icon->Surface(0), nullptr) << ico;
        EXPECT_EQ(cairo_image_surface_get_width(icon->Surface(0)), icon->Width()) << ico;
        EXPECT_EQ(cairo_image_surface_get_height(icon->Surface(0)), icon->Height()) << ico;
    }
}

} // namespace
} // namespace TolvaTest
