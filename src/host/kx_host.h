// The host agent's runtime as the configurator library sees it: object identifiers, variable
// bindings, value scanning and printing, the MIB, the console, the log, the settings and the
// cipher. The library calls nothing of the host that is not declared here.
//
// Conventions shared by every function below:
//  - Records are plain C structs owned by the caller; a record is usable only after its Init
//    function ran, and every Free function leaves the record as Init left it, so freeing twice
//    is harmless.
//  - Results of 1 mean done and 0 mean failed unless a function says otherwise.
//  - Texts are NUL-terminated; the callee copies what it keeps.
//  - Nothing here is thread-safe: the host drives everything from its console thread.

#ifndef KX_HOST_H_
#define KX_HOST_H_

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KX_API __attribute__((visibility("default")))

// ASN.1 / SNMP type tags of a value.
enum {
  KX_ASN_INTEGER = 0x02,
  KX_ASN_OCTET_STRING = 0x04,
  KX_ASN_NULL = 0x05,
  KX_ASN_OBJECT_ID = 0x06,
  KX_ASN_IPADDRESS = 0x40,
  KX_ASN_COUNTER = 0x41,
  KX_ASN_UNSIGNED = 0x42,
  KX_ASN_TIMETICKS = 0x43,
  KX_ASN_NO_SUCH_OBJECT = 0x80,
  KX_ASN_NO_SUCH_INSTANCE = 0x81,
  KX_ASN_END_OF_MIB_VIEW = 0x82
};

// SNMPv2 error statuses handed back by KXMibSet.
enum {
  KX_SNMP_NO_ERROR = 0,
  KX_SNMP_TOO_BIG = 1,
  KX_SNMP_NO_SUCH_NAME = 2,
  KX_SNMP_BAD_VALUE = 3,
  KX_SNMP_READ_ONLY = 4,
  KX_SNMP_GEN_ERR = 5,
  KX_SNMP_NO_ACCESS = 6,
  KX_SNMP_WRONG_TYPE = 7,
  KX_SNMP_WRONG_LENGTH = 8,
  KX_SNMP_WRONG_ENCODING = 9,
  KX_SNMP_WRONG_VALUE = 10,
  KX_SNMP_NO_CREATION = 11,
  KX_SNMP_INCONSISTENT_VALUE = 12,
  KX_SNMP_RESOURCE_UNAVAILABLE = 13,
  KX_SNMP_COMMIT_FAILED = 14,
  KX_SNMP_UNDO_FAILED = 15,
  KX_SNMP_AUTHORIZATION_ERROR = 16,
  KX_SNMP_NOT_WRITABLE = 17,
  KX_SNMP_INCONSISTENT_NAME = 18
};

// Access of a registered object.
enum { KX_ACCESS_READ_ONLY = 1, KX_ACCESS_READ_WRITE = 2, KX_ACCESS_READ_CREATE = 3 };

// Lower bound that marks an OCTET STRING object whose values are kept enciphered in saved
// configurations.
#define KX_ENCIPHERED_LOWER_BOUND (-1234)

// An object identifier: `count` sub-identifiers at `ids` (null when count is 0 and nothing was
// allocated). Users may write sub-identifiers in place and lower `count` to make a prefix.
typedef struct KX_OBJID {
  uint32_t* ids;
  uint32_t count;
} KX_OBJID_T;

// Any bytes, NUL included. `data` is null when nothing was allocated.
typedef struct KX_OCTET_STRING {
  unsigned char* data;
  uint32_t length;
} KX_OCTET_STRING_T;

// A typed value. `type` is one of KX_ASN_*; the payload that goes with it:
//   INTEGER                      -> integer
//   unsigned, Counter, TimeTicks -> integer (the 32 bits, read as uint32_t)
//   OCTET STRING                 -> octets
//   IpAddress                    -> octets (exactly 4, network order)
//   OBJECT IDENTIFIER            -> oid
//   NULL and the exception tags  -> nothing
typedef struct KX_ASN_VALUE {
  int32_t type;
  int32_t integer;
  KX_OCTET_STRING_T octets;
  KX_OBJID_T oid;
} KX_ASN_VALUE_T;

// A variable binding: an instance name and its value.
typedef struct KX_VARBIND {
  KX_OBJID_T name;
  KX_ASN_VALUE_T value;
} KX_VARBIND_T;

