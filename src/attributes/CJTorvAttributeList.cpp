#include "attributes/CJTorvAttributeList.h"

#include <utility>

#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"

CJTorvAttributeList::CJTorvAttributeList() = default;

CJTorvAttributeList::CJTorvAttributeList(const CJTorvAttributeList& other) { putAll(other); }

CJTorvAttributeList& CJTorvAttributeList::operator=(const CJTorvAttributeList& other) {
  if (this != &other) {
    CJTorvAttributeList copy(other);
    names_.swap(copy.names_);
    values_.swap(copy.values_);
    std::swap(index_, copy.index_);
  }
  return *this;
}

CJTorvAttributeList::~CJTorvAttributeList() = default;

void CJTorvAttributeList::put(const std::string& name, const std::string& value) {
  const int found = index_.find(name, names_);
  if (found >= 0) {
    values_[static_cast<size_t>(found)] = value;
    return;
  }
  append(std::string(name), std::string(value));
}

void CJTorvAttributeList::append(std::string&& name, std::string&& value) {
  // Each step is undone if a later one runs out of memory, so the invariants survive.
  const int position = size();
  names_.push_back(std::move(name));
  try {
    values_.push_back(std::move(value));
    try {
      index_.insert(position, names_);
    } catch (...) {
      values_.pop_back();
      throw;
    }
  } catch (...) {
    names_.pop_back();
    throw;
  }
}

std::string CJTorvAttributeList::getValue(const std::string& name) const {
  const int found = index_.find(name, names_);
  return found < 0 ? std::string() : values_[static_cast<size_t>(found)];
}

int CJTorvAttributeList::find(const std::string& name, std::string& value) const {
  const int found = index_.find(name, names_);
  if (found < 0) {
    value.clear();
    return -1;
  }
  value = values_[static_cast<size_t>(found)];
  return found;
}

void CJTorvAttributeList::checkIndex(int index, const char* message) const {
  if (index < 0 || index >= size()) {
    throw new CZException(message);
  }
}

std::string CJTorvAttributeList::getName(int index) const {
  checkIndex(index, "out of index bound. CJTorvAttributeList::getName");
  return names_[static_cast<size_t>(index)];
}

std::string CJTorvAttributeList::getValue(int index) const {
  checkIndex(index, "out of index bound. CJTorvAttributeList::getValue");
  return values_[static_cast<size_t>(index)];
}

int CJTorvAttributeList::size() const { return static_cast<int>(names_.size()); }

void CJTorvAttributeList::remove(const std::string& name) {
  const int found = index_.find(name, names_);
  if (found < 0) return;
  const size_t position = static_cast<size_t>(found);
  index_.erase(name, names_);
  names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(position));
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(position));
  // Every entry behind the gap moved up by one.
  for (size_t q = position; q < names_.size(); ++q) {
    index_.move(names_[q], static_cast<int>(q + 1), static_cast<int>(q));
  }
}

void CJTorvAttributeList::removeAll() {
  index_.clear();
  names_.clear();
  values_.clear();
}

void CJTorvAttributeList::putAll(const CJTorvAttributeList& other) {
  if (size() == 0 && this != &other) {
    // Nothing to merge with: the other list's entries, names unique already, and its index.
    CJTorvAttributeList copy;
    copy.names_ = other.names_;
    copy.values_ = other.values_;
    copy.index_ = other.index_;
    names_.swap(copy.names_);
    values_.swap(copy.values_);
    std::swap(index_, copy.index_);
    return;
  }
  // Indexing keeps this safe when other is this list: put() then only replaces values.
  const int count = other.size();
  for (int i = 0; i < count; ++i) {
    put(other.names_[static_cast<size_t>(i)], other.values_[static_cast<size_t>(i)]);
  }
}

CJTorvAttributeList& CJTorvAttributeList::operator+=(const CJTorvAttributeList& other) {
  putAll(other);
  return *this;
}

std::string CJTorvAttributeList::toString() const {
  std::string text;
  for (size_t i = 0; i < names_.size(); ++i) {
    text += names_[i];
    text += " -> ";
    text += values_[i];
    text += "\n";
  }
  return text;
}

void CJTorvAttributeList::read(CJDataInputStream* in) {
  removeAll();
  const int count = in->readInt();
  // The count comes from the wire: entries are added as they arrive, never reserved ahead.
  // They are indexed afterwards in one pass, where the look-ups follow one another closely
  // instead of each waiting between two texts; an early end indexes what has arrived.
  try {
    for (int i = 0; i < count; ++i) {
      std::string name = in->readString();
      std::string value = in->readString();
      names_.push_back(std::move(name));
      try {
        values_.push_back(std::move(value));
      } catch (...) {
        names_.pop_back();
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
  // Entries from position index_.size() on are not indexed yet. Each goes through put():
  // a repeated name replaces the earlier value and the later entries close up behind it.
  std::size_t kept = static_cast<std::size_t>(index_.size());
  try {
    // The entries are here, so their number is real: the table is sized for them once.
    index_.reserve(static_cast<int>(names_.size()));
    for (std::size_t r = kept; r < names_.size(); ++r) {
      if (kept != r) {
        // Moved to its place before the look-up, so that a new name is entered at once; a
        // repeated one comes back from there.
        names_[kept].swap(names_[r]);
        values_[kept].swap(values_[r]);
      }
      const int found = index_.findOrInsert(static_cast<int>(kept), names_);
      if (found >= 0) {
        values_[static_cast<std::size_t>(found)] = std::move(values_[kept]);
        continue;
      }
      ++kept;
    }
  } catch (...) {
    // Out of memory in the index: keep the entries it holds.
    names_.resize(static_cast<std::size_t>(index_.size()));
    values_.resize(static_cast<std::size_t>(index_.size()));
    throw;
  }
  names_.resize(kept);
  values_.resize(kept);
}

void CJTorvAttributeList::write(CJDataOutputStream* out) const {
  // Every byte of a text is at most one UTF-16 unit of two bytes.
  long long bytes = 4;
  for (size_t i = 0; i < names_.size(); ++i)
    bytes += 8 + 2 * static_cast<long long>(names_[i].size() + values_[i].size());
  out->expect(bytes);
  out->writeInt(size());
  for (size_t i = 0; i < names_.size(); ++i) {
    out->writeString(names_[i]);
    out->writeString(values_[i]);
  }
}
