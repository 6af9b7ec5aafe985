#pragma once
// Answers a test driver in another process about one skinned dialog (a markup dialog, a menu, a drop list),
// so that a test can drive the real program with real input: where each named control or menu row sits on
// the screen and in which state, and a picture of the dialog's back buffer (the window's own pixels; a
// virtual display drops a layered window's alpha). Only a process started with OC_TEST_PROBE set in its
// environment answers: the program never writes files on another program's request otherwise.
//
// The request is a WM_COPYDATA with dwData kCopyDataId and UTF-16 text "<verb> <file>":
//   controls <file>  one UTF-8 line per named control, depth first:
//                    name TAB kind TAB shown TAB enabled TAB state TAB left top right bottom TAB text
//                    (screen pixels; shown counts every parent; state is a button's check, a slider's
//                    "position minimum maximum" or a combo box's selection, else empty; a menu row is of
//                    kind "menuitem"); the first line is "window TAB <dialog name>".
//   picture <file>   the back buffer as a PNG file.
// The file is written whole to a temporary name and then moved over the file; the answer is TRUE when it was.

#include <windows.h>

#include <string>

class CxSkinDialog;

class CWindowProbe {
public:
    static constexpr ULONG_PTR kCopyDataId = 0x4F435052; // "OCPR"

    // Whether this process answers (read once).
    static bool IsEnabled();
    // The answer to one WM_COPYDATA; FALSE for a request that is not a probe or that failed.
    static LRESULT Answer(CxSkinDialog& dialog, const COPYDATASTRUCT* data);

    // The lines "controls" writes, for the dialog as it is now.
    static std::wstring DescribeControls(CxSkinDialog& dialog);
    static bool SavePicture(CxSkinDialog& dialog, const std::wstring& file);
};
