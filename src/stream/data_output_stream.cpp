#include "stream/data_output_stream.h"

#include <climits>
#include <cstring>

#include "platform/code_page.h"
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

CJDataOutputStream::CJDataOutputStream(CJOutputStream* out, int owns) : CJFilterOutputStream(out, owns) {}

CJDataOutputStream::~CJDataOutputStream() = default;

void CJDataOutputStream::count(long long bytes) {
  const long long sum = static_cast<long long>(written_) + bytes;
  written_ = (sum < 0 || sum > INT_MAX) ? INT_MAX : static_cast<int>(sum);
}

void CJDataOutputStream::write(const char* buffer, int offset, int length) {
  inner().write(buffer, offset, length);
  count(length);
}

void CJDataOutputStream::write(int b) {
  inner().write(b);
  count(1);
}

void CJDataOutputStream::flush() { inner().flush(); }

void CJDataOutputStream::close() { inner().close(); }

CJArray<char>* CJDataOutputStream::toByteArray() { return out_ == nullptr ? nullptr : out_->toByteArray(); }

void CJDataOutputStream::writeBoolean(int v) {
  inner().write(v != 0 ? 1 : 0);
  count(1);
}

void CJDataOutputStream::writeByte(int v) {
  inner().write(v);
  count(1);
}

void CJDataOutputStream::writeShort(int v) {
  char bytes[2];
  putBigEndian(static_cast<unsigned>(v), bytes, 2);
  inner().write(bytes, 0, 2);
  count(2);
}

void CJDataOutputStream::writeChar(int v) {
  CJOutputStream& out = inner();
  out.write((v >> 8) & 0xFF);
  out.write(v & 0xFF);
  count(2);
}

void CJDataOutputStream::writeInt(int v) {
  char bytes[4];
  putBigEndian(static_cast<unsigned>(v), bytes, 4);
  inner().write(bytes, 0, 4);
  count(4);
}

void CJDataOutputStream::writeLong(long long v) {
  char bytes[8];
  putBigEndian(static_cast<unsigned long long>(v), bytes, 8);
  inner().write(bytes, 0, 8);
  count(8);
}

void CJDataOutputStream::writeFloat(float v) {
  unsigned int bits;
  std::memcpy(&bits, &v, sizeof bits);
  char bytes[4];
  putBigEndian(bits, bytes, 4);
  inner().write(bytes, 0, 4);
  count(4);
}

void CJDataOutputStream::writeDouble(double v) {
  unsigned long long bits;
  std::memcpy(&bits, &v, sizeof bits);
  char bytes[8];
  putBigEndian(bits, bytes, 8);
  inner().write(bytes, 0, 8);
  count(8);
}

void CJDataOutputStream::writeUTF(std::string s) {
  std::u16string units;
  if (!torv::stream::ansiToUnits(s, units)) {
    // Read the code before anything else (the allocation of the exception) can change it.
    const int code = torv::platform::lastError();
    throw new CJIOException(torv::stream::conversionFailureMessage("UTFDataFormatException", code));
  }
  const long long utflen = torv::stream::modifiedUtf8Length(units);
  if (utflen > 65535) throw new CJIOException("UTFDataFormatException()");
  std::string encoded(static_cast<std::size_t>(utflen), '\0');
  torv::stream::encodeModifiedUtf8(units, &encoded[0]);
  write(static_cast<int>((utflen >> 8) & 0xFF));
  write(static_cast<int>(utflen & 0xFF));
  for (char c : encoded) write(static_cast<int>(c));
}

void CJDataOutputStream::writeString(const std::string& s) {
  std::u16string units;
  if (!torv::stream::ansiToUnits(s, units)) {
    // Read the code before anything else (the allocation of the exception) can change it.
    const int code = torv::platform::lastError();
    throw new CJIOException(torv::stream::conversionFailureMessage("StringDataFormatException", code));
  }
  writeInt(static_cast<int>(units.size()));
  for (char16_t u : units) {
    writeByte(u >> 8);
    writeByte(u & 0xFF);
  }
}

int CJDataOutputStream::size() { return written_; }
