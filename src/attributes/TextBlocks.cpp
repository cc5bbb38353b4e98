// SPDX-License-Identifier: Apache-2.0
#include "attributes/TextBlocks.h"

#include "stream/exceptions.h"

namespace torv::attributes {

std::uint32_t TextBlocks::checkedLength(std::size_t length) const {
  if (length > limits_.longestText) throw CZException("attribute text too long");
  return static_cast<std::uint32_t>(length);
}

std::string& TextBlocks::nextBlock() {
  if (blocks_.empty() || blocks_.back().size() >= limits_.blockBytes) {
    const bool first = blocks_.empty();
    blocks_.emplace_back();
    // A list that filled a block will likely fill more: later blocks take their room at once,
    // with some to spare for the entry that crosses the mark.
    if (!first) {
      try {
        blocks_.back().reserve(limits_.blockBytes + limits_.blockSpare);
      } catch (...) {
        blocks_.pop_back();
        throw;
      }
    }
  }
  return blocks_.back();
}

TextEntry TextBlocks::place(std::string_view name, std::string_view value) {
  const std::uint32_t nameLength = checkedLength(name.size());
  const std::uint32_t valueLength = checkedLength(value.size());
  std::string& block = nextBlock();
  const std::size_t at = block.size();
  try {
    block.append(name).append(value);
  } catch (...) {
    block.resize(at);
    throw;
  }
  stored_ += block.size() - at;
  return TextEntry{static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(at), nameLength,
                   valueLength};
}

void TextBlocks::setValue(TextEntry& entry, std::string_view value) {
  const std::uint32_t length = checkedLength(value.size());
  if (length <= entry.valueLength) {
    blocks_[entry.block].replace(entry.valueAt(), length, value);
    unused_ += entry.valueLength - length;
    entry.valueLength = length;
    return;
  }
  // The name is copied first, as placing may move the blocks.
  const std::string name(this->name(entry));
  const TextEntry moved = place(name, value);
  release(entry);
  entry = moved;
}

void TextBlocks::packIfWasteful(EntryList& entries) {
  if (unused_ < limits_.packThreshold || unused_ < stored_ - unused_) return;
  try {
    TextBlocks packed(limits_);
    EntryList moved = entries;
    for (TextEntry& entry : moved) entry = packed.place(name(entry), value(entry));
    blocks_.swap(packed.blocks_);
    entries.swap(moved);
    stored_ = packed.stored_;
    unused_ = 0;
  } catch (...) {
    // Out of memory: the unpacked blocks are just as good, only larger.
  }
}

void TextBlocks::recountUnused(const EntryList& entries) {
  std::size_t used = 0;
  for (const TextEntry& entry : entries) used += entry.length();
  unused_ = stored_ - used;
}

void TextBlocks::clear() {
  blocks_.clear();
  stored_ = 0;
  unused_ = 0;
}

}  // namespace torv::attributes
