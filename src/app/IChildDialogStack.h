#pragma once
// The main window's stack of open markup dialogs. Every markup dialog other than the main window puts
// itself on it when it initialises and takes itself off when its window is destroyed, so the main window
// can reach (and repair, after a display change) whatever is open above it.

class CUIDialog;

class IChildDialogStack {
public:
    virtual void AddChildDialog(CUIDialog* dialog) = 0;
    virtual void RemoveChildDialog(CUIDialog* dialog) = 0;

protected:
    ~IChildDialogStack() = default;
};
