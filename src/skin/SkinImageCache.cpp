#include "skin/SkinImageCache.h"

#include "skin/PngFile.h"
#include "skin/SkinTextCache.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

// The imaging component's own factory, which needs no COM apartment on the calling thread.
extern "C" HRESULT WINAPI WICCreateImagingFactory_Proxy(UINT sdkVersion, IWICImagingFactory** factory);

using namespace Gdiplus;

namespace {

std::atomic<CxSkinImageCache*> g_current{nullptr};

template <class Interface> struct ComRelease {
    void operator()(Interface* object) const { object->Release(); }
};
template <class Interface> using ComPtr = std::unique_ptr<Interface, ComRelease<Interface>>;

// Memory for one picture's pixels, clear until written. A large picture's comes straight from the system,
// whose pages cost nothing until first written: a picture read but never drawn, or drawn only through
// CopyPremultiplied, never takes memory for its own pixels.
class PixelStore {
public:
    PixelStore() = default;
    explicit PixelStore(size_t count) : m_count(count) {
        if (count * sizeof(UINT32) >= kSystemPagesFrom) {
            m_data = static_cast<UINT32*>(::VirtualAlloc(nullptr, count * sizeof(UINT32), MEM_RESERVE | MEM_COMMIT,
                                                         PAGE_READWRITE));
            m_system = true;
        } else {
            m_data = new (std::nothrow) UINT32[count]();
        }
        if (!m_data)
            m_count = 0;
    }
    ~PixelStore() { Free(); }
    PixelStore(const PixelStore&) = delete;
    PixelStore& operator=(const PixelStore&) = delete;
    PixelStore& operator=(PixelStore&& other) noexcept {
        if (this != &other) {
            Free();
            m_data = std::exchange(other.m_data, nullptr);
            m_count = std::exchange(other.m_count, 0);
            m_system = other.m_system;
        }
        return *this;
    }

    UINT32* data() const { return m_data; }
    size_t size() const { return m_count; }
    UINT32* begin() const { return m_data; }
    UINT32* end() const { return m_data + m_count; }

private:
    static constexpr size_t kSystemPagesFrom = 64 * 1024;

    void Free() {
        if (m_system && m_data)
            ::VirtualFree(m_data, 0, MEM_RELEASE);
        else
            delete[] m_data;
        m_data = nullptr;
    }

    UINT32* m_data = nullptr;
    size_t m_count = 0;
    bool m_system = false;
};

} // namespace

// One file's picture. A PNG read but not yet drawn keeps its bytes here and its pixels clear; the first
// Prepare decodes them in place, so every bitmap over them shows the picture from then on.
struct CxSkinImageCache::Pixels {
    UINT width = 0;
    UINT height = 0;
    REAL dpiX = 96;
    REAL dpiY = 96;
    PixelStore argb; // top-down rows, width pixels each
    std::atomic<bool> pending{false};
    CxLock decoding; // guards the two below and the pixels while they are decoded
    std::vector<BYTE> file;
    std::wstring path;
};

namespace {

using Decoded = std::shared_ptr<CxSkinImageCache::Pixels>;

// Owns the pixels its bitmap is drawn from. The holder is the first base, so the GDI+ image (which only
// points at the pixels) is disposed before they are freed.
struct PixelsHolder {
    explicit PixelsHolder(Decoded pixels) : held(std::move(pixels)) {}
    Decoded held;
};

class SharedPixelsBitmap : private PixelsHolder, public Bitmap {
public:
    explicit SharedPixelsBitmap(Decoded pixels)
        : PixelsHolder(std::move(pixels)),
          Bitmap(static_cast<INT>(held->width), static_cast<INT>(held->height), static_cast<INT>(held->width * 4),
                 PixelFormat32bppARGB, reinterpret_cast<BYTE*>(held->argb.data())) {
        // Drawn at its natural size, a picture keeps the resolution its file gave it.
        SetResolution(held->dpiX, held->dpiY);
    }
    CxSkinImageCache::Pixels& Held() const { return *held; }
};

// Copies the frame, converted to straight-alpha BGRA (GDI+'s ARGB), into pixels of its own size.
bool CopyFrame(IWICBitmapFrameDecode* frame, UINT width, UINT height, const PixelStore& argb) {
    IWICBitmapSource* rawConverted = nullptr;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &rawConverted)))
        return false;
    const ComPtr<IWICBitmapSource> converted(rawConverted);
    UINT frameWidth = 0, frameHeight = 0;
    if (FAILED(converted->GetSize(&frameWidth, &frameHeight)) || frameWidth != width || frameHeight != height)
        return false;
    return SUCCEEDED(converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(argb.size() * 4),
                                           reinterpret_cast<BYTE*>(argb.data())));
}

