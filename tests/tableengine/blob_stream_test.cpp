// BLOB, memo and formatted-memo fields of the engine's tables, read and
// written through the dataset's BLOB streams the way the framework's fields
// and the data-aware memo use them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dataset/field_types.h"
#include "platform/exceptions.h"
#include "platform/services.h"
#include "table_bytes.h"
#include "tableengine/blob_stream.h"
#include "tableengine/table_file_format.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

using namespace notarra;

using namespace tt;

namespace {

namespace fs = std::filesystem;

class KeptMessages : public TMessageService {
public:
  void Information(const std::string& text) override { shown.push_back(text); }
  void Warning(const std::string& text) override { shown.push_back(text); }
  void Error(const std::string& text) override { shown.push_back(text); }
  bool ConfirmOkCancel(const std::string&) override { return false; }
  bool ConfirmYesNo(const std::string&) override { return false; }
  std::vector<std::string> shown;
};

const std::string kBinary("\x00\x01\xff\x00zz", 6);

class BlobStreamTest : public ::testing::Test {
protected:
  void SetUp() override {
    oldMessages = SetMessageService(&messages);
    dir = fs::temp_directory_path() / ("notarra-blob-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    db.SetDatabasePath(dir.string());
    table.SetName("BlogI_");
    table.SetDatabase(&db);
    table.SetTableName("ideas.d");
    MakeFile();
    table.Open();
  }
  void TearDown() override {
    table.Close();
    fs::remove_all(dir);
    SetMessageService(oldMessages);
  }

  // Two ideas: one with notes, a binary block and formatted notes; one without any.
  void MakeFile() {
    TVelaCursor c;
    c.AddField("Title", TVelaFieldKind::SmallStr, 20);
    c.AddField("Notes", TVelaFieldKind::Memo);
    c.AddField("Data", TVelaFieldKind::BLOB);
    c.AddField("Rich", TVelaFieldKind::FmtMemo);
    {
      Area a(c);
      a.text("Title", "first").blob("Notes", "first notes").blob("Data", kBinary).blob("Rich", "{\\rtf1 x}");
      c.AppendRecord(a);
    }
    {
      Area a(c);
      a.text("Title", "second");
      c.AppendRecord(a);
    }
    c.SaveToFile((dir / "ideas.d").string(), 0, false, "");
  }

  TField* Notes() { return table.FieldByName("Notes"); }
  std::string ReadAll(TField* field, TBlobStreamMode mode = bmRead) {
    std::unique_ptr<TStream> s = table.CreateBlobStream(field, mode);
    std::string out(static_cast<std::size_t>(s->Size()), '\0');
    s->SetPosition(0);
    if (!out.empty()) s->ReadBuffer(out.data(), out.size());
    return out;
  }
  void GoTo(const std::string& title) {
    table.First();
    while (!table.Eof() && table.FieldByName("Title")->AsString() != title) table.Next();
    ASSERT_FALSE(table.Eof()) << title;
  }
  std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const EDatabaseError& e) {
      return e.Message();
    }
    return "no error";
  }

  KeptMessages messages;
  TMessageService* oldMessages = nullptr;
  fs::path dir;
  TVelaDatabase db;
  TVelaTable table;
};

TEST_F(BlobStreamTest, ReadsEveryBlobKindInBrowseEditAndOldValue) {
  GoTo("first");
  EXPECT_EQ(Notes()->AsString(), "first notes");
  EXPECT_EQ(ReadAll(table.FieldByName("Data")), kBinary);  // zero bytes stay
  EXPECT_EQ(table.FieldByName("Rich")->AsString(), "{\\rtf1 x}");
  EXPECT_EQ(static_cast<TBlobField*>(Notes())->BlobSize(), 11);
  EXPECT_EQ(Notes()->DisplayText(), "(MEMO)");
  GoTo("second");
  EXPECT_TRUE(Notes()->IsNull());
  EXPECT_EQ(Notes()->AsString(), "");
  EXPECT_EQ(Notes()->DisplayText(), "(Memo)");

  GoTo("first");
  table.Edit();
  Notes()->SetAsString("edited");
  EXPECT_EQ(Notes()->AsString(), "edited");
  EXPECT_TRUE(Notes()->Modified());
  EXPECT_EQ(Notes()->OldValue().AsString(), "first notes");
  table.Post();
  EXPECT_EQ(Notes()->AsString(), "edited");
  GoTo("second");
  GoTo("first");
  EXPECT_EQ(Notes()->AsString(), "edited");
}

