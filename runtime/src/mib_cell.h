// One stored value of the in-memory MIB. The object's registration fixes the type, so a cell
// keeps only the payload: the 32 integer bits, or bytes (octets, an IpAddress, or the
// sub-identifiers of an OBJECT IDENTIFIER). Payloads of up to 8 bytes live inside the 16-byte
// cell; longer ones in one heap block that the cell owns.

#ifndef KXRT_MIB_CELL_H_
#define KXRT_MIB_CELL_H_

#include <cstdint>

#include "kx_host.h"

namespace kxrt {

class Cell {
 public:
  Cell() : integer_(0), size_(0) {}
  // Copies throw std::bad_alloc when memory runs out, as the containers holding cells do.
  Cell(const Cell& other);
  Cell(Cell&& other) noexcept;
  Cell& operator=(const Cell& other);
  Cell& operator=(Cell&& other) noexcept;
  ~Cell();

  int32_t integer() const { return integer_; }
  void set_integer(int32_t value) { integer_ = value; }
  const unsigned char* data() const { return size_ <= kInline ? inline_ : heap_; }
  uint32_t size() const { return size_; }
  bool BytesEqual(const void* bytes, uint32_t size) const;
  // Replaces the bytes. Returns false, leaving the cell as it was, when memory ran out.
  bool SetBytes(const void* bytes, uint32_t size);

 private:
  static constexpr uint32_t kInline = 8;

  int32_t integer_;
  uint32_t size_;
  union {
    unsigned char inline_[kInline];
    unsigned char* heap_;
  };
};

// Whether values of this tag carry bytes (octets, IpAddress, OBJECT IDENTIFIER) rather than
// the integer.
bool TypeHasBytes(int32_t type);

// Fills *cell from value's payload for an object of the given type. Returns false when the
// payload is malformed (bytes claimed but none given) or memory ran out; *cell is then unchanged.
bool CellFromValue(int32_t type, const KX_ASN_VALUE_T& value, Cell* cell);

// Replaces *value by the cell's contents with tag `type`. Returns false when memory ran out;
// the value is then NULL.
bool CellToValue(int32_t type, const Cell& cell, KX_ASN_VALUE_T* value);

}  // namespace kxrt

#endif  // KXRT_MIB_CELL_H_
