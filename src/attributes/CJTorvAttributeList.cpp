// SPDX-License-Identifier: Apache-2.0
#include "attributes/CJTorvAttributeList.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "stream/data_input_stream.h"
#include "stream/data_output_stream.h"
#include "stream/exceptions.h"

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

void CJTorvAttributeList::Entries::append(std::string_view name, std::string_view value) {
  const TextEntry entry = texts.place(name, value);
  // Each step is undone if a later one runs out of memory, so the invariants survive; the
  // placed texts just become unused.
  try {
    list.push_back(entry);
    try {
      index().insert(static_cast<int>(list.size() - 1), *this);
    } catch (...) {
      list.pop_back();
      throw;
    }
  } catch (...) {
    texts.release(entry);
    throw;
  }
}

void CJTorvAttributeList::Entries::setValue(std::size_t i, std::string_view value) {
  texts.setValue(list[i], value);
  texts.packIfWasteful(list);
}

void CJTorvAttributeList::Entries::removeAt(std::size_t i) {
  const std::string_view removed = name(i);
  index().erase(removed, *this);
  texts.release(list[i]);
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
  // Every entry behind the gap moved up by one.
  for (std::size_t q = i; q < list.size(); ++q) index().move(name(q), static_cast<int>(q + 1), static_cast<int>(q));
  if (list.empty()) texts.clear();
  texts.packIfWasteful(list);
}

void CJTorvAttributeList::Entries::indexUnique() {
  try {
    nameIndex.reserve(static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) nameIndex.insert(static_cast<int>(i), *this);
  } catch (...) {
    nameIndex.clear();
    throw;
  }
  unindexed = false;
}

void CJTorvAttributeList::Entries::keepFirstOfEachName() {
  const std::size_t n = list.size();
  // Positions by name, and by position within a name: 4 bytes an entry, where an index costs 16
  // or more.
  std::vector<std::uint32_t> order(n);
  std::vector<bool> gone(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
  std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
    const int c = name(a).compare(name(b));
    return c < 0 || (c == 0 && a < b);
  });
  for (std::size_t run = 0; run < n;) {
    std::size_t end = run + 1;
    while (end < n && name(order[end]) == name(order[run])) ++end;
    if (end - run > 1) {
      for (std::size_t k = run + 1; k + 1 < end; ++k) texts.release(list[order[k]]);
      takeOver(order[run], order[end - 1]);
      for (std::size_t k = run + 1; k < end; ++k) gone[order[k]] = true;
    }
    run = end;
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!gone[i]) list[kept++] = list[i];
  }
  list.resize(kept);
  nameIndex.clear();
  unindexed = true;
  texts.packIfWasteful(list);
}

void CJTorvAttributeList::put(const std::string& name, const std::string& value) { putText(name, value); }

void CJTorvAttributeList::putText(std::string_view name, std::string_view value) {
  Entries& e = own();
  const int found = e.index().find(name, e);
  if (found >= 0) {
    e.setValue(static_cast<std::size_t>(found), value);
    return;
  }
  e.append(name, value);
}

std::string CJTorvAttributeList::getValue(const std::string& name) const {
  if (entries_ == nullptr) return std::string();
  const int found = entries_->index().find(name, *entries_);
  return found < 0 ? std::string() : std::string(entries_->value(static_cast<std::size_t>(found)));
}

int CJTorvAttributeList::find(const std::string& name, std::string& value) const {
  const int found = entries_ == nullptr ? -1 : entries_->index().find(name, *entries_);
  if (found < 0) {
    value.clear();
    return -1;
  }
  value.assign(entries_->value(static_cast<std::size_t>(found)));
  return found;
}

void CJTorvAttributeList::checkIndex(int index, const char* message) const {
  if (index < 0 || index >= size()) {
    throw CZException(message);
  }
}

std::string CJTorvAttributeList::getName(int index) const {
  checkIndex(index, "out of index bound. CJTorvAttributeList::getName");
  return std::string(entries_->name(static_cast<std::size_t>(index)));
}

std::string CJTorvAttributeList::getValue(int index) const {
  checkIndex(index, "out of index bound. CJTorvAttributeList::getValue");
  return std::string(entries_->value(static_cast<std::size_t>(index)));
}

int CJTorvAttributeList::size() const { return entries_ == nullptr ? 0 : static_cast<int>(entries_->list.size()); }

void CJTorvAttributeList::remove(const std::string& name) {
  if (entries_ == nullptr || entries_->index().find(name, *entries_) < 0) return;
  Entries& e = own();
  e.removeAt(static_cast<std::size_t>(e.index().find(name, e)));
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
  // Held here, so the source stays whole whatever this list does.
  const std::shared_ptr<const Entries> source = other.entries_;
  for (std::size_t i = 0; i < source->list.size(); ++i) putText(source->name(i), source->value(i));
}

CJTorvAttributeList& CJTorvAttributeList::operator+=(const CJTorvAttributeList& other) {
  putAll(other);
  return *this;
}

std::string CJTorvAttributeList::toString() const {
  std::string text;
  const int count = size();
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    text += entries_->name(i);
    text += " -> ";
    text += entries_->value(i);
    text += "\n";
  }
  return text;
}

void CJTorvAttributeList::read(CJDataInputStream* in) {
  removeAll();
  const int count = in->readInt();
  Entries& e = own();
  const auto appendTexts = [in](std::string& block) {
    in->appendString(block);
    const std::size_t valueAt = block.size();
    in->appendString(block);
    return valueAt;
  };
  // The count comes from the wire: entries are added as they arrive, never reserved ahead.
  // They are indexed afterwards in one pass, where the look-ups follow one another closely
  // instead of each waiting between two texts; an early end indexes what has arrived.
  try {
    for (int i = 0; i < count; ++i) {
      const Entries::TextEntry entry = e.texts.receive(appendTexts);
      try {
        e.list.push_back(entry);
      } catch (...) {
        e.texts.release(entry);
        throw;
      }
    }
  } catch (...) {
    // The stream's failure is the one to pass on. The entries that arrived stay, without an index
    // until one is needed; out of memory on the way leaves the list empty rather than broken.
    try {
      e.keepFirstOfEachName();
    } catch (...) {
      entries_.reset();
    }
    throw;
  }
  indexArrived();
}

void CJTorvAttributeList::indexArrived() {
  Entries& e = *entries_;  // read() made them ours
  std::size_t kept;
  try {
    kept = e.nameIndex.enterArrived(e);
  } catch (...) {
    // Out of memory in the index: keep the entries it holds.
    e.list.resize(static_cast<std::size_t>(e.nameIndex.size()));
    e.texts.recountUnused(e.list);
    throw;
  }
  e.list.resize(kept);
  e.texts.packIfWasteful(e.list);
}

void CJTorvAttributeList::write(CJDataOutputStream* out) const {
  const std::size_t count = static_cast<std::size_t>(size());
  // Every byte of a text is at most one UTF-16 unit of two bytes.
  long long bytes = 4;
  for (std::size_t i = 0; i < count; ++i) {
    bytes += 8 + 2 * static_cast<long long>(entries_->list[i].length());
  }
  out->expect(bytes);
  out->writeInt(static_cast<int>(count));
  for (std::size_t i = 0; i < count; ++i) {
    out->writeText(entries_->name(i));
    out->writeText(entries_->value(i));
  }
}
