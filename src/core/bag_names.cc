#include "core/bag_names.h"

#include <cstdint>

#include "core/unicode_fold.h"

namespace velmora {

std::uint32_t BagNames::intern(std::string_view text) {
  Recent& recent = recentSlot(text);
  if (isRecent(recent, text)) return recent.number;
  const std::size_t hash = hashBytes(text);
  const std::uint32_t* found = findExact(text, hash);
  std::uint32_t number = 0;
  if (found != nullptr) {
    number = *found - 1;
  } else {
    owned_.emplace_back(text);
    number = add(owned_.back(), hash);
  }
  recent = {text.data(), text.size(), number};
  return number;
}

std::uint32_t BagNames::foldOf(std::string_view text) {
  Recent& recent = recentSlot(text);
  if (isRecent(recent, text)) return names_[recent.number].foldId;
  Absent& absent = absent_[text.size() & (absent_.size() - 1)];
  if (absent.namesThen == size() && size() != 0 && sameText(absent.text, text)) return kNone;
  if (const std::uint32_t* exact = findExact(text, hashBytes(text))) {
    recent = {text.data(), text.size(), *exact - 1};
    return names_[*exact - 1].foldId;
  }
  const FoldedKey key(text);
  const std::uint32_t* same = byFold_.find(
      key.hash(), [&](std::uint32_t ref) { return key.matches(names_[ref - 1].text); });
  if (same != nullptr) return names_[*same - 1].foldId;
  absent.text.assign(text);
  absent.namesThen = size();
  return kNone;
}

bool BagNames::addView(std::string_view text) {
  const std::size_t hash = hashBytes(text);
  if (findExact(text, hash) != nullptr) return false;
  add(text, hash);
  return true;
}

void BagNames::rebase(std::span<const std::uint8_t> from, const std::uint8_t* to) {
  const auto begin = reinterpret_cast<std::uintptr_t>(from.data());
  for (Name& name : names_) {
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(name.text.data()) - begin;
    if (at < from.size()) name.text = {reinterpret_cast<const char*>(to) + at, name.text.size()};
  }
}

const std::uint32_t* BagNames::findExact(std::string_view text, std::size_t exactHash) const {
  return byText_.find(
      exactHash, [&](std::uint32_t ref) { return BagNames::sameText(names_[ref - 1].text, text); });
}

std::uint32_t BagNames::add(std::string_view text, std::size_t exactHash) {
  const FoldedKey key(text);
  const std::uint32_t* same = byFold_.find(
      key.hash(), [&](std::uint32_t ref) { return key.matches(names_[ref - 1].text); });
  const std::uint32_t number = size();
  names_.push_back({text, same != nullptr ? names_[*same - 1].foldId : number});
  byText_.insert(exactHash, number + 1);
  if (same == nullptr) byFold_.insert(key.hash(), number + 1);
  return number;
}

void BagNames::writeTo(bytes::Writer& w) const {
  w.varint(names_.size());
  for (const Name& n : names_) w.text(n.text);
}

}  // namespace velmora
