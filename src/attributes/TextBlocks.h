// SPDX-License-Identifier: Apache-2.0
// The texts of an attribute list in a few large blocks, so that an entry costs no allocation of
// its own and a growing list never copies the texts it holds. An entry's name and value lie
// together; texts that were replaced or removed stay behind as unused bytes until they outweigh
// the texts in use, and then the blocks are packed again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace torv::attributes {

// Where an entry's texts lie: its name at `at` in block `block`, its value right behind it.
struct TextEntry {
  std::uint32_t block;
  std::uint32_t at;
  std::uint32_t nameLength;
  std::uint32_t valueLength;

  std::size_t length() const { return static_cast<std::size_t>(nameLength) + valueLength; }
  // Offsets within a block are summed in size_t: a name near the length limit must not wrap
  // round to an earlier entry's texts.
  std::size_t valueAt() const { return static_cast<std::size_t>(at) + nameLength; }
};

// The entries of a list in order. Grown in pieces, never moved to make room: a list that
// arrives from the wire costs what its entries need, with no spare capacity and no copy.
using EntryList = std::deque<TextEntry>;

struct TextLimits {
  // Entries record lengths in 32 bits; a longer text is refused rather than cut.
  std::size_t longestText = 0xffffffffu;
  // A block takes no new entry once it holds this many bytes; the spare room lets the entry
  // that crosses the mark arrive without moving the block.
  std::size_t blockBytes = 64 * 1024;
  std::size_t blockSpare = 4 * 1024;
  // Below this many unused bytes the blocks are never packed: not worth a pass.
  std::size_t packThreshold = 4096;
};

class TextBlocks {
 public:
  explicit TextBlocks(const TextLimits& limits = TextLimits()) : limits_(limits) {}

  std::string_view name(const TextEntry& entry) const { return std::string_view(textOf(entry), entry.nameLength); }
  std::string_view value(const TextEntry& entry) const {
    return std::string_view(textOf(entry) + entry.nameLength, entry.valueLength);
  }

  // Places a name and its value together in the next block; on failure nothing changes.
  TextEntry place(std::string_view name, std::string_view value);
  // Texts straight from a stream into the next block: appendTexts(block) appends a name and
  // then its value, and returns where the value starts. Texts of an entry that does not
  // arrive whole are taken out again.
  template <typename AppendTexts>
  TextEntry receive(AppendTexts&& appendTexts);
  // Gives the entry a new value: in place when it is no longer, else moved with its name to
  // the next block. Views into the blocks do not survive it.
  void setValue(TextEntry& entry, std::string_view value);
  // The entry's texts are no longer referred to.
  void release(const TextEntry& entry) { unused_ += entry.length(); }
  // Packs the blocks when unused bytes outweigh the texts in use; the entries are moved to
  // their new places. Out of memory leaves everything as it was.
  void packIfWasteful(EntryList& entries);
  // Counts the unused bytes again after a failure left fewer entries.
  void recountUnused(const EntryList& entries);
  void clear();

 private:
  const char* textOf(const TextEntry& entry) const { return blocks_[entry.block].data() + entry.at; }
  // The block that the next texts go to: the last one until it holds a block's worth.
  std::string& nextBlock();
  std::uint32_t checkedLength(std::size_t length) const;

  TextLimits limits_;
  std::vector<std::string> blocks_;
  std::size_t stored_ = 0;  // bytes in all blocks
  std::size_t unused_ = 0;  // bytes in blocks that no entry refers to
};

template <typename AppendTexts>
TextEntry TextBlocks::receive(AppendTexts&& appendTexts) {
  std::string& block = nextBlock();
  const std::size_t at = block.size();
  TextEntry entry;
  try {
    const std::size_t valueAt = appendTexts(block);
    entry = TextEntry{static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(at),
                      checkedLength(valueAt - at), checkedLength(block.size() - valueAt)};
  } catch (...) {
    block.resize(at);
    throw;
  }
  stored_ += block.size() - at;
  return entry;
}

}  // namespace torv::attributes
