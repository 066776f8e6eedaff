#include <commonvelmora/error.h>
#include <commonvelmora/variant.h>

#include <limits>

namespace velmora {

// ---- Variant ---------------------------------------------------------------

Variant::ArrayBox::ArrayBox(SafeArray a) : p(std::make_unique<SafeArray>(std::move(a))) {}
Variant::ArrayBox::ArrayBox(const ArrayBox& o)
    : p(o.p ? std::make_unique<SafeArray>(*o.p) : nullptr) {}
Variant::ArrayBox& Variant::ArrayBox::operator=(const ArrayBox& o) {
  if (this != &o) p = o.p ? std::make_unique<SafeArray>(*o.p) : nullptr;
  return *this;
}
Variant::ArrayBox::~ArrayBox() = default;
bool Variant::ArrayBox::equal(const ArrayBox& a, const ArrayBox& b) {
  if (!a.p || !b.p) return a.p == b.p;
  return *a.p == *b.p;
}

Variant::Variant(SafeArray array) : data_(ArrayBox(std::move(array))) {}
Variant::Variant(const Variant& other) : data_(other.data_) {}
// The source of a move is left empty rather than holding an alternative whose
// contents were taken (an array box without its array).
Variant::Variant(Variant&& other) noexcept : data_(std::move(other.data_)) {
  other.data_.emplace<std::monostate>();
}
Variant& Variant::operator=(const Variant& other) {
  data_ = other.data_;
  return *this;
}
Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    data_ = std::move(other.data_);
    other.data_.emplace<std::monostate>();
  }
  return *this;
}
void Variant::releaseSlow() noexcept { data_.~Data(); }

void Variant::throwTypeMismatch() { throw AutomationError(err::kTypeMismatch); }

const SafeArray& Variant::array() const {
  if (const ArrayBox* b = getIf<ArrayBox>()) return *b->p;
  throwTypeMismatch();
}

SafeArray& Variant::array() {
  if (ArrayBox* b = getIf<ArrayBox>()) return *b->p;
  throwTypeMismatch();
}

// ---- SafeArray -------------------------------------------------------------

namespace {

// The element count of `bounds` (0 for none), checked as the runtime does:
// negative counts are out of range, more than 2^32 elements out of memory.
std::size_t elementCount(const std::vector<SafeArray::Bound>& bounds) {
  std::size_t n = bounds.empty() ? 0 : 1;
  for (const SafeArray::Bound& b : bounds) {
    if (b.count < 0) throw AutomationError(err::kSubscriptOutOfRange);
    if (b.count != 0 &&
        n > std::numeric_limits<std::uint32_t>::max() / static_cast<std::size_t>(b.count)) {
      throw AutomationError(err::kOutOfMemory);
    }
    n *= static_cast<std::size_t>(b.count);
  }
  return n;
}

}  // namespace

SafeArray::SafeArray(VarType elementType, std::vector<Bound> bounds)
    : elementType_(elementType), bounds_(std::move(bounds)) {
  const std::size_t n = elementCount(bounds_);
  if (elementType_ == VarType::Byte) {
    bytes_.resize(n);
  } else {
    variants_.resize(n);
  }
}

SafeArray::SafeArray(std::vector<Bound> bounds, std::vector<std::uint8_t> bytes)
    : elementType_(VarType::Byte) {
  if (elementCount(bounds) != bytes.size()) throw AutomationError(err::kSubscriptOutOfRange);
  bounds_ = std::move(bounds);
  bytes_ = std::move(bytes);
}

SafeArray SafeArray::ofVariants(std::vector<Variant> items, std::int32_t lbound) {
  SafeArray a;
  a.bounds_ = {Bound{lbound, static_cast<std::int32_t>(items.size())}};
  a.variants_ = std::move(items);
  return a;
}

