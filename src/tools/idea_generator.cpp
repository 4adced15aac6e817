#include "tools/idea_generator.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/date_time.h"
#include "platform/text.h"
#include "tableengine/record_values.h"
#include "tools/idea_schema.h"
#include "tools/record_data.h"

namespace notarra {

namespace {

class SplitMix64 {
public:
  explicit SplitMix64(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, n) by the multiply-shift method (no modulo bias worth the name, same everywhere).
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(((Next() >> 32) * n) >> 32); }
  bool Chance(uint32_t percent) { return Below(100) < percent; }
  template <std::size_t N>
  std::string_view Pick(const std::string_view (&list)[N]) {
    return list[Below(static_cast<uint32_t>(N))];
  }

private:
  uint64_t state_;
};

// Word lists. Texts are Windows-1252 ("\xE9" is é).
constexpr std::string_view kGroups[] = {"Travel",  "Cooking",   "Tech",  "Gardening", "Books", "Photography",
                                        "Fitness", "Finance",   "Music", "Parenting", "DIY",   "Pets"};
constexpr std::string_view kTopics[] = {
    "sourdough bread", "night trains",    "balcony tomatoes", "home networks",   "family photos",  "budget travel",
    "winter cycling",  "compost heaps",   "vinyl records",    "caf\xE9 culture", "old laptops",    "herb gardens",
    "street portraits", "meal planning",  "rescue dogs",      "board games",     "hiking boots",   "password hygiene",
    "reading habits",  "bee hotels",      "pickled vegetables", "guitar practice", "toddler sleep", "garden sheds",
    "spreadsheets",    "film cameras",    "city breaks",      "slow cooking",    "running shoes",  "home offices"};
constexpr std::string_view kAdjectives[] = {"simple",   "honest",   "cheap",     "slow",      "lazy",     "practical",
                                            "small",    "seasonal", "forgotten", "beginner's", "weekend", "quiet",
                                            "unusual",  "tested",   "frugal",    "modern"};
constexpr std::string_view kSuffixes[] = {" on a budget", " step by step", " for the weekend", " in winter",
                                          " from scratch", " with children", " revisited"};
constexpr std::string_view kVerbs[] = {"start with", "get better at", "save money on", "fall in love with",
                                       "fix",        "plan",          "photograph",    "explain",
                                       "share",      "rethink"};
constexpr std::string_view kAudiences[] = {"Beginners", "Parents",     "Travellers", "Gardeners", "Home cooks",
                                           "Readers",   "Tinkerers",   "Commuters",  "Students",  "Retirees",
                                           "Families",  "Office workers"};
constexpr std::string_view kProblems[] = {"breaking the bank", "a car",          "special tools", "losing a weekend",
                                          "the usual mistakes", "any experience", "giving up",     "a big garden"};
constexpr std::string_view kKeywords[] = {"how-to",  "budget",   "review",  "checklist", "seasonal", "beginners",
                                          "family",  "weekend",  "photos",  "recipe",    "gear",     "planning",
                                          "habits",  "outdoors", "indoors", "repair",    "history",  "interview",
                                          "caf\xE9", "d\xE9\x63or"};
// Note sentences, already in RTF form.
constexpr std::string_view kSentences[] = {
    "Start with the story of the first attempt. ",
    "List what went wrong and what it cost. ",
    "Add photos of the before and after. ",
    "Ask readers for their own tips in the comments. ",
    "Check the prices again before publishing. ",
    "Link the earlier post on the same subject. ",
    "Keep it under fifteen hundred words. ",
    "Interview someone who does this every day. ",
    "A short checklist at the end would help. ",
    "Mention the mistakes \\'96 they make the best part. ",  // RTF escape of an en dash
    "Find a better headline photo. ",
    "Split into two posts if it gets long. "};
constexpr std::string_view kOutlets[] = {"Blog", "Newsletter", "Guest post", "Magazine", "Podcast notes", "Yes"};

void AppendNumber(std::string& s, uint32_t n) { s += std::to_string(n); }

void MakeSubject(SplitMix64& r, std::string& s) {
  s.clear();
  switch (r.Below(5)) {
    case 0:
      s += r.Pick(kAdjectives), s += ' ', s += r.Pick(kTopics), s += r.Pick(kSuffixes);
      break;
    case 4:
      s += "What ", s += r.Pick(kAudiences), s += " get wrong about ", s += r.Pick(kTopics);
      break;
    case 1:
      AppendNumber(s, 3 + r.Below(10)), s += " ways to ", s += r.Pick(kVerbs), s += ' ', s += r.Pick(kTopics);
      break;
    case 2:
      s += "Why ", s += r.Pick(kTopics), s += " matter more than you think";
      break;
    default:
      s += r.Pick(kTopics), s += " for ", s += r.Pick(kAudiences);
      break;
  }
  s[0] = AsciiUpper(s[0]);
}

void MakeTitle(SplitMix64& r, std::string& s) {
  s.clear();
  switch (r.Below(4)) {
    case 0:
      s += "How to ", s += r.Pick(kVerbs), s += ' ', s += r.Pick(kTopics), s += " without ", s += r.Pick(kProblems);
      break;
    case 1:
      s += "The ", s += r.Pick(kAdjectives), s += " guide to ", s += r.Pick(kTopics), s += " for ",
          s += r.Pick(kAudiences);
      break;
    case 2:
      AppendNumber(s, 3 + r.Below(18)), s += " things I learned about ", s += r.Pick(kTopics), s += " in ";
      AppendNumber(s, 1995 + r.Below(32));
      break;
    default:
      s += "A ", s += r.Pick(kAdjectives), s += " year of ", s += r.Pick(kTopics), s += ": what worked and what did not";
      break;
  }
}

void MakeKeywords(SplitMix64& r, std::string& s, std::string_view topic) {
  s.assign(topic);
  const uint32_t extra = 2 + r.Below(3);
  for (uint32_t i = 0; i < extra; ++i) {
    const std::string_view k = r.Pick(kKeywords);
    if (s.size() + 2 + k.size() > 50) break;
    s += ", ", s += k;
  }
}

void MakeNotes(SplitMix64& r, std::string& s, std::string_view topic) {
  s.assign("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 ");
  if (r.Chance(30)) s += "\\b ", s += topic, s += "\\b0\\par ";
  const uint32_t n = 1 + r.Below(6);
  for (uint32_t i = 0; i < n; ++i) s += r.Pick(kSentences);
  s += "\\par}";
}

}  // namespace

