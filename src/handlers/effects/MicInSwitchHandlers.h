#pragma once
// The on/off pages of the microphone processing: echo cancellation, beam forming, noise cancellation and
// noise reduction. Each is one switch key shown as a button and an on/off diagram.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class IDriverInstance;

struct MicSwitchPage {
    const wchar_t* key;
    const wchar_t* button;
    const wchar_t* diagramOn;
    const wchar_t* diagramOff;
    const wchar_t* extra; // enabled with the state; null: none
};

class CMicInSwitchHandler : public CBaseHandler {
public:
    CMicInSwitchHandler(const MicSwitchPage& page, const wchar_t* name);

    void InitControls() override;
    int UpdateFromDriver() override;

    // Written 0 only where the endpoint's key cannot be read.
    static void WriteDefault(IDriverInstance* driver, int32_t endpointCode, const wchar_t* key);
    // The program's driver object, for the start-up writers that are given none.
    static IDriverInstance* AppDriver();

protected:
    // Where the state lives: class-wide for most pages, per page for beam forming.
    virtual uint32_t& State() = 0;
    int WriteSwitch(uint32_t on);
    void Announce(const wchar_t* key) const;

    const MicSwitchPage& m_page;
};

class IMicInAECHandler {
public:
    virtual ~IMicInAECHandler() = default;
    virtual int SetEnable(const std::wstring& control, uint32_t on) = 0;
};
class IMicInBeamFormingHandler {
public:
    virtual ~IMicInBeamFormingHandler() = default;
    virtual int Reserved() = 0;
};
class IMicInENCHandler {
public:
    virtual ~IMicInENCHandler() = default;
    virtual int SetEnable(const std::wstring& control, uint32_t on) = 0;
};
class IMicInNoiseReductionHandler {
public:
    virtual ~IMicInNoiseReductionHandler() = default;
    virtual int SetEnable(const std::wstring& control, uint32_t on) = 0;
};

// The pages whose state is shared by every page of the class (microphone and desktop microphone).
class CMicInSharedSwitchHandler : public CMicInSwitchHandler {
public:
    using CMicInSwitchHandler::CMicInSwitchHandler;
    // Any button of the page toggles the switch; the read-back corrects a refused write.
    int OnClick(const std::wstring& name) override;

protected:
    virtual int Enable(uint32_t on) = 0;
};

// One such page: its table (Page::kPage), its feature interface and the state all its pages share. A page
// that does more than write its switch overrides SetEnable.
template <class Page, class Interface>
class CMicInSharedSwitchPage : public CMicInSharedSwitchHandler, public Interface {
public:
    int SetEnable(const std::wstring&, uint32_t on) override { return WriteSwitch(on); }
    static void InitDefaults(int32_t endpointCode) { InitDefaults(AppDriver(), endpointCode); }
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode) {
        WriteDefault(driver, endpointCode, Page::kPage.key);
    }
    static inline uint32_t s_enabled = 0;

protected:
    explicit CMicInSharedSwitchPage(const wchar_t* name) : CMicInSharedSwitchHandler(Page::kPage, name) {}
    uint32_t& State() override { return s_enabled; }
    int Enable(uint32_t on) override { return this->SetEnable(L"", on); }
};

class CMicInAECHandler : public CMicInSharedSwitchPage<CMicInAECHandler, IMicInAECHandler> {
public:
    static const MicSwitchPage kPage;
    CMicInAECHandler() : CMicInSharedSwitchPage(L"MicInAECHandler") {}
    // Switching echo cancellation on switches noise cancellation off.
    int SetEnable(const std::wstring& control, uint32_t on) override;
};

class CMicInENCHandler : public CMicInSharedSwitchPage<CMicInENCHandler, IMicInENCHandler> {
public:
    static const MicSwitchPage kPage;
    CMicInENCHandler() : CMicInSharedSwitchPage(L"MicInENCHandler") {}
};

class CMicInNoiseReductionHandler
    : public CMicInSharedSwitchPage<CMicInNoiseReductionHandler, IMicInNoiseReductionHandler> {
public:
    static const MicSwitchPage kPage;
    CMicInNoiseReductionHandler() : CMicInSharedSwitchPage(L"MicInNoiseReductionHandler") {}
};

class CMicInBeamFormingHandler : public CMicInSwitchHandler, public IMicInBeamFormingHandler {
public:
    static const MicSwitchPage kPage;
    CMicInBeamFormingHandler() : CMicInSwitchHandler(kPage, L"MicInBeamForming") {}
    int Reserved() override { return 0; }
    // A refused write leaves the page as it was; switching on switches noise cancellation off.
    int OnClick(const std::wstring& name) override;
    static void InitDefaults(int32_t endpointCode) { InitDefaults(AppDriver(), endpointCode); }
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode) {
        WriteDefault(driver, endpointCode, kPage.key);
    }
    uint32_t GetState() const { return m_enabled; }

protected:
    uint32_t& State() override { return m_enabled; }

private:
    uint32_t m_enabled = 0;
};
