// SPDX-License-Identifier: Apache-2.0
#include "transport/TorvFuncOutputStream.h"

#include "transport/HostFailure.h"

using namespace torv::transport;

namespace {
// The buffer at an offset; a null buffer stays null rather than becoming a wild pointer.
const char* at(const char* buffer, int offset) { return buffer == nullptr ? nullptr : buffer + offset; }
}  // namespace

TorvFuncOutputStream::TorvFuncOutputStream(int context, FuncWriteByte writeByte, FuncWriteBArray writeBArray,
                                           FuncFlush flush, FuncWriteClose writeClose, FuncErrorMessage errorMessage)
    : context_(context),
      writeByte_(writeByte),
      writeBArray_(writeBArray),
      flush_(flush),
      writeClose_(writeClose),
      errorMessage_(errorMessage) {}

TorvFuncOutputStream::~TorvFuncOutputStream() = default;

void TorvFuncOutputStream::write(const char* buffer, int offset, int length) {
  if (writeBArray_ == nullptr) throwMissingCallback("FuncWriteBArray");
  callHost([&] { return writeBArray_(context_, at(buffer, offset), length); }, errorMessage_, context_);
}

void TorvFuncOutputStream::write(int value) {
  if (writeByte_ == nullptr) throwMissingCallback("FuncWriteByte");
  callHost([&] { return writeByte_(context_, value); }, errorMessage_, context_);
}

void TorvFuncOutputStream::flush() {
  if (flush_ == nullptr) throwMissingCallback("FuncFlush");
  callHost([&] { return flush_(context_); }, errorMessage_, context_);
}

void TorvFuncOutputStream::close() {
  if (writeClose_ == nullptr) throwMissingCallback("FuncWriteClose");
  callHost([&] { return writeClose_(context_); }, errorMessage_, context_);
}

CJArray<char>* TorvFuncOutputStream::toByteArray() { return nullptr; }
