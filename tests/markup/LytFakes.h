#pragma once
// Test doubles of the markup model: an environment with fixed answers, a control that records every call
// it receives, markup objects that count themselves, and an element factory built from them.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "markup/ILytElementFactory.h"
#include "markup/LytObject.h"

namespace oc::test {

class FakeEnvironment : public ILytEnvironment {
public:
    std::wstring TranslateText(const std::wstring& value) const override {
        if (value.compare(0, 3, L"ml_") != 0)
            return value;
        const auto found = texts.find(value);
        return found == texts.end() || found->second.empty() ? value : found->second;
    }
    std::wstring GetSkinFilePath(const std::wstring& value) const override {
        if (value.empty() || (value.size() >= 2 && value[1] == L':'))
            return value;
        return skinFolder + value;
    }
    std::wstring GetSkinFolder() const override { return skinFolder; }
    int GetScreenDpi() const override { return dpi; }

    std::map<std::wstring, std::wstring> texts;
    std::wstring skinFolder;
    int dpi = 96;
};

// What one control was asked, kept by the test so that it outlives the markup object.
struct ControlRecord {
    std::wstring typeName = L"control";
    std::vector<std::wstring> calls;
    int fontStyle = 0;
    bool listener = false;
    // Runs before a recorded call named here (its name up to "("); may throw.
    std::map<std::wstring, std::function<void()>> failures;

    // Stands for the skin object: the model only compares and passes it on.
    IxSkinObject* SkinObject() { return reinterpret_cast<IxSkinObject*>(this); }
};

class FakeControl : public ILytControl {
public:
    explicit FakeControl(ControlRecord& record) : m_record(record) {}

    IxSkinObject* GetSkinObject() const override { return m_record.SkinObject(); }
    int Create() override {
        Log(L"Create()");
        return 1;
    }
    std::wstring GetTypeName() const override { return m_record.typeName; }
    void SetId(int id) override { Log(L"SetId(" + std::to_wstring(id) + L")"); }
    void SetParent(IxSkinObject* parent) override {
        Log(L"SetParent(" + (parent ? reinterpret_cast<ControlRecord*>(parent)->typeName : L"null") + L")");
    }
    bool HasListener() const override { return m_record.listener; }
    void InitListenerControls() override { Log(L"InitListenerControls()"); }

    void SetName(const std::wstring& name) override { Log(L"SetName(" + name + L")"); }
    void SetLeft(int x) override { Log(L"SetLeft(" + std::to_wstring(x) + L")"); }
    void SetTop(int y) override { Log(L"SetTop(" + std::to_wstring(y) + L")"); }
    void SetWidth(int width) override { Log(L"SetWidth(" + std::to_wstring(width) + L")"); }
    void SetHeight(int height) override { Log(L"SetHeight(" + std::to_wstring(height) + L")"); }
    void SetToolTip(const std::wstring& text) override { Log(L"SetToolTip(" + text + L")"); }
    void SetToolTipKey(const std::wstring& key) override { Log(L"SetToolTipKey(" + key + L")"); }
    void SetTextKey(const std::wstring& key) override { Log(L"SetTextKey(" + key + L")"); }
    void SetTag(const std::wstring& tag) override { Log(L"SetTag(" + tag + L")"); }
    void SetText(const std::wstring& text) override { Log(L"SetText(" + text + L")"); }
    void ClearTextTranslation() override { Log(L"ClearTextTranslation()"); }
    void SetVisible(bool visible) override { Log(L"SetVisible(" + std::to_wstring(visible) + L")"); }
    void SetTransparency(int percent) override { Log(L"SetTransparency(" + std::to_wstring(percent) + L")"); }
    void SetTransformOrigin(double x, double y) override {
        Log(L"SetTransformOrigin(" + Number(x) + L"," + Number(y) + L")");
    }
    void SetRotation(double degrees) override { Log(L"SetRotation(" + Number(degrees) + L")"); }
    void SetScaleX(double scale) override { Log(L"SetScaleX(" + Number(scale) + L")"); }
    void SetScaleY(double scale) override { Log(L"SetScaleY(" + Number(scale) + L")"); }
    void SetShearX(double factor) override { Log(L"SetShearX(" + Number(factor) + L")"); }
    void SetShearY(double factor) override { Log(L"SetShearY(" + Number(factor) + L")"); }
    void SetCursor(unsigned id, bool system) override {
        Log(L"SetCursor(" + std::to_wstring(id) + L"," + std::to_wstring(system) + L")");
    }
    void SetBackColor(LytColor argb) override { Log(L"SetBackColor(" + Hex(argb) + L")"); }
    void ClearBackColor() override { Log(L"ClearBackColor()"); }
    void SetForeColor(LytColor argb) override { Log(L"SetForeColor(" + Hex(argb) + L")"); }
    void SetFontFamily(const std::wstring& face) override { Log(L"SetFontFamily(" + face + L")"); }
    void SetFontSize(int size) override { Log(L"SetFontSize(" + std::to_wstring(size) + L")"); }
    int GetFontStyle() const override { return m_record.fontStyle; }
    void SetFontStyle(int style) override {
        Log(L"SetFontStyle(" + std::to_wstring(style) + L")");
        m_record.fontStyle = style;
    }
    void SetTextAlign(int alignment) override { Log(L"SetTextAlign(" + std::to_wstring(alignment) + L")"); }
    void SetTextLineAlign(int alignment) override { Log(L"SetTextLineAlign(" + std::to_wstring(alignment) + L")"); }
    void SetFreeze(bool freeze) override { Log(L"SetFreeze(" + std::to_wstring(freeze) + L")"); }