SafeArray SafeArray::ofBytes(std::vector<std::uint8_t> bytes) {
  std::vector<Bound> bounds{Bound{0, static_cast<std::int32_t>(bytes.size())}};
  return SafeArray(std::move(bounds), std::move(bytes));
}

std::int32_t SafeArray::lbound(int dim) const {
  if (dim < 1 || dim > dims()) throw AutomationError(err::kSubscriptOutOfRange);
  return bounds_[static_cast<std::size_t>(dim - 1)].lbound;
}

std::int32_t SafeArray::ubound(int dim) const {
  if (dim < 1 || dim > dims()) throw AutomationError(err::kSubscriptOutOfRange);
  return bounds_[static_cast<std::size_t>(dim - 1)].ubound();
}

std::size_t SafeArray::size() const {
  return elementType_ == VarType::Byte ? bytes_.size() : variants_.size();
}

std::size_t SafeArray::flatIndex(std::initializer_list<std::int32_t> index) const {
  if (index.size() != bounds_.size()) throw AutomationError(err::kSubscriptOutOfRange);
  std::size_t flat = 0;
  auto b = bounds_.begin();
  for (std::int32_t i : index) {
    const std::int64_t offset = static_cast<std::int64_t>(i) - b->lbound;
    if (offset < 0 || offset >= b->count) throw AutomationError(err::kSubscriptOutOfRange);
    flat = flat * static_cast<std::size_t>(b->count) + static_cast<std::size_t>(offset);
    ++b;
  }
  return flat;
}

Variant SafeArray::get(std::initializer_list<std::int32_t> index) const {
  const std::size_t i = flatIndex(index);
  if (elementType_ == VarType::Byte) return Variant(bytes_[i]);
  return variants_[i];
}

void SafeArray::set(std::initializer_list<std::int32_t> index, Variant value) {
  const std::size_t i = flatIndex(index);
  if (elementType_ == VarType::Byte) {
    const std::uint8_t* b = value.getIf<std::uint8_t>();
    if (b == nullptr) throw AutomationError(err::kTypeMismatch);
    bytes_[i] = *b;
  } else {
    variants_[i] = std::move(value);
  }
}

Variant& SafeArray::at(std::initializer_list<std::int32_t> index) {
  if (elementType_ == VarType::Byte) throw AutomationError(err::kTypeMismatch);
  return variants_[flatIndex(index)];
}

const Variant& SafeArray::at(std::initializer_list<std::int32_t> index) const {
  if (elementType_ == VarType::Byte) throw AutomationError(err::kTypeMismatch);
  return variants_[flatIndex(index)];
}

void SafeArray::redimPreserveLast(std::int32_t newCount) {
  if (bounds_.empty() || newCount < 0) throw AutomationError(err::kSubscriptOutOfRange);
  // Row-major with the last index fastest: changing the last dimension moves
  // every row, so rebuild row by row.
  const std::size_t oldCount = static_cast<std::size_t>(bounds_.back().count);
  const std::size_t count = static_cast<std::size_t>(newCount);
  std::size_t rows = 1;
  for (std::size_t d = 0; d + 1 < bounds_.size(); ++d)
    rows *= static_cast<std::size_t>(bounds_[d].count);
  const std::size_t keep = std::min(oldCount, count);
  auto rebuild = [&](auto& flat) {
    std::remove_reference_t<decltype(flat)> out(rows * count);
    for (std::size_t r = 0; r < rows; ++r) {
      for (std::size_t c = 0; c < keep; ++c) out[r * count + c] = std::move(flat[r * oldCount + c]);
    }
    flat = std::move(out);
  };
  if (elementType_ == VarType::Byte) {
    rebuild(bytes_);
  } else {
    rebuild(variants_);
  }
  bounds_.back().count = newCount;
}

bool operator==(const SafeArray& a, const SafeArray& b) {
  return a.elementType_ == b.elementType_ && a.bounds_ == b.bounds_ && a.variants_ == b.variants_ &&
         a.bytes_ == b.bytes_;
}

}  // namespace velmora
