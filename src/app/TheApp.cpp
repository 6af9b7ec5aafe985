// The program's application object, built before the entry point runs, with the program's own
// start-up stages.
#include "app/OvercoatApp.h"

COvercoatApp theApp(COvercoatApp::ProgramStages());
