// The cipher: libsodium secretbox under one 32-byte key. A text is the URL-safe, unpadded
// base64 of nonce || box, so it is a single console word that never needs quoting. The nonce is
// a keyed hash of the clear text (as in SIV modes): the same value enciphers to the same text
// under one key, so saving an unchanged configuration twice gives the same file, and two
// different clear texts never share a nonce. The price is that equal clear texts show as equal.

#include "kxrt/cipher.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sodium.h>

#include <array>
#include <vector>

#include "kx_host.h"
#include "kxrt/log.h"
#include "kxrt/settings.h"

namespace kxrt {
namespace {

constexpr size_t kKeySize = crypto_secretbox_KEYBYTES;
constexpr size_t kNonceSize = crypto_secretbox_NONCEBYTES;
constexpr size_t kMacSize = crypto_secretbox_MACBYTES;
constexpr int kBase64Variant = sodium_base64_VARIANT_URLSAFE_NO_PADDING;
static_assert(kKeySize == 32, "the key file holds exactly 32 bytes");

struct KeyState {
  std::array<unsigned char, kKeySize> key{};
  bool present = false;
};

KeyState& Key() {
  static KeyState* state = new KeyState();
  return *state;
}

// sodium_init is idempotent but not free; one call per process is enough.
bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) Log(0, "The cipher library could not be initialised.\n");
  return ready;
}

void UseKey(const unsigned char* bytes) {
  KeyState& state = Key();
  memcpy(state.key.data(), bytes, kKeySize);
  state.present = true;
}

std::string ErrnoText(int error) {
  return strerror(error);
}

