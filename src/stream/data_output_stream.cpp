// SPDX-License-Identifier: Apache-2.0
#include "stream/data_output_stream.h"

#include <climits>
#include <cstring>

#include "platform/code_page.h"
#include "stream/ascii_units.h"
#include "stream/exceptions.h"
#include "stream/text_codec.h"

namespace {

void putBigEndian(unsigned long long value, char* out, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    out[i] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
}

}  // namespace

CJDataOutputStream::CJDataOutputStream(CJOutputStream* out, int owns)
    : CJFilterOutputStream(out, owns), window_(out != nullptr ? out->writeWindow() : nullptr) {}

CJDataOutputStream::~CJDataOutputStream() = default;

void CJDataOutputStream::toUnits(std::string_view s, const char* kind) {
  if (!torv::stream::ansiToUnits(s, units_)) {
    // Read the code before anything else (the allocation of the exception) can change it.
    const int code = torv::platform::lastError();
    throw CJIOException(torv::stream::conversionFailureMessage(kind, code));
  }
}

void CJDataOutputStream::write(const char* buffer, int offset, int length) {
  inner().write(buffer, offset, length);
  count(length);
}

void CJDataOutputStream::flush() { inner().flush(); }

void CJDataOutputStream::close() { inner().close(); }

CJArray<char>* CJDataOutputStream::toByteArray() { return out_ == nullptr ? nullptr : out_->toByteArray(); }

void CJDataOutputStream::writeBoolean(int v) {
  putByte(v != 0 ? 1 : 0);
  count(1);
}

void CJDataOutputStream::writeShort(int v) {
  char bytes[2];
  putBigEndian(static_cast<unsigned>(v), bytes, 2);
  putRaw(bytes, 2);
  count(2);
}

void CJDataOutputStream::writeChar(int v) {
  putByte((v >> 8) & 0xFF);
  putByte(v & 0xFF);
  count(2);
}

void CJDataOutputStream::writeLong(long long v) {
  char bytes[8];
  putBigEndian(static_cast<unsigned long long>(v), bytes, 8);
  putRaw(bytes, 8);
  count(8);
}

void CJDataOutputStream::writeFloat(float v) {
  unsigned int bits;
  std::memcpy(&bits, &v, sizeof bits);
  char bytes[4];
  putBigEndian(bits, bytes, 4);
  putRaw(bytes, 4);
  count(4);
}

void CJDataOutputStream::writeDouble(double v) {
  unsigned long long bits;
  std::memcpy(&bits, &v, sizeof bits);
  char bytes[8];
  putBigEndian(bits, bytes, 8);
  putRaw(bytes, 8);
  count(8);
}

void CJDataOutputStream::writeUTF(std::string s) {
  if (window_ != nullptr && s.size() <= 65535 / 3) {
    // Cannot be too long (a byte is at most one unit of at most three bytes): when that much
    // fits without growth, encode straight from the text in place and measure what came out.
    if (char* room = window_->spare(2 + 3 * static_cast<int>(s.size()))) {
      if (char* end = torv::stream::encodeAnsiAsModifiedUtf8(s, room + 2)) {
        const int utflen = static_cast<int>(end - (room + 2));
        room[0] = static_cast<char>(utflen >> 8);
        room[1] = static_cast<char>(utflen);
        window_->commit(2 + utflen);
        count(2 + utflen);
        return;
      }
    }
  }
  toUnits(s, "UTFDataFormatException");
  const std::size_t n = units_.size();
  if (window_ != nullptr && n <= 65535 / 3) {
    // Cannot be too long: when even three bytes a unit fit without growth, encode in place
    // and measure what came out.
    if (char* room = window_->spare(2 + 3 * static_cast<int>(n))) {
      char* const end = torv::stream::encodeModifiedUtf8(units_.data(), n, room + 2);
      const int utflen = static_cast<int>(end - (room + 2));
      room[0] = static_cast<char>(utflen >> 8);
      room[1] = static_cast<char>(utflen);
      window_->commit(2 + utflen);
      count(2 + utflen);
      units_.trim();
      return;
    }
  }
  const long long utflen = torv::stream::modifiedUtf8Length(units_.data(), n);
  if (utflen > 65535) throw CJIOException("UTFDataFormatException()");
  const int total = 2 + static_cast<int>(utflen);
  char* room = window_ != nullptr ? window_->claim(total) : nullptr;
  if (room != nullptr) {
    room[0] = static_cast<char>(utflen >> 8);
    room[1] = static_cast<char>(utflen);
    torv::stream::encodeModifiedUtf8(units_.data(), units_.size(), room + 2);
    window_->commit(total);
  } else {
    // Every byte its own single-byte write, with its value 0..255, counted as it goes.
    write(static_cast<int>((utflen >> 8) & 0xFF));
    write(static_cast<int>(utflen & 0xFF));
    char encoded[3];
    for (std::size_t k = 0; k < units_.size(); ++k) {
      const int n = torv::stream::encodeModifiedUtf8Unit(units_.data()[k], encoded);
      for (int i = 0; i < n; ++i) write(static_cast<unsigned char>(encoded[i]));
    }
    units_.trim();
    return;
  }
  count(total);
  units_.trim();
}

void CJDataOutputStream::writeText(std::string_view s) {
  if (window_ != nullptr && s.size() <= INT_MAX / 2 && torv::stream::isAscii(s.data(), s.size())) {
    // One unit per byte, needing no code page: straight from the text into the window.
    const int n = static_cast<int>(s.size());
    writeInt(n);
    if (char* room = window_->claim(2 * n)) {
      torv::stream::widenAscii(s.data(), s.size(), room);
      window_->commit(2 * n);
      count(2LL * n);
    } else {
      for (const char c : s) {
        writeByte(0);
        writeByte(c);
      }
    }
    return;
  }
  toUnits(s, "StringDataFormatException");
  const char16_t* const units = units_.data();
  const std::size_t n = units_.size();
  writeInt(static_cast<int>(n));
  char* room = window_ != nullptr && n <= INT_MAX / 2 ? window_->claim(static_cast<int>(2 * n)) : nullptr;
  if (room != nullptr) {
    for (std::size_t k = 0; k < n; ++k) {
      room[2 * k] = static_cast<char>(units[k] >> 8);
      room[2 * k + 1] = static_cast<char>(units[k]);
    }
    window_->commit(static_cast<int>(2 * n));
    count(static_cast<long long>(2 * n));
  } else {
    // Every byte its own single-byte write, counted as it goes.
    for (std::size_t k = 0; k < n; ++k) {
      writeByte(units[k] >> 8);
      writeByte(units[k] & 0xFF);
    }
  }
  units_.trim();
}

int CJDataOutputStream::size() { return written_; }

void CJDataOutputStream::expect(long long bytes) {
  // Too much for the stream is left to the writes themselves to report.
  if (window_ != nullptr && bytes > 0 && bytes <= INT_MAX) window_->reserveExactly(static_cast<int>(bytes));
}
