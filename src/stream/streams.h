// SPDX-License-Identifier: Apache-2.0
// Everything of the stream library in one include.
#pragma once

#include "stream/array.h"
#include "stream/byte_array_input_stream.h"
#include "stream/byte_array_output_stream.h"
#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"
#include "stream/filter_input_stream.h"
#include "stream/filter_output_stream.h"
#include "stream/input_stream.h"
#include "stream/modified_utf8.h"
#include "stream/output_stream.h"
