// Finding fields and field definitions by name: without regard to case, the
// first of several same names winning, and right after any change of the
// list or of a name.
#include <gtest/gtest.h>

#include "test_dataset.h"

using namespace notarra;

namespace {

TEST(FieldLookup, DefinitionsAreFoundByNameAfterEveryChange) {
  TTestDataSet ds({{"Subject", ftString, 20}});
  TFieldDefs& defs = ds.FieldDefs();
  defs.Clear();
  TFieldDef* first = defs.Add("Caf\xE9", ftInteger);
  TFieldDef* second = defs.Add("CAF\xC9", ftInteger);
  EXPECT_EQ(defs.Find("caf\xE9"), first);
  EXPECT_EQ(defs.IndexOf("CAF\xC9"), 0);
  EXPECT_EQ(defs.Find("Cafe"), nullptr);

  first->SetName("Old");
  EXPECT_EQ(defs.Find("caf\xC9"), second);
  EXPECT_EQ(defs.IndexOf("OLD"), 0);
  TFieldDef* third = defs.Add("New", ftInteger);
  EXPECT_EQ(defs.Find("new"), third);
  EXPECT_EQ(defs.IndexOf("new"), 2);

  defs.Clear();
  EXPECT_EQ(defs.Find("Old"), nullptr);
  EXPECT_EQ(defs.Find("New"), nullptr);
  TFieldDef* again = defs.Add("Old", ftInteger);
  EXPECT_EQ(defs.Find("old"), again);
}

TEST(FieldLookup, FieldsAreFoundByNameAfterEveryChange) {
  TTestDataSet ds({{"Subject", ftString, 20}, {"Group", ftString, 10}});
  auto* subject = new TStringField(&ds);
  subject->SetFieldName("Subject");
  subject->SetDataSet(&ds);
  auto* group = new TStringField(&ds);
  group->SetFieldName("Group");
  group->SetDataSet(&ds);
  EXPECT_EQ(ds.FindField("SUBJECT"), subject);

  subject->SetFieldName("Title");
  EXPECT_EQ(ds.FindField("subject"), nullptr);
  EXPECT_EQ(ds.FindField("title"), subject);

  // Fields without a name may repeat: the first in field order wins, also after a move.
  auto* a = new TIntegerField(&ds);
  a->SetDataSet(&ds);
  auto* b = new TIntegerField(&ds);
  b->SetDataSet(&ds);
  EXPECT_EQ(ds.FindField(""), a);
  b->SetIndex(0);
  EXPECT_EQ(ds.FindField(""), b);

  b->SetDataSet(nullptr);
  EXPECT_EQ(ds.FindField(""), a);
  delete b;
  delete a;
  EXPECT_EQ(ds.FindField(""), nullptr);
  EXPECT_EQ(ds.FindField("group"), group);
}

}  // namespace
