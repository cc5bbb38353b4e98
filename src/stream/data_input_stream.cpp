// SPDX-License-Identifier: Apache-2.0
#include "stream/data_input_stream.h"

#include <climits>
#include <cstring>
#include <vector>

#include "stream/ascii_units.h"
#include "stream/exceptions.h"
#include "stream/text_codec.h"

using torv::stream::kEofMessage;
using torv::stream::kMalformedUtfMessage;

namespace {
// Wire counts are not trusted: payloads are read in chunks of this size, so memory grows
// only with the bytes that really arrive.
constexpr int kChunk = 64 * 1024;

}  // namespace

CJDataInputStream::CJDataInputStream(CJInputStream* in, int owns)
    : CJFilterInputStream(in, owns), window_(in != nullptr ? in->readWindow() : nullptr) {}

CJDataInputStream::~CJDataInputStream() = default;

int CJDataInputStream::read(char* buffer, int offset, int length) { return inner().read(buffer, offset, length); }
int CJDataInputStream::read(CJArray<char>& b, int offset, int length) { return inner().read(b, offset, length); }
int CJDataInputStream::read(CJArray<char>& b) { return inner().read(b, 0, b.length); }
int CJDataInputStream::available() { return inner().available(); }
CJArray<char>* CJDataInputStream::toByteArray() { return inner().toByteArray(); }
CJArray<char>* CJDataInputStream::toRemainingByteArray() { return inner().toRemainingByteArray(); }
int CJDataInputStream::getBufferRemaining() { return inner().getBufferRemaining(); }
char* CJDataInputStream::getCurrentPointer() { return inner().getCurrentPointer(); }

void CJDataInputStream::readExactly(char* buffer, int length) {
  CJInputStream& in = inner();
  int done = 0;
  while (done < length) {
    const int r = in.read(buffer, done, length - done);
    if (r < 0) throw CJIOException(kEofMessage);
    if (r == 0) {
      // A raw read that delivers nothing: a single-byte read either makes progress or
      // reports the end, so a stalled stream cannot spin here.
      const int c = in.read();
      if (c < 0) throw CJIOException(kEofMessage);
      buffer[done++] = static_cast<char>(c);
      continue;
    }
    done += r > length - done ? length - done : r;
  }
}

void CJDataInputStream::throwEof() { throw CJIOException(kEofMessage); }

std::string CJDataInputStream::finishText() {
  std::string text = torv::stream::unitsToAnsi(units_.data(), units_.size());
  units_.trim();
  return text;
}

char* CJDataInputStream::firstChunk() {
  if (bytes_ == nullptr) bytes_.reset(new char[kChunk]);
  return bytes_.get();
}

std::string CJDataInputStream::textOfUnits(const unsigned char* wire, std::size_t n) {
  char16_t* units = units_.reserve(n);
  for (std::size_t i = 0; i < n; ++i) units[i] = static_cast<char16_t>((wire[2 * i] << 8) | wire[2 * i + 1]);
  units_.resize(n);
  return finishText();
}

long long CJDataInputStream::readLong() {
  const long long high = readInt();
  const long long low = static_cast<unsigned int>(readInt());
  return static_cast<long long>((static_cast<unsigned long long>(high) << 32) | static_cast<unsigned long long>(low));
}