TEST_F(BlobStreamTest, InsertedRecordsKeepTheirBlocks) {
  table.Append();
  table.FieldByName("Title")->SetAsString("third");
  Notes()->SetAsString("new notes");
  {
    auto s = table.CreateBlobStream(table.FieldByName("Data"), bmWrite);
    s->WriteBuffer(kBinary.data(), kBinary.size());
  }
  EXPECT_EQ(Notes()->AsString(), "new notes");  // read back while inserting
  auto* rich = static_cast<TBlobField*>(table.FieldByName("Rich"));
  TMemoryStream from;
  from.WriteBuffer("{\\rtf1 y}", 9);
  from.SetPosition(2);
  rich->LoadFromStream(from);  // from the position on
  TMemoryStream to;
  rich->SaveToStream(to);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(to.Memory()), static_cast<std::size_t>(to.Size())), "rtf1 y}");
  rich->SetValue(TVariant());
  table.Post();
  EXPECT_EQ(table.RecordCount(), 3);
  GoTo("third");
  EXPECT_EQ(Notes()->AsString(), "new notes");
  EXPECT_EQ(ReadAll(table.FieldByName("Data")), kBinary);
  EXPECT_TRUE(table.FieldByName("Rich")->IsNull());
}

TEST_F(BlobStreamTest, CancelKeepsTheOldBlock) {
  GoTo("first");
  table.Edit();
  Notes()->SetAsString("changed");
  table.Cancel();
  EXPECT_EQ(Notes()->AsString(), "first notes");
  // A second edit after a posted one cancels back to the posted notes.
  table.Edit();
  Notes()->SetAsString("posted");
  table.Post();
  table.Edit();
  Notes()->SetAsString("again");
  table.Cancel();
  EXPECT_EQ(Notes()->AsString(), "posted");

  table.Append();
  Notes()->SetAsString("dropped");
  table.Cancel();
  EXPECT_EQ(table.RecordCount(), 2);
}

TEST_F(BlobStreamTest, OverwriteTruncateAndGrow) {
  GoTo("first");
  table.Edit();
  {
    auto s = table.CreateBlobStream(Notes(), bmReadWrite);
    EXPECT_EQ(s->Position(), 0);
    s->WriteBuffer("FIRST", 5);  // overwrites in place, the rest stays
  }
  EXPECT_EQ(Notes()->AsString(), "FIRST notes");
  {
    auto s = table.CreateBlobStream(Notes(), bmReadWrite);
    s->SetSize(3);
  }
  EXPECT_EQ(Notes()->AsString(), "FIR");
  {
    auto s = table.CreateBlobStream(Notes(), bmReadWrite);
    s->SetSize(5);  // grown bytes are zeros, not leftovers
    s->Seek(0, TSeekOrigin::soEnd);
    s->WriteBuffer("!", 1);
  }
  EXPECT_EQ(Notes()->AsString(), std::string("FIR\0\0!", 6));
  {
    auto s = table.CreateBlobStream(Notes(), bmWrite);  // starts empty
    EXPECT_EQ(s->Size(), 0);
    s->WriteBuffer("short", 5);
  }
  EXPECT_EQ(Notes()->AsString(), "short");
  {
    // A read stream that is never written changes nothing.
    auto s = table.CreateBlobStream(Notes(), bmRead);
    EXPECT_FALSE(static_cast<TVelaBlobStream*>(s.get())->Modified());
  }
  EXPECT_EQ(Notes()->AsString(), "short");
  table.Post();
  EXPECT_EQ(Notes()->AsString(), "short");
}

