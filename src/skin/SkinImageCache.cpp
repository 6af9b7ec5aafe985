#include "skin/SkinImageCache.h"

#include <algorithm>
#include <atomic>
#include <iterator>

// The imaging component's own factory, which needs no COM apartment on the calling thread.
extern "C" HRESULT WINAPI WICCreateImagingFactory_Proxy(UINT sdkVersion, IWICImagingFactory** factory);

using namespace Gdiplus;

namespace {

std::atomic<CxSkinImageCache*> g_current{nullptr};

// Owns the pixels its bitmap is drawn from. The holder is the first base, so the GDI+ image (which only
// points at the pixels) is disposed before they are freed.
struct PixelsHolder {
    explicit PixelsHolder(std::shared_ptr<const CxSkinImageCache::Pixels> pixels) : held(std::move(pixels)) {}
    std::shared_ptr<const CxSkinImageCache::Pixels> held;
};

class SharedPixelsBitmap : private PixelsHolder, public Bitmap {
public:
    explicit SharedPixelsBitmap(std::shared_ptr<const CxSkinImageCache::Pixels> pixels)
        : PixelsHolder(std::move(pixels)),
          Bitmap(static_cast<INT>(held->width), static_cast<INT>(held->height), static_cast<INT>(held->width * 4),
                 PixelFormat32bppARGB, reinterpret_cast<BYTE*>(const_cast<UINT32*>(held->argb.data()))) {
        // Drawn at its natural size, a picture keeps the resolution its file gave it.
        SetResolution(held->dpiX, held->dpiY);
    }
};

using Decoded = std::shared_ptr<CxSkinImageCache::Pixels>;

template <class Interface> struct ComRelease {
    void operator()(Interface* object) const { object->Release(); }
};
template <class Interface> using ComPtr = std::unique_ptr<Interface, ComRelease<Interface>>;

// The frame converted to straight-alpha BGRA (GDI+'s ARGB), with its resolution.
Decoded FramePixels(IWICBitmapFrameDecode* frame) {
    IWICBitmapSource* rawConverted = nullptr;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &rawConverted)))
        return nullptr;
    const ComPtr<IWICBitmapSource> converted(rawConverted);
    auto pixels = std::make_shared<CxSkinImageCache::Pixels>();
    double dpiX = 96, dpiY = 96;
    if (FAILED(converted->GetSize(&pixels->width, &pixels->height)) || pixels->width == 0 || pixels->height == 0 ||
        FAILED(frame->GetResolution(&dpiX, &dpiY)))
        return nullptr;
    pixels->dpiX = static_cast<REAL>(dpiX);
    pixels->dpiY = static_cast<REAL>(dpiY);
    pixels->argb.resize(static_cast<size_t>(pixels->width) * pixels->height);
    const UINT stride = pixels->width * 4;
    if (FAILED(converted->CopyPixels(nullptr, stride, static_cast<UINT>(pixels->argb.size() * 4),
                                     reinterpret_cast<BYTE*>(pixels->argb.data()))))
        return nullptr;
    return pixels;
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

bool IsPng(const std::vector<BYTE>& bytes) {
    static constexpr BYTE kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() > sizeof(kSignature) && std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin());
}

// The file's first frame through the imaging component; metadata is never read. A PNG goes straight to the
// PNG decoder's class factory: letting the imaging factory pick a decoder searches the registry for every
// file, which costs more than decoding a small picture.
Decoded DecodeWithImaging(IWICImagingFactory* factory, IClassFactory* pngDecoders, const wchar_t* path) {
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(path, bytes))
        return nullptr;
    IWICStream* rawStream = nullptr;
    if (FAILED(factory->CreateStream(&rawStream)))
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
    const ComPtr<IWICBitmapFrameDecode> frame(rawFrame);
    return FramePixels(frame.get());
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
    pixels->argb.resize(static_cast<size_t>(pixels->width) * pixels->height);
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

} // namespace

CxSkinImageCache::CxSkinImageCache() : m_previous(g_current.exchange(this)) {}

CxSkinImageCache::~CxSkinImageCache() {
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
    std::shared_ptr<const Pixels> pixels;
    {
        CxLockGuard hold(m_lock);
        if (auto found = m_images.find(key); found != m_images.end())
            pixels = found->second;
    }
    if (!pixels) {
        pixels = Decode(path);
        if (!pixels)
            return nullptr;
        CxLockGuard hold(m_lock);
        pixels = m_images.emplace(key, pixels).first->second; // a racing decode of the same file loses
    }
    auto bitmap = std::make_unique<SharedPixelsBitmap>(pixels);
    if (bitmap->GetLastStatus() != Ok)
        return nullptr;
    return bitmap;
}

std::shared_ptr<const CxSkinImageCache::Pixels> CxSkinImageCache::Decode(const wchar_t* path) {
    IWICImagingFactory* imaging = nullptr;
    IClassFactory* pngDecoders = nullptr;
    {
        CxLockGuard hold(m_lock);
        if (!m_imagingTried) {
            m_imagingTried = true;
            if (FAILED(WICCreateImagingFactory_Proxy(WINCODEC_SDK_VERSION, &m_imaging)))
                m_imaging = nullptr;
            m_pngDecoders = PngDecoderFactory();
        }
        imaging = m_imaging;
        pngDecoders = m_pngDecoders;
    }
    if (imaging) {
        if (Decoded pixels = DecodeWithImaging(imaging, pngDecoders, path))
            return pixels;
    }
    return DecodeWithGdiplus(path);
}

std::size_t CxSkinImageCache::GetDecodedCount() const {
    CxLockGuard hold(m_lock);
    return m_images.size();
}
