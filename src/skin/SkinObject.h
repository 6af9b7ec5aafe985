#pragma once
// The small base every skinned object carries (dialog, control, menu item): it ties the object to its
// layer and to its listener, the handler that receives its events.

#include <string>

class CLayerWnd;
class CObject;

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

// The base of every handler: the skin object that owns it releases it when that object goes. A control
// reaches its own listener interface (button, slider, ...) by casting the handler found for it.
class IxSkinListener {
public:
    virtual void Release() = 0;
    // The layer the handler drives: the panel it was bound to, or the layer host of its dialog. Told once,
    // when the markup binds the handler; a listener that drives nothing ignores it.
    virtual void SetWindow(CLayerWnd* /*owner*/) {}
    // The handler's first reads into its controls, once the whole markup file that bound it is loaded.
    virtual void InitControls() {}

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

    // The handler that serves this object: its own listener, else that of the nearest enclosing panel,
    // else the dialog's. Null when none has one.
    IxSkinListener* FindListener() const;
    // The layer of the object whose listener FindListener answers (the control itself, a panel or the
    // dialog's root layer); null when there is none.
    CLayerWnd* FindListenerLayer() const;

private:
    // The object holding the listener and the layer it stands for.
    const CxSkinObject* FindListenerOwner(CLayerWnd** layer) const;

    IxSkinListener* m_listener = nullptr;
    CLayerWnd* m_layer = nullptr;
};

// Whether the object's class or one of its bases has this run-time class name. Lets the toolkit recognise
// control kinds (a panel, a text box) that live in other modules without depending on them.
bool xSkinIsKindOfName(const CObject* object, const wchar_t* className);
