// Every markup file the program ships, checked against the files beside it: it parses, every image it names
// is in the program folder, every language key it uses has a text in each culture that must carry all keys,
// and every keyed style it picks exists for its element kind. The checks run over whatever files the skin
// folder holds, so each new window or panel is covered the moment it ships.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TestPaths.h"
#include "markup/ILytParser.h"
#include "markup/XmlReader.h"

namespace fs = std::filesystem;

namespace {

// The cultures whose language files carry every key the skin uses.
const wchar_t* const kCompleteCultures[] = {L"en-US", L"de-DE"};
const wchar_t* const kImageExtensions[] = {L".png", L".jpg", L".jpeg", L".bmp", L".gif", L".ico"};

fs::path SkinFolder() {
    return oc::test::ProgramDir() / "Skin" / "Overcoat";
}

fs::path LanguageFolder() {
    return oc::test::ProgramDir() / "lang";
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsNumberOrColour(const std::wstring& value) {
    return value.empty() || value[0] == L'#' || value.find_first_not_of(L"0123456789.,-+ ") == std::wstring::npos;
}

// An attribute naming an image: its value has an image file's extension, or its name speaks of an image
// ("Image.Normal", "Droplist.Image.Background", "Source") and its value is neither a number nor a colour.
bool IsImageReference(const std::wstring& name, const std::wstring& value) {
    const std::wstring lowerValue = Lower(value);
    for (const wchar_t* extension : kImageExtensions) {
        if (EndsWith(lowerValue, extension))
            return true;
    }
    return (name.find(L"Image") != std::wstring::npos || name == L"Source") && !IsNumberOrColour(value) &&
           !EndsWith(lowerValue, L".lyt");
}

// An image value is relative to the skin folder unless its second character is ':'.
fs::path ImagePath(const std::wstring& value) {
    if (value.size() > 1 && value[1] == L':')
        return fs::path(value);
    std::wstring relative = value;
    std::replace(relative.begin(), relative.end(), L'/', L'\\');
    return SkinFolder() / relative;
}

struct Attribute {
    std::wstring element;
    std::wstring name;
    std::wstring value;
};

// One markup file read as plain XML: its root element's name, every attribute (a setter's property and value
// as one attribute), the keys of its top-level styles and the styles its elements pick.
struct MarkupFile {
    fs::path path;
    std::wstring root;
    std::vector<Attribute> attributes;
    std::vector<std::wstring> styleKeys;
    std::vector<Attribute> styleUses;
};

std::map<std::wstring, std::wstring> AttributesOf(CXmlReader& reader, std::uint32_t node) {
    std::map<std::wstring, std::wstring> attributes;
    reader.BuildIndex(node);
    for (std::uint32_t i = 0; i < reader.GetAttributeCount(); ++i)
        attributes.emplace(reader.GetAttributeName(i), reader.GetAttributeValue(i));
    return attributes;
}

void ReadElement(CXmlReader& reader, std::uint32_t node, int depth, MarkupFile& file) {
    const std::wstring element = reader.GetName(node);
    const auto attributes = AttributesOf(reader, node);
    if (element == L"Setter" && attributes.count(L"Property") && attributes.count(L"Value")) {
        file.attributes.push_back({element, attributes.at(L"Property"), attributes.at(L"Value")});
    } else {
        for (const auto& [name, value] : attributes) {
            if (name == L"Style")
                file.styleUses.push_back({element, name, value});
            else
                file.attributes.push_back({element, name, value});
        }
    }
    if (depth == 1 && element == L"Style" && attributes.count(L"x:Key"))
        file.styleKeys.push_back(attributes.at(L"x:Key"));
    for (std::uint32_t child = reader.GetNode(node).firstChild; child; child = reader.GetNode(child).nextSibling)
        ReadElement(reader, child, depth + 1, file);
}

bool ReadMarkup(const fs::path& path, MarkupFile& file) {
    CXmlReader reader;
    reader.SetPreserveWhitespace(true);
    if (!reader.LoadFile(path.wstring().c_str()) || !reader.HasRoot())
        return false;
    file.path = path;
    file.root = reader.GetName(1);
    ReadElement(reader, 1, 0, file);
    return true;
}

// The language keys of one culture: every "sys:String" with an x:Key and a text, over all its files.
std::set<std::wstring> ReadLanguageKeys(const fs::path& folder, std::vector<std::wstring>& unreadable) {
    std::set<std::wstring> keys;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (Lower(entry.path().extension().wstring()) != L".xaml")
            continue;
        CXmlReader reader;
        if (!reader.LoadFile(entry.path().wstring().c_str()) || !reader.HasRoot()) {
            unreadable.push_back(entry.path().wstring());
            continue;
        }
        for (std::uint32_t n = reader.GetNode(1).firstChild; n; n = reader.GetNode(n).nextSibling) {
            const auto attributes = AttributesOf(reader, n);
            // An empty text never becomes a language text: the key stays untranslated.
            if (std::wstring(reader.GetName(n)) == L"sys:String" && attributes.count(L"x:Key") && *reader.GetText(n))
                keys.insert(attributes.at(L"x:Key"));
        }
    }
    return keys;
}

// Accepts every element, so that a parse walks the whole file.
class AcceptingListener : public ILytParserListener {
public:
    class Object : public ILytObject {
    public:
        int SetAttribute(const wchar_t*, const wchar_t*) override { return 1; }
        int OnCreated() override { return 0; }
        void OnLoadComplete() override {}
        std::wstring GetTypeName() const override { return L""; }
        void SetId(int) override {}
        void SetParent(ILytObject*) override {}
        IxSkinObject* GetControl() const override { return nullptr; }
        ILytObject* GetParent() const override { return nullptr; }
        LytSize GetSize() const override { return {0, 0}; }
        void Destroy() override {}
        void CreateControl() override {}
    };

