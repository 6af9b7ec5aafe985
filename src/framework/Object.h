#pragma once
// The root of the framework's class tree: run-time class names and kind-of checks, which the skin
// toolkit and the markup model use to tell objects apart (a layer that is a panel, a dialog, ...).

#ifdef _WIN32
// windows.h renames GetClassName to GetClassNameW; seeing it first keeps that renaming the same in
// every file, whichever order it includes headers in.
#include <windows.h>
#endif

struct CRuntimeClass {
    const wchar_t* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    virtual ~CObject() = default;

    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* cls) const;
    // The run-time class name of the most derived class ("CLayerWnd", "CxSkinDialog", ...).
    const wchar_t* GetClassName() const { return GetRuntimeClass()->m_lpszClassName; }

    static const CRuntimeClass classCObject;
};

#define RUNTIME_CLASS(ClassName) (&ClassName::class##ClassName)

// In the class body (public section).
#define DECLARE_DYNAMIC(ClassName)                                                                                     \
public:                                                                                                                \
    static const CRuntimeClass class##ClassName;                                                                       \
    const CRuntimeClass* GetRuntimeClass() const override;

// In the source file.
#define IMPLEMENT_DYNAMIC(ClassName, BaseClassName)                                                                    \
    const CRuntimeClass ClassName::class##ClassName = {L## #ClassName, RUNTIME_CLASS(BaseClassName)};                  \
    const CRuntimeClass* ClassName::GetRuntimeClass() const {                                                          \
        return RUNTIME_CLASS(ClassName);                                                                               \
    }
