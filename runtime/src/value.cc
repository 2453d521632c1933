// Values, variable bindings and binding lists. A value owns its octet and OID payloads; every
// copy is deep and is built completely before the destination is touched, so a failed
// allocation leaves the destination as it was.

#include <stdlib.h>
#include <string.h>

#include "kx_host.h"

void KXAsnValueInit(KX_ASN_VALUE_T* value) {
  value->type = KX_ASN_NULL;
  value->integer = 0;
  KXOctetStringInit(&value->octets);
  KXObjidInit(&value->oid);
}

void KXAsnValueFree(KX_ASN_VALUE_T* value) {
  KXOctetStringFree(&value->octets);
  KXObjidFree(&value->oid);
  KXAsnValueInit(value);
}

int KXAsnValueCopy(KX_ASN_VALUE_T* dst, const KX_ASN_VALUE_T* src) {
  if (dst == src) return 1;
  KX_ASN_VALUE_T copy;
  KXAsnValueInit(&copy);
  copy.type = src->type;
  copy.integer = src->integer;
  if (!KXOctetStringSetN(&copy.octets, src->octets.data, src->octets.length) ||
      !KXObjidCopy(&copy.oid, &src->oid)) {
    KXAsnValueFree(&copy);
    return 0;
  }
  KXAsnValueFree(dst);
  *dst = copy;
  return 1;
}

void KXVarBindInit(KX_VARBIND_T* vb) {
  KXObjidInit(&vb->name);
  KXAsnValueInit(&vb->value);
}

void KXVarBindFree(KX_VARBIND_T* vb) {
  KXObjidFree(&vb->name);
  KXAsnValueFree(&vb->value);
}

void KXVarBindFreeValue(KX_VARBIND_T* vb) {
  KXAsnValueFree(&vb->value);
}

void KXVarBindSetType(KX_VARBIND_T* vb, int32_t type) {
  KXAsnValueFree(&vb->value);
  vb->value.type = type;
}

int KXVarBindCopy(KX_VARBIND_T* dst, const KX_VARBIND_T* src) {
  if (dst == src) return 1;
  KX_VARBIND_T copy;
  KXVarBindInit(&copy);
  if (!KXObjidCopy(&copy.name, &src->name) || !KXAsnValueCopy(&copy.value, &src->value)) {
    KXVarBindFree(&copy);
    return 0;
  }
  KXVarBindFree(dst);
  *dst = copy;
  return 1;
}

void KXVarBindListInit(KX_VARBIND_LIST_T* list) {
  list->items = nullptr;
  list->count = 0;
}

int KXVarBindListRealloc(KX_VARBIND_LIST_T* list, uint32_t count) {
  if (count == 0) {
    KXVarBindListFree(list);
    return 1;
  }
  if (count < list->count) {
    // Free the dropped bindings only once the shrink cannot fail any more: a failed realloc
    // to a smaller size leaves the old block in place, which is still big enough.
    for (uint32_t i = count; i < list->count; ++i) KXVarBindFree(&list->items[i]);
    void* shrunk = realloc(list->items, sizeof(KX_VARBIND_T) * count);
    if (shrunk != nullptr) list->items = static_cast<KX_VARBIND_T*>(shrunk);
    list->count = count;
    return 1;
  }
  void* grown = realloc(list->items, sizeof(KX_VARBIND_T) * static_cast<size_t>(count));
  if (grown == nullptr) return 0;
  list->items = static_cast<KX_VARBIND_T*>(grown);
  for (uint32_t i = list->count; i < count; ++i) KXVarBindInit(&list->items[i]);
  list->count = count;
  return 1;
}

void KXVarBindListFree(KX_VARBIND_LIST_T* list) {
  for (uint32_t i = 0; i < list->count; ++i) KXVarBindFree(&list->items[i]);
  free(list->items);
  KXVarBindListInit(list);
}
