#include "skin/SkinDraw.h"

#include "skin/ScriptFace.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinImageCache.h"
#include "skin/SkinTextCache.h"
#include "skin/SkinTextFit.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

using namespace Gdiplus;

namespace {

constexpr float kDisabledAlpha = 0.4f;
constexpr BYTE kOpaqueKeyAlpha = 251; // a key pixel this opaque means "no colour key"
constexpr int kGlowDivisor = 5;
constexpr int kSmoothScale = 3;

// The identity with the alpha factor in the fourth diagonal cell; applied only when it changes anything.
class OpacityAttributes {
public:
    OpacityAttributes(int transparency, bool disabled) {
        if (!disabled && transparency <= 0)
            return;
        ColorMatrix matrix = {{{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}}};
        matrix.m[3][3] = xSkinImageAlphaFactor(transparency, disabled);
        m_attributes.emplace();
        m_attributes->SetColorMatrix(&matrix, ColorMatrixFlagsDefault, ColorAdjustTypeBitmap);
    }
    const ImageAttributes* Get() const { return m_attributes ? &*m_attributes : nullptr; }

private:
    std::optional<ImageAttributes> m_attributes;
};

bool Whole(REAL value) {
    return value == static_cast<REAL>(static_cast<int>(value));
}

// A world transform that moves by whole pixels at most (no scale, turn or shear).
bool ShiftsOnly(const Graphics& graphics) {
    Matrix transform;
    REAL m[6] = {};
    if (graphics.GetTransform(&transform) != Ok || transform.GetElements(m) != Ok)
        return false;
    return m[0] == 1 && m[1] == 0 && m[2] == 0 && m[3] == 1 && Whole(m[4]) && Whole(m[5]);
}

// Interpolation that a draw at the image's own size on whole pixels does not need: each pixel lands on one
// pixel, and resampling would only cost time (a bicubic pass over every pixel of the window's background).
class UnscaledDraw {
public:
    UnscaledDraw(Graphics& graphics, const RectF& dest, const RectF& source)
        : m_graphics(graphics), m_active(dest.Width == source.Width && dest.Height == source.Height && Whole(dest.X) &&
                                         Whole(dest.Y) && Whole(source.X) && Whole(source.Y) && Whole(source.Width) &&
                                         Whole(source.Height) && ShiftsOnly(graphics)) {
        if (!m_active)
            return;
        m_interpolation = graphics.GetInterpolationMode();
        m_pixelOffset = graphics.GetPixelOffsetMode();
        graphics.SetInterpolationMode(InterpolationModeNearestNeighbor);
        graphics.SetPixelOffsetMode(PixelOffsetModeHalf);
    }
    ~UnscaledDraw() {
        if (!m_active)
            return;
        m_graphics.SetInterpolationMode(m_interpolation);
        m_graphics.SetPixelOffsetMode(m_pixelOffset);
    }
    UnscaledDraw(const UnscaledDraw&) = delete;
    UnscaledDraw& operator=(const UnscaledDraw&) = delete;

private:
    Graphics& m_graphics;
    const bool m_active;
    InterpolationMode m_interpolation = InterpolationModeDefault;
    PixelOffsetMode m_pixelOffset = PixelOffsetModeDefault;
};

void DrawPart(Graphics& graphics, Image* image, const RectF& dest, const RectF& source, const OpacityAttributes& a) {
    if (dest.Width <= 0 || dest.Height <= 0 || source.Width <= 0 || source.Height <= 0)
        return;
    const UnscaledDraw unscaled(graphics, dest, source);
    graphics.DrawImage(image, dest, source.X, source.Y, source.Width, source.Height, UnitPixel, a.Get());
}

RectF ToRectF(const Rect& r) {
    return RectF(static_cast<REAL>(r.X), static_cast<REAL>(r.Y), static_cast<REAL>(r.Width),
                 static_cast<REAL>(r.Height));
}

// A graphics with the toolkit's quality settings on an off-screen bitmap.
void SetQuality(Graphics& graphics) {
    graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
}

// Draws `paint` at a fifth of rect's size, then blows the result up over rect: a soft glow.
template <typename Paint> void DrawGlow(Graphics& graphics, const RectF& rect, float scale, Paint paint) {
    const int width = static_cast<int>(rect.Width) / kGlowDivisor;
    const int height = static_cast<int>(rect.Height) / kGlowDivisor;
    if (width < 1 || height < 1)
        return; // nothing to blur into
    Bitmap small(width, height, PixelFormat32bppARGB);
    if (small.GetLastStatus() != Ok)
        return;
    {
        Graphics g(&small);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        g.ScaleTransform(scale, scale);
        g.TranslateTransform(-0.2f, -0.2f, MatrixOrderAppend);
        paint(g);
    }
    InterpolationMode old = graphics.GetInterpolationMode();
    graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    graphics.DrawImage(&small, rect);
    graphics.SetInterpolationMode(old);
}

} // namespace

