// SPDX-License-Identifier: Apache-2.0
// Ordered list of name/value texts with unique names: the unit of every attribute exchange
// between the client and the server, and its wire form (32-bit count, then every name and
// value as a String-form text).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "attributes/NameIndex.h"
#include "attributes/TextBlocks.h"

class CJDataInputStream;
class CJDataOutputStream;

class CJTorvAttributeList {
 public:
  CJTorvAttributeList();
  CJTorvAttributeList(const CJTorvAttributeList& other);
  CJTorvAttributeList& operator=(const CJTorvAttributeList& other);
  virtual ~CJTorvAttributeList();

  // Adds the entry at the end, or replaces the value of the entry with that name in place.
  void put(const std::string& name, const std::string& value);
  // The value for the name; an empty text when there is none.
  std::string getValue(const std::string& name) const;
  // Position of the name with its value copied out; -1 and an empty value when absent.
  int find(const std::string& name, std::string& value) const;
  // Positional access; an index outside 0 .. size()-1 throws a CZException.
  std::string getName(int index) const;
  std::string getValue(int index) const;
  int size() const;

  // Removes the entry with that name, if any; later entries move up one position.
  void remove(const std::string& name);
  void removeAll();

  // put() of every entry of the other list, in its order.
  void putAll(const CJTorvAttributeList& other);
  // The same merge, returning this list.
  CJTorvAttributeList& operator+=(const CJTorvAttributeList& other);

  // "name -> value\n" for every entry in order.
  std::string toString() const;

  // Replaces the contents with a list parsed from the stream. On failure the list keeps the
  // entries read so far and the stream's exception propagates.
  void read(CJDataInputStream* in);
  // Serialises the list; does not flush.
  void write(CJDataOutputStream* out) const;

 private:
  void checkIndex(int index, const char* message) const;
  // put() of texts that may live in another list.
  void putText(std::string_view name, std::string_view value);
  // Indexes the entries that read() appended, with put()'s rule for repeated names.
  void indexArrived();

  // The entries in their order, their texts and the index of their names.
  struct Entries final : torv::attributes::IndexedNames {
    using TextEntry = torv::attributes::TextEntry;
    torv::attributes::TextBlocks texts;
    torv::attributes::EntryList list;
    // Name -> position in list. After a failed read() the entries are left unindexed (their names
    // made unique already) and the index is built on first use: a list that a failure ends is
    // usually dropped unread, and its index would cost more than its entries.
    torv::attributes::NameIndex& index() {
      if (unindexed) indexUnique();
      return nameIndex;
    }
    torv::attributes::NameIndex nameIndex;
    bool unindexed = false;

    std::string_view nameAt(int position) const override { return name(static_cast<std::size_t>(position)); }
    std::string_view name(std::size_t i) const { return texts.name(list[i]); }
    std::string_view value(std::size_t i) const { return texts.value(list[i]); }
    // Adds an entry whose name is not in the list yet; on failure nothing changes.
    void append(std::string_view name, std::string_view value);
    void setValue(std::size_t i, std::string_view value);
    void removeAt(std::size_t i);
    // Enters every entry, all names unique, into the empty index.
    void indexUnique();
    // put()'s rule for repeated names without the index: the first entry of a name takes over
    // the texts of its last and the others close up. The index is left to be built when needed.
    // Out of memory changes nothing.
    void keepFirstOfEachName();

    // What the index asks of entries that arrived unindexed.
    std::size_t count() const { return list.size(); }
    void moveEntry(std::size_t from, std::size_t to) { list[to] = list[from]; }
    // The later entry's name is the same text, so the earlier entry takes over its place.
    void takeOver(std::size_t earlier, std::size_t from) {
      texts.release(list[earlier]);
      list[earlier] = list[from];
    }
  };
  // The entries to change: a fresh set for an empty list, a copy of one shared with another list.
  Entries& own();

  // Shared between copies until one of them changes: a list handed on whole is not copied.
  // Null while the list is empty.
  std::shared_ptr<Entries> entries_;
};