typedef struct KX_VARBIND_LIST {
  KX_VARBIND_T* items;
  uint32_t count;
} KX_VARBIND_LIST_T;

// What the MIB knows of a registered object. For INTEGER objects `lower`..`upper` bound the
// value, for OCTET STRING objects its length; 0 and 0 mean no range.
typedef struct KX_MIB_REG {
  int32_t type;
  int32_t lower;
  int32_t upper;
  int32_t access;
} KX_MIB_REG_T;

// ---- Object identifiers ----

KX_API void KXObjidInit(KX_OBJID_T* oid);
KX_API void KXObjidFree(KX_OBJID_T* oid);
// Deep copy; dst's previous contents are released. Returns 1, or 0 when memory ran out.
KX_API int KXObjidCopy(KX_OBJID_T* dst, const KX_OBJID_T* src);
// Parses dotted text ("1.3.6.1", a leading '.' allowed). Every component must be a decimal
// number below 2^32; empty text and empty components are refused. On failure returns 0 and
// leaves oid empty.
KX_API int KXObjidSetStr(KX_OBJID_T* oid, const char* text);
// Resizes to count sub-identifiers, keeping the common prefix; new positions hold 0.
KX_API int KXObjidRealloc(KX_OBJID_T* oid, uint32_t count);
// Compares the first min(aCount, bCount) sub-identifiers: 0 when they agree, otherwise
// negative or positive as the first differing one of a is smaller or larger.
KX_API int KXObjidCompareN(const uint32_t* a, uint32_t aCount, const uint32_t* b, uint32_t bCount);
// Writes the dotted text into buf (always terminated when size > 0). Returns the length the
// whole text needs, as snprintf does.
KX_API int KXObjidToStr(const KX_OBJID_T* oid, char* buf, size_t size);

// ---- Octet strings ----

KX_API void KXOctetStringInit(KX_OCTET_STRING_T* os);
KX_API void KXOctetStringFree(KX_OCTET_STRING_T* os);
// Replaces the contents with the bytes of text (without its terminator).
KX_API int KXOctetStringSet(KX_OCTET_STRING_T* os, const char* text);
// Replaces the contents with length bytes from data.
KX_API int KXOctetStringSetN(KX_OCTET_STRING_T* os, const void* data, size_t length);
// Copies the contents out as text into buf (always terminated when size > 0), cut at size - 1
// bytes. Returns the number of bytes copied.
KX_API size_t KXOctetStringToCStr(const KX_OCTET_STRING_T* os, char* buf, size_t size);

// ---- Values and bindings ----

KX_API void KXAsnValueInit(KX_ASN_VALUE_T* value);
KX_API void KXAsnValueFree(KX_ASN_VALUE_T* value);
// Deep copy; dst's previous payload is released.
KX_API int KXAsnValueCopy(KX_ASN_VALUE_T* dst, const KX_ASN_VALUE_T* src);

// Empty name, tag NULL.
KX_API void KXVarBindInit(KX_VARBIND_T* vb);
// Releases name and value; the binding is as after Init.
KX_API void KXVarBindFree(KX_VARBIND_T* vb);
// Releases the value only: tag NULL, name kept.
KX_API void KXVarBindFreeValue(KX_VARBIND_T* vb);
// Releases the payload and sets the tag; the binding then holds the zero value of that type.
KX_API void KXVarBindSetType(KX_VARBIND_T* vb, int32_t type);
// Deep copy of name and value; dst must have been initialised.
KX_API int KXVarBindCopy(KX_VARBIND_T* dst, const KX_VARBIND_T* src);

KX_API void KXVarBindListInit(KX_VARBIND_LIST_T* list);
// Resizes to count bindings; kept ones are unchanged, new ones initialised, dropped ones freed.
KX_API int KXVarBindListRealloc(KX_VARBIND_LIST_T* list, uint32_t count);
KX_API void KXVarBindListFree(KX_VARBIND_LIST_T* list);