    ILytObject* CreateObject(const wchar_t*, ILytObject*) override {
        m_objects.push_back(std::make_unique<Object>());
        return m_objects.back().get();
    }
    void SetAttribute(ILytObject*, const wchar_t*, const wchar_t*) override {}
    void OnObjectDone(ILytObject*) override {}
    void OnParseDone(ILytObject*) override {}
    IXmlObject* CreateXmlObject(const wchar_t*) override { return nullptr; }

private:
    std::vector<std::unique_ptr<Object>> m_objects;
};

class SkinFilesTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_files = new std::vector<MarkupFile>;
        for (const auto& entry : fs::recursive_directory_iterator(SkinFolder())) {
            if (entry.is_regular_file() && Lower(entry.path().extension().wstring()) == L".lyt")
                s_paths.push_back(entry.path());
        }
        std::sort(s_paths.begin(), s_paths.end());
        for (const fs::path& path : s_paths) {
            MarkupFile file;
            if (ReadMarkup(path, file))
                s_files->push_back(std::move(file));
        }
    }
    static void TearDownTestSuite() {
        delete s_files;
        s_files = nullptr;
        s_paths.clear();
    }

    static std::vector<fs::path> s_paths;
    static std::vector<MarkupFile>* s_files;
};

std::vector<fs::path> SkinFilesTest::s_paths;
std::vector<MarkupFile>* SkinFilesTest::s_files = nullptr;

TEST_F(SkinFilesTest, EveryMarkupFileParses) {
    ASSERT_FALSE(s_paths.empty()) << "no markup in " << SkinFolder();
    AcceptingListener listener;
    std::unique_ptr<ILytParser, void (*)(ILytParser*)> parser(CreateLytParser(&listener),
                                                              [](ILytParser* p) { p->Release(); });
    AcceptingListener::Object parent;
    // With a placement the root element becomes an object of its own, as every embedded file's does.
    const LytRect placement{0, 0, 100, 100};
    for (const fs::path& path : s_paths)
        EXPECT_NE(parser->Parse(path.wstring().c_str(), &parent, &placement), nullptr) << path;
    EXPECT_EQ(s_files->size(), s_paths.size());
}

