// Object identifiers: a malloc'ed array of sub-identifiers and its count. The records are C
// structs shared with C callers, so they are managed with malloc/realloc/free, and every
// failure leaves the record valid.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kx_host.h"

void KXObjidInit(KX_OBJID_T* oid) {
  oid->ids = nullptr;
  oid->count = 0;
}

void KXObjidFree(KX_OBJID_T* oid) {
  free(oid->ids);
  KXObjidInit(oid);
}

int KXObjidCopy(KX_OBJID_T* dst, const KX_OBJID_T* src) {
  if (dst == src) return 1;
  uint32_t* ids = nullptr;
  if (src->count > 0) {
    ids = static_cast<uint32_t*>(malloc(sizeof(uint32_t) * src->count));
    if (ids == nullptr) return 0;
    memcpy(ids, src->ids, sizeof(uint32_t) * src->count);
  }
  free(dst->ids);
  dst->ids = ids;
  dst->count = src->count;
  return 1;
}

int KXObjidRealloc(KX_OBJID_T* oid, uint32_t count) {
  if (count == 0) {
    KXObjidFree(oid);
    return 1;
  }
  void* grown = realloc(oid->ids, sizeof(uint32_t) * static_cast<size_t>(count));
  if (grown == nullptr) return 0;
  oid->ids = static_cast<uint32_t*>(grown);
  if (count > oid->count) {
    memset(oid->ids + oid->count, 0, sizeof(uint32_t) * (count - oid->count));
  }
  oid->count = count;
  return 1;
}

namespace {

// Parses one decimal component at *p (digits only, value below 2^32) and moves *p past it.
bool ParseComponent(const char** p, uint32_t* out) {
  const char* s = *p;
  if (*s < '0' || *s > '9') return false;
  uint64_t value = 0;
  while (*s >= '0' && *s <= '9') {
    value = value * 10 + static_cast<uint64_t>(*s - '0');
    if (value > UINT32_MAX) return false;
    ++s;
  }
  *out = static_cast<uint32_t>(value);
  *p = s;
  return true;
}

}  // namespace

int KXObjidSetStr(KX_OBJID_T* oid, const char* text) {
  KXObjidFree(oid);
  if (text == nullptr) return 0;
  const char* p = text;
  if (*p == '.') ++p;
  if (*p == '\0') return 0;
  // Every component needs at least one digit, so a count of dots bounds the size.
  uint32_t capacity = 1;
  for (const char* q = p; *q != '\0'; ++q) {
    if (*q == '.') ++capacity;
  }
  uint32_t* ids = static_cast<uint32_t*>(malloc(sizeof(uint32_t) * capacity));
  if (ids == nullptr) return 0;
  uint32_t count = 0;
  while (true) {
    if (!ParseComponent(&p, &ids[count])) break;
    ++count;
    if (*p == '\0') {
      oid->ids = ids;
      oid->count = count;
      return 1;
    }
    if (*p != '.') break;
    ++p;
  }
  free(ids);
  return 0;
}

int KXObjidCompareN(const uint32_t* a, uint32_t aCount, const uint32_t* b, uint32_t bCount) {
  uint32_t n = aCount < bCount ? aCount : bCount;
  for (uint32_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

int KXObjidToStr(const KX_OBJID_T* oid, char* buf, size_t size) {
  size_t needed = 0;
  char piece[16];
  if (size > 0) buf[0] = '\0';
  for (uint32_t i = 0; i < oid->count; ++i) {
    int n =
        snprintf(piece, sizeof piece, i == 0 ? "%u" : ".%u", static_cast<unsigned>(oid->ids[i]));
    size_t len = static_cast<size_t>(n);
    if (size > 0 && needed < size - 1) {
      size_t room = size - 1 - needed;
      size_t take = len < room ? len : room;
      memcpy(buf + needed, piece, take);
      buf[needed + take] = '\0';
    }
    needed += len;
  }
  return static_cast<int>(needed);
}