// Reads exactly 32 bytes from an existing key file.
bool ReadKeyFile(const std::string& path, std::string* error) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = "Cannot open the key file \"" + path + "\": " + ErrnoText(errno) + ".";
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) != 0) {
    *error = "Cannot inspect the key file \"" + path + "\": " + ErrnoText(errno) + ".";
    close(fd);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *error = "The key file \"" + path + "\" is not a regular file.";
    close(fd);
    return false;
  }
  if (info.st_size != static_cast<off_t>(kKeySize)) {
    *error = "The key file \"" + path + "\" must hold exactly " + std::to_string(kKeySize) +
             " bytes; it holds " + std::to_string(info.st_size) + ".";
    close(fd);
    return false;
  }
  if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    Log(2, "The key file \"" + path + "\" can be read by others than its owner.\n");
  }
  std::array<unsigned char, kKeySize> bytes;
  size_t got = 0;
  while (got < kKeySize) {
    ssize_t n = read(fd, bytes.data() + got, kKeySize - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  if (got != kKeySize) {
    *error = "Cannot read the key file \"" + path + "\": it ended early.";
    sodium_memzero(bytes.data(), bytes.size());
    return false;
  }
  UseKey(bytes.data());
  sodium_memzero(bytes.data(), bytes.size());
  return true;
}

bool WriteAll(int fd, const unsigned char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Makes a new key file. The key is written to a private temporary file first and then linked
// into place, so the key file is never seen half-written and a file that appeared meanwhile
// (another process) is never overwritten. False with a reason in *error, or with *raced set
// when path appeared meanwhile (then the caller reads that file).
bool CreateKeyFile(const std::string& path, bool* raced, std::string* error) {
  *raced = false;
  std::vector<char> temp(path.begin(), path.end());
  const char kSuffix[] = ".XXXXXX";
  temp.insert(temp.end(), kSuffix, kSuffix + sizeof kSuffix);  // includes the NUL
  int fd = mkostemp(temp.data(), O_CLOEXEC);  // O_EXCL and mode 0600 whatever the umask
  if (fd < 0) {
    *error = "Cannot create the key file \"" + path + "\": " + ErrnoText(errno) + ".";
    return false;
  }
  std::array<unsigned char, kKeySize> bytes;
  crypto_secretbox_keygen(bytes.data());
  bool written =
      fchmod(fd, S_IRUSR | S_IWUSR) == 0 && WriteAll(fd, bytes.data(), kKeySize) && fsync(fd) == 0;
  int writeError = errno;
  if (close(fd) != 0 && written) {
    written = false;
    writeError = errno;
  }
  bool linked = written && link(temp.data(), path.c_str()) == 0;
  int linkError = errno;
  unlink(temp.data());
  if (!written) {
    *error = "Cannot write the key file \"" + path + "\": " + ErrnoText(writeError) + ".";
  } else if (!linked && linkError == EEXIST) {
    *raced = true;
  } else if (!linked) {
    *error = "Cannot create the key file \"" + path + "\": " + ErrnoText(linkError) + ".";
  } else {
    UseKey(bytes.data());
  }
  sodium_memzero(bytes.data(), bytes.size());
  return linked;
}

// Loads the key named by the settings when none is in use.
bool EnsureKey() {
  if (!SodiumReady()) return false;
  if (Key().present) return true;
  std::optional<std::string> path = CurrentSettings().Get("agent", "KeyFile");
  if (!path || path->empty()) {
    Log(0, "No cipher key: the setting KeyFile in [agent] names no key file.\n");
    return false;
  }
  std::string error;
  if (!LoadCipherKeyFile(*path, true, &error)) {
    Log(0, error + "\n");
    return false;
  }
  return true;
}

}  // namespace

bool LoadCipherKeyFile(const std::string& path, bool create, std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  if (!SodiumReady()) {
    *error = "The cipher library could not be initialised.";
    return false;
  }
  if (path.empty()) {
    *error = "No key file named.";
    return false;
  }
  struct stat info;
  if (create && stat(path.c_str(), &info) != 0 && errno == ENOENT) {
    bool raced = false;
    if (CreateKeyFile(path, &raced, error)) return true;
    if (!raced) return false;
  }
  return ReadKeyFile(path, error);
}

void SetCipherKey(const std::string& key) {
  if (!SodiumReady()) return;
  if (key.size() != kKeySize) {
    ClearCipherKey();
    Log(0, "A cipher key must be " + std::to_string(kKeySize) + " bytes; no key is in use.\n");
    return;
  }
  UseKey(reinterpret_cast<const unsigned char*>(key.data()));
}

void ClearCipherKey() {
  KeyState& state = Key();
  sodium_memzero(state.key.data(), state.key.size());
  state.present = false;
}

bool HaveCipherKey() {
  return Key().present;
}

bool Encrypt(const std::string& clear, std::string* text) {
  if (!EnsureKey()) return false;
  std::vector<unsigned char> sealed(kNonceSize + kMacSize + clear.size());
  // The hash key is derived from the cipher key, so nonces reveal nothing without it.
  static const unsigned char kNonceLabel[] = "kxrt secretbox nonce key";
  std::array<unsigned char, crypto_generichash_KEYBYTES> nonceKey;
  crypto_generichash(nonceKey.data(), nonceKey.size(), kNonceLabel, sizeof(kNonceLabel) - 1,
                     Key().key.data(), Key().key.size());
  crypto_generichash(sealed.data(), kNonceSize,
                     reinterpret_cast<const unsigned char*>(clear.data()), clear.size(),
                     nonceKey.data(), nonceKey.size());
  sodium_memzero(nonceKey.data(), nonceKey.size());
  crypto_secretbox_easy(sealed.data() + kNonceSize,
                        reinterpret_cast<const unsigned char*>(clear.data()), clear.size(),
                        sealed.data(), Key().key.data());
  std::vector<char> encoded(sodium_base64_ENCODED_LEN(sealed.size(), kBase64Variant));
  sodium_bin2base64(encoded.data(), encoded.size(), sealed.data(), sealed.size(), kBase64Variant);
  text->assign(encoded.data());
  return true;
}

int Decrypt(const std::string& text, std::string* clear) {
  // Base64 never decodes to more bytes than 3/4 of its length.
  std::vector<unsigned char> sealed(text.size() / 4 * 3 + 3);
  size_t sealedSize = 0;
  const char* end = nullptr;
  if (sodium_base642bin(sealed.data(), sealed.size(), text.data(), text.size(), nullptr,
                        &sealedSize, &end, kBase64Variant) != 0 ||
      end != text.data() + text.size() || sealedSize < kNonceSize + kMacSize) {
    return kCipherMalformed;
  }
  if (!EnsureKey()) return kCipherNoKey;
  size_t clearSize = sealedSize - kNonceSize - kMacSize;
  if (clearSize > static_cast<size_t>(INT_MAX)) return kCipherTooLong;
  std::vector<unsigned char> opened(clearSize + 1);  // +1: never a zero-sized buffer
  if (crypto_secretbox_open_easy(opened.data(), sealed.data() + kNonceSize, sealedSize - kNonceSize,
                                 sealed.data(), Key().key.data()) != 0) {
    return kCipherRejected;
  }
  clear->assign(reinterpret_cast<const char*>(opened.data()), clearSize);
  sodium_memzero(opened.data(), opened.size());
  return 0;
}

}  // namespace kxrt

int KXPasswordDecrypt(const char* cipherText, int cipherLength, char* buf, int bufSize) {
  if (cipherText == nullptr || cipherLength < -1) return kxrt::kCipherMalformed;
  size_t length = cipherLength == -1 ? strlen(cipherText) : static_cast<size_t>(cipherLength);
  std::string clear;
  int result = kxrt::Decrypt(std::string(cipherText, length), &clear);
  if (result < 0) return result;
  if (bufSize < 0 || clear.size() > static_cast<size_t>(bufSize) ||
      (buf == nullptr && !clear.empty())) {
    result = kxrt::kCipherTooLong;
  } else {
    if (!clear.empty()) memcpy(buf, clear.data(), clear.size());
    result = static_cast<int>(clear.size());
  }
  sodium_memzero(&clear[0], clear.size());
  return result;
}
