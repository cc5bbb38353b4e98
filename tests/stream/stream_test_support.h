// SPDX-License-Identifier: Apache-2.0
// Helpers for the stream tests: catching thrown failures, and scripted streams that record
// how they are called.
#pragma once

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>

#include "stream/streams.h"

namespace torv::stream::test {

// Runs f and returns the message of the failure it throws, which must be of the kind of E.
template <typename E, typename F>
std::string thrownMessage(F&& f) {
  try {
    f();
  } catch (const CZException& e) {
    EXPECT_EQ(e.kind(), E(std::string()).kind()) << "message: " << e.getMessage();
    return e.getMessage();
  }
  ADD_FAILURE() << "nothing was thrown";
  return std::string();
}

inline std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// Input stream over a byte string that can fail or stall on request.
class ScriptedInputStream : public CJInputStream {
 public:
  explicit ScriptedInputStream(std::string data) : data_(std::move(data)) {}
  ~ScriptedInputStream() override {
    if (destroyed != nullptr) *destroyed = true;
  }

  using CJInputStream::read;
  int read(char* buffer, int offset, int length) override {
    ++rawReads;
    if (position_ >= data_.size()) return -1;
    if (stallEveryOther && (rawReads % 2) == 1) return 0;
    int n = length < rawChunk ? length : rawChunk;
    if (static_cast<std::size_t>(n) > data_.size() - position_) n = static_cast<int>(data_.size() - position_);
    for (int i = 0; i < n; ++i) buffer[offset + i] = data_[position_++];
    return n;
  }
  int read() override {
    ++byteReads;
    if (static_cast<int>(position_) == failAt) {
      failAt = -1;
      throw CJIOException("scripted failure");
    }
    if (position_ >= data_.size()) return -1;
    return static_cast<unsigned char>(data_[position_++]);
  }
  void close() override { ++closes; }
  int available() override { return static_cast<int>(data_.size() - position_); }
  CJArray<char>* toByteArray() override { return nullptr; }

  std::size_t position() const { return position_; }

  int rawChunk = 1 << 30;        // most bytes one raw read delivers
  bool stallEveryOther = false;  // every other raw read delivers nothing
  int failAt = -1;               // single-byte read at this position throws CJIOException
  int rawReads = 0;
  int byteReads = 0;
  int closes = 0;
  bool* destroyed = nullptr;

 private:
  std::string data_;
  std::size_t position_ = 0;
};

// Endless input stream of zero bytes that counts the array reads reaching it.
class EndlessInputStream : public CJInputStream {
 public:
  using CJInputStream::read;
  int read(char* buffer, int offset, int length) override {
    for (int i = 0; i < length; ++i) buffer[offset + i] = 0;
    return length;
  }
  int read(CJArray<char>& b, int offset, int length) override {
    arrayReads.push_back(length);
    return CJInputStream::read(b, offset, length);
  }
  int read() override { return 0; }
  void close() override {}
  int available() override { return 0; }
  CJArray<char>* toByteArray() override { return nullptr; }

  std::vector<int> arrayReads;
};

// Output stream that records every call.
class RecordingOutputStream : public CJOutputStream {
 public:
  ~RecordingOutputStream() override {
    if (destroyed != nullptr) *destroyed = true;
  }
  using CJOutputStream::write;
  void write(const char* buffer, int offset, int length) override {
    ++rawWrites;
    data.append(buffer + offset, static_cast<std::size_t>(length));
  }
  void write(int b) override {
    ++byteWrites;
    singleValues.push_back(b);
    data.push_back(static_cast<char>(b));
  }
  void flush() override {
    ++flushes;
    if (failFlush) throw CJIOException("flush failed");
  }
  void close() override { ++closes; }
  CJArray<char>* toByteArray() override { return nullptr; }

  std::string data;
  std::vector<int> singleValues;
  int rawWrites = 0;
  int byteWrites = 0;
  int flushes = 0;
  int closes = 0;
  bool failFlush = false;
  bool* destroyed = nullptr;
};

}  // namespace torv::stream::test
