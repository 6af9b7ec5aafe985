#pragma once
// One tool registered with a skinned dialog's tooltip window: the layer it belongs to and its text.

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Object.h"

class CLayerWnd;

class CxSkinToolTipInfo : public CObject {
    DECLARE_DYNAMIC(CxSkinToolTipInfo)
public:
    // The tool takes its text from the owner window (TTN_GETDISPINFO) instead of its own.
    static constexpr intptr_t kAskOwner = -1;
    // Colour fields holding this use the system's info colours.
    static constexpr COLORREF kSystemColor = 0xFF000000;
    // m_flags: the tip shows while its layer is disabled too.
    static constexpr UINT kShowWhileDisabled = 0x1;

    UINT m_flags = 0;
    CLayerWnd* m_owner = nullptr; // not owned; the dialog drops the tool before the layer goes
    UINT m_id = 0;
    RECT m_rect{};             // the owner's host rectangle when the tool was added
    intptr_t m_textSource = 0; // 0: m_text; kAskOwner: the owner window answers
    std::wstring m_text;
    int m_maxWidth = 0; // 0: as wide as the widest line
    COLORREF m_textColor = kSystemColor;
    COLORREF m_backColor = kSystemColor;
    intptr_t m_userValue = 0;
};