// The frame's size, resolution and pixels.
Decoded FramePixels(IWICBitmapFrameDecode* frame) {
    auto pixels = std::make_shared<CxSkinImageCache::Pixels>();
    double dpiX = 96, dpiY = 96;
    if (FAILED(frame->GetSize(&pixels->width, &pixels->height)) || pixels->width == 0 || pixels->height == 0 ||
        FAILED(frame->GetResolution(&dpiX, &dpiY)))
        return nullptr;
    pixels->dpiX = static_cast<REAL>(dpiX);
    pixels->dpiY = static_cast<REAL>(dpiY);
    pixels->argb = PixelStore(static_cast<size_t>(pixels->width) * pixels->height);
    return CopyFrame(frame, pixels->width, pixels->height, pixels->argb) ? pixels : nullptr;
}

// The whole file, or nothing.
bool ReadWholeFile(const wchar_t* path, std::vector<BYTE>& bytes) {
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool read = ::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (LONGLONG{1} << 30);
    if (read) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        read = ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
    }
    ::CloseHandle(file);
    return read;
}

// A larger picture is no skin picture: it is decoded at once, which fails when it does not fit in memory.
constexpr uint32_t kMaxDeferredSide = 1u << 14;

bool IsPng(const std::vector<BYTE>& bytes) {
    static constexpr BYTE kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() > sizeof(kSignature) && std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin());
}

// The bytes' first frame through the imaging component; metadata is never read. A PNG goes straight to the
// PNG decoder's class factory: letting the imaging factory pick a decoder searches the registry for every
// file, which costs more than decoding a small picture. The bytes must outlive the frame.
ComPtr<IWICBitmapFrameDecode> FirstFrame(IWICImagingFactory* factory, IClassFactory* pngDecoders,
                                          std::vector<BYTE>& bytes) {
    IWICStream* rawStream = nullptr;
    if (!factory || FAILED(factory->CreateStream(&rawStream)))
        return nullptr;
    const ComPtr<IWICStream> stream(rawStream);
    if (FAILED(stream->InitializeFromMemory(bytes.data(), static_cast<DWORD>(bytes.size()))))
        return nullptr;
    IWICBitmapDecoder* rawDecoder = nullptr;
    if (pngDecoders && IsPng(bytes)) {
        if (FAILED(pngDecoders->CreateInstance(nullptr, IID_IWICBitmapDecoder, reinterpret_cast<void**>(&rawDecoder))))
            return nullptr;
        if (FAILED(rawDecoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand))) {
            rawDecoder->Release();
            return nullptr;
        }
    } else if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                       &rawDecoder))) {
        return nullptr;
    }
    const ComPtr<IWICBitmapDecoder> decoder(rawDecoder);
    IWICBitmapFrameDecode* rawFrame = nullptr;
    if (FAILED(decoder->GetFrame(0, &rawFrame)))
        return nullptr;
    return ComPtr<IWICBitmapFrameDecode>(rawFrame);
}

// Whatever the imaging component cannot read, GDI+ may (metafiles): its picture as ARGB pixels; null when
// GDI+ cannot decode or convert it either.
Decoded DecodeWithGdiplus(const wchar_t* path) {
    Bitmap decoded(path);
    if (decoded.GetLastStatus() != Ok || decoded.GetWidth() == 0 || decoded.GetHeight() == 0)
        return nullptr;
    auto pixels = std::make_shared<CxSkinImageCache::Pixels>();
    pixels->width = decoded.GetWidth();
    pixels->height = decoded.GetHeight();
    pixels->dpiX = decoded.GetHorizontalResolution();
    pixels->dpiY = decoded.GetVerticalResolution();
    pixels->argb = PixelStore(static_cast<size_t>(pixels->width) * pixels->height);
    BitmapData data{};
    data.Width = pixels->width;
    data.Height = pixels->height;
    data.Stride = static_cast<INT>(pixels->width * 4);
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = pixels->argb.data();
    Rect all(0, 0, static_cast<INT>(pixels->width), static_cast<INT>(pixels->height));
    if (decoded.LockBits(&all, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat32bppARGB, &data) != Ok)
        return nullptr;
    decoded.UnlockBits(&data);
    return pixels;
}

