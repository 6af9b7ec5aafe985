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
//
// A window's markup names its pictures before its controls ask for them: Prefetch hands them to a few
// worker threads, which decode while the user-interface thread builds the controls. A load of a picture a
// worker is decoding waits for it; one still queued is decoded by the load itself.

#include <windows.h>
#include <gdiplus.h>
#include <wincodec.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
    // Starts decoding the files on the workers; those decoded or under way already are skipped.
    void Prefetch(const std::vector<std::wstring>& paths);
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
    using Shared = std::shared_ptr<const Pixels>;
    enum class State { kQueued, kDecoding, kDone };
    struct Entry {
        State state = State::kQueued;
        std::wstring path;
        Shared pixels; // when done
    };

    static std::wstring Key(const wchar_t* path);
    Shared Decode(const wchar_t* path);
    // Takes the entry over for decoding when it is queued, waits while a worker decodes it; its pixels
    // then, or null when the caller is to decode it (or it failed).
    bool Claim(std::unique_lock<std::mutex>& hold, const std::wstring& key, Shared& pixels);
    // Publishes a decode: remembered when it worked, forgotten (so that a later load tries again) when not.
    void Finish(const std::wstring& key, Shared pixels);
    void Work();

    CxSkinImageCache* m_previous = nullptr;
    mutable std::mutex m_lock; // controls may be made off the UI thread in tests
    std::condition_variable m_changed;
    std::map<std::wstring, Entry> m_images;
    std::deque<std::wstring> m_queue; // keys, in the order the markup names them
    std::vector<std::thread> m_workers;
    bool m_stopping = false;
    // Made at the first decode.
    bool m_imagingTried = false;
    IWICImagingFactory* m_imaging = nullptr;
    IClassFactory* m_pngDecoders = nullptr;
};
