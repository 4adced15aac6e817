// The table cipher: the Sapphire II stream cipher, the password block and
// protected table files. The cipher is pinned against a second, separately
// written routine of the published algorithm, and the CRC against the
// standard check value of CRC-16/MODBUS.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory_stream.h"
#include "platform/services.h"
#include "table_bytes.h"
#include "tableengine/password_block.h"
#include "tableengine/sapphire.h"
#include "tableengine/session.h"

using namespace notarra;

using namespace tt;

namespace {

// Sapphire II as published, written with plain ints and explicit masking.
struct ReferenceSapphire {
  int cards[256], rotor = 1, ratchet = 3, avalanche = 5, lastPlain = 7, lastCipher = 11;

  explicit ReferenceSapphire(const std::string& key) {
    if (key.empty()) {
      for (int i = 0; i < 256; ++i) cards[i] = 255 - i;
      return;
    }
    for (int i = 0; i < 256; ++i) cards[i] = i;
    int keyPos = 0, rsum = 0;
    auto keyrand = [&](int limit) {
      int mask = 1, tries = 0, u;
      while (mask < limit) mask = (mask << 1) + 1;
      do {
        rsum = (cards[rsum] + static_cast<unsigned char>(key[keyPos++])) & 0xFF;
        if (keyPos >= static_cast<int>(key.size())) {
          keyPos = 0;
          rsum = (rsum + static_cast<int>(key.size())) & 0xFF;
        }
        u = mask & rsum;
        if (++tries > 11) u %= limit;
      } while (u > limit);
      return u;
    };
    for (int i = 255; i >= 1; --i) std::swap(cards[i], cards[keyrand(i)]);
    rotor = cards[1];
    ratchet = cards[3];
    avalanche = cards[5];
    lastPlain = cards[7];
    lastCipher = cards[rsum];
  }

  int Mix(int b) {
    ratchet = (ratchet + cards[rotor]) & 0xFF;
    rotor = (rotor + 1) & 0xFF;
    int swap = cards[lastCipher];
    cards[lastCipher] = cards[ratchet];
    cards[ratchet] = cards[lastPlain];
    cards[lastPlain] = cards[rotor];
    cards[rotor] = swap;
    avalanche = (avalanche + cards[swap]) & 0xFF;
    return b ^ cards[(cards[ratchet] + cards[rotor]) & 0xFF] ^
           cards[cards[(cards[lastPlain] + cards[lastCipher] + cards[avalanche]) & 0xFF]];
  }
  int Encrypt(int b) {
    int c = Mix(b);
    lastPlain = b;
    lastCipher = c;
    return c;
  }
};

std::vector<uint8_t> Reference(const std::string& key, const std::string& plain) {
  ReferenceSapphire r(key);
  std::vector<uint8_t> out;
  for (char ch : plain) out.push_back(static_cast<uint8_t>(r.Encrypt(static_cast<unsigned char>(ch))));
  return out;
}

std::vector<uint8_t> Ours(const std::string& key, const std::string& plain) {
  TSapphire s;
  s.SetKey(key);
  std::vector<uint8_t> out(plain.begin(), plain.end());
  s.EncryptBuffer(out.data(), out.size());
  return out;
}

TEST(Sapphire, MatchesThePublishedAlgorithmForManyKeys) {
  const std::string plain = std::string(64, '\0') + "The quick brown fox jumps over the lazy dog" + std::string(300, 'x');
  const std::vector<std::string> keys = {"a", "Notarra", "password", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
                                        std::string(1, '\xFF'), std::string(300, 'k')};
  for (const std::string& key : keys)
    EXPECT_EQ(Ours(key, plain), Reference(key, plain)) << key;
  EXPECT_EQ(Ours("", plain), Reference("", plain));  // the empty-key state
}

TEST(Sapphire, DecryptionUndoesEncryptionAndSetKeyStartsAfresh) {
  std::string text = "Ideas for the blog \x01\x02\xFF";
  TSapphire s;
  s.SetKey("secret");
  std::vector<uint8_t> bytes(text.begin(), text.end());
  s.EncryptBuffer(bytes.data(), bytes.size());
  EXPECT_NE(std::string(bytes.begin(), bytes.end()), text);
  s.SetKey("secret");
  s.DecryptBuffer(bytes.data(), bytes.size());
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);
  // After a burn the instance is back in the empty-key state.
  s.Burn();
  uint8_t b = 0;
  s.EncryptBuffer(&b, 1);
  EXPECT_EQ(b, Reference("", std::string(1, '\0'))[0]);
}