double CJDataInputStream::readDouble() {
  const long long bits = readLong();
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

float CJDataInputStream::readFloat() {
  const int bits = readInt();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

int CJDataInputStream::readBoolean() {
  const int c = next();
  if (c < 0) throw CJIOException(kEofMessage);
  return c != 0 ? 1 : 0;
}

short CJDataInputStream::readShort() { return static_cast<short>(readUnsignedShort()); }

char16_t CJDataInputStream::readChar() { return static_cast<char16_t>(readUnsignedShort()); }

int CJDataInputStream::readIntSlowly() {
  char bytes[4];
  readExactly(bytes, 4);
  return bigEndianInt(bytes);
}

std::string CJDataInputStream::readUTF(CJDataInputStream& in) {
  int n = in.readUnsignedShort();
  std::vector<unsigned char> bytes;
  if (n == 0xFFFF) {
    // FF FF is either the length of a 65535-byte text or the mark of an extended 32-bit
    // length. Modified UTF-8 never holds a zero byte, so a zero after the mark can only
    // start an extended length (below 2^24); anything else starts a 65535-byte text, as
    // our writer and java.io produce it.
    unsigned char head[4];
    in.readExactly(reinterpret_cast<char*>(head), 4);
    if (head[0] == 0) {
      n = (head[1] << 16) | (head[2] << 8) | head[3];
    } else if (head[0] >= 0x80 && (head[0] < 0xC0 || head[0] >= 0xF0)) {
      throw CJIOException(kMalformedUtfMessage);  // neither a text lead nor a length
    } else {
      bytes.assign(head, head + 4);
    }
  }
  units_.clear();
  if (bytes.empty() && in.window_ != nullptr) {
    // Decode the bytes where they lie.
    if (const char* wire = in.window_->take(n)) {
      units_.reserve(static_cast<std::size_t>(n));
      if (!torv::stream::decodeModifiedUtf8(reinterpret_cast<const unsigned char*>(wire), static_cast<std::size_t>(n),
                                            units_)) {
        units_.trim();
        throw CJIOException(kMalformedUtfMessage);
      }
      return finishText();
    }
  }
  while (static_cast<int>(bytes.size()) < n) {
    const int want = n - static_cast<int>(bytes.size()) < kChunk ? n - static_cast<int>(bytes.size()) : kChunk;
    const std::size_t at = bytes.size();
    bytes.resize(at + static_cast<std::size_t>(want));
    in.readExactly(reinterpret_cast<char*>(bytes.data() + at), want);
  }
  units_.reserve(bytes.size());
  if (!torv::stream::decodeModifiedUtf8(bytes.data(), bytes.size(), units_)) {
    units_.trim();
    throw CJIOException(kMalformedUtfMessage);
  }
  return finishText();
}

std::string CJDataInputStream::readUTF() { return readUTF(*this); }

std::string CJDataInputStream::readString() {
  std::string text;
  appendString(text);
  return text;
}

void CJDataInputStream::appendString(std::string& to) {
  const int count = readInt();
  if (count == -1) {
    to += "<NULL>";
    return;
  }
  if (count < -1) throw CJIOException("A malformed string has been read in a data input stream.");
  units_.clear();
  const char* wire = nullptr;
  if (window_ != nullptr && count <= INT_MAX / 2) wire = window_->take(2 * count);
  if (wire != nullptr) {
    // All units are in the window, so the count is known to be real.
    appendUnits(reinterpret_cast<const unsigned char*>(wire), static_cast<std::size_t>(count), to);
    return;
  }
  // Byte by byte, each an end-checked single-byte read of the inner stream, taken in runs so
  // that a stream making one call per byte is dispatched once per run. The wire count is not
  // trusted: the bytes go into chunks taken one by one as they arrive, the first of them the
  // stream's own, kept between texts. No chunk is ever copied to make room for the next, so
  // memory stays with the bytes that arrived, and a text that never arrives whole leaves
  // nothing behind.
  CJInputStream& in = inner();
  long long left = 2LL * count;
  const int first = left < kChunk ? static_cast<int>(left) : kChunk;
  if (!in.readEachByte(firstChunk(), first)) throwEof();
  left -= first;
  std::vector<std::unique_ptr<char[]>> more;
  while (left > 0) {
    const int want = left < kChunk ? static_cast<int>(left) : kChunk;
    more.emplace_back(new char[static_cast<std::size_t>(want)]);
    if (!in.readEachByte(more.back().get(), want)) throwEof();
    left -= want;
  }
  if (more.empty()) {
    appendUnits(reinterpret_cast<const unsigned char*>(bytes_.get()), static_cast<std::size_t>(count), to);
    return;
  }
  // Every unit arrived, so the count is real now: the units are gathered in one buffer, each
  // chunk let go as soon as it is read, and the code page converts the whole text.
  try {
    const std::size_t n = static_cast<std::size_t>(count);
    char16_t* units = units_.reserve(n);
    std::size_t at = 0;
    const auto gather = [&](const char* chunk, std::size_t bytes) {
      const auto* wire = reinterpret_cast<const unsigned char*>(chunk);
      for (std::size_t i = 0; i + 1 < bytes; i += 2) units[at++] = static_cast<char16_t>((wire[i] << 8) | wire[i + 1]);
    };
    gather(bytes_.get(), static_cast<std::size_t>(first));
    for (std::unique_ptr<char[]>& chunk : more) {
      gather(chunk.get(), at + kChunk / 2 <= n ? static_cast<std::size_t>(kChunk) : 2 * (n - at));
      chunk.reset();
    }
    units_.resize(n);
    if (to.empty()) {
      to = finishText();
    } else {
      to += finishText();
    }
  } catch (...) {
    units_.trim();
    throw;
  }
}

void CJDataInputStream::appendUnits(const unsigned char* wire, std::size_t n, std::string& to) {
  // While the units are ASCII (the same in every code page) the text is built directly; a
  // zero unit ends the text.
  const std::size_t start = to.size();
  to.resize(start + n);
  const std::size_t length = torv::stream::narrowAscii(wire, n, &to[start]);
  const bool stoppedAtZero = length == n || (wire[2 * length] == 0 && wire[2 * length + 1] == 0);
  if (!stoppedAtZero) {
    // Not ASCII: the code page converts the whole text.
    to.resize(start);
    if (start == 0) {
      to = textOfUnits(wire, n);  // a text of its own: taken over, not copied
    } else {
      to += textOfUnits(wire, n);
    }
    return;
  }
  to.resize(start + length);
}

int CJDataInputStream::readUnsignedShort() {
  const int a = next();
  if (a < 0) throw CJIOException(kEofMessage);
  const int b = next();
  if (b < 0) throw CJIOException(kEofMessage);
  return ((a & 0xFF) << 8) + (b & 0xFF);
}

void CJDataInputStream::readFully(CJArray<char>& b, int offset, int length) {
  if (length < 0) throw CJIOException("IndexOutOfBoundsException. Len is smaller than 0.");
  CJInputStream& in = inner();
  int done = 0;
  while (done < length) {
    const int r = in.read(b, offset + done, length - done);
    if (r < 0) throw CZException(kEofMessage);
    done += r;
  }
}