TEST_F(BlobStreamTest, MemoEditedToEmptyTextReadsAsNull) {
  GoTo("first");
  table.Edit();
  Notes()->SetAsString("");
  EXPECT_TRUE(Notes()->IsNull());
  EXPECT_TRUE(Notes()->Value().IsNull());
  table.Post();
  EXPECT_TRUE(Notes()->IsNull());
  EXPECT_EQ(Notes()->AsString(), "");
  const TVelaCursor& store = *table.Store();
  const TVelaField& f = *store.FindField("Notes");
  for (TVelaRecord* r : table.VisibleRecords()) EXPECT_EQ(data_area::BlobRef(r->Data, f), nullptr);
}

TEST_F(BlobStreamTest, WritesNeedEditOrInsertAndAWritableField) {
  GoTo("first");
  EXPECT_EQ(ErrorOf([&] { table.CreateBlobStream(Notes(), bmWrite); }),
            "BlogI_: Table is not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { table.CreateBlobStream(Notes(), bmReadWrite); }),
            "BlogI_: Table is not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { Notes()->SetAsString("x"); }), "BlogI_: Table is not in edit or insert mode");
  {
    // Reading is fine in browse mode; writing into that stream is not.
    auto s = table.CreateBlobStream(Notes(), bmRead);
    EXPECT_EQ(ErrorOf([&] { s->WriteBuffer("x", 1); }), "BlogI_: Table is not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { s->SetSize(0); }), "BlogI_: Table is not in edit or insert mode");
  }
  EXPECT_EQ(Notes()->AsString(), "first notes");

  Notes()->SetReadOnly(true);
  table.Edit();
  EXPECT_EQ(ErrorOf([&] { table.CreateBlobStream(Notes(), bmWrite); }), "BlogI_: Field 'Notes' is read only!");
  EXPECT_EQ(ReadAll(Notes()), "first notes");
  table.Cancel();
  Notes()->SetReadOnly(false);

  // Only data fields of a BLOB kind have a block.
  EXPECT_EQ(ErrorOf([&] { table.CreateBlobStream(table.FieldByName("Title"), bmRead); }),
            "BlogI_: Cannot access field 'Title' as type BLOB");
  table.Close();
  EXPECT_THROW(table.CreateBlobStream(table.FieldByName("Notes"), bmRead), EDatabaseError);
}

TEST_F(BlobStreamTest, AWriteIntoAnEmptyBrowsingTableIsRefused) {
  // An empty table in browse mode has no record to take the bytes: they
  // would be lost without a word, so the write is refused.
  table.Close();
  TVelaTable empty;
  empty.SetName("Empty");
  empty.FieldDefs().Add("Notes", ftMemo);
  empty.Open();
  EXPECT_TRUE(empty.FieldByName("Notes")->IsNull());
  EXPECT_EQ(empty.FieldByName("Notes")->AsString(), "");
  try {
    empty.FieldByName("Notes")->SetAsString("lost");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Empty: Table is not in edit or insert mode");
  }
  empty.Insert();
  empty.FieldByName("Notes")->SetAsString("kept");
  empty.Post();
  EXPECT_EQ(empty.FieldByName("Notes")->AsString(), "kept");
}

TEST_F(BlobStreamTest, AStreamOutlivingItsEditOrItsDatasetStoresNothing) {
  GoTo("first");
  table.Edit();
  auto late = table.CreateBlobStream(Notes(), bmWrite);
  late->WriteBuffer("late", 4);
  table.Cancel();
  late.reset();  // the edit is over: nothing lands in the browsing buffer
  EXPECT_EQ(Notes()->AsString(), "first notes");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "BlogI_: Table is not in edit or insert mode");
  EXPECT_FALSE(table.Modified());

  table.Edit();
  auto orphan = table.CreateBlobStream(Notes(), bmWrite);
  orphan->WriteBuffer("orphan", 6);
  table.Cancel();
  table.Close();
  EXPECT_EQ(static_cast<TVelaBlobStream*>(orphan.get())->Dataset(), nullptr);
  orphan.reset();  // the dataset has closed: nothing to store into
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(BlobStreamTest, BlocksLongerThanTheFileFormatAllowsAreRefused) {
  GoTo("first");
  table.Edit();
  auto s = table.CreateBlobStream(Notes(), bmReadWrite);
  try {
    s->SetSize(int64_t{table_file::kMaxBlobLength} + 1);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "BlogI_: Field 'Notes' value is too long (1073741824 bytes; at most 1073741823)");
  }
  s->Seek(table_file::kMaxBlobLength, TSeekOrigin::soBeginning);
  EXPECT_THROW(s->WriteBuffer("x", 1), EDatabaseError);
  EXPECT_EQ(s->Size(), 11);
  s.reset();
  EXPECT_EQ(Notes()->AsString(), "first notes");
}

TEST_F(BlobStreamTest, RecordFiltersReadTheRecordUnderTest) {
  // The filter dialog matches memo criteria this way.
  table.OnFilterRecord = [this](TDataSet*, bool& accept) {
    accept = Notes()->AsString().find("notes") != std::string::npos;
  };
  table.SetFiltered(true);
  ASSERT_EQ(table.RecordCount(), 1);
  EXPECT_EQ(table.FieldByName("Title")->AsString(), "first");
}

TEST_F(BlobStreamTest, BlocksSurviveSaveAndReload) {
  GoTo("first");
  table.Edit();
  Notes()->SetAsString("saved notes");
  table.FieldByName("Rich")->SetAsString("");
  table.Post();
  GoTo("second");
  table.Edit();
  {
    auto s = table.CreateBlobStream(table.FieldByName("Data"), bmWrite);
    s->WriteBuffer(kBinary.data(), kBinary.size());
  }
  table.Post();
  table.Append();
  table.FieldByName("Title")->SetAsString("third");
  Notes()->SetAsString(std::string(70000, 'n'));
  table.Post();
  db.SaveDatasets({&table});
  table.Close();

  table.Open();
  ASSERT_EQ(table.RecordCount(), 3);
  GoTo("first");
  EXPECT_EQ(Notes()->AsString(), "saved notes");
  EXPECT_EQ(ReadAll(table.FieldByName("Data")), kBinary);
  EXPECT_TRUE(table.FieldByName("Rich")->IsNull());
  GoTo("second");
  EXPECT_TRUE(Notes()->IsNull());
  EXPECT_EQ(ReadAll(table.FieldByName("Data")), kBinary);
  GoTo("third");
  EXPECT_EQ(Notes()->AsString(), std::string(70000, 'n'));
}

}  // namespace

