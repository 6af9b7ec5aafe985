#pragma once
// A system message box runs a modal loop of its own, which hands the activation message of a second start
// to no one who acts on it: a box shown before the program's own windows are up would keep the program
// alive through a second start's "/q". While a watch lives, a hidden top-level window of this thread takes
// that message and, when it asks to quit, ends every shown dialog-class box of the thread.
#include <windows.h>

class CQuitRequestWatch {
public:
    // message: the registered activation message (0 watches nothing); quitBit: the switch bit of "/q".
    CQuitRequestWatch(UINT message, WPARAM quitBit);
    ~CQuitRequestWatch();
    CQuitRequestWatch(const CQuitRequestWatch&) = delete;
    CQuitRequestWatch& operator=(const CQuitRequestWatch&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static BOOL CALLBACK EndBox(HWND hwnd, LPARAM watchWindow);

    UINT m_message;
    WPARAM m_quitBit;
    HWND m_window = nullptr;
};
