#pragma once
// What the text box's files share: the character classes its filters, layout and input test, and the
// window its clipboard and input method work through. Internal to the text box's sources.
#include <windows.h>

#include "framework/Wnd.h"
#include "skin/LayerWnd.h"

namespace skin_text_box {

inline bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}
inline bool IsNumberChar(wchar_t ch) {
    return IsDigit(ch) || ch == L'-' || ch == L'.';
}
inline bool IsHighSurrogate(wchar_t ch) {
    return ch >= 0xD800 && ch <= 0xDBFF;
}
inline bool IsLowSurrogate(wchar_t ch) {
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

inline HWND HostWindow(const CLayerWnd& layer) {
    CWnd* host = layer.GetHostDialog();
    return host ? host->GetSafeHwnd() : nullptr;
}

} // namespace skin_text_box
