#include "mib_order.h"

#include <cstring>

namespace kxrt {

bool IdSpan::StartsWith(IdSpan prefix) const {
  if (prefix.count > count) return false;
  for (size_t i = 0; i < prefix.count; ++i) {
    if (ids[i] != prefix.ids[i]) return false;
  }
  return true;
}

int CompareIds(IdSpan a, IdSpan b) {
  size_t common = a.count < b.count ? a.count : b.count;
  for (size_t i = 0; i < common; ++i) {
    if (a.ids[i] != b.ids[i]) return a.ids[i] < b.ids[i] ? -1 : 1;
  }
  if (a.count == b.count) return 0;
  return a.count < b.count ? -1 : 1;
}

IndexKey::IndexKey(IdSpan ids) : count_(static_cast<uint32_t>(ids.count)) {
  uint32_t* target = inline_;
  if (count_ > kInline) {
    heap_ = new uint32_t[count_];
    target = heap_;
  }
  if (count_ > 0) std::memcpy(target, ids.ids, sizeof(uint32_t) * count_);
}

IndexKey::IndexKey(IndexKey&& other) noexcept : count_(other.count_) {
  if (count_ > kInline) {
    heap_ = other.heap_;
    other.count_ = 0;  // the moved-from key no longer owns the block
  } else {
    std::memcpy(inline_, other.inline_, sizeof(uint32_t) * count_);
  }
}

IndexKey::~IndexKey() {
  if (count_ > kInline) delete[] heap_;
}

}  // namespace kxrt
