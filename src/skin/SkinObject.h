#pragma once
// The small base every skinned object carries (dialog, control, menu item): it ties the object to its
// layer and to its listener, the handler that receives its events.

#include <string>

class CLayerWnd;

class IxSkinObject {
public:
    virtual ~IxSkinObject() = default;
    // Builds the object once its properties are set.
    virtual int Create() { return 0; }
    // The object's kind word ("control", "Dialog", ...).
    virtual const wchar_t* GetTypeName() const { return L""; }
    virtual void SetId(int /*id*/) {}
    virtual void SetParent(IxSkinObject* /*parent*/) {}
};

// A listener owned by the skin object it listens to: released when that object goes.
class IxSkinListener {
public:
    virtual void Release() = 0;

protected:
    ~IxSkinListener() = default;
};

class CxSkinObject : public IxSkinObject {
public:
    CxSkinObject() = default;
    ~CxSkinObject() override { SetListener(nullptr); }
    CxSkinObject(const CxSkinObject&) = delete;
    CxSkinObject& operator=(const CxSkinObject&) = delete;

    // Takes ownership; the previous listener is released.
    void SetListener(IxSkinListener* listener) {
        if (m_listener && m_listener != listener)
            m_listener->Release();
        m_listener = listener;
    }
    IxSkinListener* GetListener() const { return m_listener; }
    CLayerWnd* GetLayer() const { return m_layer; }
    void SetLayer(CLayerWnd* layer) { m_layer = layer; }

private:
    IxSkinListener* m_listener = nullptr;
    CLayerWnd* m_layer = nullptr;
};
