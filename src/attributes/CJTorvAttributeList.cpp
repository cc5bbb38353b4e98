#include "attributes/CJTorvAttributeList.h"

#include <utility>

#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"

namespace {
const std::vector<std::string> kNoTexts;
}  // namespace

CJTorvAttributeList::CJTorvAttributeList() = default;

CJTorvAttributeList::CJTorvAttributeList(const CJTorvAttributeList& other) : entries_(other.entries_) {}

CJTorvAttributeList& CJTorvAttributeList::operator=(const CJTorvAttributeList& other) {
  entries_ = other.entries_;
  return *this;
}

CJTorvAttributeList::~CJTorvAttributeList() = default;

CJTorvAttributeList::Entries& CJTorvAttributeList::own() {
  if (entries_ == nullptr) {
    entries_ = std::make_shared<Entries>();
  } else if (entries_.use_count() > 1) {
    entries_ = std::make_shared<Entries>(*entries_);
  }
  return *entries_;
}

void CJTorvAttributeList::put(const std::string& name, const std::string& value) {
  Entries& e = own();
  const int found = e.index.find(name, e.names);
  if (found >= 0) {
    e.values[static_cast<size_t>(found)] = value;
    return;
  }
  append(std::string(name), std::string(value));
}

void CJTorvAttributeList::append(std::string&& name, std::string&& value) {
  Entries& e = own();
  // Each step is undone if a later one runs out of memory, so the invariants survive.
  const int position = size();
  e.names.push_back(std::move(name));
  try {
    e.values.push_back(std::move(value));
    try {
      e.index.insert(position, e.names);
    } catch (...) {
      e.values.pop_back();
      throw;
    }
  } catch (...) {
    e.names.pop_back();
    throw;
  }
}

std::string CJTorvAttributeList::getValue(const std::string& name) const {
  if (entries_ == nullptr) return std::string();
  const int found = entries_->index.find(name, entries_->names);
  return found < 0 ? std::string() : entries_->values[static_cast<size_t>(found)];
}

int CJTorvAttributeList::find(const std::string& name, std::string& value) const {
  const int found = entries_ == nullptr ? -1 : entries_->index.find(name, entries_->names);
  if (found < 0) {
    value.clear();
    return -1;
  }
  value = entries_->values[static_cast<size_t>(found)];
  return found;
}

void CJTorvAttributeList::checkIndex(int index, const char* message) const {
  if (index < 0 || index >= size()) {
    throw new CZException(message);
  }
}

std::string CJTorvAttributeList::getName(int index) const {
  checkIndex(index, "out of index bound. CJTorvAttributeList::getName");
  return entries_->names[static_cast<size_t>(index)];
}

std::string CJTorvAttributeList::getValue(int index) const {
  checkIndex(index, "out of index bound. CJTorvAttributeList::getValue");
  return entries_->values[static_cast<size_t>(index)];
}

int CJTorvAttributeList::size() const { return entries_ == nullptr ? 0 : static_cast<int>(entries_->names.size()); }

void CJTorvAttributeList::remove(const std::string& name) {
  if (entries_ == nullptr || entries_->index.find(name, entries_->names) < 0) return;
  Entries& e = own();
  const size_t position = static_cast<size_t>(e.index.find(name, e.names));
  e.index.erase(name, e.names);
  e.names.erase(e.names.begin() + static_cast<std::ptrdiff_t>(position));
  e.values.erase(e.values.begin() + static_cast<std::ptrdiff_t>(position));
  // Every entry behind the gap moved up by one.
  for (size_t q = position; q < e.names.size(); ++q) {
    e.index.move(e.names[q], static_cast<int>(q + 1), static_cast<int>(q));
  }
}

void CJTorvAttributeList::removeAll() { entries_.reset(); }

void CJTorvAttributeList::putAll(const CJTorvAttributeList& other) {
  if (size() == 0) {
    // Nothing to merge with: the other list's entries, names unique already, shared.
    entries_ = other.entries_;
    return;
  }
  // The same entries (other is this list or a copy of it): every put() would keep the value.
  if (other.entries_ == entries_ || other.entries_ == nullptr) return;
  const Entries& source = *other.entries_;
  const int count = static_cast<int>(source.names.size());
  for (int i = 0; i < count; ++i) {
    put(source.names[static_cast<size_t>(i)], source.values[static_cast<size_t>(i)]);
  }
}

CJTorvAttributeList& CJTorvAttributeList::operator+=(const CJTorvAttributeList& other) {
  putAll(other);
  return *this;
}

std::string CJTorvAttributeList::toString() const {
  std::string text;
  const int count = size();
  for (int i = 0; i < count; ++i) {
    text += entries_->names[static_cast<size_t>(i)];
    text += " -> ";
    text += entries_->values[static_cast<size_t>(i)];
    text += "\n";
  }
  return text;
}

void CJTorvAttributeList::read(CJDataInputStream* in) {
  removeAll();
  const int count = in->readInt();
  Entries& e = own();
  // The count comes from the wire: entries are added as they arrive, never reserved ahead.
  // They are indexed afterwards in one pass, where the look-ups follow one another closely
  // instead of each waiting between two texts; an early end indexes what has arrived.
  try {
    for (int i = 0; i < count; ++i) {
      std::string name = in->readString();
      std::string value = in->readString();
      e.names.push_back(std::move(name));
      try {
        e.values.push_back(std::move(value));
      } catch (...) {
        e.names.pop_back();
        throw;
      }
    }
  } catch (...) {
    // The stream's failure is the one to pass on; indexing keeps the list whole even if it fails.
    try {
      indexArrived();
    } catch (...) {
    }
    throw;
  }
  indexArrived();
}

void CJTorvAttributeList::indexArrived() {
  Entries& e = *entries_;  // read() made them ours
  // Entries from position index.size() on are not indexed yet. Each goes through put():
  // a repeated name replaces the earlier value and the later entries close up behind it.
  std::size_t kept = static_cast<std::size_t>(e.index.size());
  try {
    // The entries are here, so their number is real: the table is sized for them once.
    e.index.reserve(static_cast<int>(e.names.size()));
    for (std::size_t r = kept; r < e.names.size(); ++r) {
      if (kept != r) {
        // Moved to its place before the look-up, so that a new name is entered at once; a
        // repeated one comes back from there.
        e.names[kept].swap(e.names[r]);
        e.values[kept].swap(e.values[r]);
      }
      const int found = e.index.findOrInsert(static_cast<int>(kept), e.names);
      if (found >= 0) {
        e.values[static_cast<std::size_t>(found)] = std::move(e.values[kept]);
        continue;
      }
      ++kept;
    }
  } catch (...) {
    // Out of memory in the index: keep the entries it holds.
    e.names.resize(static_cast<std::size_t>(e.index.size()));
    e.values.resize(static_cast<std::size_t>(e.index.size()));
    throw;
  }
  e.names.resize(kept);
  e.values.resize(kept);
}

void CJTorvAttributeList::write(CJDataOutputStream* out) const {
  const std::vector<std::string>& names = entries_ != nullptr ? entries_->names : kNoTexts;
  const std::vector<std::string>& values = entries_ != nullptr ? entries_->values : kNoTexts;
  // Every byte of a text is at most one UTF-16 unit of two bytes.
  long long bytes = 4;
  for (size_t i = 0; i < names.size(); ++i) bytes += 8 + 2 * static_cast<long long>(names[i].size() + values[i].size());
  out->expect(bytes);
  out->writeInt(size());
  for (size_t i = 0; i < names.size(); ++i) {
    out->writeString(names[i]);
    out->writeString(values[i]);
  }
}
