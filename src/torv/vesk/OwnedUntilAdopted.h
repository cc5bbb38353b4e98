// SPDX-License-Identifier: Apache-2.0
// A raw data stream that the handle record owns until the session adopts it. The record keeps
// handing the stream to the session either way; adoption only changes who releases it.
#pragma once

#include <memory>

template <typename Stream>
class OwnedUntilAdopted {
 public:
  // Takes stream over, releasing a stream owned before.
  void own(std::unique_ptr<Stream> stream) {
    owned_ = std::move(stream);
    stream_ = owned_.get();
  }
  // From now on the adopter releases the stream; the pointer stays usable while it lives.
  void handOver() { static_cast<void>(owned_.release()); }

  Stream* get() const { return stream_; }
  bool owned() const { return owned_ != nullptr; }

 private:
  std::unique_ptr<Stream> owned_;
  Stream* stream_ = nullptr;
};
