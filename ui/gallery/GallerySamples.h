#pragma once

namespace Tolva {

class GalleryCanvas;

// The sample builders, one per family of classes, each in its own source file. A builder fills
// one gallery page with real content in the states a person meets.
void BuildButtonSamples(GalleryCanvas& canvas);
void BuildTextSamples(GalleryCanvas& canvas);
void BuildPictureSamples(GalleryCanvas& canvas);
void BuildListSamples(GalleryCanvas& canvas);
void BuildValueSamples(GalleryCanvas& canvas);
void BuildEditSamples(GalleryCanvas& canvas);
void BuildDeviceSamples(GalleryCanvas& canvas);
void BuildColourSamples(GalleryCanvas& canvas);
void BuildKeyboardSamples(GalleryCanvas& canvas);
void BuildRecordSamples(GalleryCanvas& canvas);

// Buttons of the buttons page that open the popup windows.
constexpr unsigned kOpenLoadingId = 7901;
constexpr unsigned kOpenBalloonId = 7902;
constexpr unsigned kOpenPopupId = 7903;

// Where page content starts (window coordinates).
constexpr int kPageTop = 96;

} // namespace Tolva
