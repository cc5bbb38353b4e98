#include "component/pdf417_app.h"

CPdf417App theApp;
