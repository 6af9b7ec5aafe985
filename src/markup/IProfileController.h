#pragma once
// Loads and saves whole documents (Profile.xml, profiles) for one client at a time.
#include "markup/IXmlObject.h"

class IProfileControllerListener {
public:
    // A loaded document's root; the client owns it and frees it with Release.
    virtual void OnProfileLoaded(IXmlObject* root) = 0;
    virtual void OnProfileError(const wchar_t* message) = 0;

protected:
    ~IProfileControllerListener() = default;
};

class IProfileController {
public:
    // The last listener set receives the next results.
    virtual void SetListener(IProfileControllerListener* listener) = 0;
    // Results arrive synchronously, inside the call. Nonzero when the document reached the listener's side.
    virtual int Load(const wchar_t* path) = 0;
    // Load for a client that walks only the document's top levels: any nesting, larger files (see
    // IProfileParser::ParseTopLevels).
    virtual int LoadTopLevels(const wchar_t* path) = 0;
    virtual int Save(const wchar_t* path, IXmlObject* root) = 0;
    // A new empty element for documents the client builds itself.
    virtual IXmlObject* CreateObject(const wchar_t* name) = 0;
    // Ends the single instance; the next GetProfileController makes a new one.
    virtual void Release() = 0;

protected:
    virtual ~IProfileController() = default;
};

// The program's single controller, created on first use. User-interface thread only.
IProfileController* GetProfileController();
