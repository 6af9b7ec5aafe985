#pragma once
// The markup controller: owns the markup parser and the design dictionary, makes one markup object per
// element, numbers the controls, and frees the markup objects when a load is over.
#include <cstddef>
#include <cstdint>

#include "markup/ILytController.h"
#include "markup/ILytElementFactory.h"
#include "markup/ILytEnvironment.h"
#include "markup/ILytParser.h"

class CLytObject;

class CLytController : public ILytController, private ILytParserListener {
public:
    static constexpr const wchar_t* kDesignDictionary = L"DesignDictResource.lyt";
    static constexpr std::uint32_t kFirstControlIdCounter = 10000;

    // Loads the design dictionary from the skin folder; without it every load fails (null or 0). The
    // environment and the factory must outlive the controller.
    static ILytController* CreateInstance(ILytEnvironment& environment, const ILytElementFactory& factory);

    // The next identifier of the process-wide counter: 10001 ... 60001, then 30001 ... 60001 again.
    static int NextControlId();
    // One step of that counter.
    static std::uint32_t AdvanceControlId(std::uint32_t& counter);

    IxSkinObject* LoadFile(const wchar_t* path, ILytObject* parent, const LytRect* placement) override;
    int Load(const wchar_t* path, IxSkinObject* parent, const LytRect* placement) override;
    void Release() override { delete this; }

    // Whether the design dictionary loaded.
    bool IsReady() const { return m_parser != nullptr; }

private:
    CLytController(ILytEnvironment& environment, const ILytElementFactory& factory);
    ~CLytController() override;

    ILytObject* CreateObject(const wchar_t* typeName, ILytObject* parent) override;
    void SetAttribute(ILytObject* object, const wchar_t* name, const wchar_t* value) override;
    void OnObjectDone(ILytObject* object) override;
    void OnParseDone(ILytObject* root) override;
    IXmlObject* CreateXmlObject(const wchar_t* name) override;

    // Destroys the children a failed load added to a markup object, from the last to the first.
    static void DiscardChildrenFrom(CLytObject* parent, std::size_t count);

    ILytEnvironment& m_environment;
    const ILytElementFactory& m_factory;
    ILytParser* m_parser = nullptr;
};
