// SPDX-License-Identifier: Apache-2.0
#include <gtest/gtest.h>