// The PNG decoder's class factory, from the imaging component loaded in this process; null without it.
IClassFactory* PngDecoderFactory() {
    static constexpr GUID kPngDecoder = {0x389ea17b, 0x5078, 0x4cde, {0xb6, 0xef, 0x25, 0xc1, 0x51, 0x75, 0xc7, 0x51}};
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    HMODULE codecs = ::GetModuleHandleW(L"windowscodecs.dll");
    auto getClassObject = codecs ? reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void (*)()>(
                                       ::GetProcAddress(codecs, "DllGetClassObject")))
                                 : nullptr;
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(getClassObject(kPngDecoder, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        return nullptr;
    return factory;
}

IWICImagingFactory* NewImagingFactory() {
    IWICImagingFactory* factory = nullptr;
    return SUCCEEDED(WICCreateImagingFactory_Proxy(WINCODEC_SDK_VERSION, &factory)) ? factory : nullptr;
}

} // namespace

CxSkinImageCache::CxSkinImageCache() : m_previous(g_current.exchange(this)) {}

CxSkinImageCache::~CxSkinImageCache() {
    // The kept texts go with the run's images: both are GDI+ objects, which must go before GDI+ shuts down.
    CxSkinTextCache::Instance().Clear();
    CxSkinImageCache* self = this;
    g_current.compare_exchange_strong(self, m_previous);
    if (m_pngDecoders)
        m_pngDecoders->Release();
    if (m_imaging)
        m_imaging->Release();
}

CxSkinImageCache* CxSkinImageCache::Current() {
    return g_current.load();
}