void GenerateIdeas(TVelaCursor& c, int32_t count, uint64_t seed) {
  if (c.FieldCount() != 0 || c.RecordCount() != 0) throw std::logic_error("GenerateIdeas needs an empty store");
  if (count < 0) throw std::invalid_argument("GenerateIdeas: negative count");
  AddIdeaFields(c);
  const TVelaField& flag = *c.FindField("Flag");
  const TVelaField& subject = *c.FindField("Subject");
  const TVelaField& group = *c.FindField("Group");
  const TVelaField& title = *c.FindField("Title");
  const TVelaField& keywords = *c.FindField("Keywords");
  const TVelaField& notes = *c.FindField("Notes");
  const TVelaField& published = *c.FindField("Published");
  const TVelaField& pubDate = *c.FindField("PubDate");
  const TVelaField& key = *c.FindField("Key");
  const TVelaField& user1 = *c.FindField("UserField1");
  const TVelaField& user2 = *c.FindField("UserField2");

  int32_t firstDay = 0, lastDay = 0;
  TryEncodeDayNumber(1995, 1, 1, firstDay);
  TryEncodeDayNumber(2026, 12, 31, lastDay);

  SplitMix64 r(seed);
  TRecordData data(c);
  std::string text;
  for (int32_t i = 1; i <= count; ++i) {
    data.Reset();
    uint8_t* d = data.Get();
    if (r.Chance(12)) record_values::SetBoolean(d, flag, true);
    MakeSubject(r, text);
    record_values::SetText(d, subject, text);
    if (!r.Chance(8)) record_values::SetText(d, group, r.Pick(kGroups));
    MakeTitle(r, text);
    record_values::SetText(d, title, text);
    const std::string_view topic = r.Pick(kTopics);
    MakeKeywords(r, text, topic);
    record_values::SetText(d, keywords, text);
    MakeNotes(r, text, topic);
    record_values::SetText(d, notes, text);
    if (r.Chance(40)) {
      record_values::SetText(d, published, r.Pick(kOutlets));
      record_values::SetInteger(d, pubDate, firstDay + static_cast<int32_t>(r.Below(lastDay - firstDay + 1)));
    }
    record_values::SetInteger(d, key, i);
    if (!r.Chance(15)) record_values::SetText(d, user1, r.Pick(kAudiences));
    if (r.Chance(70)) {
      text.clear();
      AppendNumber(text, 500 + 100 * r.Below(26));
      record_values::SetText(d, user2, text);
    }
    c.AppendRecord(d);
  }
}

}  // namespace notarra
