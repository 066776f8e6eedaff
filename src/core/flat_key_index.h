// An open-addressing hash index from folded keys to references (entry
// pointers or 1-based positions) kept by the caller. The caller owns the keys:
// the index stores only each key's hash and the reference, and asks the
// caller whether a reference's key matches. One flat array of slots instead
// of a node per key: no allocation per insertion, and a look-up reads one
// slot before it touches the entry.
//
// `Ref` must be cheap to copy, and its value-initialised form (nullptr, 0)
// marks an empty slot, so it is never a valid reference.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace velmora {

template <class Ref>
class FlatKeyIndex {
 public:
  std::size_t size() const { return size_; }

  // The stored reference whose key has `hash` and satisfies `matches(ref)`.
  template <class Matches>
  const Ref* find(std::size_t hash, Matches&& matches) const {
    if (size_ == 0) return nullptr;
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.ref == Ref{}) return nullptr;
      if (s.hash == hash && matches(s.ref)) return &s.ref;
    }
  }

  // Adds a reference whose key is not in the index yet.
  void insert(std::size_t hash, Ref ref) {
    // At most three quarters full, so probe runs stay short.
    if ((size_ + 1) * 4 > slots_.size() * 3) grow();
    place(hash, ref);
    ++size_;
  }

  // Removes exactly `ref` (stored under `hash`); false when it is not there.
  bool erase(std::size_t hash, Ref ref) {
    if (size_ == 0) return false;
    std::size_t i = hash & mask_;
    while (!(slots_[i].ref == ref)) {
      if (slots_[i].ref == Ref{}) return false;
      i = (i + 1) & mask_;
    }
    // Backward-shift deletion: pull later members of the run into the gap
    // when their home slot allows it, so no tombstones are needed.
    for (std::size_t j = (i + 1) & mask_; !(slots_[j].ref == Ref{}); j = (j + 1) & mask_) {
      const std::size_t home = slots_[j].hash & mask_;
      const bool between = i <= j ? (i < home && home <= j) : (i < home || home <= j);
      if (between) continue;
      slots_[i] = slots_[j];
      i = j;
    }
    slots_[i] = Slot{};
    --size_;
    return true;
  }

  void clear() {
    slots_.clear();
    mask_ = 0;
    size_ = 0;
  }

  void reserve(std::size_t count) {
    while (count * 4 > slots_.size() * 3) grow();
  }

 private:
  struct Slot {
    std::size_t hash = 0;
    Ref ref{};
  };

  void place(std::size_t hash, Ref ref) {
    std::size_t i = hash & mask_;
    while (!(slots_[i].ref == Ref{})) i = (i + 1) & mask_;
    slots_[i] = Slot{hash, ref};
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 8 : old.size() * 2, Slot{});
    mask_ = slots_.size() - 1;
    for (const Slot& s : old) {
      if (!(s.ref == Ref{})) place(s.hash, s.ref);
    }
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
};

}  // namespace velmora
