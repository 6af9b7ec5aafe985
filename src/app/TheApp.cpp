// The program's application object, built before the entry point runs.
#include "app/OvercoatApp.h"

COvercoatApp theApp;
