#include "stream/data_output_stream.h"

#include <climits>
#include <cstring>

#include "platform/code_page.h"
#include "stream/byte_array_output_stream.h"
#include "stream/exceptions.h"
#include "stream/text_codec.h"

namespace {

// Scratch capacity kept for the next text; a longer one's buffer is released.
constexpr std::size_t kKeptUnits = 64 * 1024;

void putBigEndian(unsigned long long value, char* out, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    out[i] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
}

}  // namespace

CJDataOutputStream::CJDataOutputStream(CJOutputStream* out, int owns)
    : CJFilterOutputStream(out, owns), memory_(dynamic_cast<CJByteArrayOutputStream*>(out)) {}

CJDataOutputStream::~CJDataOutputStream() = default;

void CJDataOutputStream::count(long long bytes) {
  const long long sum = static_cast<long long>(written_) + bytes;
  written_ = (sum < 0 || sum > INT_MAX) ? INT_MAX : static_cast<int>(sum);
}

void CJDataOutputStream::putByte(int b) {
  if (memory_ != nullptr) {
    memory_->put(b);
  } else {
    inner().write(b);
  }
}

void CJDataOutputStream::putRaw(const char* bytes, int n) {
  if (memory_ != nullptr) {
    memory_->append(bytes, n);
  } else {
    inner().write(bytes, 0, n);
  }
}

void CJDataOutputStream::toUnits(const std::string& s, const char* kind) {
  if (!torv::stream::ansiToUnits(s, units_)) {
    // Read the code before anything else (the allocation of the exception) can change it.
    const int code = torv::platform::lastError();
    throw new CJIOException(torv::stream::conversionFailureMessage(kind, code));
  }
}

void CJDataOutputStream::releaseLargeScratch() {
  if (units_.capacity() > kKeptUnits) std::u16string().swap(units_);
}

void CJDataOutputStream::write(const char* buffer, int offset, int length) {
  if (memory_ != nullptr) {
    memory_->write(buffer, offset, length);
  } else {
    inner().write(buffer, offset, length);
  }
  count(length);
}

void CJDataOutputStream::write(int b) {
  putByte(b);
  count(1);
}

void CJDataOutputStream::flush() { inner().flush(); }

void CJDataOutputStream::close() { inner().close(); }

CJArray<char>* CJDataOutputStream::toByteArray() { return out_ == nullptr ? nullptr : out_->toByteArray(); }

void CJDataOutputStream::writeBoolean(int v) {
  putByte(v != 0 ? 1 : 0);
  count(1);
}

void CJDataOutputStream::writeByte(int v) {
  putByte(v);
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

void CJDataOutputStream::writeInt(int v) {
  char bytes[4];
  putBigEndian(static_cast<unsigned>(v), bytes, 4);
  putRaw(bytes, 4);
  count(4);
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
  toUnits(s, "UTFDataFormatException");
  const long long utflen = torv::stream::modifiedUtf8Length(units_);
  if (utflen > 65535) throw new CJIOException("UTFDataFormatException()");
  const int total = 2 + static_cast<int>(utflen);
  char* room = memory_ != nullptr ? memory_->claimForBytes(total) : nullptr;
  if (room != nullptr) {
    room[0] = static_cast<char>(utflen >> 8);
    room[1] = static_cast<char>(utflen);
    torv::stream::encodeModifiedUtf8(units_, room + 2);
    memory_->commit(total);
  } else {
    // Every byte its own single-byte write, with its value 0..255, counted as it goes.
    write(static_cast<int>((utflen >> 8) & 0xFF));
    write(static_cast<int>(utflen & 0xFF));
    char encoded[3];
    for (char16_t u : units_) {
      const int n = torv::stream::encodeModifiedUtf8Unit(u, encoded);
      for (int i = 0; i < n; ++i) write(static_cast<unsigned char>(encoded[i]));
    }
    releaseLargeScratch();
    return;
  }
  count(total);
  releaseLargeScratch();
}

void CJDataOutputStream::writeString(const std::string& s) {
  toUnits(s, "StringDataFormatException");
  const long long units = static_cast<long long>(units_.size());
  writeInt(static_cast<int>(units));
  char* room =
      memory_ != nullptr && units <= INT_MAX / 2 ? memory_->claimForBytes(static_cast<int>(2 * units)) : nullptr;
  if (room != nullptr) {
    for (char16_t u : units_) {
      *room++ = static_cast<char>(u >> 8);
      *room++ = static_cast<char>(u);
    }
    memory_->commit(static_cast<int>(2 * units));
    count(2 * units);
  } else {
    for (char16_t u : units_) {
      writeByte(u >> 8);
      writeByte(u & 0xFF);
    }
  }
  releaseLargeScratch();
}

int CJDataOutputStream::size() { return written_; }
