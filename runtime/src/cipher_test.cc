#include "kxrt/cipher.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kx_host.h"
#include "kxrt/log.h"
#include "kxrt/settings.h"

namespace {

std::string KeyOf(char fill) {
  return std::string(32, fill);
}

std::string RandomBytes(std::mt19937& random, size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string Enc(const std::string& clear) {
  std::string text;
  EXPECT_TRUE(kxrt::Encrypt(clear, &text));
  return text;
}

std::string MakeTempDir() {
  std::string pattern = testing::TempDir() + "/kxcipherXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  EXPECT_NE(mkdtemp(name.data()), nullptr);
  return name.data();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class CipherTest : public testing::Test {
 protected:
  void SetUp() override { kxrt::SetCipherKey(KeyOf('k')); }
  void TearDown() override { kxrt::ClearCipherKey(); }
};

TEST_F(CipherTest, RandomByteStringsRoundTripThroughBothInterfaces) {
  std::mt19937 random(7);
  for (size_t size : {0, 1, 2, 3, 15, 16, 17, 63, 255, 1000, 2047}) {
    std::string clear = RandomBytes(random, size);
    if (size > 2) clear[size / 2] = '\0';  // NUL bytes are data too
    std::string text = Enc(clear);
    // One console word: URL-safe base64 without padding.
    EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                     "0123456789-_"),
              std::string::npos);
    std::string back;
    ASSERT_EQ(kxrt::Decrypt(text, &back), 0) << size;
    EXPECT_EQ(back, clear);

    std::vector<char> buf(2048, 'G');
    ASSERT_EQ(KXPasswordDecrypt(text.c_str(), -1, buf.data(), 2047), static_cast<int>(size));
    EXPECT_EQ(std::string(buf.data(), size), clear);
    EXPECT_EQ(buf[size], 'G');  // no terminator written
  }
}

// A saved configuration must come out the same when nothing changed, so enciphering is
// deterministic under one key; different clear texts or keys still give different texts.
TEST_F(CipherTest, TextDependsOnClearTextAndKeyOnly) {
  EXPECT_EQ(Enc("secret"), Enc("secret"));
  EXPECT_NE(Enc("secret"), Enc("secreT"));
  EXPECT_NE(Enc("").substr(0, 32), Enc("a").substr(0, 32));  // the nonces differ too
  const std::string first = Enc("secret");
  kxrt::SetCipherKey(std::string(32, 'z'));
  EXPECT_NE(Enc("secret"), first);
}

TEST_F(CipherTest, ExplicitLengthReadsOnlyThatManyBytes) {
  std::string text = Enc("pw");
  std::string padded = text + "trailing junk";
  char buf[16];
  EXPECT_EQ(KXPasswordDecrypt(padded.c_str(), static_cast<int>(text.size()), buf, sizeof buf), 2);
  EXPECT_EQ(KXPasswordDecrypt(padded.c_str(), -1, buf, sizeof buf), kxrt::kCipherMalformed);
  EXPECT_EQ(KXPasswordDecrypt(text.c_str(), -2, buf, sizeof buf), kxrt::kCipherMalformed);
  EXPECT_EQ(KXPasswordDecrypt(nullptr, -1, buf, sizeof buf), kxrt::kCipherMalformed);
}

TEST_F(CipherTest, EveryChangedCharacterIsRejected) {
  std::string text = Enc("a password");
  // The last character also carries unused bits, so changing it may instead be malformed.
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    std::string tampered = text;
    tampered[i] = tampered[i] == 'A' ? 'B' : 'A';
    std::string clear = "untouched";
    EXPECT_EQ(kxrt::Decrypt(tampered, &clear), kxrt::kCipherRejected) << i;
    EXPECT_EQ(clear, "untouched");
  }
}

TEST_F(CipherTest, TextOfAnotherKeyIsRejected) {
  std::string text = Enc("a password");
  kxrt::SetCipherKey(KeyOf('o'));
  std::string clear;
  EXPECT_EQ(kxrt::Decrypt(text, &clear), kxrt::kCipherRejected);
  char buf[64];
  EXPECT_EQ(KXPasswordDecrypt(text.c_str(), -1, buf, sizeof buf), kxrt::kCipherRejected);
}

TEST_F(CipherTest, MalformedTextsAreRefused) {
  std::string good = Enc("x");
  const std::string cases[] = {
      "",
      "abc",
      good.substr(0, 52),                          // 39 bytes: fewer than nonce and tag
      good.substr(0, 53),                          // a length no base64 text has
      good + "=",                                  // padding is not part of the form
      good + " ",                                  // blanks are not skipped
      good.substr(0, 10) + "+" + good.substr(11),  // standard, not URL-safe, alphabet
      good.substr(0, 10) + "!" + good.substr(11),
      good.substr(0, 54) + "B",  // unused low bits of the last character set
  };
  for (const std::string& text : cases) {
    std::string clear;
    EXPECT_EQ(kxrt::Decrypt(text, &clear), kxrt::kCipherMalformed) << text;
  }
}