TEST_F(SkinFilesTest, EveryImageIsInTheProgramFolder) {
    for (const MarkupFile& file : *s_files) {
        for (const Attribute& a : file.attributes) {
            if (IsImageReference(a.name, a.value)) {
                EXPECT_TRUE(fs::is_regular_file(ImagePath(a.value)))
                    << file.path << ": " << a.element << " " << a.name << "=\"" << a.value << "\"";
            }
        }
    }
}

TEST_F(SkinFilesTest, EveryLanguageKeyHasATextInEachCompleteCulture) {
    for (const wchar_t* culture : kCompleteCultures) {
        std::vector<std::wstring> unreadable;
        const std::set<std::wstring> keys = ReadLanguageKeys(LanguageFolder() / culture, unreadable);
        EXPECT_TRUE(unreadable.empty()) << "language files that do not read: " << testing::PrintToString(unreadable);
        ASSERT_FALSE(keys.empty()) << culture;
        for (const MarkupFile& file : *s_files) {
            for (const Attribute& a : file.attributes) {
                if (a.value.compare(0, 3, L"ml_") == 0) {
                    EXPECT_TRUE(keys.count(a.value)) << file.path << ": " << a.element << " " << a.name << "=\""
                                                     << a.value << "\" has no " << culture << " text";
                }
            }
        }
    }
}

TEST_F(SkinFilesTest, EveryStylePickedExistsForItsElementKind) {
    // A dictionary serves the kinds whose names occur in its root element's name.
    for (const MarkupFile& file : *s_files) {
        for (const Attribute& use : file.styleUses) {
            const bool found = std::any_of(s_files->begin(), s_files->end(), [&](const MarkupFile& dictionary) {
                return dictionary.root.find(use.element) != std::wstring::npos &&
                       std::count(dictionary.styleKeys.begin(), dictionary.styleKeys.end(), use.value) > 0;
            });
            EXPECT_TRUE(found) << file.path << ": " << use.element << " picks the missing style \"" << use.value
                               << "\"";
        }
    }
}

TEST_F(SkinFilesTest, EveryCaptionNamesACheckBoxOrRadioButtonOfItsFile) {
    size_t captions = 0;
    for (const MarkupFile& file : *s_files) {
        std::set<std::wstring> choices;
        for (const Attribute& a : file.attributes) {
            if (a.name == L"Name" && (a.element == L"CheckBox" || a.element == L"RadioButton"))
                choices.insert(a.value);
        }
        for (const Attribute& a : file.attributes) {
            if (a.name != L"Target")
                continue;
            ++captions;
            EXPECT_TRUE(choices.count(a.value))
                << file.path << ": " << a.element << " Target=\"" << a.value << "\" names no check box or radio button";
        }
    }
    EXPECT_GT(captions, 0u);
}