    // Four decimals are enough to tell the clamps apart.
    static std::wstring Number(double value) {
        wchar_t text[64];
        std::swprintf(text, 64, L"%.4f", value);
        return text;
    }
    static std::wstring Hex(LytColor value) {
        wchar_t text[16];
        std::swprintf(text, 16, L"%08X", value);
        return text;
    }

private:
    void Log(const std::wstring& call) const {
        const auto failure = m_record.failures.find(call.substr(0, call.find(L'(')));
        if (failure != m_record.failures.end())
            failure->second();
        m_record.calls.push_back(call);
    }

    ControlRecord& m_record;
};

// A markup object of the base kind over a recording control, counting the live ones so that a test sees
// every object of a load freed.
class CountedObject : public CLytObject {
public:
    CountedObject(ILytEnvironment& environment, ControlRecord* record)
        : CLytObject(environment, record ? std::make_unique<FakeControl>(*record) : nullptr) {
        ++s_live;
    }
    static int Live() { return s_live; }

protected:
    ~CountedObject() override { --s_live; }

private:
    static inline int s_live = 0;
};

// Element kinds for the controller: each made object gets a fresh record named after its element.
class FakeFactory : public ILytElementFactory {
public:
    FakeFactory() { s_current = this; }
    ~FakeFactory() { s_current = nullptr; }

    std::span<const LytElementKind> GetElementKinds() const override { return kinds; }
    ILytObject* WrapSkinObject(IxSkinObject* object, ILytEnvironment& environment) const override {
        ++wraps;
        return new CountedObject(environment, reinterpret_cast<ControlRecord*>(object));
    }

    ControlRecord& NewRecord(const std::wstring& element) {
        records.push_back({});
        records.back().typeName = element;
        records.back().failures = newRecordFailures;
        return records.back();
    }

    std::vector<LytElementKind> kinds = {
        {L"Button", &Make<kButton>},
        {L"Canvas", &Make<kCanvas>},
        {L"Window", nullptr},
    };
    std::deque<ControlRecord> records; // in creation order
    mutable int wraps = 0;
    // Given to every new record.
    std::map<std::wstring, std::function<void()>> newRecordFailures;
    // Thrown when an object of that element name makes its control.
    std::map<std::wstring, std::function<void()>> creationFailures;

private:
    static constexpr wchar_t kButton[] = L"Button";
    static constexpr wchar_t kCanvas[] = L"Canvas";

    template <const wchar_t* Element> static ILytObject* Make(ILytEnvironment& environment) {
        return new LateObject(environment, *s_current, Element);
    }

    // Makes its control late, as the button family does.
    class LateObject : public CountedObject {
    public:
        LateObject(ILytEnvironment& environment, FakeFactory& factory, std::wstring element)
            : CountedObject(environment, nullptr), m_factory(factory), m_element(std::move(element)) {}
        void CreateControl() override {
            SetControl(std::make_unique<FakeControl>(m_factory.NewRecord(m_element)));
            if (const auto failure = m_factory.creationFailures.find(m_element);
                failure != m_factory.creationFailures.end())
                failure->second();
        }

    private:
        FakeFactory& m_factory;
        std::wstring m_element;
    };

    static inline FakeFactory* s_current = nullptr;
};

} // namespace oc::test
