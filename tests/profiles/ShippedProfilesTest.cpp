#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "driver/EndpointCodes.h"
#include "markup/IProfileController.h"
#include "profiles/ControlPropertyTable.h"
#include "profiles/ProfileCapture.h"
#include "profiles/ProfileListItem.h"
#include "profiles/ProfilePaths.h"

namespace {

using oc::test::ProgramDir;

class DocumentReader : public IProfileControllerListener {
public:
    XmlObjectPtr Load(const std::wstring& path) {
        m_root.reset();
        GetProfileController()->SetListener(this);
        GetProfileController()->Load(path.c_str());
        GetProfileController()->SetListener(nullptr);
        return std::move(m_root);
    }
    void OnProfileLoaded(IXmlObject* root) override { m_root.reset(root); }
    void OnProfileError(const wchar_t*) override {}

private:
    XmlObjectPtr m_root;
};

std::wstring Attribute(const IXmlObject* element, const wchar_t* name) {
    std::wstring value;
    element->GetAttribute(name, value);
    return value;
}

std::wstring ProgramFolder() {
    return ProgramDir().wstring() + L"\\";
}

int32_t EndpointOf(const IXmlObject* endpoint) {
    for (const DeviceKindRow& row : g_DeviceKindTable) {
        if (Attribute(endpoint, L"Name") == row.name && Attribute(endpoint, L"DataFlow") == row.flow)
            return row.code;
    }
    return -1;
}

bool IsNumber(const std::wstring& text, bool isFloat) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    if (isFloat)
        std::wcstod(text.c_str(), &end);
    else
        std::wcstol(text.c_str(), &end, 10);
    return *end == L'\0';
}

// Every setting of a shipped document must be one the table knows on that endpoint and page, in the form
// a capture writes, so that applying and matching treat it like a user profile.
void ExpectSettingsDocument(const std::wstring& path) {
    SCOPED_TRACE(testing::Message() << path);
    XmlObjectPtr root = DocumentReader().Load(path);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetName(), L"Profile");
    ASSERT_GT(root->GetChildCount(), 0u);
    for (uint32_t e = 0; e < root->GetChildCount(); ++e) {
        const IXmlObject* endpoint = root->GetChild(e);
        const int32_t code = EndpointOf(endpoint);
        ASSERT_GT(code, 0) << Attribute(endpoint, L"Name");
        const std::wstring prefix = CProfileCapture::GetEndpointTypeName(code);
        for (uint32_t a = 0; a < endpoint->GetChildCount(); ++a) {
            const IXmlObject* effect = endpoint->GetChild(a);
            const std::wstring page = Attribute(effect, L"Name");
            ASSERT_EQ(page.rfind(prefix, 0), 0u) << page;
            for (uint32_t p = 0; p < effect->GetChildCount(); ++p) {
                const IXmlObject* property = effect->GetChild(p);
                ASSERT_EQ(property->GetAttributeCount(), 6u);
                const std::wstring name = Attribute(property, L"Name");
                const std::wstring key = name.empty() ? Attribute(property, L"UIName") : name;
                bool known = false;
                for (const ControlPropertyRow& row : g_ControlPropertyTable) {
                    if (key == row.Key && page == prefix + row.Feature && (row.EndpointMask & DeviceTypeToMask(code))) {
                        known = true;
                        EXPECT_EQ(name.empty(), !(row.Flags & kControlRowDevice)) << key;
                        EXPECT_TRUE(IsNumber(Attribute(property, L"Value"), row.ValueKind == kControlValueFloat))
                            << key;
                    }
                }
                EXPECT_TRUE(known) << key << L" in " << page;
            }
        }
    }
}

TEST(ShippedProfiles, BuiltInProfilesAreCompletePairsOfKnownSettings) {
    const std::wstring folder = ProgramFolder() + L"profile\\";
    std::vector<std::wstring> items;
    FindFiles(items, {}, folder + L"default\\*.lyt", 1);
    ASSERT_EQ(items.size(), 3u);
    for (const std::wstring& item : items) {
        EXPECT_EQ(GetProfileTitle(item, 1).back(), L'*');
        ExpectSettingsDocument(MakeProfileFileName(item));
        XmlObjectPtr markup = DocumentReader().Load(item);
        ASSERT_TRUE(markup) << item;
        EXPECT_EQ(Attribute(markup.get(), L"Name"), GetProfileTitle(item, 1));
    }
}

TEST(ShippedProfiles, TheFactoryStateLiesInTheProgramFolder) {
    ExpectSettingsDocument(MakeFactoryDefaultPath(ProgramFolder()));
}

TEST(ShippedProfiles, TheTemplateAndTheUserDefinedItemAreTheOnlyItemsOfTheProfileFolder) {
    const std::wstring folder = ProgramFolder() + L"profile\\";
    const std::wstring templatePath = MakeTemplatePath(folder);
    std::vector<std::wstring> items;
    FindFiles(items, {folder + L"UserDefineFormwork.lyt"}, folder + L"*.lyt", 0);
    EXPECT_EQ(items, (std::vector<std::wstring>{folder + L"UserDefine.lyt"}));

    // The path with "\/" that the add dialog uses reaches the template.
    XmlObjectPtr root = DocumentReader().Load(templatePath);
    ASSERT_TRUE(root);
    for (const wchar_t* attribute : {L"Name", L"Tooltip", L"Tooltip.Check"})
        EXPECT_FALSE(Attribute(root.get(), attribute).empty()) << attribute;
}

TEST(ShippedProfiles, ANewListItemIsTheTemplateWithTheProfilesNameAndTooltips) {
    oc::test::TempDir dir;
    const std::wstring templatePath = MakeTemplatePath(ProgramFolder() + L"profile\\");
    const XmlObjectPtr original = DocumentReader().Load(templatePath);
    ASSERT_TRUE(original);
    const struct {
        const wchar_t* description;
        const wchar_t* tooltip;
    } cases[] = {{L"Late night, quiet neighbours", L"Late night, quiet neighbours"}, {L"", L"Rock & <Roll>"}};
    for (const auto& c : cases) {
        XmlObjectPtr root = DocumentReader().Load(templatePath);
        ASSERT_TRUE(root);
        StampListItem(root.get(), L"Rock & <Roll>", c.description);
        const std::wstring path = (dir / "Item.lyt").wstring();
        ASSERT_NE(GetProfileController()->Save(path.c_str(), root.get()), 0);

        XmlObjectPtr item = DocumentReader().Load(path);
        ASSERT_TRUE(item);
        EXPECT_EQ(Attribute(item.get(), L"Name"), L"Rock & <Roll>");
        EXPECT_EQ(Attribute(item.get(), L"Tooltip"), c.tooltip);
        EXPECT_EQ(Attribute(item.get(), L"Tooltip.Check"), c.tooltip);
        // Everything else of the template is kept, in its order.
        ASSERT_EQ(item->GetAttributeCount(), original->GetAttributeCount());
        for (uint32_t i = 0; i < item->GetAttributeCount(); ++i) {
            std::wstring name, value, originalName, originalValue;
            item->GetAttributeAt(name, value, i);
            original->GetAttributeAt(originalName, originalValue, i);
            EXPECT_EQ(name, originalName);
            const bool stamped = name == L"Name" || name == L"Tooltip" || name == L"Tooltip.Check";
            if (!stamped) {
                EXPECT_EQ(value, originalValue) << name;
            }
        }
    }
    StampListItem(nullptr, L"Rock", L"");
}

} // namespace