float xSkinImageAlphaFactor(int transparency, bool disabled) {
    const float base = disabled ? kDisabledAlpha : 1.0f;
    if (transparency > 0)
        return static_cast<float>(100 - std::min(transparency, 100)) * base / 100.0f;
    return base;
}

std::unique_ptr<Bitmap> xSkinLoadBitmap(const wchar_t* path) {
    if (!path || !*path)
        return nullptr;
    if (CxSkinImageCache* cache = CxSkinImageCache::Current())
        return cache->Load(path);
    auto bitmap = std::make_unique<Bitmap>(path);
    if (bitmap->GetLastStatus() != Ok)
        return nullptr;
    return bitmap;
}

std::shared_ptr<Bitmap> xSkinShareBitmap(const wchar_t* path) {
    if (CxSkinImageCache* cache = CxSkinImageCache::Current())
        return cache->Share(path);
    return xSkinLoadBitmap(path);
}

void xSkinPrepareImage(Image* image) {
    if (image)
        CxSkinImageCache::Prepare(image);
}

namespace {

[[noreturn]] void ThrowLoadFailure(const std::wstring& path, const wchar_t* format) {
    std::wstring message(format);
    if (const size_t at = message.find(L"%ls"); at != std::wstring::npos)
        message.replace(at, 3, path);
    throw new CxSkinControlsException(message.c_str());
}

} // namespace

std::unique_ptr<Bitmap> xSkinLoadBitmapOrThrow(const std::wstring& path, const wchar_t* format) {
    std::unique_ptr<Bitmap> image = xSkinLoadBitmap(path.c_str());
    if (!image)
        ThrowLoadFailure(path, format);
    return image;
}

std::shared_ptr<Bitmap> xSkinShareBitmapOrThrow(const std::wstring& path, const wchar_t* format) {
    std::shared_ptr<Bitmap> image = xSkinShareBitmap(path.c_str());
    if (!image)
        ThrowLoadFailure(path, format);
    return image;
}

