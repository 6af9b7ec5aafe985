#pragma once
// Decoded skin images, shared by every control that shows them. Decoding a PNG is the dearest step of
// building a window, and one picture (a slider track, a device row, a toggle) serves many controls. While
// a cache is installed, each file is decoded once, into 32-bit ARGB pixels keyed by its full path; every
// load of that path hands out a new Bitmap over the same pixels, without a copy. A handed-out Bitmap keeps
// its pixels alive, so a control may outlive the cache. A file that cannot be decoded is not remembered:
// each load of it fails exactly as it would without a cache.
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

    // A new bitmap of the file's picture, or null for an empty path or a file GDI+ cannot decode.
    std::unique_ptr<Gdiplus::Bitmap> Load(const wchar_t* path);
    // How many files were decoded so far (each once).
    std::size_t GetDecodedCount() const;

    struct Pixels {
        UINT width = 0;
        UINT height = 0;
        Gdiplus::REAL dpiX = 96;
        Gdiplus::REAL dpiY = 96;
        std::vector<UINT32> argb; // top-down rows, width pixels each
    };

private:
    static std::wstring Key(const wchar_t* path);
    std::shared_ptr<const Pixels> Decode(const wchar_t* path);

    CxSkinImageCache* m_previous = nullptr;
    mutable CxLock m_lock; // controls may be made off the UI thread in tests
    std::map<std::wstring, std::shared_ptr<const Pixels>> m_images;
    // Made at the first decode.
    bool m_imagingTried = false;
    IWICImagingFactory* m_imaging = nullptr;
    IClassFactory* m_pngDecoders = nullptr;
};
