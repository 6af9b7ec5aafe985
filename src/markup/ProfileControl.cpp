#include "markup/ProfileControl.h"

#include <string>

#include "markup/ProfileObject.h"

namespace {

CProfileControl* g_profileController = nullptr;

} // namespace

IProfileController* GetProfileController() {
    if (!g_profileController)
        g_profileController = new CProfileControl;
    return g_profileController;
}

CProfileControl::CProfileControl() : m_parser(CreateProfileParser(this)) {}

int CProfileControl::Load(const wchar_t* path) {
    return m_parser ? m_parser->Parse(path) : 0;
}

int CProfileControl::LoadTopLevels(const wchar_t* path) {
    return m_parser ? m_parser->ParseTopLevels(path) : 0;
}

int CProfileControl::Save(const wchar_t* path, IXmlObject* root) {
    return m_parser ? m_parser->Save(path, root) : 0;
}

IXmlObject* CProfileControl::CreateObject(const wchar_t* /*name*/) {
    return new CProfileObject;
}

void CProfileControl::Release() {
    if (g_profileController == this)
        g_profileController = nullptr;
    delete this;
}

void CProfileControl::OnParsed(IXmlObject* root) {
    // Without a client nobody would ever free the document.
    if (m_listener)
        m_listener->OnProfileLoaded(root);
    else
        root->Release();
}

void CProfileControl::OnError(const wchar_t* message) {
    if (m_listener) {
        std::wstring copy = message ? message : L"";
        m_listener->OnProfileError(copy.c_str());
    }
}