TEST_F(CipherTest, TooSmallBufferIsTooLongAndNothingIsWritten) {
  std::string text = Enc("0123456789");
  std::vector<char> buf(16, 'G');
  EXPECT_EQ(KXPasswordDecrypt(text.c_str(), -1, buf.data(), 9), kxrt::kCipherTooLong);
  EXPECT_EQ(KXPasswordDecrypt(text.c_str(), -1, buf.data(), 0), kxrt::kCipherTooLong);
  EXPECT_EQ(KXPasswordDecrypt(text.c_str(), -1, buf.data(), -5), kxrt::kCipherTooLong);
  EXPECT_EQ(std::string(buf.data(), buf.size()), std::string(16, 'G'));
  EXPECT_EQ(KXPasswordDecrypt(text.c_str(), -1, buf.data(), 10), 10);
  EXPECT_EQ(std::string(buf.data(), 11), "0123456789G");
}

TEST_F(CipherTest, NoKeyWithoutKeyFileSetting) {
  std::string text = Enc("x");
  kxrt::ClearCipherKey();
  kxrt::LogCapture log;
  std::string out;
  EXPECT_FALSE(kxrt::Encrypt("x", &out));
  EXPECT_EQ(kxrt::Decrypt(text, &out), kxrt::kCipherNoKey);
  EXPECT_NE(log.Text().find("KeyFile"), std::string::npos) << log.Text();
  kxrt::SetCipherKey("short");
  EXPECT_FALSE(kxrt::HaveCipherKey());
}

class KeyFileTest : public CipherTest {
 protected:
  void SetUp() override {
    kxrt::ClearCipherKey();
    dir_ = MakeTempDir();
    path_ = dir_ + "/agent.key";
  }
  void TearDown() override {
    kxrt::ClearCipherKey();
    unlink(path_.c_str());
    rmdir(dir_.c_str());
  }
  std::string dir_, path_;
};

TEST_F(KeyFileTest, CreatedPrivateWhateverTheUmaskAndReusedAfterwards) {
  mode_t saved = umask(0);
  std::string error;
  bool created = kxrt::LoadCipherKeyFile(path_, true, &error);
  umask(saved);
  ASSERT_TRUE(created) << error;
  struct stat info;
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(info.st_size, 32);
  std::string key = ReadAll(path_);
  std::string text = Enc("kept across restarts");

  kxrt::ClearCipherKey();
  ASSERT_TRUE(kxrt::LoadCipherKeyFile(path_, true, &error)) << error;
  EXPECT_EQ(ReadAll(path_), key);
  std::string clear;
  EXPECT_EQ(kxrt::Decrypt(text, &clear), 0);
  EXPECT_EQ(clear, "kept across restarts");
  // Nothing is left behind but the key file itself.
  EXPECT_EQ(rmdir(dir_.c_str()), -1);
  unlink(path_.c_str());
  EXPECT_EQ(rmdir(dir_.c_str()), 0);
  mkdir(dir_.c_str(), 0700);
}

TEST_F(KeyFileTest, WrongSizeFileIsRefusedAndKeptAsItIs) {
  for (size_t size : {0, 31, 33}) {
    WriteAll(path_, std::string(size, 'z'));
    for (bool create : {false, true}) {
      std::string error;
      EXPECT_FALSE(kxrt::LoadCipherKeyFile(path_, create, &error));
      EXPECT_NE(error.find("exactly 32 bytes"), std::string::npos) << error;
      EXPECT_NE(error.find(path_), std::string::npos) << error;
      EXPECT_EQ(ReadAll(path_), std::string(size, 'z'));
      EXPECT_FALSE(kxrt::HaveCipherKey());
    }
  }
}

TEST_F(KeyFileTest, MissingFileWithoutCreateIsRefused) {
  std::string error;
  EXPECT_FALSE(kxrt::LoadCipherKeyFile(path_, false, &error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_NE(access(path_.c_str(), F_OK), 0);
  EXPECT_FALSE(kxrt::LoadCipherKeyFile(dir_, true, &error));  // a directory is no key file
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

TEST_F(KeyFileTest, FirstUseLoadsTheFileNamedBySettings) {
  kxrt::CurrentSettings().Set("agent", "KeyFile", path_);
  std::string text = Enc("via settings");
  EXPECT_TRUE(kxrt::HaveCipherKey());
  EXPECT_EQ(ReadAll(path_).size(), 32u);
  kxrt::ClearCipherKey();
  std::string clear;
  EXPECT_EQ(kxrt::Decrypt(text, &clear), 0);
  EXPECT_EQ(clear, "via settings");
  kxrt::CurrentSettings().Set("agent", "KeyFile", "");
}

}  // namespace
