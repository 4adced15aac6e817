#include "tools/idea_schema.h"

#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/codepage.h"
#include "platform/date_time.h"
#include "platform/file_lock.h"
#include "platform/output_path.h"
#include "platform/scope_guard.h"
#include "tableengine/record_values.h"
#include "tools/record_data.h"
#include "tools/tool_error.h"

namespace notarra {

void AddIdeaFields(TVelaCursor& c) {
  c.AddField("Flag", TVelaFieldKind::Boolean);
  c.AddField("Subject", TVelaFieldKind::String, 256);
  c.AddField("Group", TVelaFieldKind::SmallStr, 20);
  c.AddField("Title", TVelaFieldKind::String, 256);
  c.AddField("Keywords", TVelaFieldKind::String, 256);
  c.AddField("Notes", TVelaFieldKind::FmtMemo);
  c.AddField("Published", TVelaFieldKind::String, 50);
  c.AddField("PubDate", TVelaFieldKind::Date);
  c.AddField("Key", TVelaFieldKind::AutoInc);
  c.AddField("UserField1", TVelaFieldKind::SmallStr, 20);
  c.AddField("UserField2", TVelaFieldKind::SmallStr, 20);
}

void AddGroupFields(TVelaCursor& c) {
  c.AddField("SELECTED", TVelaFieldKind::Boolean);
  c.AddField("CATEGORY", TVelaFieldKind::SmallStr, 15);
  c.AddField("CKEY", TVelaFieldKind::AutoInc);
}

void AddUserFields(TVelaCursor& c) {
  c.AddField("DataFile", TVelaFieldKind::SmallStr, 20);
  c.AddField("Fldname1", TVelaFieldKind::SmallStr, 20);
  c.AddField("Fldname2", TVelaFieldKind::SmallStr, 20);
}

namespace {

// Sample texts are written here in UTF-8 and stored in Windows-1252.
std::string Ansi(std::string_view utf8) {
  std::string out;
  if (!Utf8ToAnsi(utf8, out)) throw std::logic_error("sample text outside Windows-1252");
  return out;
}

struct SampleIdea {
  bool flag;
  const char* subject;
  const char* group;
  const char* title;
  const char* keywords;
  const char* notes;
  const char* published;  // "" when not published
  int year, month, day;   // 0 when not published
  const char* audience;
  const char* words;
};

const SampleIdea kSampleIdeas[] = {
    {false, "Packing light for a week in Lisbon", "Travel", "One Bag, Seven Days: Packing Light for Lisbon",
     "packing, carry-on, Lisbon, Portugal", "List what actually got worn last trip.\nMention the tram 28 crowds.",
     "Blog", 2019, 5, 14, "Travellers", "1200"},
    {true, "Night trains are back", "Travel", "Why I Swapped Short-Haul Flights for Night Trains",
     "night train, rail travel, Europe, sleeper", "Compare Vienna–Rome sleeper with the flight: door to door times, cost, CO2.",
     "", 0, 0, 0, "Travellers", "1800"},
    {false, "Visiting Kyoto in the rainy season", "Travel", "Kyoto in June: Moss Gardens and Umbrellas",
     "Kyoto, Japan, tsuru-no-ame, gardens", "Photos from Saiho-ji need permission; check first.", "Guest post", 2023, 7, 2,
     "Travellers", "1500"},
    {false, "Road trip planning with kids", "Travel", "The 90-Minute Rule for Road Trips with Small Children",
     "road trip, kids, planning, snacks", "Stops every 90 minutes. Playground map apps.", "", 0, 0, 0, "Parents", "900"},
    {false, "Sourdough starter from scratch", "Cooking", "Seven Days to a Lively Sourdough Starter",
     "sourdough, starter, bread, fermentation",
     // Formatted notes, as a word processor writes them.
     "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
     "{\\colortbl ;\\red192\\green0\\blue0;}\r\n"
     "\\pard\\f0 {\\b Day-by-day photos.} Rye flour {\\i speeds it up}.\\par\r\n"
     "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\fi-360\\li360 "
     "What smells are {\\ul normal}?\\par\r\n"
     "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\fi-360\\li360 "
     "{\\cf1 When to throw it away}\\par\r\n}",
     "Blog", 1998, 3, 9, "Home bakers", "2000"},
    {true, "Weeknight curry in 30 minutes", "Cooking", "A Thirty-Minute Chickpea Curry for Tired Weeknights",
     "curry, chickpeas, quick dinner, vegetarian", "Use tinned tomatoes; garam masala at the end.", "", 0, 0, 0,
     "Beginners", "700"},
    {false, "Crème brûlée without a torch", "Cooking", "Crème Brûlée Without a Blowtorch (Yes, Really)",
     "crème brûlée, dessert, grill, custard", "The grill trick: sugar layer thin, ramekins close to the element.",
     "Newsletter", 2021, 2, 14, "Home cooks", "1100"},
    {false, "Knife skills every cook needs", "Cooking", "Five Knife Cuts That Make Every Recipe Faster",
     "knife skills, julienne, dice, kitchen basics", "Short video clips for each cut?", "Blog", 1999, 11, 30,
     "Beginners", "1300"},
    {false, "Batch cooking for the freezer", "Cooking", "Sunday Batch Cooking: Ten Freezer Meals in Three Hours",
     "batch cooking, freezer, meal prep", "Label template as a download.", "", 0, 0, 0, "Parents", "1600"},
    {true, "Self-hosting a photo library", "Tech", "Leaving the Cloud: Self-Hosting 80,000 Family Photos",
     "self-hosting, photos, NAS, backup", "Backups 3-2-1. Power cost per year?\nFace recognition offline.", "", 0, 0,
     0, "Tinkerers", "2500"},
    {false, "Keyboard shortcuts that save hours", "Tech", "Twelve Keyboard Shortcuts I Use Every Single Day",
     "shortcuts, productivity, keyboard, desktop", "Make a printable cheat sheet.", "Blog", 2004, 8, 23, "Office workers",
     "800"},
    {false, "Retro computing: restoring an old laptop", "Tech", "Bringing a 1996 Laptop Back to Life",
     "retro computing, restoration, capacitors, floppy", "Battery pack leaked; photos of the cleanup.", "Magazine", 1996,
     10, 1, "Tinkerers", "3000"},
    {false, "Password managers explained", "Tech", "Password Managers, Explained for My Parents",
     "passwords, security, password manager", "Avoid jargon. One master password analogy: house key.", "", 0, 0, 0,
     "Beginners", "1000"},
    {false, "Home network tidy-up", "Tech", "Untangling the Home Network: A Weekend Project",
     "Wi-Fi, router, mesh, network", "Before/after diagram.", "Blog", 2016, 1, 17, "Tinkerers", "1400"},
    {true, "Tomatoes on a balcony", "Gardening", "Growing Tomatoes on a North-Facing Balcony",
     "tomatoes, balcony, containers, shade", "Cherry varieties cope best. Reflective board trick.", "", 0, 0, 0,
     "Beginners", "900"},
    {false, "Composting in a small garden", "Gardening", "Compost in Three Square Metres",
     "compost, small garden, worms, bokashi", "Bokashi vs worm bin comparison table.", "Blog", 2001, 4, 4,
     "Gardeners", "1200"},
    {false, "Planting for pollinators", "Gardening", "A Pollinator Border That Flowers From March to October",
     "pollinators, bees, perennials, border", "Month-by-month plant list.", "Guest post", 2022, 3, 20, "Gardeners", "1700"},
    {false, "Saving seeds from heirloom beans", "Gardening", "Saving Heirloom Bean Seeds for Next Year",
     "seed saving, heirloom, beans", "Drying racks from old window screens.", "", 0, 0, 0, "Gardeners", "800"},
    {false, "Books that changed how I cook", "Books", "Five Cookbooks That Changed How I Cook",
     "cookbooks, reading, reviews", "Include one out-of-print book.", "Blog", 1997, 12, 1, "Readers", "1500"},
    {true, "Reading 50 books in a year", "Books", "What Reading Fifty Books in One Year Taught Me",
     "reading challenge, habits, library", "Spreadsheet of pages per day; audiobooks count?", "", 0, 0, 0, "Readers",
     "1300"},
    {false, "Starting a neighbourhood book swap", "Books", "How We Built a Little Free Library on Our Street",
     "book swap, community, little free library", "Weatherproofing: marine varnish.", "Newsletter", 2018, 6, 9,
     "Neighbours", "1100"},
    {false, "Golden hour on a phone camera", "Photography", "Golden-Hour Portraits with Nothing but a Phone",
     "photography, golden hour, portraits, phone", "Exposure lock; tap and drag down.", "Blog", 2020, 9, 5,
     "Beginners", "1000"},
    {false, "Scanning old family slides", "Photography", "Digitising 2,000 Family Slides Without Losing My Mind",
     "slides, scanning, archive, family history", "Compare flatbed vs DSLR copy stand.", "", 0, 0, 0, "Families",
     "2200"},
    {false, "Street photography etiquette", "Photography", "Street Photography and Asking Permission",
     "street photography, ethics, consent", "Interview two local photographers.", "Magazine", 1999, 2, 28,
     "Photographers", "1800"},
    {false, "Couch to 5K, honestly", "Fitness", "Couch to 5K: The Weeks Nobody Talks About",
     "running, couch to 5k, beginners", "Week 5 run 3 is the wall.", "Blog", 2015, 4, 12, "Beginners", "1200"},
    {true, "Stretching for desk workers", "Fitness", "Ten Minutes of Stretching for People Who Sit All Day",
     "stretching, posture, office, back pain", "Illustrations needed.", "", 0, 0, 0, "Office workers", "700"},
    {false, "Cycling to work in winter", "Fitness", "Cycling to Work All Winter: Gear That Actually Helped",
     "cycling, commuting, winter, gear", "Lights, mudguards, overshoes – and what was a waste.", "Guest post", 2012, 1,
     30, "Commuters", "1500"},
    {false, "A simple monthly budget", "Finance", "The One-Page Monthly Budget We Actually Stick To",
     "budget, money, household, spreadsheet", "Share the template; € and £ versions.", "Blog", 2010, 10, 10,
     "Families", "1300"},
    {false, "Explaining compound interest to teens", "Finance", "Compound Interest, Explained with Pizza",
     "compound interest, teens, saving", "Pizza slices as the running example.", "", 0, 0, 0, "Teenagers", "900"},
    {false, "Cutting subscription creep", "Finance", "How We Found €40 a Month in Forgotten Subscriptions",
     "subscriptions, savings, audit", "Bank export + a filter; list of the worst offenders.", "Newsletter", 2024, 1, 8,
     "Families", "1000"},
    {false, "Repairing a wobbly chair", "", "Fixing a Wobbly Chair with Glue, Clamps and Patience",
     "repair, furniture, woodworking", "Group not decided yet – DIY or Home?", "", 0, 0, 0, "", ""},
    {false, "Ten years of this blog", "", "Ten Years of Writing Here: What Changed",
     "anniversary, blogging, personal", "Reader survey first.", "Blog", 2025, 3, 1, "Readers", "2000"},
    {true, "Travel photography on a budget", "Photography", "Travel Photography Kit for Under 500 Euros",
     "travel, photography, budget, lenses", "Second-hand lenses; where to buy safely.", "", 0, 0, 0, "Travellers", "1400"},
    {false, "Herb garden on the windowsill", "Gardening", "A Windowsill Herb Garden That Survives Winter",
     "herbs, windowsill, basil, indoor", "Basil hates draughts.", "Blog", 2002, 11, 3, "Beginners", "800"},
    {false, "Cooking with the kids", "Cooking", "Saturday Pancakes: Letting the Kids Run the Kitchen",
     "kids, pancakes, cooking together", "Safety rules poster.", "", 0, 0, 0, "Parents", "900"},
    {false, "Learning to touch-type at forty", "Tech", "Learning to Touch-Type at Forty",
     "typing, learning, practice", "Words per minute chart, week by week.", "Blog", 2017, 7, 21, "Office workers", "1100"},
};

const char* const kSampleGroups[] = {"Books", "Cooking", "Finance", "Fitness", "Gardening", "Photography", "Tech",
                                     "Travel"};

void SetTextField(const TVelaCursor& c, uint8_t* data, const char* name, std::string_view utf8) {
  record_values::SetText(data, *c.FindField(name), Ansi(utf8));
}

}  // namespace

void AddSampleIdeas(TVelaCursor& c) {
  TRecordData data(c);
  int32_t key = 0;
  for (const SampleIdea& s : kSampleIdeas) {
    data.Reset();
    uint8_t* d = data.Get();
    record_values::SetBoolean(d, *c.FindField("Flag"), s.flag);
    SetTextField(c, d, "Subject", s.subject);
    SetTextField(c, d, "Group", s.group);
    SetTextField(c, d, "Title", s.title);
    SetTextField(c, d, "Keywords", s.keywords);
    // Plain text: the Item page's memo shows the stored text as it is.
    record_values::SetText(d, *c.FindField("Notes"), Ansi(s.notes));
    SetTextField(c, d, "Published", s.published);
    if (s.year) {
      int32_t day = 0;
      TryEncodeDayNumber(s.year, s.month, s.day, day);
      record_values::SetInteger(d, *c.FindField("PubDate"), day);
    }
    record_values::SetInteger(d, *c.FindField("Key"), ++key);
    SetTextField(c, d, "UserField1", s.audience);
    SetTextField(c, d, "UserField2", s.words);
    c.AppendRecord(d);
  }
}

void AddSampleGroups(TVelaCursor& c) {
  TRecordData data(c);
  int32_t key = 0;
  for (const char* g : kSampleGroups) {
    data.Reset();
    record_values::SetText(data.Get(), *c.FindField("CATEGORY"), g);
    record_values::SetInteger(data.Get(), *c.FindField("CKEY"), ++key);
    c.AppendRecord(data.Get());
  }
}

void AddSampleUser(TVelaCursor& c) {
  TRecordData data(c);
  record_values::SetText(data.Get(), *c.FindField("DataFile"), kIdeaTableName);
  record_values::SetText(data.Get(), *c.FindField("Fldname1"), "Audience");
  record_values::SetText(data.Get(), *c.FindField("Fldname2"), "Word count");
  c.AppendRecord(data.Get());
}

namespace {

int64_t LiveCount(const TVelaCursor& cursor) {
  int64_t n = 0;
  for (const TVelaRecord* r : cursor.Records()) n += r->Live();
  return n;
}

}  // namespace

void RefuseExistingTable(const std::string& path) {
  if (PathKind(path) != TPathKind::Absent)
    throw TToolError(path + " already exists; a new table never overwrites it (remove it first)");
}

TDataFolderCounts CreateDataFolder(const std::filesystem::path& dir, bool sample) {
  const std::string paths[3] = {(dir / kIdeaTableName).string(), (dir / kGroupTableName).string(),
                                (dir / kUserTableName).string()};
  std::error_code ec;
  if (std::filesystem::exists(dir, ec) && !std::filesystem::is_directory(dir, ec))
    throw TToolError(dir.string() + " exists and is not a folder");
  for (const std::string& p : paths) RefuseExistingTable(p);

  // All three tables are built before any is written.
  TVelaCursor ideas, groups, user;
  AddIdeaFields(ideas);
  AddGroupFields(groups);
  AddUserFields(user);
  if (sample) {
    AddSampleIdeas(ideas);
    AddSampleGroups(groups);
    AddSampleUser(user);
  }
  // The folders made here, deepest last, so that a failure can take them all away again.
  std::vector<std::filesystem::path> madeFolders;
  for (std::filesystem::path p = std::filesystem::absolute(dir, ec); !p.empty() && !std::filesystem::exists(p, ec);
       p = p.parent_path())
    madeFolders.insert(madeFolders.begin(), p);
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    for (auto f = madeFolders.rbegin(); f != madeFolders.rend(); ++f) std::filesystem::remove(*f, ec);
    throw TToolError("cannot create folder " + dir.string() + ": " + ec.message());
  }
  // The three tables come as a set: when one cannot be written, none is left
  // behind, so that the folder can simply be made again.
  TFolderLock lock(paths[0]);
  std::vector<std::string> written;
  ScopeFail removeWritten([&] {
    for (const std::string& p : written) std::filesystem::remove(p, ec);
    for (auto f = madeFolders.rbegin(); f != madeFolders.rend(); ++f) std::filesystem::remove(*f, ec);  // only when empty
  });
  for (const std::string& p : paths) RefuseExistingTable(p);  // again, now that nobody else can come between
  // Smallest first, so that a full disk is usually met before anything is written.
  for (auto [store, path] : {std::pair{&user, &paths[2]}, {&groups, &paths[1]}, {&ideas, &paths[0]}}) {
    store->SaveToFile(*path, 0, false, "");
    written.push_back(*path);
  }
  return {LiveCount(ideas), LiveCount(groups), LiveCount(user)};
}

}  // namespace notarra
