// Octet strings: any bytes, NUL included, in a malloc'ed buffer. `data` stays null for an
// empty string, so an empty string allocates nothing.

#include <stdlib.h>
#include <string.h>

#include "kx_host.h"

void KXOctetStringInit(KX_OCTET_STRING_T* os) {
  os->data = nullptr;
  os->length = 0;
}

void KXOctetStringFree(KX_OCTET_STRING_T* os) {
  free(os->data);
  KXOctetStringInit(os);
}

int KXOctetStringSetN(KX_OCTET_STRING_T* os, const void* data, size_t length) {
  if (length > UINT32_MAX) return 0;
  unsigned char* copy = nullptr;
  if (length > 0) {
    copy = static_cast<unsigned char*>(malloc(length));
    if (copy == nullptr) return 0;
    memcpy(copy, data, length);
  }
  free(os->data);
  os->data = copy;
  os->length = static_cast<uint32_t>(length);
  return 1;
}

int KXOctetStringSet(KX_OCTET_STRING_T* os, const char* text) {
  if (text == nullptr) return 0;
  return KXOctetStringSetN(os, text, strlen(text));
}

size_t KXOctetStringToCStr(const KX_OCTET_STRING_T* os, char* buf, size_t size) {
  if (size == 0) return 0;
  size_t take = os->length < size - 1 ? os->length : size - 1;
  if (take > 0) memcpy(buf, os->data, take);
  buf[take] = '\0';
  return take;
}