// Markup the program opens by name rather than by finding it in the folder: a file the skin lacks would
// only show as a window, menu or page that silently never appears.
TEST_F(SkinFilesTest, EveryMarkupFileTheProgramLoadsByNameShips) {
    std::map<std::wstring, std::wstring> wanted; // file name -> who asks for it
    // File names the source spells out.
    const std::wregex quoted(LR"re("([A-Za-z0-9_]+\.lyt)")re");
    for (const auto& entry : fs::recursive_directory_iterator(oc::test::SourceDir() / "src")) {
        const std::wstring extension = Lower(entry.path().extension().wstring());
        if (extension != L".cpp" && extension != L".h")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::wstring text(bytes.begin(), bytes.end());
        for (auto it = std::wsregex_iterator(text.begin(), text.end(), quoted); it != std::wsregex_iterator(); ++it)
            wanted.emplace((*it)[1].str(), entry.path().filename().wstring());
    }
    // Windows and dialogs opened by their markup name.
    for (const wchar_t* window : {L"MainWindow", L"DialogInfo", L"DialogInfo_DetailWindow", L"DialogInfo_Legal",
                                  L"Dialog_AppSetting", L"Dialog_WelcomeMsg", L"Dialog_ENCPromptMsg",
                                  L"DialogMessageBox", L"SystemTrayLClick", L"SystemTrayRClick"})
        wanted.emplace(std::wstring(window) + L".lyt", L"a window opened by name");
    for (const MarkupFile& file : *s_files) {
        const std::wstring stem = file.path.stem().wstring();
        for (const Attribute& a : file.attributes) {
            if (a.name != L"Name")
                continue;
            // An embed loads the file of its name; the content frame and the profile strip are filled by code.
            if (a.element == L"Embed" && a.value != L"FrameContent" && a.value != L"PanelProfileListContent")
                wanted.emplace(a.value + L".lyt", stem);
            // An endpoint icon of the device list opens the jack menu of its name.
            if (stem == L"PanelDeviceListContent" && a.value.compare(0, 4, L"Menu") == 0)
                wanted.emplace(a.value + L".lyt", stem);
            // A jack menu item shows the content page of its name, the outside effects programs aside.
            if (stem.compare(0, 4, L"Menu") == 0 && a.element == L"SkinMenuItem" && stem != L"MenuTextBox" &&
                a.value != L"VexaroAudioEffects" && a.value != L"VexaroMicEffects")
                wanted.emplace(L"apo" + a.value + L".lyt", stem);
        }
    }
    ASSERT_TRUE(wanted.count(L"MainWindow.lyt"));
    ASSERT_TRUE(wanted.count(L"MenuTextBox.lyt")) << "the source scan found nothing";
    for (const auto& [name, asker] : wanted) {
        const bool ships = fs::is_regular_file(SkinFolder() / name) ||
                           fs::is_regular_file(oc::test::ProgramDir() / "profile" / name);
        EXPECT_TRUE(ships) << name << " (asked for by " << asker << ") is not in the program folder";
    }
}

// A content page no jack menu offers can never be opened.
TEST_F(SkinFilesTest, EveryContentPageIsOfferedByAJackMenu) {
    std::set<std::wstring> offered;
    std::vector<std::wstring> pages;
    for (const MarkupFile& file : *s_files) {
        const std::wstring stem = file.path.stem().wstring();
        if (stem.compare(0, 3, L"apo") == 0)
            pages.push_back(stem.substr(3));
        for (const Attribute& a : file.attributes) {
            if (stem.compare(0, 4, L"Menu") == 0 && a.element == L"SkinMenuItem" && a.name == L"Name")
                offered.insert(a.value);
        }
    }
    ASSERT_FALSE(pages.empty());
    for (const std::wstring& page : pages)
        EXPECT_TRUE(offered.count(page)) << "apo" << page << ".lyt is offered by no jack menu";
}

// The texts of one culture by key, read straight from its language files.
std::map<std::wstring, std::wstring> CultureTexts(const wchar_t* culture) {
    std::map<std::wstring, std::wstring> texts;
    for (const auto& entry : fs::directory_iterator(LanguageFolder() / culture)) {
        if (Lower(entry.path().extension().wstring()) != L".xaml")
            continue;
        CXmlReader reader;
        if (!reader.LoadFile(entry.path().wstring().c_str()) || !reader.HasRoot())
            continue;
        for (std::uint32_t n = reader.GetNode(1).firstChild; n; n = reader.GetNode(n).nextSibling) {
            const auto attributes = AttributesOf(reader, n);
            if (std::wstring(reader.GetName(n)) == L"sys:String" && attributes.count(L"x:Key"))
                texts[attributes.at(L"x:Key")] = reader.GetText(n);
        }
    }
    return texts;
}

