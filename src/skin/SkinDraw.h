#pragma once
// GDI+ drawing shared by every skinned control: images with opacity, a disabled look, stretch modes and
// three-slice scaling; text through a temporary bitmap; shapes from colour-keyed images; soft glows.
// Every function draws on a Graphics the caller owns.

#include <windows.h>
#include <gdiplus.h>

#include <functional>
#include <memory>
#include <string>

// Stretch modes of xSkinDrawImageStretched (also the window background's mode).
enum SkinStretchMode : int {
    kStretchFill = 0,        // whole image onto the rectangle (any value other than 1..3)
    kStretchNone = 1,        // at the top-left, never larger than the image
    kStretchUniform = 2,     // aspect kept, fits inside, centred
    kStretchUniformFill = 3, // aspect kept, fills, overflow cut off equally on both sides
};

// Alpha factor of the shared colour matrix: 0.4 for the disabled look, scaled by (100 - t) / 100.
float xSkinImageAlphaFactor(int transparency, bool disabled);

// A new bitmap from the file, or null for an empty path or any GDI+ failure. While an image cache is
// installed, the file is decoded once and its pixels are shared by every bitmap loaded from it.
std::unique_ptr<Gdiplus::Bitmap> xSkinLoadBitmap(const wchar_t* path);
// The bitmap of the file's picture shared with every other holder of the same file while an image cache is
// installed (a new one otherwise): for controls that only draw their pictures. Null as for xSkinLoadBitmap.
std::shared_ptr<Gdiplus::Bitmap> xSkinShareBitmap(const wchar_t* path);
// Makes a loaded picture ready to be drawn or read: the cache decodes a skin image at its first draw. Every
// drawing function here calls it; code that hands a loaded image to GDI+ itself calls it first.
void xSkinPrepareImage(Gdiplus::Image* image);
// The same for a setter that must have its image: a file that cannot be loaded throws the setter's
// CxSkinControlsException, its message `format` with the path in place of "%ls".
std::unique_ptr<Gdiplus::Bitmap> xSkinLoadBitmapOrThrow(const std::wstring& path, const wchar_t* format);
std::shared_ptr<Gdiplus::Bitmap> xSkinShareBitmapOrThrow(const std::wstring& path, const wchar_t* format);

// Stretched onto rect, or cut into three vertical slices whose caps stay unscaled when threeSlice is set
// and the width differs from the image's.
void xSkinDrawImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Gdiplus::Rect& rect, int transparency,
                    bool disabled, bool threeSlice, int leftCap, int rightCap);
void xSkinDrawImageStretched(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Gdiplus::Rect& rect,
                             int stretchMode, int transparency, bool disabled);

// Renders anti-aliased text into a temporary ARGB bitmap of `size` (or of the rectangle's size when null)
// and copies it to rect's top-left, limited to the rectangle. The text is drawn in a face that has its script
// and laid out as CxSkinTextFit chooses: a text the rectangle would cut takes a smaller size (on one line
// where the rectangle is one line tall), wraps only between words, and a text laid out to elide ends in an
// ellipsis.
void xSkinDrawStringToBitmap(Gdiplus::Graphics& graphics, const wchar_t* text, const Gdiplus::RectF& rect,
                             const Gdiplus::Font* font, const Gdiplus::StringFormat* format,
                             const Gdiplus::Brush* brush, const Gdiplus::Size* size);
// The font in a face that carries the text's script, when `font`'s face lacks it; null when `font` serves.
std::unique_ptr<Gdiplus::Font> xSkinScriptFont(const Gdiplus::Font* font, const wchar_t* text);

// A text as it was drawn: the text asked for, the text shown (an elided one ends in an ellipsis), the font and
// format it was laid out with, its layout box and the part of the surface that shows it, in the coordinates of
// the Graphics it was drawn on (whose transform leads to the surface's).
struct SkinDrawnText {
    std::wstring text;
    std::wstring shown;
    const Gdiplus::Font* font;
    const Gdiplus::StringFormat* format;
    Gdiplus::RectF layout;
    Gdiplus::RectF visible;
};
// Told of every text the skin draws (xSkinDrawStringToBitmap and the text box): a seam for the checks that
// every text shows whole. Null by default.
using SkinTextObserver = std::function<void(Gdiplus::Graphics& graphics, const SkinDrawnText& drawn)>;
void xSkinSetTextObserver(SkinTextObserver observer);
void xSkinTellTextDrawn(Gdiplus::Graphics& graphics, const SkinDrawnText& drawn);
// (measured width + extraWidth, measured height), truncated to whole pixels.
Gdiplus::Size xSkinMeasureString(Gdiplus::Graphics& graphics, const wchar_t* text, const Gdiplus::Font* font,
                                 int extraWidth);

// Every run of pixels that differ from the top-left key pixel, or the whole image when the key is opaque
// (alpha 251 or more). Null when the image cannot be read.
std::unique_ptr<Gdiplus::GraphicsPath> xSkinCreatePathFromBitmap(Gdiplus::Bitmap* image);

// The image drawn at three times the size, clipped to `path` (in rect-local coordinates, may be null),
// then scaled down onto rect so the clipped edge is smooth.
void xSkinDrawImageInPath(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Gdiplus::Rect& rect,
                          int stretchMode, int transparency, bool disabled, const Gdiplus::GraphicsPath* path);
// Glows: the shape (text or a rect-local path) filled and outlined at a fifth of the size, then blown up
// over rect with bicubic interpolation. Targets under 5 pixels have no room for a glow and are skipped.
void xSkinDrawOutlinedText(Gdiplus::Graphics& graphics, const wchar_t* text, const Gdiplus::FontFamily* family,
                           int style, float emSize, const Gdiplus::RectF& rect, const Gdiplus::StringFormat* format,
                           const Gdiplus::Brush* brush, const Gdiplus::Pen* pen);
void xSkinDrawPath(Gdiplus::Graphics& graphics, const Gdiplus::GraphicsPath* path, const Gdiplus::RectF& rect,
                   const Gdiplus::Brush* brush, const Gdiplus::Pen* pen);

// Drops the thread's pending mouse messages, so clicks made during an animation do nothing.
void xSkinFlushMouseMessages();
