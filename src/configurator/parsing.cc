// Turning the words of a command line into a verb, a requested index, an owner and typed column
// values.

#include <cstring>

#include "configurator/internal.h"

namespace korvax {

namespace {

constexpr size_t kMaxNameLength = 255;

// The operator that starts word w when a name is pending: '=' for "=", '@' for "@=", else 0.
char LeadingOperator(const char* w, size_t* length) {
  if (w[0] == '=') {
    *length = 1;
    return '=';
  }
  if (w[0] == '@' && w[1] == '=') {
    *length = 2;
    return '@';
  }
  return 0;
}

struct ScanRule {
  char letter;
  const char* description;
};

// How a value text is read for a scanned column type; letter 0 when the type is not scanned.
ScanRule ScanRuleFor(const CConfigurator::SColumn& col) {
  switch (col.type) {
    case KX_ASN_OCTET_STRING:
      if (col.fmt == IConfigurator::eFmtHex) return {'x', "hex-string"};
      if (col.fmt == IConfigurator::eFmtDecimal) return {'d', "decimal-string"};
      return {'s', "string"};
    case KX_ASN_OBJECT_ID:
      return {'o', "object-identifier"};
    case KX_ASN_IPADDRESS:
      return {'a', "IP address"};
    case KX_ASN_UNSIGNED:
      return {'u', "unsigned value"};
    case KX_ASN_TIMETICKS:
      return {'t', "time ticks"};
    default:
      return {0, nullptr};
  }
}

}  // namespace

bool CConfigurator::Parse(int argc, const char* const* argv, const char*& command) {
  command = nullptr;
  const char* pendingName = nullptr;
  char pendingOp = 0;
  bool result = true;
  for (int i = 0; i < argc; ++i) {
    const char* w = argv[i];
    const size_t n = strlen(w);
    if (pendingName != nullptr && pendingOp != 0) {
      if (!ParsePair(pendingName, pendingOp, w)) result = false;
      pendingName = nullptr;
      pendingOp = 0;
      continue;
    }
    if (pendingName != nullptr) {
      size_t opLength = 0;
      const char op = LeadingOperator(w, &opLength);
      if (op != 0) {
        if (n > opLength) {
          if (!ParsePair(pendingName, op, w + opLength)) result = false;
          pendingName = nullptr;
        } else {
          pendingOp = op;  // the value is the next word
        }
        continue;
      }
      // The pending name had no operator after it: it is a loose word.
      if (command != nullptr) {
        ReportError("Loose word \"%s\" when command is already \"%s\"", pendingName, command);
        return false;
      }
      command = pendingName;
      pendingName = nullptr;
      // w itself is looked at again below as a word with nothing pending.
    }
    const char* equals = n >= 2 ? strchr(w + 1, '=') : nullptr;
    if (equals == nullptr) {
      pendingName = w;
      continue;
    }
    const char op = equals[-1] == '@' ? '@' : '=';
    const size_t nameLength = static_cast<size_t>(equals - w) - (op == '@' ? 1 : 0);
    if (nameLength > kMaxNameLength) {
      ReportError("Name is too long (max is %d): %s", static_cast<int>(kMaxNameLength), w);
      result = false;
      continue;
    }
    char name[kMaxNameLength + 1];
    memcpy(name, w, nameLength);
    name[nameLength] = '\0';
    if (!ParsePair(name, op, equals + 1)) result = false;
  }
  if (pendingName == nullptr) return result;
  if (command == nullptr) {
    command = pendingName;
    return result;
  }
  ReportError("Loose word \"%s\" when command is already \"%s\"", pendingName, command);
  return false;
}

bool CConfigurator::ParsePair(const char* name, char op, const char* value) {
  char clear[2048];
  const char* text = value;
  if (op == '@') {
    int length = KXPasswordDecrypt(value, -1, clear, sizeof(clear) - 1);
    if (length < 0) {
      ReportError("Error decrypting \"%s\" (error %d).", value, length);
      return false;
    }
    clear[length] = '\0';
    text = clear;
  } else if (op != '=') {
    const char opText[2] = {op, '\0'};
    ReportError("Unknown operator '%s'.", opText);
    return false;
  }

  auto it = m_names.find(name);
  if (it != m_names.end()) {
    SColumn& col = *it->second;
    if (col.type == KX_ASN_INTEGER) return ParseInteger(col, text);
    return ParseScanned(col, text);
  }
  if (strcmp(name, "index") == 0) {
    int index = 0;
    if (!ScanInt(text, &index)) {
      ReportError("Invalid index '%s'", text);
      return false;
    }
    m_requestedIndex = index;
    return true;
  }
  if (strcmp(name, "owner") == 0) {
    m_owner = text;
    m_ownerGiven = true;
    return true;
  }
  ReportError("Unrecognized keyword '%s'", name);
  return false;
}

bool CConfigurator::ParseInteger(SColumn& col, const char* text) {
  int number = 0;
  if (ScanInt(text, &number)) {
    const KX_MIB_REG_T* reg = KXMibGetReg(col.value.name.ids, col.value.name.count);
    if (reg != nullptr && !(reg->lower == 0 && reg->upper == 0) &&
        (number < reg->lower || number > reg->upper)) {
      ReportError("Integer value for %s outside allowable range (%d - %d)", col.name.c_str(),
                  reg->lower, reg->upper);
      return false;
    }
    col.value.value.integer = number;
    col.isSet = true;
    return true;
  }
  if (col.enums.empty()) {
    ReportError("Invalid integer value '%s'", text);
    return false;
  }
  auto name = col.enums.find(text);
  if (name == col.enums.end()) {
    ReportError("Invalid enumeration value '%s'", text);
    return false;
  }
  // An input-only name (negative number) stands for the positive value. Negating in unsigned
  // arithmetic keeps the most negative int from overflowing.
  const int declared = name->second;
  col.value.value.integer =
      declared < 0 ? static_cast<int>(0u - static_cast<unsigned>(declared)) : declared;
  col.isSet = true;
  return true;
}

bool CConfigurator::ParseScanned(SColumn& col, const char* text) {
  const ScanRule rule = ScanRuleFor(col);
  if (rule.letter == 0) {
    ReportError("Cannot set %s: its type (%d) takes no value", col.name.c_str(), col.type);
    return false;
  }
  // The scan leaves the value untouched when the text is malformed, so a refused value keeps
  // the one given before and the column stays consistent with its isSet flag.
  if (!KXAsnValueScan(rule.letter, text, &col.value.value)) {
    ReportError("Invalid %s '%s'", rule.description, text);
    return false;
  }
  col.isSet = true;
  return true;
}

}  // namespace korvax