// The same file named with other separators or through ".." is the same picture.
std::wstring CxSkinImageCache::Key(const wchar_t* path) {
    DWORD length = ::GetFullPathNameW(path, 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    length = ::GetFullPathNameW(path, length, full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return path;
    full.resize(length);
    return full;
}

std::unique_ptr<Bitmap> CxSkinImageCache::Load(const wchar_t* path) {
    if (!path || !*path)
        return nullptr;
    const std::wstring key = Key(path);
    Decoded pixels;
    {
        CxLockGuard hold(m_lock);
        if (auto found = m_images.find(key); found != m_images.end())
            pixels = found->second;
    }
    if (!pixels) {
        pixels = Read(path);
        if (!pixels)
            return nullptr;
        CxLockGuard hold(m_lock);
        pixels = m_images.emplace(key, pixels).first->second; // a racing read of the same file loses
    }
    auto bitmap = std::make_unique<SharedPixelsBitmap>(pixels);
    if (bitmap->GetLastStatus() != Ok)
        return nullptr;
    return bitmap;
}

std::shared_ptr<Bitmap> CxSkinImageCache::Share(const wchar_t* path) {
    if (!path || !*path)
        return nullptr;
    const std::wstring key = Key(path);
    {
        CxLockGuard hold(m_lock);
        if (auto found = m_shared.find(key); found != m_shared.end()) {
            if (std::shared_ptr<Bitmap> shared = found->second.lock())
                return shared;
        }
    }
    std::shared_ptr<Bitmap> made = Load(path);
    if (!made)
        return nullptr;
    CxLockGuard hold(m_lock);
    std::weak_ptr<Bitmap>& slot = m_shared[key];
    if (std::shared_ptr<Bitmap> raced = slot.lock())
        return raced;
    slot = made;
    return made;
}

void CxSkinImageCache::Factories(IWICImagingFactory*& imaging, IClassFactory*& pngDecoders) {
    CxLockGuard hold(m_lock);
    if (!m_imagingTried) {
        m_imagingTried = true;
        m_imaging = NewImagingFactory();
        m_pngDecoders = PngDecoderFactory();
    }
    imaging = m_imaging;
    pngDecoders = m_pngDecoders;
}

// A PNG with a readable header waits for its first draw; any other file is decoded now, by the imaging
// component or else by GDI+.
std::shared_ptr<CxSkinImageCache::Pixels> CxSkinImageCache::Read(const wchar_t* path) {
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(path, bytes))
        return nullptr;
    PngHeader header;
    const PngCheck png = CheckPng(bytes.data(), bytes.size(), header);
    // A PNG whose chunks are not whole fails now, as any file that is not a picture does: decoded at its
    // first draw, it would only draw nothing.
    if (png == PngCheck::Damaged)
        return nullptr;
    if (png == PngCheck::Good && header.width <= kMaxDeferredSide && header.height <= kMaxDeferredSide) {
        auto pixels = std::make_shared<Pixels>();
        pixels->width = header.width;
        pixels->height = header.height;
        pixels->dpiX = header.dpiX;
        pixels->dpiY = header.dpiY;
        pixels->argb = PixelStore(static_cast<size_t>(pixels->width) * pixels->height);
        pixels->file = std::move(bytes);
        pixels->path = path;
        pixels->pending = true;
        return pixels;
    }
    IWICImagingFactory* imaging = nullptr;
    IClassFactory* pngDecoders = nullptr;
    Factories(imaging, pngDecoders);
    if (const auto frame = FirstFrame(imaging, pngDecoders, bytes)) {
        if (Decoded decoded = FramePixels(frame.get()))
            return decoded;
    }
    return DecodeWithGdiplus(path);
}

// The installed cache's decoders. The cache that read a file may be gone (a control outlived it): then
// decoders are made for this one decode.
struct CxSkinImageCache::Decoders {
    Decoders() {
        if (CxSkinImageCache* cache = Current()) {
            cache->Factories(imaging, pngDecoders);
        } else {
            ownImaging.reset(NewImagingFactory());
            ownPngDecoders.reset(PngDecoderFactory());
            imaging = ownImaging.get();
            pngDecoders = ownPngDecoders.get();
        }
    }

    IWICImagingFactory* imaging = nullptr;
    IClassFactory* pngDecoders = nullptr;
    ComPtr<IWICImagingFactory> ownImaging;
    ComPtr<IClassFactory> ownPngDecoders;
};

bool CxSkinImageCache::CopyPremultiplied(Image* image, BYTE* firstRow, INT stride) {
    auto* shared = dynamic_cast<SharedPixelsBitmap*>(image);
    if (!shared || !firstRow)
        return false;
    Pixels& pixels = shared->Held();
    CxLockGuard hold(pixels.decoding);
    if (!pixels.pending)
        return false;
    const Decoders decoders;
    const auto frame = FirstFrame(decoders.imaging, decoders.pngDecoders, pixels.file);
    IWICBitmapSource* rawConverted = nullptr;
    if (!frame || FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.get(), &rawConverted)))
        return false;
    const ComPtr<IWICBitmapSource> converted(rawConverted);
    UINT width = 0, height = 0;
    if (FAILED(converted->GetSize(&width, &height)) || width != pixels.width || height != pixels.height)
        return false;
    // Row by row, since the rows may run bottom-up; the decoder unpacks the picture once, at the first row.
    const UINT rowBytes = width * 4;
    for (UINT y = 0; y < height; ++y) {
        const WICRect row{0, static_cast<INT>(y), static_cast<INT>(width), 1};
        if (FAILED(converted->CopyPixels(&row, rowBytes, rowBytes, firstRow + static_cast<ptrdiff_t>(y) * stride)))
            return false;
    }
    return true;
}

void CxSkinImageCache::Prepare(Image* image) {
    auto* shared = dynamic_cast<SharedPixelsBitmap*>(image);
    if (!shared || !shared->Held().pending)
        return;
    Pixels& pixels = shared->Held();
    CxLockGuard hold(pixels.decoding);
    if (!pixels.pending)
        return;
    const Decoders decoders;
    const auto frame = FirstFrame(decoders.imaging, decoders.pngDecoders, pixels.file);
    if (!frame || !CopyFrame(frame.get(), pixels.width, pixels.height, pixels.argb)) {
        // GDI+ reads what the imaging component cannot; a picture neither can read stays clear.
        const Decoded fallback = DecodeWithGdiplus(pixels.path.c_str());
        if (fallback && fallback->width == pixels.width && fallback->height == pixels.height)
            std::copy(fallback->argb.begin(), fallback->argb.end(), pixels.argb.begin()); // in place: bitmaps point here
        else
            std::fill(pixels.argb.begin(), pixels.argb.end(), 0u);
    }
    pixels.file = {};
    pixels.path = {};
    pixels.pending = false;
}

std::size_t CxSkinImageCache::GetDecodedCount() const {
    CxLockGuard hold(m_lock);
    return m_images.size();
}

std::size_t CxSkinImageCache::GetPendingCount() const {
    CxLockGuard hold(m_lock);
    return static_cast<std::size_t>(std::count_if(m_images.begin(), m_images.end(),
                                                  [](const auto& image) { return image.second->pending.load(); }));
}
