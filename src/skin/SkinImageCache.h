#pragma once
// Decoded skin images, shared by every control that shows them. Decoding a PNG is the dearest step of
// building a window, and one picture (a slider track, a device row, a toggle) serves many controls. While
// a cache is installed, each file is read once, keyed by its full path; every load of that path hands out a
// new Bitmap over the same 32-bit ARGB pixels, without a copy. A handed-out Bitmap keeps its pixels alive,
// so a control may outlive the cache. A file that cannot be read as a picture is not remembered: each load
// of it fails exactly as it would without a cache.
//
// A PNG is decoded when it is first drawn, not when it is loaded: its size and resolution come from its
// header, and its pixels stay clear until xSkinPrepareImage (called by every drawing path of the skin)
// decodes them. Most hover, pressed and disabled looks, and the icons of effects a device lacks, are never
// drawn in a run, so start-up decodes only what the first frame shows. Since a bad picture must still fail
// its load, every chunk of a PNG is checked against its CRC when it is read (see PngFile.h): a file cut
// short or corrupted fails like a missing one. Only image data that was damaged before its CRCs were
// written gets past that check; such a picture stays clear and draws nothing.
//
// The program installs one cache on its user-interface thread for its whole run, after GDI+ starts and
// before it shuts down. Without an installed cache, xSkinLoadBitmap decodes every load itself.

#include <windows.h>
#include <gdiplus.h>
#include <wincodec.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "skin/Lock.h"

class CxSkinImageCache {
public:
    // Installs this cache for the process; the one installed before it returns on destruction.
    CxSkinImageCache();
    ~CxSkinImageCache();
    CxSkinImageCache(const CxSkinImageCache&) = delete;
    CxSkinImageCache& operator=(const CxSkinImageCache&) = delete;

    // The installed cache, or null.
    static CxSkinImageCache* Current();

    // A new bitmap of the file's picture, or null for an empty path or a file that is not a picture.
    std::unique_ptr<Gdiplus::Bitmap> Load(const wchar_t* path);
    // The one bitmap of the file's picture that every holder shares while any holds it (made as Load makes
    // it): a GDI+ bitmap costs a trip to the window system to make, and a strip of hundreds of cards, or a
    // page of alike buttons, shows few pictures. Only for holders that draw it and never change it.
    std::shared_ptr<Gdiplus::Bitmap> Share(const wchar_t* path);
    // How many files were read so far (each once), and how many of them still wait for their first draw.
    std::size_t GetDecodedCount() const;
    std::size_t GetPendingCount() const;

    // Decodes the pixels of a bitmap this cache (or an earlier one) handed out, if not done yet; does
    // nothing for any other image. Safe from any thread.
    static void Prepare(Gdiplus::Image* image);
    // Decodes a bitmap this cache handed out, not yet decoded, straight into 32-bit premultiplied rows (a
    // DIB's BGRA, GDI+'s PARGB) of its size: row y starts at firstRow + y * stride, so rows may run
    // bottom-up. The bitmap's own pixels stay undecoded, and take no memory until it is drawn. False, with
    // the rows in any state, for any other image or a picture that does not decode: the caller copies the
    // drawn picture instead.
    static bool CopyPremultiplied(Gdiplus::Image* image, BYTE* firstRow, INT stride);

    struct Pixels;

private:
    struct Decoders;

    static std::wstring Key(const wchar_t* path);
    std::shared_ptr<Pixels> Read(const wchar_t* path);
    // The imaging factory and the PNG decoders' class factory, made at the first need (either may be null).
    void Factories(IWICImagingFactory*& imaging, IClassFactory*& pngDecoders);

    CxSkinImageCache* m_previous = nullptr;
    mutable CxLock m_lock; // controls may be made off the UI thread in tests
    std::map<std::wstring, std::shared_ptr<Pixels>> m_images;
    std::map<std::wstring, std::weak_ptr<Gdiplus::Bitmap>> m_shared;
    // Made at the first decode.
    bool m_imagingTried = false;
    IWICImagingFactory* m_imaging = nullptr;
    IClassFactory* m_pngDecoders = nullptr;
};
