#pragma once
#include <memory>

#include "markup/IProfileController.h"
#include "markup/IProfileParser.h"

class CProfileControl : public IProfileController, public IProfileParserListener {
public:
    CProfileControl();
    CProfileControl(const CProfileControl&) = delete;
    CProfileControl& operator=(const CProfileControl&) = delete;

    void SetListener(IProfileControllerListener* listener) override { m_listener = listener; }
    int Load(const wchar_t* path) override;
    int LoadTopLevels(const wchar_t* path) override;
    int Save(const wchar_t* path, IXmlObject* root) override;
    // Serves both the client and the parser.
    IXmlObject* CreateObject(const wchar_t* name) override;
    void Release() override;

    void OnParsed(IXmlObject* root) override;
    void OnError(const wchar_t* message) override;

private:
    ~CProfileControl() override = default;

    struct ParserRelease {
        void operator()(IProfileParser* parser) const { parser->Release(); }
    };
    std::unique_ptr<IProfileParser, ParserRelease> m_parser;
    IProfileControllerListener* m_listener = nullptr;
};
