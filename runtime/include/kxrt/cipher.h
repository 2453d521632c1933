// The cipher behind KXPasswordDecrypt and enciphered configuration values: libsodium secretbox
// (XSalsa20-Poly1305) under one 32-byte key; a text is URL-safe base64 of nonce and box, so it
// is one console word that needs no quoting.

#ifndef KXRT_CIPHER_H_
#define KXRT_CIPHER_H_

#include <string>

namespace kxrt {

// Error numbers (negative) of Decrypt and KXPasswordDecrypt.
enum CipherError {
  kCipherNoKey = -1,
  kCipherMalformed = -2,
  kCipherRejected = -3,  // tampered with, or made with another key
  kCipherTooLong = -4,   // the clear text does not fit the caller's buffer
};

// Uses the key in the file at path; when create is true and the file does not exist, makes a
// random key and writes it with mode 0600. False with a one-line reason in *error.
bool LoadCipherKeyFile(const std::string& path, bool create, std::string* error);
// Uses the given 32 bytes as key (tests).
void SetCipherKey(const std::string& key);
// Forgets the key.
void ClearCipherKey();
// True when a key is in use. When none is, the first Encrypt/Decrypt loads the file named by the
// setting [agent] KeyFile (creating it when absent).
bool HaveCipherKey();

// Enciphers bytes; false only when no key can be had.
bool Encrypt(const std::string& clear, std::string* text);
// Deciphers a text made by Encrypt; 0 and the clear bytes, or a CipherError.
int Decrypt(const std::string& text, std::string* clear);

}  // namespace kxrt

#endif  // KXRT_CIPHER_H_