void xSkinDrawImage(Graphics& graphics, Image* image, const Rect& rect, int transparency, bool disabled,
                    bool threeSlice, int leftCap, int rightCap) {
    if (!image || rect.Width <= 0 || rect.Height <= 0)
        return;
    xSkinPrepareImage(image);
    const OpacityAttributes attributes(transparency, disabled);
    const int imageWidth = static_cast<int>(image->GetWidth());
    const REAL imageHeight = static_cast<REAL>(image->GetHeight());
    const int left = std::max(leftCap, 0), right = std::max(rightCap, 0);
    // Caps that leave no middle in the image cannot be sliced: the image is stretched whole instead.
    if (rect.Width == imageWidth || !threeSlice || left + right >= imageWidth) {
        DrawPart(graphics, image, ToRectF(rect), RectF(0, 0, static_cast<REAL>(imageWidth), imageHeight), attributes);
        return;
    }
    const int middle = imageWidth - left - right;
    // Caps wider together than the target share it in proportion, so the middle is never negative.
    int destLeft = left, destRight = right;
    if (destLeft + destRight > rect.Width) {
        destLeft = static_cast<int>(static_cast<long long>(rect.Width) * left / (left + right));
        destRight = rect.Width - destLeft;
    }
    const REAL x = static_cast<REAL>(rect.X), y = static_cast<REAL>(rect.Y), h = static_cast<REAL>(rect.Height);
    const REAL destMiddle = static_cast<REAL>(rect.Width - destLeft - destRight);
    DrawPart(graphics, image, RectF(x, y, static_cast<REAL>(destLeft), h),
             RectF(0, 0, static_cast<REAL>(left), imageHeight), attributes);
    DrawPart(graphics, image, RectF(x + static_cast<REAL>(destLeft), y, destMiddle, h),
             RectF(static_cast<REAL>(left), 0, static_cast<REAL>(middle), imageHeight), attributes);
    DrawPart(graphics, image, RectF(x + static_cast<REAL>(rect.Width - destRight), y, static_cast<REAL>(destRight), h),
             RectF(static_cast<REAL>(left + middle), 0, static_cast<REAL>(right), imageHeight), attributes);
}

void xSkinDrawImageStretched(Graphics& graphics, Image* image, const Rect& rect, int stretchMode, int transparency,
                             bool disabled) {
    if (!image)
        return;
    xSkinPrepareImage(image);
    const OpacityAttributes attributes(transparency, disabled);
    const REAL iw = static_cast<REAL>(image->GetWidth()), ih = static_cast<REAL>(image->GetHeight());
    const REAL rw = static_cast<REAL>(rect.Width), rh = static_cast<REAL>(rect.Height);
    const REAL x = static_cast<REAL>(rect.X), y = static_cast<REAL>(rect.Y);
    if (iw <= 0 || ih <= 0)
        return;
    RectF whole(0, 0, iw, ih);
    switch (stretchMode) {
    case kStretchNone:
        DrawPart(graphics, image, RectF(x, y, std::min(iw, rw), std::min(ih, rh)), whole, attributes);
        break;
    case kStretchUniform: {
        const REAL scale = std::min(rw / iw, rh / ih);
        const REAL w = iw * scale, h = ih * scale;
        DrawPart(graphics, image, RectF(x + (rw - w) / 2, y + (rh - h) / 2, w, h), whole, attributes);
        break;
    }
    case kStretchUniformFill: {
        // The source part with the target's aspect ratio, cut equally from both sides of the long axis.
        const REAL scale = std::max(rw / iw, rh / ih);
        const REAL sw = rw / scale, sh = rh / scale;
        DrawPart(graphics, image, ToRectF(rect), RectF((iw - sw) / 2, (ih - sh) / 2, sw, sh), attributes);
        break;
    }
    default:
        DrawPart(graphics, image, ToRectF(rect), whole, attributes);
        break;
    }
}

namespace {

// The font in a face that has the text's script, when the given font's face lacks it; null when it serves.
std::unique_ptr<Font> ScriptSubstitute(const Font* font, const wchar_t* text) {
    if (!font || xSkinTextScript(text) == SkinScript::kNone)
        return nullptr;
    FontFamily family;
    wchar_t face[LF_FACESIZE] = {};
    if (font->GetFamily(&family) != Ok || family.GetFamilyName(face) != Ok)
        return nullptr;
    const std::wstring other = xSkinFallbackFace(face, text);
    if (other.empty())
        return nullptr;
    const FontFamily otherFamily(other.c_str());
    auto substitute = std::make_unique<Font>(&otherFamily, font->GetSize(), font->GetStyle(), font->GetUnit());
    return substitute->GetLastStatus() == Ok ? std::move(substitute) : nullptr;
}

std::wstring FaceName(const Font& font) {
    FontFamily family;
    wchar_t face[LF_FACESIZE] = {};
    if (font.GetFamily(&family) == Ok)
        family.GetFamilyName(face);
    return face;
}

SkinTextObserver& TextObserver() {
    static SkinTextObserver observer;
    return observer;
}

} // namespace

