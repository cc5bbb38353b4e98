// A raw data stream that the handle record owns until the session adopts it. The record keeps
// handing the stream to the session either way; adoption only changes who releases it.
#pragma once

#include <memory>

template <typename Stream>
class OwnedUntilAdopted {
 public:
  OwnedUntilAdopted() = default;
  OwnedUntilAdopted(const OwnedUntilAdopted&) = delete;
  OwnedUntilAdopted& operator=(const OwnedUntilAdopted&) = delete;
  ~OwnedUntilAdopted() {
    if (owned_) delete stream_;
  }

  // Takes stream over, releasing a stream owned before.
  void own(std::unique_ptr<Stream> stream) {
    if (owned_) delete stream_;
    stream_ = stream.release();
    owned_ = stream_ != nullptr;
  }
  // From now on the adopter releases the stream; the pointer stays usable while it lives.
  void handOver() { owned_ = false; }

  Stream* get() const { return stream_; }
  bool owned() const { return owned_; }

 private:
  Stream* stream_ = nullptr;
  bool owned_ = false;
};
