#pragma once
// The line-in page: the second (AA) path is shown only on devices that have it, and listening to the input
// is offered only on devices without it. Without the path, the one slider group moves to the middle.
#include <windows.h>

#include "handlers/endpoint/VolHandler.h"

class CLineInVolHandler : public CVolHandler {
public:
    CLineInVolHandler() { m_name = L"LineInVolHandler"; }
    void InitControls() override;

protected:
    // The AA path's part of the start-up; the microphone page shares it.
    void InitAAPath();

    int m_nFirstStart = 1;
    int m_nLayoutChanged = 0;
    int m_nHalfDistance = 0;
    RECT m_rcLeftChannel{};
};