std::unique_ptr<Font> xSkinScriptFont(const Font* font, const wchar_t* text) {
    return ScriptSubstitute(font, text);
}

void xSkinSetTextObserver(SkinTextObserver observer) {
    TextObserver() = std::move(observer);
}

void xSkinTellTextDrawn(Graphics& graphics, const SkinDrawnText& drawn) {
    if (const SkinTextObserver& observer = TextObserver())
        observer(graphics, drawn);
}

namespace {

// The text rendered into a surface of its own, width x height, with what it was laid out with; null when GDI+
// cannot make the surface.
std::unique_ptr<CxSkinTextCache::Entry> RenderText(const wchar_t* text, const Font* font, const StringFormat* format,
                                                    const Brush* brush, int width, int height, const SizeF& shown) {
    auto entry = std::make_unique<CxSkinTextCache::Entry>();
    entry->picture = std::make_unique<Bitmap>(width, height, PixelFormat32bppARGB);
    if (entry->picture->GetLastStatus() != Ok)
        return nullptr;
    const std::unique_ptr<Font> substitute = ScriptSubstitute(font, text);
    const Font& face = substitute ? *substitute : *font;
    entry->text = xSkinDrawableText(FaceName(face).c_str(), text);
    // Laid out on the picture it is drawn into: the same hint, resolution and transform, so the lines the fit
    // decides on are the lines drawn. That surface is let go before the picture is used.
    auto surface = std::make_unique<Graphics>(entry->picture.get());
    surface->SetTextRenderingHint(TextRenderingHintAntiAlias);
    const CxSkinTextFit fit(*surface, entry->text, face, format,
                            SizeF(static_cast<REAL>(width), static_cast<REAL>(height)), shown);
    surface->DrawString(fit.Text().c_str(), static_cast<INT>(fit.Text().size()), &fit.DrawFont(), fit.Layout(),
                        &fit.Format(), brush);
    surface.reset();
    entry->shown = fit.Text();
    entry->font.reset(fit.DrawFont().Clone());
    entry->format.reset(fit.Format().Clone());
    entry->layout = fit.Layout();
    entry->bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(uint32_t) +
                   (entry->text.size() + entry->shown.size()) * sizeof(wchar_t) + sizeof(*entry);
    return entry;
}

} // namespace

// Rendered once and kept: a repaint of the same text in the same look copies the kept picture.
void xSkinDrawStringToBitmap(Graphics& graphics, const wchar_t* text, const RectF& rect, const Font* font,
                             const StringFormat* format, const Brush* brush, const Size* size) {
    if (!text || !*text || !font)
        return;
    const int width = size ? size->Width : static_cast<int>(rect.Width);
    const int height = size ? size->Height : static_cast<int>(rect.Height);
    if (width < 1 || height < 1)
        return;
    const REAL w = std::min(static_cast<REAL>(width), rect.Width);
    const REAL h = std::min(static_cast<REAL>(height), rect.Height);
    CxSkinTextCache& cache = CxSkinTextCache::Instance();
    const std::wstring key = CxSkinTextCache::KeyOf(text, *font, format, brush, Size(width, height), SizeF(w, h));
    const CxSkinTextCache::Entry* drawn = key.empty() ? nullptr : cache.Find(key);
    if (!drawn)
        drawn = cache.Keep(key, RenderText(text, font, format, brush, width, height, SizeF(w, h)));
    if (!drawn)
        return;
    graphics.DrawImage(drawn->picture.get(), RectF(rect.X, rect.Y, w, h), 0, 0, w, h, UnitPixel);
    // Told in the surface's coordinates, as the text was placed on it.
    RectF layout = drawn->layout;
    layout.Offset(rect.X, rect.Y);
    xSkinTellTextDrawn(graphics, {drawn->text, drawn->shown, drawn->font.get(), drawn->format.get(), layout,
                                  RectF(rect.X, rect.Y, w, h)});
}

