// The automation value: what every member of the library takes and returns.
//
// A Variant holds one of the automation kinds (empty, null, integers, floating
// point, currency, date, text, boolean, error code, object reference, byte) or
// an array of them. "Missing" -- an omitted optional argument -- is an error
// value with the code DISP_E_PARAMNOTFOUND, exactly as the automation runtime
// represents it, so it is distinct from the empty variant and survives being
// forwarded from one member to another.
//
// Variants and arrays have value semantics: copying a Variant that holds an
// array copies the array. Object references are shared (std::shared_ptr). A
// moved-from Variant is empty, as the runtime leaves the source of a move,
// and every member works on it.
//
// The constructors take exactly the kinds they name: `Variant(true)` is a
// Boolean but a pointer is no Boolean; `Variant(nullptr)` is the empty object
// reference ("Nothing"); a null `const char*` is the empty text, as a null
// string is in the runtime. No well-formed construction raises.
#pragma once

#include <commonvelmora/export.h>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace velmora {

class Object;
class SafeArray;
using ObjectRef = std::shared_ptr<Object>;

// Kind codes; the numbers are the automation runtime's VARTYPE values so that
// a future automation bridge can map them one to one.
enum class VarType : std::uint16_t {
  Empty = 0,
  Null = 1,
  Int16 = 2,
  Int32 = 3,
  Single = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  String = 8,
  Object = 9,
  Error = 10,
  Bool = 11,
  Variant = 12,  // only as an array element type
  Byte = 17,
  Array = 0x2000,  // flag combined with the element type
};

// 64-bit integer scaled by 10,000 (four decimal places), as the runtime keeps it.
struct Currency {
  std::int64_t scaled = 0;
  friend bool operator==(Currency, Currency) = default;
};

// Days since 30 December 1899; the fraction is the time of day.
struct Date {
  double serial = 0;
  friend bool operator==(Date, Date) = default;
};

// An error value (VT_ERROR), an HRESULT-like 32-bit code.
struct ErrorCode {
  std::int32_t scode = 0;
  friend bool operator==(ErrorCode, ErrorCode) = default;
};

// DISP_E_PARAMNOTFOUND: the error value that stands for an omitted argument.
inline constexpr std::int32_t kParamNotFound = static_cast<std::int32_t>(0x80020004u);

class VELMORA_EXPORT Variant {
 public:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) = default;
  };

  Variant() : data_() {}  // empty
  Variant(std::int16_t v) : data_(v) {}
  Variant(std::int32_t v) : data_(v) {}
  Variant(std::uint8_t v) : data_(v) {}
  Variant(float v) : data_(v) {}
  Variant(double v) : data_(v) {}
  template <class B>
  requires std::same_as<B, bool> Variant(B v) : data_(v) {}
  Variant(Currency v) : data_(v) {}
  Variant(Date v) : data_(v) {}
  Variant(ErrorCode v) : data_(v) {}
  Variant(const std::string& v) : data_(v) {}
  Variant(std::string&& v) : data_(std::move(v)) {}
  Variant(std::string_view v) : data_(std::string(v)) {}
  Variant(const char* v) : data_(v != nullptr ? std::string(v) : std::string()) {}
  Variant(std::nullptr_t) : data_(ObjectRef()) {}  // "Nothing"
  Variant(ObjectRef v) : data_(std::move(v)) {}    // a null pointer is "Nothing"
  template <class T>
  requires std::is_base_of_v<Object, T> Variant(std::shared_ptr<T> v)
      : Variant(ObjectRef(std::move(v))) {}
  Variant(SafeArray array);

  Variant(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  // Only text, object references and arrays own anything; the other kinds
  // are left as they are, without a call, since most values in flight are
  // scalars (a call's result, an argument read and dropped).
  ~Variant() {
    if ((kOwning >> (data_.index() & 31u)) & 1u) releaseSlow();  // valueless: bit 31, none
  }

  static Variant null() { return Variant(NullTag{}); }
  static Variant missing() { return Variant(ErrorCode{kParamNotFound}); }
  static Variant nothing() { return Variant(ObjectRef()); }

  VarType type() const;  // element type | Array for arrays
  bool isEmpty() const { return data_.index() == 0; }
  bool isNull() const { return std::holds_alternative<NullTag>(data_); }
  bool isMissing() const {
    const ErrorCode* e = getIf<ErrorCode>();
    return e != nullptr && e->scode == kParamNotFound;
  }
  bool isArray() const { return std::holds_alternative<ArrayBox>(data_); }
  bool isObject() const { return std::holds_alternative<ObjectRef>(data_); }  // incl. Nothing
  bool isNothing() const {  // the empty object reference
    const ObjectRef* o = getIf<ObjectRef>();
    return o != nullptr && *o == nullptr;
  }
  bool isText() const { return std::holds_alternative<std::string>(data_); }

  // Typed access. `as<T>()` throws AutomationError 13 (type mismatch) when the
  // variant holds another kind; use the conversions in convert.h to coerce.
  template <class T>
  const T* getIf() const {
    return std::get_if<T>(&data_);
  }
  template <class T>
  T* getIf() {
    return std::get_if<T>(&data_);
  }
  template <class T>
  const T& as() const {
    if (const T* p = getIf<T>()) return *p;
    throwTypeMismatch();
  }

  const std::string& text() const { return as<std::string>(); }
  const ObjectRef& object() const { return as<ObjectRef>(); }
  const SafeArray& array() const;
  SafeArray& array();

  // Exact equality: the same kind and the same value (arrays element by
  // element, objects by identity). This is the property bag's "equals the
  // default" test, not the language's loose comparison.
  friend bool operator==(const Variant& a, const Variant& b) {
    if (a.data_.index() != b.data_.index()) return false;
    if (const ObjectRef* x = a.getIf<ObjectRef>()) return *x == *b.getIf<ObjectRef>();
    if (const std::string* x = a.getIf<std::string>()) return *x == *b.getIf<std::string>();
    return a.data_ == b.data_;
  }

 private:
  struct ArrayBox {
    std::unique_ptr<SafeArray> p;
    ArrayBox() = default;
    explicit ArrayBox(SafeArray a);
    ArrayBox(const ArrayBox& o);
    ArrayBox(ArrayBox&&) noexcept = default;
    ArrayBox& operator=(const ArrayBox& o);
    ArrayBox& operator=(ArrayBox&&) noexcept = default;
    ~ArrayBox();
    static bool equal(const ArrayBox& a, const ArrayBox& b);
    friend bool operator==(const ArrayBox& a, const ArrayBox& b) { return equal(a, b); }
  };
  using Data =
      std::variant<std::monostate, NullTag, std::int16_t, std::int32_t, float, double, Currency,
                   Date, std::string, ObjectRef, ErrorCode, bool, std::uint8_t, ArrayBox>;
  static_assert(std::variant_size_v<Data> < 32);
  // One bit per kind whose destructor has work to do.
  static constexpr std::uint32_t kOwning = []<std::size_t... I>(std::index_sequence<I...>) {
    return ((std::is_trivially_destructible_v<std::variant_alternative_t<I, Data>> ? 0u : 1u << I) |
            ...);
  }
  (std::make_index_sequence<std::variant_size_v<Data>>());

  explicit Variant(NullTag) : data_(NullTag{}) {}
  [[noreturn]] static void throwTypeMismatch();
  void releaseSlow() noexcept;

  // In a union so that the destructor decides whether the variant's own runs.
  union {
    Data data_;
  };
};

