// The handler framework reaches the program's application object for its default services; this test
// program's handlers are all given their own, so the object here is never started.
#include "app/OvercoatApp.h"

COvercoatApp theApp;
