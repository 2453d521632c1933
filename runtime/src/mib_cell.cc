#include "mib_cell.h"

#include <cstring>
#include <new>
#include <utility>

namespace kxrt {

Cell::Cell(const Cell& other) : integer_(other.integer_), size_(0) {
  if (!SetBytes(other.data(), other.size_)) throw std::bad_alloc();
}

Cell::Cell(Cell&& other) noexcept : integer_(other.integer_), size_(other.size_) {
  if (size_ > kInline) {
    heap_ = other.heap_;
    other.size_ = 0;
  } else if (size_ > 0) {
    std::memcpy(inline_, other.inline_, size_);
  }
}

Cell& Cell::operator=(const Cell& other) {
  if (this != &other) {
    if (!SetBytes(other.data(), other.size_)) throw std::bad_alloc();
    integer_ = other.integer_;
  }
  return *this;
}

Cell& Cell::operator=(Cell&& other) noexcept {
  if (this != &other) {
    this->~Cell();
    new (this) Cell(std::move(other));
  }
  return *this;
}

Cell::~Cell() {
  if (size_ > kInline) delete[] heap_;
}

bool Cell::BytesEqual(const void* bytes, uint32_t size) const {
  return size == size_ && (size == 0 || std::memcmp(data(), bytes, size) == 0);
}

bool Cell::SetBytes(const void* bytes, uint32_t size) {
  if (size <= kInline) {
    unsigned char copy[kInline];
    if (size > 0) std::memcpy(copy, bytes, size);  // bytes may point into this cell
    if (size_ > kInline) delete[] heap_;
    if (size > 0) std::memcpy(inline_, copy, size);
    size_ = size;
    return true;
  }
  unsigned char* block = new (std::nothrow) unsigned char[size];
  if (block == nullptr) return false;
  std::memcpy(block, bytes, size);
  if (size_ > kInline) delete[] heap_;
  heap_ = block;
  size_ = size;
  return true;
}

bool TypeHasBytes(int32_t type) {
  return type == KX_ASN_OCTET_STRING || type == KX_ASN_IPADDRESS || type == KX_ASN_OBJECT_ID;
}

bool CellFromValue(int32_t type, const KX_ASN_VALUE_T& value, Cell* cell) {
  if (!TypeHasBytes(type)) {
    cell->set_integer(value.integer);
    return true;
  }
  const void* bytes = value.octets.data;
  uint64_t size = value.octets.length;
  if (type == KX_ASN_OBJECT_ID) {
    bytes = value.oid.ids;
    size = uint64_t{value.oid.count} * sizeof(uint32_t);
  }
  if (size > UINT32_MAX || (size > 0 && bytes == nullptr)) return false;
  return cell->SetBytes(bytes, static_cast<uint32_t>(size));
}

bool CellToValue(int32_t type, const Cell& cell, KX_ASN_VALUE_T* value) {
  KXAsnValueFree(value);
  if (type == KX_ASN_OBJECT_ID) {
    uint32_t count = cell.size() / sizeof(uint32_t);
    if (!KXObjidRealloc(&value->oid, count)) return false;
    if (count > 0) std::memcpy(value->oid.ids, cell.data(), cell.size());
  } else if (TypeHasBytes(type)) {
    if (!KXOctetStringSetN(&value->octets, cell.data(), cell.size())) return false;
  } else {
    value->integer = cell.integer();
  }
  value->type = type;
  return true;
}

}  // namespace kxrt
