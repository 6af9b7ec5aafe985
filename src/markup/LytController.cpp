#include "markup/LytController.h"

#include <cwchar>

#include "markup/LytFailure.h"
#include "markup/LytObject.h"
#include "markup/XmlObject.h"

namespace {

constexpr std::uint32_t kLastControlIdBeforeWrap = 60000;
constexpr std::uint32_t kControlIdCounterAfterWrap = 30000;

// Process-wide: identifiers stay unique across every load of the program's life.
std::uint32_t g_controlIdCounter = CLytController::kFirstControlIdCounter;

} // namespace

ILytController* CLytController::CreateInstance(ILytEnvironment& environment, const ILytElementFactory& factory) {
    return new CLytController(environment, factory);
}

CLytController::CLytController(ILytEnvironment& environment, const ILytElementFactory& factory)
    : m_environment(environment), m_factory(factory) {
    ILytParser* parser = CreateLytParser(this);
    parser->SetBasePath(environment.GetSkinFolder().c_str());
    if (parser->LoadStyles(environment.GetSkinFilePath(kDesignDictionary).c_str()))
        m_parser = parser;
    else
        parser->Release();
}

CLytController::~CLytController() {
    if (m_parser)
        m_parser->Release();
}

std::uint32_t CLytController::AdvanceControlId(std::uint32_t& counter) {
    if (counter > kLastControlIdBeforeWrap)
        counter = kControlIdCounterAfterWrap;
    return ++counter;
}

int CLytController::NextControlId() {
    return static_cast<int>(AdvanceControlId(g_controlIdCounter));
}

ILytObject* CLytController::CreateObject(const wchar_t* typeName, ILytObject* parent) {
    if (!typeName || !*typeName)
        return nullptr;
    const LytElementKind* kind = nullptr;
    for (const LytElementKind& candidate : m_factory.GetElementKinds()) {
        if (std::wcscmp(candidate.name, typeName) == 0) {
            kind = &candidate;
            break;
        }
    }
    if (!kind || !kind->create)
        return nullptr;
    ILytObject* object = kind->create(m_environment);
    if (!object)
        return nullptr;
    // A control that fails to come up fails the load; the half-made object must not outlive it.
    try {
        object->CreateControl();
        object->SetId(NextControlId());
        object->SetParent(parent);
    } catch (...) {
        CLytObject::DestroyChildOf(parent, object);
        throw;
    }
    return object;
}

void CLytController::SetAttribute(ILytObject* object, const wchar_t* name, const wchar_t* value) {
    if (object)
        object->SetAttribute(name, value);
}

void CLytController::OnObjectDone(ILytObject* object) {
    if (object)
        object->OnCreated();
}

void CLytController::OnParseDone(ILytObject* root) {
    if (root)
        root->OnLoadComplete();
}

IXmlObject* CLytController::CreateXmlObject(const wchar_t* /*name*/) {
    return new CXmlObject;
}

int CLytController::Load(const wchar_t* path, IxSkinObject* parent, const LytRect* placement) {
    if (!m_parser || !parent)
        return 0;
    ILytObject* wrapper = m_factory.WrapSkinObject(parent, m_environment);
    if (!wrapper)
        return 0;
    ILytObject* root = nullptr;
    try {
        root = m_parser->Parse(path, wrapper, placement);
    } catch (...) {
        wrapper->Destroy();
        if (!LytAbsorbSetterFailure())
            throw;
        return 0;
    }
    // Without a placement the file configured the wrapper itself: that is success. A placed root is a
    // new child of the wrapper and goes with it.
    const bool filledWrapper = root && root == wrapper;
    if (root && !filledWrapper)
        CLytObject::DestroyChildOf(wrapper, root);
    wrapper->Destroy();
    return filledWrapper ? 1 : 0;
}

IxSkinObject* CLytController::LoadFile(const wchar_t* path, ILytObject* parent, const LytRect* placement) {
    if (!m_parser || !parent)
        return nullptr;
    auto* base = dynamic_cast<CLytObject*>(parent);
    const std::size_t childrenBefore = base ? base->GetChildCount() : 0;
    ILytObject* root = nullptr;
    try {
        root = m_parser->Parse(path, parent, placement);
    } catch (...) {
        DiscardChildrenFrom(base, childrenBefore);
        if (!LytAbsorbSetterFailure())
            throw;
        return nullptr;
    }
    if (!root)
        return nullptr;
    IxSkinObject* control = root->GetControl();
    // Without a placement the root is the caller's own object, which the caller destroys.
    if (root != parent)
        CLytObject::DestroyChildOf(parent, root);
    return control;
}

void CLytController::DiscardChildrenFrom(CLytObject* parent, std::size_t count) {
    if (!parent)
        return;
    while (parent->GetChildCount() > count)
        CLytObject::DestroyChildOf(parent, parent->GetChild(parent->GetChildCount() - 1));
}
