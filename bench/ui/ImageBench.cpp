// The theme1 skin images: registering every one of them in an image cache (what laying out the
// pages costs now), decoding every one (what the first paint of each costs), and, for comparison,
// decoding them through gdk-pixbuf and converting its pixels as the library did before.

#include "ui/core/Manager.h"
#include "ui/paint/Image.h"
#include "ui/paint/ImageCache.h"

#include <benchmark/benchmark.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using namespace Tolva;

namespace {

// Skin-relative names of every picture in the skin folder.
const std::vector<std::string>& SkinNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        const std::filesystem::path root = Manager::GetSkinFolder();
        for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
            const std::string ext = e.path().extension().string();
            if (ext == ".png" || ext == ".gif" || ext == ".ico")
                out.push_back(std::filesystem::relative(e.path(), root).string());
        }
        return out;
    }();
    return names;
}

void BM_RegisterSkinImages(benchmark::State& state) {
    for (auto _ : state) {
        ImageCache cache;
        cache.SetFolder(Manager::GetSkinFolder());
        for (const std::string& name : SkinNames())
            benchmark::DoNotOptimize(cache.Add(name, 1));
    }
    state.counters["images"] = static_cast<double>(SkinNames().size());
}
BENCHMARK(BM_RegisterSkinImages)->Unit(benchmark::kMillisecond);

void BM_RegisterAndDecodeSkinImages(benchmark::State& state) {
    for (auto _ : state) {
        ImageCache cache;
        cache.SetFolder(Manager::GetSkinFolder());
        for (const std::string& name : SkinNames())
            if (const ImgResInfo* info = cache.Add(name, 1))
                benchmark::DoNotOptimize(info->image->Surface(0));
    }
}
BENCHMARK(BM_RegisterAndDecodeSkinImages)->Unit(benchmark::kMillisecond);

// The former path: every file through gdk-pixbuf, then premultiplied into a new surface.
void BM_DecodeSkinImagesThroughPixbuf(benchmark::State& state) {
    const std::string folder = Manager::GetSkinFolder();
    for (auto _ : state) {
        for (const std::string& name : SkinNames()) {
            GdkPixbufAnimation* anim =
                gdk_pixbuf_animation_new_from_file((folder + name).c_str(), nullptr);
            if (!anim) continue;
            const GdkPixbuf* p = gdk_pixbuf_animation_get_static_image(anim);
            const int w = gdk_pixbuf_get_width(p), h = gdk_pixbuf_get_height(p);
            const int n = gdk_pixbuf_get_n_channels(p);
            const bool alpha = gdk_pixbuf_get_has_alpha(p);
            cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
            unsigned char* dst = cairo_image_surface_get_data(s);
            for (int y = 0; y < h; ++y) {
                const guint8* src = gdk_pixbuf_read_pixels(p) + y * gdk_pixbuf_get_rowstride(p);
                auto* d = reinterpret_cast<uint32_t*>(dst + y * cairo_image_surface_get_stride(s));
                for (int x = 0; x < w; ++x, src += n) {
                    const uint32_t a = alpha ? src[3] : 255;
                    d[x] = (a << 24) | (src[0] * a / 255 << 16) | (src[1] * a / 255 << 8) |
                           (src[2] * a / 255);
                }
            }
            cairo_surface_mark_dirty(s);
            cairo_surface_destroy(s);
            g_object_unref(anim);
        }
    }
}
BENCHMARK(BM_DecodeSkinImagesThroughPixbuf)->Unit(benchmark::kMillisecond);

} // namespace
