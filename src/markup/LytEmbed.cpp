#include "markup/LytEmbed.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <iterator>
#include <limits>
#include <vector>

#include "markup/ILytContainerHost.h"
#include "markup/ILytController.h"
#include "skin/LayerWnd.h"
#include "skin/SkinObject.h"
#include "skin/SkinParse.h"

namespace {

using Value = const std::wstring&;

constexpr wchar_t kFrameContent[] = L"FrameContent";
constexpr wchar_t kProfileListContent[] = L"PanelProfileListContent";
constexpr wchar_t kMarkupExtension[] = L".lyt";

std::int32_t EndOf(int start, int length) {
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::int64_t{start} + length, low, high));
}

// The files whose embedded loads are running on this thread, outermost first. A file that embeds itself,
// directly or through others, would otherwise load until the stack runs out.
class EmbedChain {
public:
    explicit EmbedChain(const std::wstring& path) : m_key(Key(path)) {
        std::vector<std::wstring>& files = Files();
        m_entered = static_cast<int>(files.size()) < CLytEmbed::kMaxNesting &&
                    std::find(files.begin(), files.end(), m_key) == files.end();
        if (m_entered)
            files.push_back(m_key);
    }
    ~EmbedChain() {
        if (m_entered)
            Files().pop_back();
    }
    EmbedChain(const EmbedChain&) = delete;
    EmbedChain& operator=(const EmbedChain&) = delete;

    bool Entered() const { return m_entered; }

private:
    static std::vector<std::wstring>& Files() {
        thread_local std::vector<std::wstring> files;
        return files;
    }
    // File names compare without case and with either separator, as the file system finds them.
    static std::wstring Key(std::wstring path) {
        for (wchar_t& c : path)
            c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
        return path;
    }

    std::wstring m_key;
    bool m_entered = false;
};

} // namespace

struct CLytEmbed::EmbedAttribute {
    const wchar_t* name;
    void (*apply)(CLytEmbed& embed, Value value);
};

int CLytEmbed::SetAttribute(const wchar_t* name, const wchar_t* value) {
    static const EmbedAttribute kAttributes[] = {
        {L"Name", [](CLytEmbed& e, Value v) { e.m_name = v; }},
        {L"Left", [](CLytEmbed& e, Value v) { e.m_left = xSkinStringToInt(v); }},
        {L"Top", [](CLytEmbed& e, Value v) { e.m_top = xSkinStringToInt(v); }},
        {L"Width", [](CLytEmbed& e, Value v) { e.m_width = xSkinStringToInt(v); }},
        {L"Height", [](CLytEmbed& e, Value v) { e.m_height = xSkinStringToInt(v); }},
        {L"Visibility", [](CLytEmbed& e, Value v) { e.m_visible = v == L"Hidden" ? 0 : 1; }},
    };
    if (!name || !value || !*value)
        return 0;
    const std::wstring key(name);
    const auto found = std::find_if(std::begin(kAttributes), std::end(kAttributes),
                                    [&](const EmbedAttribute& attribute) { return key == attribute.name; });
    if (found == std::end(kAttributes))
        return 0;
    found->apply(*this, value);
    return 1;
}

void CLytEmbed::SetParent(ILytObject* parent) {
    CLytObject::SetParent(parent);
    m_parentControl = parent ? parent->GetControl() : nullptr;
}

LytRect CLytEmbed::GetRect() const {
    return {m_left, m_top, EndOf(m_left, m_width), EndOf(m_top, m_height)};
}

int CLytEmbed::OnCreated() {
    ILytContainerHost* host = LytContainerHostOf(Environment());
    if (!host)
        return 0;
    const LytRect rect = GetRect();
    if (m_name == kFrameContent) {
        // The main window's handler chooses the content; the embed's visibility is not its business.
        host->UpdateContentRect(m_parentControl, rect);
    } else if (m_name == kProfileListContent) {
        auto* parent = dynamic_cast<CxSkinObject*>(m_parentControl);
        if (IxSkinListener* handler = parent ? parent->FindListener() : nullptr)
            host->EnumerateProfiles(handler, m_parentControl, rect);
    } else if (!m_name.empty()) {
        LoadEmbeddedFile(rect);
    }
    return 0;
}

void CLytEmbed::LoadEmbeddedFile(const LytRect& rect) {
    ILytContainerHost* host = LytContainerHostOf(Environment());
    ILytController* controller = host ? host->GetController() : nullptr;
    if (!controller || !GetParent())
        return;
    const std::wstring path = Environment().GetSkinFolder() + m_name + kMarkupExtension;
    const EmbedChain chain(path);
    if (!chain.Entered())
        return; // already loading further out: embedding it again would never end
    // A file that fails to load leaves nothing in the embed's place.
    IxSkinObject* control = controller->LoadFile(path.c_str(), GetParent(), &rect);
    if (auto* layer = dynamic_cast<CLayerWnd*>(control))
        layer->SetVisible(m_visible ? TRUE : FALSE, TRUE);
}
