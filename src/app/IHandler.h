#pragma once
// The interface of every panel and markup-dialog handler: what the markup objects, the dialogs and the
// main window call. A handler hears every kind of control through the listener interfaces it carries, so
// a control reaches it by casting the handler its skin object finds. The skin object that a handler is
// bound to owns it and frees it through Release.

#include <cstdint>
#include <string>

#include "app/IEventListener.h"
#include "app/ISoundPlayListener.h"
#include "skin/IPanelVirtualSpeakerListener.h"
#include "skin/IxSkinButtonListener.h"
#include "skin/IxSkinComboBoxListener.h"
#include "skin/IxSkinMenuListener.h"
#include "skin/IxSkinPanelListener.h"
#include "skin/IxSkinSliderListener.h"
#include "skin/IxSkinTextBoxListener.h"
#include "skin/SkinObject.h"

class CLayerWnd;

class IHandler : public IEventListener,
                 public IxSkinListener,
                 public IxSkinPanelListener,
                 public IxSkinButtonListener,
                 public IxSkinComboBoxListener,
                 public IxSkinTextBoxListener,
                 public IxSkinMenuListener,
                 public IPanelVirtualSpeakerListener,
                 public IxSkinSliderListener,
                 public ISoundPlayListener {
public:
    int OnPanelNotify(BOOL bVertical, int position) override = 0;
    virtual std::wstring GetName() const = 0;
    // The handler's first reads of the driver into its controls, once its markup is loaded.
    void InitControls() override = 0;
    // A driver or device notice; the result is the handler's own.
    virtual int OnDriverNotify(uint64_t value, uint32_t flags) = 0;
    // The layer of the panel or dialog the handler drives; not owned.
    void SetWindow(CLayerWnd* owner) override = 0;
    // The content is hidden or its dialog closes.
    virtual void OnDeactivate() = 0;
    // Nonzero: the main window hides this handler's content panel instead of destroying it.
    virtual int KeepContentLoaded() = 0;
    void Release() override = 0;
    // Nonzero when the driver state shown by the handler changed since its last read.
    virtual int UpdateFromDriver() = 0;
    virtual int UpdateView() = 0;
    virtual int IsControlEnabled(const std::wstring& name) = 0;

protected:
    virtual ~IHandler() = default;
};