// The header of a content page: its "TextTitle" or its first text block in the header style, found depth first.
std::wstring PageHeaderKey(CXmlReader& reader, std::uint32_t node) {
    const auto attributes = AttributesOf(reader, node);
    const auto style = attributes.find(L"Style");
    const bool header = attributes.count(L"Name") && attributes.at(L"Name") == L"TextTitle";
    if (std::wstring(reader.GetName(node)) == L"TextBlock" && attributes.count(L"Text") &&
        (header || (style != attributes.end() && style->second == L"ToneHeader")))
        return attributes.at(L"Text");
    for (std::uint32_t child = reader.GetNode(node).firstChild; child; child = reader.GetNode(child).nextSibling) {
        if (std::wstring key = PageHeaderKey(reader, child); !key.empty())
            return key;
    }
    return {};
}

// A page is headed with the words of the menu item that opens it, in every culture, so that the user finds
// under one name what the menu promised. Volume pages name their endpoint instead ("Speaker volume").
TEST_F(SkinFilesTest, EveryPageIsHeadedAsTheMenuItemThatOpensIt) {
    std::map<std::wstring, std::wstring> menuKeys; // page -> the menu item's text key
    for (const MarkupFile& file : *s_files) {
        if (file.path.stem().wstring().compare(0, 4, L"Menu") != 0)
            continue;
        // An element's attributes come in name order: its "Content" before its "Name".
        std::wstring content;
        for (const Attribute& a : file.attributes) {
            if (a.element == L"SkinMenuItem" && a.name == L"Content")
                content = a.value;
            if (a.element == L"SkinMenuItem" && a.name == L"Name" && !content.empty())
                menuKeys[a.value] = std::exchange(content, std::wstring());
        }
    }
    std::map<std::wstring, std::wstring> headerKeys; // page -> its header's text key
    for (const auto& [page, menuKey] : menuKeys) {
        const fs::path path = SkinFolder() / (L"apo" + page + L".lyt");
        if (!fs::exists(path) || EndsWith(page, L"Vol"))
            continue;
        CXmlReader reader;
        ASSERT_TRUE(reader.LoadFile(path.wstring().c_str()) && reader.HasRoot()) << path;
        headerKeys[page] = PageHeaderKey(reader, 1);
        EXPECT_FALSE(headerKeys[page].empty()) << path << " has no header";
    }
    ASSERT_GT(headerKeys.size(), 60u);
    size_t cultures = 0;
    for (const auto& entry : fs::directory_iterator(LanguageFolder())) {
        const std::wstring culture = entry.path().filename().wstring();
        const std::map<std::wstring, std::wstring> texts = CultureTexts(culture.c_str());
        ++cultures;
        for (const auto& [page, headerKey] : headerKeys) {
            const auto menu = texts.find(menuKeys.at(page));
            const auto header = texts.find(headerKey);
            ASSERT_TRUE(menu != texts.end() && header != texts.end()) << culture << " " << page;
            EXPECT_EQ(header->second, menu->second) << culture << ": apo" << page << ".lyt";
        }
    }
    EXPECT_EQ(cultures, 17u);
}

// A control of a page file placed in page coordinates: the Left and Top of every canvas above it added up.
struct PlacedControl {
    std::wstring element;
    std::map<std::wstring, std::wstring> attributes;
    RECT rect;
};

void PlaceControls(CXmlReader& reader, std::uint32_t node, POINT origin, std::vector<PlacedControl>& out) {
    const auto attributes = AttributesOf(reader, node);
    auto number = [&](const wchar_t* name, int fallback) {
        const auto found = attributes.find(name);
        return found == attributes.end() ? fallback : _wtoi(found->second.c_str());
    };
    const POINT at{origin.x + number(L"Left", 0), origin.y + number(L"Top", 0)};
    // The speaker buttons take their size from their style: 36 x 36.
    out.push_back({reader.GetName(node), attributes, {at.x, at.y, at.x + number(L"Width", 36), at.y + number(L"Height", 36)}});
    for (std::uint32_t child = reader.GetNode(node).firstChild; child; child = reader.GetNode(child).nextSibling)
        PlaceControls(reader, child, node == 1 ? POINT{0, 0} : at, out);
}

