// Profile.xml and the user profiles as the program loads them: through the profile controller from a file,
// then the walk over Endpoint / ApoEffect / Property elements and their six attributes. A document the
// controller accepts is saved and loaded again with the same values; the unbounded load of Profile.xml
// accepts it too.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzTempDir.h"
#include "markup/IProfileController.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

class ProfileReader : public IProfileControllerListener {
public:
    void OnProfileLoaded(IXmlObject* root) override { m_root.reset(root); }
    void OnProfileError(const wchar_t*) override {}

    // Every property's attributes, in document order, as the readers of both files take them.
    std::vector<std::wstring> Walk() const {
        std::vector<std::wstring> values;
        if (!m_root)
            return values;
        for (std::uint32_t e = 0; e < m_root->GetChildCount(); ++e) {
            const IXmlObject* endpoint = m_root->GetChild(e);
            for (std::uint32_t f = 0; f < endpoint->GetChildCount(); ++f) {
                const IXmlObject* effect = endpoint->GetChild(f);
                for (std::uint32_t p = 0; p < effect->GetChildCount(); ++p) {
                    const IXmlObject* property = effect->GetChild(p);
                    for (const wchar_t* name : {L"Name", L"Value", L"UIName", L"ValueType", L"Args", L"ArgsType"}) {
                        std::wstring value;
                        property->GetAttribute(name, value);
                        values.push_back(value);
                    }
                }
            }
        }
        return values;
    }

    XmlObjectPtr m_root;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzTempDir dir;
    static const std::wstring input = dir.Wide("Profile.xml");
    static const std::wstring saved = dir.Wide("saved.xml");
    {
        std::ofstream out(dir / "Profile.xml", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    IProfileController* controller = GetProfileController();
    ProfileReader first;
    controller->SetListener(&first);
    const int loaded = controller->Load(input.c_str());
    if (loaded && first.m_root) {
        const std::vector<std::wstring> values = first.Walk();
        Require(controller->Save(saved.c_str(), first.m_root.get()) != 0);
        ProfileReader second;
        controller->SetListener(&second);
        Require(controller->Load(saved.c_str()) != 0);
        Require(second.Walk() == values);
    }
    // Profile.xml is read for its top levels only, at any nesting: whatever the bounded load took, that load
    // takes too, with the same values.
    ProfileReader top;
    controller->SetListener(&top);
    const int loadedTop = controller->LoadTopLevels(input.c_str());
    Require(!loaded || (loadedTop && top.Walk() == first.Walk()));
    controller->SetListener(nullptr);
    return 0;
}