TEST(PasswordBlock, CrcIsModbusAndTheBlockChecksToZero) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc16Modbus(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0x4B37);
  const std::string keyText = "{6F9619FF-8B86-D011-B42D-00C04FC964FF}";
  TPasswordBlock plain = MakePlainBlock(keyText);
  EXPECT_EQ(KeyText(plain), keyText);
  EXPECT_EQ(Crc16Modbus(plain.data(), plain.size()), 0);
}

TEST(PasswordBlock, OnlyTheRightPasswordOpensIt) {
  const std::string keyText = "{01234567-89AB-CDEF-0123-456789ABCDEF}";
  TPasswordBlock plain = MakePlainBlock(keyText);
  TPasswordBlock written = EncipherBlock(plain, "hunter2");
  // The first 38 bytes are the key text enciphered with the password; the CRC stays in clear.
  std::vector<uint8_t> expected = Reference("hunter2", keyText);
  EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.begin() + 38), expected);
  EXPECT_EQ(written[38], plain[38]);
  EXPECT_EQ(written[39], plain[39]);

  TPasswordBlock tried = written;
  EXPECT_FALSE(TryPassword(tried, "Hunter2"));
  EXPECT_EQ(tried, written);  // a wrong password leaves the block alone
  EXPECT_TRUE(TryPassword(tried, "hunter2"));
  EXPECT_EQ(tried, plain);
}

class ProtectedTable : public ::testing::Test {
protected:
  void SetUp() override {
    c.AddField("Title", TVelaFieldKind::String, 100);
    c.AddField("Key", TVelaFieldKind::AutoInc);
    c.SetNotes("private notes");
    Area a(c);
    a.text("Title", "A secret idea");
    std::string error;
    ASSERT_TRUE(c.WriteRecord(a, nullptr, error)) << error;
    c.SetPassword("pw");
  }
  static std::string Write(TVelaCursor& store) {
    TMemoryStream out;
    int64_t n = store.WriteToStream(out);
    return std::string(reinterpret_cast<const char*>(out.Memory()), n);
  }
  static bool Load(TVelaCursor& store, const std::string& bytes, std::string& error) {
    TMemoryStream in;
    in.Write(bytes.data(), bytes.size());
    in.SetPosition(0);
    return store.LoadFromStream(in, error);
  }
  TVelaCursor c;
};

TEST_F(ProtectedTable, WritesAPTableThatOpensOnlyWithItsPassword) {
  std::string bytes = Write(c);
  ASSERT_GT(bytes.size(), 57u);
  EXPECT_EQ(bytes[4], 'P');
  // Counts and the field descriptions stay in clear; the text does not.
  EXPECT_EQ(bytes.substr(45, 4), std::string("\x01\x00\x00\x00", 4));
  EXPECT_EQ(bytes.substr(49, 4), std::string("\x02\x00\x00\x00", 4));
  EXPECT_NE(bytes.find("XXX.Title s100"), std::string::npos);
  EXPECT_EQ(bytes.find("A secret idea"), std::string::npos);
  EXPECT_EQ(bytes.find("private notes"), std::string::npos);

  std::string error;
  TVelaCursor noPassword;
  EXPECT_FALSE(Load(noPassword, bytes, error));
  EXPECT_EQ(error, "Invalid password. Table cannot be open");
  TVelaCursor wrong;
  wrong.SetPassword("PW");
  EXPECT_FALSE(Load(wrong, bytes, error));
  EXPECT_EQ(error, "Invalid password. Table cannot be open");

  TVelaCursor right;
  right.SetPassword("pw");
  ASSERT_TRUE(Load(right, bytes, error)) << error;
  EXPECT_TRUE(right.IsProtected());
  EXPECT_EQ(right.Notes(), "private notes");
  ASSERT_EQ(right.RecordCount(), 1);
  EXPECT_EQ(right.ValueToText(right.Records()[0]->Data, *right.FindField("Title")), "A secret idea");
}