std::vector<PlacedControl> PlacedControls(const fs::path& file) {
    CXmlReader reader;
    std::vector<PlacedControl> controls;
    if (reader.LoadFile(file.wstring().c_str()) && reader.HasRoot())
        PlaceControls(reader, 1, {0, 0}, controls);
    return controls;
}

bool Intersect(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The speaker buttons of every surround and channel page stand inside their room diagram, apart from each
// other and off the listener in its middle; the pages of the six-channel output show its 5.1 speakers.
TEST_F(SkinFilesTest, SpeakerDiagramsKeepTheirSpeakersInsideAndApart) {
    size_t pages = 0;
    for (const fs::path& path : s_paths) {
        const std::wstring stem = path.stem().wstring();
        const std::vector<PlacedControl> controls = PlacedControls(path);
        std::vector<const PlacedControl*> speakers;
        const PlacedControl* room = nullptr;
        for (const PlacedControl& c : controls) {
            const auto style = c.attributes.find(L"Style");
            if (c.element == L"CheckBox" && style != c.attributes.end() && style->second == L"SurroundSpeaker")
                speakers.push_back(&c);
            const auto name = c.attributes.find(L"Name");
            if (!room && c.element == L"Image" && name != c.attributes.end() &&
                (EndsWith(name->second, L"_Diagram_On") || name->second == L"Setting_Diagram"))
                room = &c;
        }
        if (speakers.empty())
            continue;
        SCOPED_TRACE(testing::Message() << path.filename());
        ++pages;
        ASSERT_NE(room, nullptr) << "speakers without a room";
        const RECT inner{room->rect.left + 4, room->rect.top + 4, room->rect.right - 4, room->rect.bottom - 4};
        const LONG cx = (room->rect.left + room->rect.right) / 2, cy = (room->rect.top + room->rect.bottom) / 2;
        const RECT listener{cx - 24, cy - 20, cx + 24, cy + 20};
        std::set<std::wstring> names;
        for (size_t i = 0; i < speakers.size(); ++i) {
            const PlacedControl& a = *speakers[i];
            const std::wstring name = a.attributes.at(L"Name");
            names.insert(name);
            EXPECT_TRUE(a.rect.left >= inner.left && a.rect.top >= inner.top && a.rect.right <= inner.right &&
                        a.rect.bottom <= inner.bottom)
                << name << " leaves the room";
            EXPECT_FALSE(Intersect(a.rect, listener)) << name << " covers the listener";
            for (size_t j = i + 1; j < speakers.size(); ++j)
                EXPECT_FALSE(Intersect(a.rect, speakers[j]->rect)) << name << " and " << speakers[j]->attributes.at(L"Name");
        }
        if (stem.rfind(L"apoSpeakerQuarter", 0) == 0 && stem.find(L"Vimo") != std::wstring::npos) {
            EXPECT_EQ(names, (std::set<std::wstring>{L"ImgLF", L"ImgRF", L"ImgCenter", L"ImgWoofer", L"ImgLB", L"ImgRB"}));
        }
    }
    EXPECT_GE(pages, 12u);
}

// A choice picked by look shows a picture of its own: every chip names one, and no two chips of one group
// show the same picture. The microphone effects each have an illustration of their own.
TEST_F(SkinFilesTest, ChoicesAndEffectPagesHavePicturesOfTheirOwn) {
    std::map<std::wstring, std::set<std::wstring>> effectPictures; // effect -> pictures of its pages
    for (const fs::path& path : s_paths) {
        SCOPED_TRACE(testing::Message() << path.filename());
        std::map<std::wstring, std::vector<std::wstring>> groups; // group -> pictures
        for (const PlacedControl& c : PlacedControls(path)) {
            const auto at = [&](const wchar_t* name) {
                const auto found = c.attributes.find(name);
                return found == c.attributes.end() ? std::wstring() : found->second;
            };
            if (c.element == L"RadioButton" && at(L"Style") == L"SurroundMode") {
                EXPECT_FALSE(at(L"Image.Content").empty()) << at(L"Name") << " has no picture";
                EXPECT_FALSE(at(L"Image.Content.Disable").empty()) << at(L"Name") << " has no greyed picture";
                groups[at(L"GroupName")].push_back(at(L"Image.Content"));
            }
            const std::wstring name = at(L"Name");
            if (c.element == L"Image" && name.rfind(L"Diagram_", 0) == 0 && EndsWith(name, L"On"))
                effectPictures[name.substr(8, name.size() - 10)].insert(at(L"Source"));
        }
        for (const auto& [group, pictures] : groups) {
            EXPECT_EQ(std::set<std::wstring>(pictures.begin(), pictures.end()).size(), pictures.size()) << group;
        }
    }
    for (const wchar_t* effect : {L"AEC", L"ENC", L"NR", L"BEAM"})
        ASSERT_EQ(effectPictures[effect].size(), 1u) << effect;
    std::set<std::string> drawings;
    for (const auto& [effect, pictures] : effectPictures) {
        std::ifstream in(ImagePath(*pictures.begin()), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_FALSE(bytes.empty()) << effect;
        EXPECT_TRUE(drawings.insert(bytes).second) << effect << " shares its illustration";
    }
}

// What the main window's title bar promises: the tray tip names the program as its title does, and the logo
// button opens the website in every culture.
TEST_F(SkinFilesTest, TheTrayTipIsTheTitleAndTheLogoOpensTheWebsite) {
    std::wstring logoTag;
    for (const MarkupFile& file : *s_files) {
        if (file.path.filename() != "MainWindow.lyt")
            continue;
        bool inLogo = false;
        for (const Attribute& a : file.attributes) {
            if (a.name == L"Name")
                inLogo = a.value == L"BtnMainLogo";
            else if (inLogo && a.name == L"Tag")
                logoTag = a.value;
        }
    }
    ASSERT_EQ(logoTag.compare(0, 3, L"ml_"), 0) << "the logo button carries no language key as its link";
    for (const wchar_t* culture : kCompleteCultures) {
        const auto texts = CultureTexts(culture);
        ASSERT_TRUE(texts.count(L"ml_Main_Title")) << culture;
        EXPECT_EQ(texts.at(L"ml_Main_Title"), texts.count(L"ml_Main_TrayMenu_SystemTray")
                                                  ? texts.at(L"ml_Main_TrayMenu_SystemTray")
                                                  : std::wstring())
            << culture;
        const std::wstring link = texts.count(logoTag) ? texts.at(logoTag) : std::wstring();
        EXPECT_EQ(link.compare(0, 8, L"https://"), 0) << culture << ": " << logoTag << " = \"" << link << "\"";
    }
}

// The tray shows the icon the skin ships, at the small and the large icon size.
TEST(SkinIconTest, TheTrayIconShipsAndLoads) {
    const fs::path icon = SkinFolder() / "Main" / "SystemTray.ico";
    ASSERT_TRUE(fs::is_regular_file(icon)) << icon;
    for (const int size : {16, 32}) {
        HANDLE loaded = ::LoadImageW(nullptr, icon.wstring().c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE);
        EXPECT_NE(loaded, nullptr) << size;
        if (loaded)
            ::DestroyIcon(static_cast<HICON>(loaded));
    }
}

TEST(SkinFileRulesTest, ImageReferencesAreToldFromNumbersColoursAndMarkup) {
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        bool image;
    };
    const Case cases[] = {
        {L"Image.Normal", L"Dialog/button_primary_normal.png", true},
        {L"Source", L"Dialog/icon_info_normal.png", true},
        {L"Background.Image", L"Main/window", true}, // no extension: still an image, and must exist
        {L"Value", L"Common/switch_on.PNG", true},   // a setter's value
        {L"Image.Bar.Color", L"#FF3FA7F5", false},
        {L"Droplist.Image.BottomHeight", L"12", false},
        {L"Source", L"ControlDictResource.lyt", false},
        {L"Text", L"ml_Main_Title", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsImageReference(c.name, c.value), c.image) << c.name << "=" << c.value;
}

} // namespace