// ---- A stream kept past its edit ----------------------------------------------------

namespace {

class StreamPastItsEditTest : public BlobStreamTest {};

TEST_F(StreamPastItsEditTest, BytesNeverLandInTheNextEditOrInsert) {
  GoTo("first");
  table.Edit();
  auto kept = table.CreateBlobStream(Notes(), bmWrite);
  kept->WriteBuffer("meant for first", 15);
  table.Post();
  GoTo("second");
  table.Edit();
  kept.reset();  // a later edit of another record is not the one written in
  table.Post();
  EXPECT_TRUE(Notes()->IsNull());
  GoTo("first");
  EXPECT_EQ(Notes()->AsString(), "first notes");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "BlogI_: Table is not in edit or insert mode");

  // Nor in a new record, nor through a write made after the edit ended.
  table.Append();
  auto early = table.CreateBlobStream(Notes(), bmWrite);
  early->WriteBuffer("meant for the first new one", 27);
  table.Cancel();
  table.Append();
  table.FieldByName("Title")->SetAsString("third");
  EXPECT_NE(ErrorOf([&] { early->WriteBuffer("x", 1); }), "no error");
  early.reset();
  table.Post();
  EXPECT_TRUE(Notes()->IsNull());
  EXPECT_EQ(table.FieldByName("Title")->AsString(), "third");
}

}  // namespace