Size xSkinMeasureString(Graphics& graphics, const wchar_t* text, const Font* font, int extraWidth) {
    RectF bounds;
    if (text && *text) {
        const std::unique_ptr<Font> substitute = ScriptSubstitute(font, text);
        graphics.MeasureString(text, -1, substitute ? substitute.get() : font, PointF(0, 0), &bounds);
    }
    return Size(static_cast<int>(bounds.Width) + extraWidth, static_cast<int>(bounds.Height));
}

std::unique_ptr<GraphicsPath> xSkinCreatePathFromBitmap(Bitmap* image) {
    if (!image)
        return nullptr;
    xSkinPrepareImage(image);
    const int width = static_cast<int>(image->GetWidth()), height = static_cast<int>(image->GetHeight());
    auto path = std::make_unique<GraphicsPath>(FillModeAlternate);
    if (width < 1 || height < 1)
        return path;
    Rect all(0, 0, width, height);
    BitmapData data{};
    if (image->LockBits(&all, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok)
        return nullptr;
    auto row = [&data](int y) {
        return reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
    };
    const uint32_t key = row(0)[0];
    if ((key >> 24) >= kOpaqueKeyAlpha) {
        image->UnlockBits(&data);
        path->AddRectangle(all);
        return path;
    }
    std::vector<Rect> runs;
    for (int y = 0; y < height; ++y) {
        const uint32_t* pixels = row(y);
        for (int x = 0; x < width;) {
            if (pixels[x] == key) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && pixels[x] != key)
                ++x;
            runs.emplace_back(start, y, x - start, 1);
        }
    }
    image->UnlockBits(&data);
    if (!runs.empty())
        path->AddRectangles(runs.data(), static_cast<INT>(runs.size()));
    return path;
}

void xSkinDrawImageInPath(Graphics& graphics, Image* image, const Rect& rect, int stretchMode, int transparency,
                          bool disabled, const GraphicsPath* path) {
    if (!image || rect.Width < 1 || rect.Height < 1)
        return;
    Bitmap big(rect.Width * kSmoothScale, rect.Height * kSmoothScale, PixelFormat32bppARGB);
    if (big.GetLastStatus() != Ok)
        return;
    {
        Graphics g(&big);
        SetQuality(g);
        g.ScaleTransform(static_cast<REAL>(kSmoothScale), static_cast<REAL>(kSmoothScale));
        g.TranslateTransform(-static_cast<REAL>(kSmoothScale), -static_cast<REAL>(kSmoothScale), MatrixOrderAppend);
        if (path)
            g.SetClip(path, CombineModeReplace);
        xSkinDrawImageStretched(g, image, Rect(0, 0, rect.Width, rect.Height), stretchMode, transparency, disabled);
    }
    graphics.DrawImage(&big, ToRectF(rect));
}

void xSkinDrawOutlinedText(Graphics& graphics, const wchar_t* text, const FontFamily* family, int style, float emSize,
                           const RectF& rect, const StringFormat* format, const Brush* brush, const Pen* pen) {
    if (!text || !*text)
        return;
    DrawGlow(graphics, rect, 0.202f, [&](Graphics& g) {
        GraphicsPath shape;
        // Some GDI+ implementations refuse a path string without a format; the default one means the same.
        const StringFormat* layout = format ? format : StringFormat::GenericDefault();
        shape.AddString(text, -1, family, style, emSize, RectF(0, 0, rect.Width, rect.Height), layout);
        if (brush)
            g.FillPath(brush, &shape);
        if (pen)
            g.DrawPath(pen, &shape);
    });
}

void xSkinDrawPath(Graphics& graphics, const GraphicsPath* path, const RectF& rect, const Brush* brush,
                   const Pen* pen) {
    if (!path)
        return;
    DrawGlow(graphics, rect, 0.2f, [&](Graphics& g) {
        if (brush)
            g.FillPath(brush, path);
        if (pen)
            g.DrawPath(pen, path);
    });
}

void xSkinFlushMouseMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}
