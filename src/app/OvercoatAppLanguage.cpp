// The language texts of the application object: loading the language files of a culture and looking
// texts up by key.
#include "app/OvercoatApp.h"

#include "app/CultureFont.h"
#include "markup/XmlObject.h"
#include "skin/SkinCtrl.h"

#include <string_view>

namespace {

constexpr const wchar_t* kCultures[] = {
    L"da-DK", L"de-DE", L"en-US", L"es-ES", L"fr-FR", L"id-ID", L"it-IT", L"ja-JP", L"ko-KR",
    L"nl-NL", L"pt-PT", L"ru-RU", L"sv-SE", L"th-TH", L"tr-TR", L"zh-CN", L"zh-TW",
};

constexpr wchar_t kKeyPrefix[] = L"ml_";
constexpr wchar_t kEnglish[] = L"en-US";
constexpr wchar_t kCommonFile[] = L"common.xaml";

// A directory search, closed with the object.
class FileSearch {
public:
    explicit FileSearch(const std::wstring& pattern) : m_handle(::FindFirstFileW(pattern.c_str(), &m_entry)) {}
    ~FileSearch() {
        if (Found())
            ::FindClose(m_handle);
    }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;

    bool Found() const { return m_handle != INVALID_HANDLE_VALUE; }
    const WIN32_FIND_DATAW& Entry() const { return m_entry; }
    bool Next() { return ::FindNextFileW(m_handle, &m_entry) != 0; }

private:
    WIN32_FIND_DATAW m_entry{};
    HANDLE m_handle;
};

struct ParserRelease {
    void operator()(IProfileParser* parser) const { parser->Release(); }
};
using ParserPtr = std::unique_ptr<IProfileParser, ParserRelease>;

// Which texts of a parsed language file enter the map.
enum class TextsTaken {
    All,
    LanguageList, // only the culture's name and description
};

// The texts of one parsed language file (not taken over), each replacing the one before it.
void AddLanguageTexts(COvercoatApp& app, const IXmlObject* root, TextsTaken taken = TextsTaken::All) {
    if (!root || !app.LanguageStrings())
        return;
    std::map<std::wstring, std::wstring>& strings = *app.LanguageStrings();
    for (std::uint32_t i = 0; i < root->GetChildCount(); ++i) {
        const IXmlObject* entry = root->GetChild(i);
        if (!entry || entry->GetName() != L"sys:String")
            continue;
        std::wstring attribute, key;
        entry->GetAttributeAt(attribute, key, 0);
        std::wstring text = entry->GetText();
        // An empty text never replaces a text.
        if (attribute != L"x:Key" || key.empty() || text.empty())
            continue;
        const bool names = key == L"LanguageName" || key == L"LanguageDescription";
        if (taken == TextsTaken::LanguageList && !names)
            continue;
        if (key == L"LanguageName")
            app.m_languageName = text;
        // The description is listed under the culture's name, which the language list turns back into a
        // culture with FindLanguageKey.
        const std::wstring& storedKey = key == L"LanguageDescription" ? app.m_languageName : key;
        strings[storedKey] = std::move(text);
    }
}

// One language file parsed and kept, so that its texts can be added more than once from one read.
class KeptLanguageFile : public IProfileParserListener {
public:
    KeptLanguageFile(COvercoatApp& app, const std::wstring& path) : m_app(app) {
        if (ParserPtr parser{CreateProfileParser(this)})
            parser->Parse(path.c_str());
    }
    IXmlObject* CreateObject(const wchar_t* name) override { return m_app.CreateObject(name); }
    void OnParsed(IXmlObject* root) override { m_root.reset(root); }
    void OnError(const wchar_t* /*message*/) override {}
    // Null when the file is missing or broken.
    const IXmlObject* Root() const { return m_root.get(); }

private:
    COvercoatApp& m_app;
    XmlObjectPtr m_root;
};

bool SameName(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

} // namespace

std::span<const wchar_t* const> LanguageCultures() { return kCultures; }

int COvercoatApp::LoadLanguage(const std::wstring& culture) {
    const auto languageFolder = [this](const std::wstring& name) { return m_programFolder + L"lang\\" + name + L"\\"; };
    if (m_languageStrings)
        m_languageStrings->clear();
    else
        m_languageStrings = std::make_unique<std::map<std::wstring, std::wstring>>();

    std::wstring loaded = culture;
    std::wstring folder = languageFolder(culture);
    auto search = std::make_unique<FileSearch>(folder + L"*.xaml");
    if (!search->Found()) {
        search.reset();
        for (const wchar_t* fallback : kCultures) {
            auto candidate = std::make_unique<FileSearch>(languageFolder(fallback) + L"*.xaml");
            if (!candidate->Found())
                continue;
            search = std::move(candidate);
            folder = languageFolder(fallback);
            loaded = fallback;
            if (m_settings)
                m_settings->m_strLanguage = fallback; // written back with the settings
            break;
        }
        if (!search)
            return 0;
    }

    // Texts the chosen culture lacks, or loses to a file that does not read, show in English, never in
    // whichever other culture happens to come last.
    const std::wstring englishFolder = languageFolder(kEnglish);
    const bool chosenIsEnglish = SameName(englishFolder, folder);
    const KeptLanguageFile chosenCommon(*this, folder + kCommonFile);
    const KeptLanguageFile englishCommon(*this, englishFolder + kCommonFile);
    // Every culture's name and description, for the language list; nothing else of the other cultures.
    for (const wchar_t* listed : kCultures) {
        const std::wstring listedFolder = languageFolder(listed);
        if (SameName(listedFolder, folder))
            AddLanguageTexts(*this, chosenCommon.Root(), TextsTaken::LanguageList);
        else if (SameName(listedFolder, englishFolder))
            AddLanguageTexts(*this, englishCommon.Root(), TextsTaken::LanguageList);
        else
            AddLanguageTexts(*this, KeptLanguageFile(*this, listedFolder + kCommonFile).Root(),
                             TextsTaken::LanguageList);
    }
    if (!chosenIsEnglish)
        AddLanguageTexts(*this, englishCommon.Root());
    // Then the chosen culture's own files, whose texts replace the English ones.
    do {
        const WIN32_FIND_DATAW& entry = search->Entry();
        if (entry.cFileName[0] == L'.' || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (SameName(entry.cFileName, kCommonFile)) {
            AddLanguageTexts(*this, chosenCommon.Root());
            continue;
        }
        const KeptLanguageFile file(*this, folder + entry.cFileName);
        if (file.Root())
            AddLanguageTexts(*this, file.Root());
        else if (!chosenIsEnglish)
            AddLanguageTexts(*this, KeptLanguageFile(*this, englishFolder + entry.cFileName).Root());
    } while (search->Next());
    if (m_languageStrings->empty())
        return 0;
    // The windows built from now on draw the culture's texts in a face that has its script.
    CxSkinCtrl::SetDefaultFontFace(CultureFontFace(loaded));
    return 1;
}

void COvercoatApp::OnLanguageParsed(IXmlObject* root) {
    const XmlObjectPtr document(root);
    AddLanguageTexts(*this, root);
}

IXmlObject* COvercoatApp::CreateObject(const wchar_t* /*name*/) {
    return new CXmlObject;
}

void COvercoatApp::OnError(const wchar_t* /*message*/) {
    // A culture without a file of that name is normal; a broken file is skipped and the others still load.
}

std::wstring COvercoatApp::GetLanguageText(const std::wstring& key) const {
    if (!m_languageStrings)
        return L"";
    auto found = m_languageStrings->find(key);
    return found == m_languageStrings->end() ? L"" : found->second;
}

std::wstring COvercoatApp::FindLanguageKey(const std::wstring& text) const {
    if (!m_languageStrings)
        return L"";
    for (const auto& [key, value] : *m_languageStrings) {
        if (value == text)
            return key;
    }
    return L"";
}

void COvercoatApp::SetLanguageString(const std::wstring& key, const std::wstring& text) {
    if (m_languageStrings)
        (*m_languageStrings)[key] = text;
}

std::wstring COvercoatApp::TranslateText(const std::wstring& text) const {
    if (!text.starts_with(kKeyPrefix))
        return text;
    std::wstring translated = GetLanguageText(text);
    return translated.empty() ? text : translated;
}

std::wstring COvercoatApp::FormatLanguageText(const std::wstring& key, const wchar_t* english,
                                              const std::wstring& value) const {
    constexpr std::wstring_view kPlaceholder = L"{0}";
    std::wstring text = GetLanguageText(key);
    if (text.find(kPlaceholder) == std::wstring::npos)
        text = english;
    if (const size_t at = text.find(kPlaceholder); at != std::wstring::npos)
        text.replace(at, kPlaceholder.size(), value);
    return text;
}
