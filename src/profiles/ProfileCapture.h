#pragma once
// Reads the settings of the default render endpoint that the control property table names and writes them
// as a profile's settings document. The add-profile dialog owns one for the length of a save.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "markup/IProfileController.h"

class IDriverInstance;

class CProfileCapture : public IProfileControllerListener {
public:
    // Feature name ("SpeakerEQ") -> its "ApoEffect" element, so that each page occurs once per document.
    using FeatureMap = std::map<std::wstring, IXmlObject*>;

    CProfileCapture(IDriverInstance& driver, IProfileController& controller);
    ~CProfileCapture();
    CProfileCapture(const CProfileCapture&) = delete;
    CProfileCapture& operator=(const CProfileCapture&) = delete;

    // Builds the whole document and saves it under the path (through a temporary file, replacing an older
    // one). Nonzero when the file was written; an empty path writes nothing.
    int WriteProfileObject(const std::wstring& path);
    // One "Endpoint" element for the default render endpoint, with every setting the table names on it.
    void CaptureEndpoints(IXmlObject* root);
    // The "ApoEffect" element of the row's page on that endpoint, made on first use; null when the row does
    // not exist on the endpoint or the device lacks the page.
    IXmlObject* CaptureApoEffects(IXmlObject* endpoint, int32_t endpointCode, int32_t rowIndex, FeatureMap& features);
    // 0 when a "Property" element was added; the driver's result when the read failed; -1 for a bad row
    // or a missing parent.
    int32_t WritePropertyValue(int32_t endpointCode, IXmlObject* parent, int32_t rowIndex, int32_t channel);
    // The endpoint name that prefixes feature names; empty for codes without one.
    static std::wstring GetEndpointTypeName(int32_t endpointCode);
    // Volume, mute and balance follow the listener, not the profile: they are never captured.
    static bool IsExcludedKey(const wchar_t* key);

    // Capture loads nothing; a document that arrives anyway is freed rather than leaked.
    void OnProfileLoaded(IXmlObject* root) override;
    void OnProfileError(const wchar_t* message) override;

private:
    IDriverInstance& m_driver;
    IProfileController& m_controller;
    bool m_listening = false;
};
