// SPDX-License-Identifier: Apache-2.0
#include "component/pdf417_app.h"

CPdf417App theApp;
