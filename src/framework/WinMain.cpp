// The program entry, in a library of its own so that test programs (which have GoogleTest's main)
// link the framework without it.
#include "framework/WinApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
    CWinApp* app = AfxGetApp();
    return app ? app->Run(instance, commandLine, showCommand) : 1;
}