// A multi-dimensional array with a lower bound per dimension, as the
// automation runtime's SAFEARRAY. An array with no dimensions is "never
// dimensioned"; a dimension with zero elements has upper bound lbound - 1
// (the "empty array" whose upper bound is -1).
//
// Elements are stored in row-major order of the dimensions as given
// (the last index varies fastest). Byte arrays keep raw bytes.
class VELMORA_EXPORT SafeArray {
 public:
  struct Bound {
    std::int32_t lbound = 0;
    std::int32_t count = 0;
    std::int32_t ubound() const { return lbound + count - 1; }
    friend bool operator==(Bound, Bound) = default;
  };

  SafeArray() = default;  // a never-dimensioned variant array
  SafeArray(VarType elementType, std::vector<Bound> bounds);
  // A byte array of `bounds` holding `bytes`, which must be exactly as many
  // as the bounds give (else error 9).
  SafeArray(std::vector<Bound> bounds, std::vector<std::uint8_t> bytes);

  // A one-dimensional variant array from 0 holding `items`.
  static SafeArray ofVariants(std::vector<Variant> items, std::int32_t lbound = 0);
  // A one-dimensional byte array from 0.
  static SafeArray ofBytes(std::vector<std::uint8_t> bytes);

  VarType elementType() const { return elementType_; }  // Variant or Byte
  bool isDimensioned() const { return !bounds_.empty(); }
  int dims() const { return static_cast<int>(bounds_.size()); }
  const std::vector<Bound>& bounds() const { return bounds_; }
  // 1-based dimension as in the runtime's LBound/UBound; error 9 if out of range.
  std::int32_t lbound(int dim = 1) const;
  std::int32_t ubound(int dim = 1) const;
  std::size_t size() const;  // total number of elements

  // Element access by indexes (one per dimension); error 9 when out of bounds.
  Variant get(std::initializer_list<std::int32_t> index) const;
  void set(std::initializer_list<std::int32_t> index, Variant value);
  // Reference to an element of a variant array, for passing by reference.
  Variant& at(std::initializer_list<std::int32_t> index);
  const Variant& at(std::initializer_list<std::int32_t> index) const;

  // Resize keeping the elements that remain (the runtime's ReDim Preserve):
  // only the last dimension may change.
  void redimPreserveLast(std::int32_t newCount);

  // Flat storage.
  std::vector<Variant>& variants() { return variants_; }
  const std::vector<Variant>& variants() const { return variants_; }
  std::vector<std::uint8_t>& bytes() { return bytes_; }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  friend VELMORA_EXPORT bool operator==(const SafeArray& a, const SafeArray& b);

 private:
  std::size_t flatIndex(std::initializer_list<std::int32_t> index) const;

  VarType elementType_ = VarType::Variant;
  std::vector<Bound> bounds_;
  std::vector<Variant> variants_;
  std::vector<std::uint8_t> bytes_;
};

inline VarType Variant::type() const {
  static constexpr VarType kByIndex[] = {
      VarType::Empty,  VarType::Null,     VarType::Int16, VarType::Int32,  VarType::Single,
      VarType::Double, VarType::Currency, VarType::Date,  VarType::String, VarType::Object,
      VarType::Error,  VarType::Bool,     VarType::Byte,  VarType::Array};
  if (const ArrayBox* b = getIf<ArrayBox>()) {
    return static_cast<VarType>(static_cast<std::uint16_t>(VarType::Array) |
                                static_cast<std::uint16_t>(b->p->elementType()));
  }
  return kByIndex[data_.index()];
}

}  // namespace velmora
