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

  // Where an entry lies: its name at `at` in a text block, and its value right behind it.
  struct Entry {
    std::uint32_t block;
    std::uint32_t at;
    std::uint32_t nameLength;
    std::uint32_t valueLength;
  };
  // The texts of the list in a few large blocks, so that an entry costs no allocation of its
  // own and a growing list never copies the texts it holds. Texts that were replaced or removed
  // stay behind as unused bytes until they outweigh the texts in use; then the blocks are
  // packed again.
  struct Entries final : torv::attributes::IndexedNames {
    std::vector<std::string> blocks;
    std::vector<Entry> list;
    std::size_t stored = 0;             // bytes in all blocks
    std::size_t unused = 0;             // bytes in blocks that no entry refers to
    torv::attributes::NameIndex index;  // name -> position in list

    std::string_view nameAt(int position) const override { return name(static_cast<std::size_t>(position)); }
    std::string_view name(std::size_t i) const { return std::string_view(textOf(list[i]), list[i].nameLength); }
    std::string_view value(std::size_t i) const {
      return std::string_view(textOf(list[i]) + list[i].nameLength, list[i].valueLength);
    }
    const char* textOf(const Entry& entry) const { return blocks[entry.block].data() + entry.at; }
    // The block that the next texts go to: the last one until it holds a block's worth. Views
    // into the blocks do not survive it.
    std::string& nextBlock();
    // Places a name and its value together in the next block; on failure nothing changes.
    Entry place(std::string_view name, std::string_view value);
    // Adds an entry whose name is not in the list yet; on failure nothing changes.
    void append(std::string_view name, std::string_view value);
    void setValue(std::size_t i, std::string_view value);
    void removeAt(std::size_t i);
    // Packs the blocks when unused bytes outweigh the texts in use.
    void packIfWasteful();
    // Counts the unused bytes again after a failure left the entries shorter.
    void recountUnused();
  };
  // The entries to change: a fresh set for an empty list, a copy of one shared with another list.
  Entries& own();

  // Shared between copies until one of them changes: a list handed on whole is not copied.
  // Null while the list is empty.
  std::shared_ptr<Entries> entries_;
};
