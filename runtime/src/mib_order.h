// Object identifier order for the in-memory MIB: borrowed sub-identifier ranges, their
// lexicographic comparison, and the compact index tuple that keys a table's rows. Lookups take
// spans of the caller's name, so finding an instance never copies or allocates.

#ifndef KXRT_MIB_ORDER_H_
#define KXRT_MIB_ORDER_H_

#include <cstddef>
#include <cstdint>

#include "kxrt/mib.h"

namespace kxrt {

// A borrowed range of sub-identifiers; valid as long as the storage it points into.
struct IdSpan {
  const uint32_t* ids = nullptr;
  size_t count = 0;

  IdSpan() = default;
  IdSpan(const uint32_t* i, size_t c) : ids(i), count(c) {}
  IdSpan(const Oid& oid) : ids(oid.data()), count(oid.size()) {}  // NOLINT: implicit on purpose

  uint32_t operator[](size_t i) const { return ids[i]; }
  // The sub-identifiers from position `from` on; from <= count.
  IdSpan From(size_t from) const { return IdSpan(ids + from, count - from); }
  bool StartsWith(IdSpan prefix) const;
};

// Negative, 0 or positive as a sorts before, equals or sorts after b. A proper prefix sorts
// before every identifier that extends it, as in SNMP's get-next order.
int CompareIds(IdSpan a, IdSpan b);

// A row's index sub-identifiers. Up to kInline of them live inside the key itself, so tables of
// one to four index levels cost no allocation per row beyond the map node.
class IndexKey {
 public:
  static constexpr size_t kInline = 4;

  explicit IndexKey(IdSpan ids);
  IndexKey(const IndexKey& other) : IndexKey(other.span()) {}
  IndexKey(IndexKey&& other) noexcept;
  IndexKey& operator=(const IndexKey&) = delete;
  IndexKey& operator=(IndexKey&&) = delete;
  ~IndexKey();

  IdSpan span() const { return IdSpan(count_ <= kInline ? inline_ : heap_, count_); }

 private:
  uint32_t count_;
  union {
    uint32_t inline_[kInline];
    uint32_t* heap_;
  };
};

// Orders std::vector identifiers, index keys and borrowed spans against each other, so maps
// keyed by either can be searched with a span of the caller's name.
struct IdLess {
  using is_transparent = void;
  static IdSpan AsSpan(IdSpan s) { return s; }
  static IdSpan AsSpan(const Oid& oid) { return IdSpan(oid); }
  static IdSpan AsSpan(const IndexKey& key) { return key.span(); }

  template <typename A, typename B>
  bool operator()(const A& a, const B& b) const {
    return CompareIds(AsSpan(a), AsSpan(b)) < 0;
  }
};

}  // namespace kxrt

#endif  // KXRT_MIB_ORDER_H_