// Converts text into value by type letter: 'x' hexadecimal octets, 'd' dotted-decimal octets,
// 's' text, 'o' object identifier, 'a' IP address, 'u' unsigned, 't' time ticks, 'i' INTEGER.
// Returns non-zero when the whole text converted; the value then holds the new tag and payload
// (its previous payload released). Returns 0 on malformed text and leaves value untouched.
KX_API int KXAsnValueScan(char letter, const char* text, KX_ASN_VALUE_T* value);
// Display text for people (log lines, error messages). Returns the length the whole text needs,
// as snprintf does; buf is always terminated when size > 0.
KX_API int KXAsnValueSprint(const KX_ASN_VALUE_T* value, char* buf, size_t size);
// Text for a configuration script, quoted so that the console's word splitting gives back one
// word that the matching scan turns into exactly this value. Modes: 1 plain (scan by type),
// 3 enciphered (KXPasswordDecrypt, then scan 's'), 5 hexadecimal ('x'), 7 dotted-decimal
// octets ('d'). Returns the length the whole text needs, as snprintf does (a result >= size
// means the text was cut and must not be used), or a negative number when the value cannot be
// printed in that mode.
KX_API int KXAsnValueSprintX(const KX_ASN_VALUE_T* value, char* buf, size_t size, int mode);

// ---- MIB ----

// Reads the instance named by vb->name into vb->value. Non-zero when the name lies under a
// registered object: an absent instance of it then reads as tag KX_ASN_NO_SUCH_INSTANCE.
// 0 for a name under no registered object or outside its table's index range (the value is
// then NULL).
KX_API int KXMibGet(KX_VARBIND_T* vb);
// Replaces vb->name by the next instance in MIB order and reads it. Past the last instance the
// name is left as it was and the tag is KX_ASN_END_OF_MIB_VIEW; the result is still 1.
KX_API int KXMibGetNext(KX_VARBIND_T* vb);
// Writes vb->value into the instance named by vb->name. Returns 1 with *errorStatus 0 when done,
// 1 with a KX_SNMP_* status when the agent refused it, 0 when the request could not be processed.
KX_API int KXMibSet(KX_VARBIND_T* vb, int* errorStatus);
// The registration of the object that the instance (or object) identifier lies under, or null.
// The record stays valid until the object is unregistered.
KX_API const KX_MIB_REG_T* KXMibGetReg(const uint32_t* ids, uint32_t count);

// ---- Console ----

typedef struct KX_CONSOLE_CMD KX_CONSOLE_CMD_T;

// Called for each line that names the command, with the words after the command name.
typedef int (*KX_CONSOLE_CALLBACK_T)(KX_CONSOLE_CMD_T* cmd, int argc, const char* const* argv);

// A command descriptor: eight 8-byte words. The console keeps the pointer while registered.
struct KX_CONSOLE_CMD {
  const char* group;
  const char* cmdName;
  const char* cmdHelp;
  const char* syntax;
  const char* const* propertyLines;
  int32_t propertyCount;
  int32_t reserved;  // zero
  KX_CONSOLE_CALLBACK_T callback;
  void* context;
};

// Returns 1, or 0 when a command of that name is already registered.
KX_API int KXConsoleRegisterv(KX_CONSOLE_CMD_T* cmd);
// Returns 1, or 0 when the descriptor was not registered.
KX_API int KXConsoleDeregisterv(KX_CONSOLE_CMD_T* cmd);
// Runs one line as if typed. Returns 1 when the line was run, 0 when it could not be (unknown
// command, bad quoting, unreadable file for "config execute").
KX_API int KXConsoleExecute(const char* line);
// Sets a named result value ("?" is the row index of the last configurator command).
KX_API int KXConsoleSetValue(const char* name, const char* value);
// The current owner: never null. Pushing "~" makes the owner the previous one followed by "~".
KX_API const char* KXConsoleGetOwner(void);
KX_API void KXConsolePushOwner(const char* owner);
// Pops one owner; the base owner is never popped.
KX_API void KXConsolePopOwner(void);

// ---- Log, settings, cipher ----

// Logs text unchanged (it is not a format). Level 0 error ... 2 warning/notice ... 4 debug.
KX_API void KXLog(int level, const char* text);
// Reads an integer or boolean setting. Returns 1 when the key exists (then *flag holds it),
// 0 otherwise (then *flag is unchanged).
KX_API int KXGetIniFlag(const char* key, int* flag);
// Deciphers cipherText (cipherLength bytes, or up to its terminator when -1) into buf, which
// receives at most bufSize bytes and no terminator. Returns the clear text's length, or a
// negative error number: the text is malformed, tampered with, made with another key, no key is
// available, or the clear text does not fit.
KX_API int KXPasswordDecrypt(const char* cipherText, int cipherLength, char* buf, int bufSize);

#ifdef __cplusplus
}  // extern "C"
#endif

#endif  // KX_HOST_H_
