#include "skin/SkinObject.h"

#include <cwchar>

#include "skin/LayerWnd.h"

namespace {
constexpr wchar_t kPanelClass[] = L"CxSkinPanel";
}

bool xSkinIsKindOfName(const CObject* object, const wchar_t* className) {
    if (!object || !className)
        return false;
    for (const CRuntimeClass* cls = object->GetRuntimeClass(); cls; cls = cls->m_pBaseClass) {
        if (cls->m_lpszClassName && std::wcscmp(cls->m_lpszClassName, className) == 0)
            return true;
    }
    return false;
}

const CxSkinObject* CxSkinObject::FindListenerOwner(CLayerWnd** layer) const {
    *layer = nullptr;
    if (m_listener) {
        *layer = m_layer;
        return this;
    }
    // Only panels and the dialog at the top serve the objects beneath them; other containers (a combo box
    // holding its drop button) are passed over. The walk starts at the object's own layer, which is the
    // dialog's root for an object drawn by the dialog itself (a menu row).
    for (CLayerWnd* up = m_layer; up; up = up->GetParent()) {
        const bool top = up->GetParent() == nullptr;
        if (!top && !xSkinIsKindOfName(up, kPanelClass))
            continue;
        const auto* object = dynamic_cast<const CxSkinObject*>(up);
        if (object && object != this && object->m_listener) {
            *layer = up;
            return object;
        }
    }
    return nullptr;
}

IxSkinListener* CxSkinObject::FindListener() const {
    CLayerWnd* layer = nullptr;
    const CxSkinObject* owner = FindListenerOwner(&layer);
    return owner ? owner->m_listener : nullptr;
}

CLayerWnd* CxSkinObject::FindListenerLayer() const {
    CLayerWnd* layer = nullptr;
    FindListenerOwner(&layer);
    return layer;
}