TEST_F(ProtectedTable, EverySaveHasAFreshKeyTextButTheSameClearPart) {
  std::string first = Write(c), second = Write(c);
  ASSERT_EQ(first.size(), second.size());
  std::size_t sectionEnd = 57 + static_cast<unsigned char>(first[53]);
  EXPECT_NE(first.substr(5, 38), second.substr(5, 38));
  EXPECT_EQ(first.substr(45, sectionEnd - 45), second.substr(45, sectionEnd - 45));
  EXPECT_NE(first.substr(sectionEnd), second.substr(sectionEnd));
}

TEST_F(ProtectedTable, TheHookDecidesWhichPasswordOpensIt) {
  std::string bytes = Write(c);
  TVelaCursor store;
  std::vector<std::string> asked;
  store.OnCheckPassword = [&asked](std::array<uint8_t, 40>& block, std::string& password) {
    asked.push_back(password);
    for (const char* candidate : {"nope", "pw"})
      if (TryPassword(block, candidate)) {
        password = candidate;
        return true;
      }
    return false;
  };
  std::string error;
  ASSERT_TRUE(Load(store, bytes, error)) << error;
  EXPECT_EQ(asked, std::vector<std::string>{""});
  EXPECT_EQ(store.Password(), "pw");
}

TEST_F(ProtectedTable, ClearingThePasswordWritesAPlainTable) {
  std::string error;
  TVelaCursor store;
  store.SetPassword("pw");
  ASSERT_TRUE(Load(store, Write(c), error)) << error;
  store.SetPassword("");
  std::string plain = Write(store);
  EXPECT_EQ(plain[4], 'S');
  EXPECT_FALSE(store.IsProtected());
  EXPECT_NE(plain.find("A secret idea"), std::string::npos);
}

}  // namespace

