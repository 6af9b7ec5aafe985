#include "framework/Dialog.h"
#include "framework/Exception.h"

#include <gtest/gtest.h>

namespace {

class CTestLayer : public CObject {
    DECLARE_DYNAMIC(CTestLayer)
};
IMPLEMENT_DYNAMIC(CTestLayer, CObject)

class CTestControl : public CTestLayer {
    DECLARE_DYNAMIC(CTestControl)
};
IMPLEMENT_DYNAMIC(CTestControl, CTestLayer)

// Derives without its own run-time class: it reports its base's name.
class CTestPlainControl : public CTestControl {};

struct KindCase {
    const CObject* object;
    const wchar_t* name;
    const CRuntimeClass* kind;
    bool isKind;
};

TEST(RuntimeClass, NamesAndKindOfFollowTheHierarchy) {
    CTestLayer layer;
    CTestControl control;
    CTestPlainControl plain;
    CDialog dialog;
    const KindCase cases[] = {
        {&layer, L"CTestLayer", RUNTIME_CLASS(CObject), true},
        {&layer, L"CTestLayer", RUNTIME_CLASS(CTestLayer), true},
        {&layer, L"CTestLayer", RUNTIME_CLASS(CTestControl), false},
        {&control, L"CTestControl", RUNTIME_CLASS(CTestLayer), true},
        {&control, L"CTestControl", RUNTIME_CLASS(CWnd), false},
        {&plain, L"CTestControl", RUNTIME_CLASS(CTestControl), true},
        {&dialog, L"CDialog", RUNTIME_CLASS(CWnd), true},
        {&dialog, L"CDialog", RUNTIME_CLASS(CTestLayer), false},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " kind of " << c.kind->m_lpszClassName);
        EXPECT_STREQ(c.object->GetClassName(), c.name);
        EXPECT_EQ(c.object->IsKindOf(c.kind), c.isKind);
    }
}

TEST(RuntimeClass, ExceptionIsAnObjectWithoutAMessage) {
    CException* e = new CException;
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CObject)));
    wchar_t buffer[8] = L"junk";
    EXPECT_FALSE(e->GetErrorMessage(buffer, 8));
    EXPECT_STREQ(buffer, L"");
    e->Delete();
}

} // namespace