namespace {

// Records the messages the session shows instead of showing them.
class RecordingMessages : public TConsoleMessageService {
public:
  void Information(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

// Runs each test on a clean session and puts the global services back.
class SessionPasswords : public ProtectedTable {
protected:
  void SetUp() override {
    ProtectedTable::SetUp();
    bytes = Write(c);
    previous = SetMessageService(&messages);
  }
  void TearDown() override {
    SetMessageService(previous);
    TVelaSession& s = VelaSession();
    for (std::string p : std::vector<std::string>(s.KnownPasswords())) s.RemovePassword(p);
    s.OnPromptPassword = nullptr;
    s.OnPasswordFailed = nullptr;
    s.SetRetryCount(3);
  }
  // The user types these in turn, then cancels.
  void Answers(std::vector<std::string> typed) {
    VelaSession().OnPromptPassword = [this, typed](std::string& text) {
      prompts.push_back(text);
      if (prompts.size() > typed.size()) return false;
      text = typed[prompts.size() - 1];
      return true;
    };
  }
  bool Open(TVelaCursor& store, const std::string& password) {
    store.SetPassword(password);
    return Load(store, bytes, error);
  }

  std::string bytes, error;
  RecordingMessages messages;
  TMessageService* previous = nullptr;
  std::vector<std::string> prompts;
};

TEST_F(SessionPasswords, KnownPasswordsOpenWithoutAPrompt) {
  VelaSession().AddPassword("other");
  VelaSession().AddPassword("pw");
  VelaSession().AddPassword("pw");
  VelaSession().AddPassword("");
  EXPECT_EQ(VelaSession().KnownPasswords(), (std::vector<std::string>{"other", "pw"}));
  Answers({});
  TVelaCursor store;
  ASSERT_TRUE(Open(store, "wrong")) << error;
  EXPECT_TRUE(prompts.empty());
  EXPECT_EQ(store.Password(), "pw");
}

TEST_F(SessionPasswords, APromptedPasswordThatWorksBecomesKnown) {
  Answers({"nope", "pw"});
  TVelaCursor store;
  ASSERT_TRUE(Open(store, "")) << error;
  EXPECT_EQ(prompts, (std::vector<std::string>{"", "nope"}));  // each prompt starts from the last text
  EXPECT_EQ(messages.shown, std::vector<std::string>{"Password is invalid. Try again"});
  EXPECT_EQ(VelaSession().KnownPasswords(), std::vector<std::string>{"pw"});
}

TEST_F(SessionPasswords, ThreeWrongEntriesWarnTwiceThenFail) {
  Answers({"a", "b", "c", "pw"});
  TVelaCursor store;
  EXPECT_FALSE(Open(store, ""));
  EXPECT_EQ(error, "Invalid password. Table cannot be open");
  EXPECT_EQ(prompts.size(), 3u);
  EXPECT_EQ(messages.shown, (std::vector<std::string>(2, "Password is invalid. Try again")));
}

TEST_F(SessionPasswords, CancellingTheFirstPromptFailsAtOnce) {
  Answers({});
  TVelaCursor store;
  EXPECT_FALSE(Open(store, ""));
  EXPECT_EQ(error, "Invalid password. Table cannot be open");
  EXPECT_EQ(prompts.size(), 1u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SessionPasswords, TheFailureHookReplacesTheMessage) {
  Answers({"a", "b"});
  VelaSession().SetRetryCount(0);  // counts as 3
  std::vector<std::pair<std::string, bool>> failures;
  VelaSession().OnPasswordFailed = [&failures](const std::string& p, bool retry) { failures.emplace_back(p, retry); };
  TVelaCursor store;
  EXPECT_FALSE(Open(store, ""));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(failures, (std::vector<std::pair<std::string, bool>>{{"a", true}, {"b", true}}));
  EXPECT_EQ(prompts.size(), 3u);
}

}  // namespace

// Saved to a file the table goes out a few megabytes at a time, and the cipher
// runs on across the pieces; opened from the file it is deciphered into
// memory of its own (the file's bytes stay enciphered where they are).
TEST_F(ProtectedTable, ALargeTableSavedToAFileOpensFromItWithItsPassword) {
  char tmpl[] = "/tmp/notarra-cipher-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl, path = dir + "/secret.d";
  for (int i = 0; i < 80000; ++i) {  // about 9 MB: three pieces
    Area a(c);
    a.text("Title", std::to_string(i) + std::string(95, static_cast<char>('a' + i % 26)));
    std::string error;
    ASSERT_TRUE(c.WriteRecord(a, nullptr, error)) << error;
  }
  c.SaveToFile(path, 0, false, "");
  TVelaCursor back;
  back.SetPassword("pw");
  std::string error;
  ASSERT_TRUE(back.LoadFromFile(path, error)) << error;
  EXPECT_EQ(back.MappedFile(), nullptr);
  EXPECT_EQ(back.Notes(), "private notes");
  ASSERT_EQ(back.RecordCount(), c.RecordCount());
  for (int i = 0; i < c.RecordCount(); i += 4999)
    EXPECT_EQ(back.ValueToText(back.Records()[i]->Data, *back.FindField("Title")),
              c.ValueToText(c.Records()[i]->Data, *c.FindField("Title")));
  std::remove(path.c_str());
  rmdir(dir.c_str());
}
