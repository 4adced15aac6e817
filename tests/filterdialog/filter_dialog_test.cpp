// The filter component: Execute through a stand-in form, applying and
// removing criteria, the criteria's life with the dataset, the setters'
// rules, its message boxes and hourglass, and the filter-text mode.
#include <gtest/gtest.h>

#include "filter_table.h"
#include "platform/exceptions.h"

using namespace notarra;

namespace {

using namespace ft;
using Names = std::set<std::string>;

// Stands in for the dialog form: copies the criteria like the real form,
// lets the test edit the copy, and answers OK or Cancel.
class FakeForm : public TsfFilterForm {
public:
  struct Script {
    bool ok = true;
    bool modified = true;
    std::function<void(TsfFieldInfoList&)> edit;
    int shown = 0;
    int busyDepthWhileShown = -1;
    std::string caption;
    bool sizeable = false;
  };
  FakeForm(TsfFilterDialog& dialog, Script& script) : script_(script) {
    list_ = CopyFieldInfoList(dialog.FieldInfo());
    dialog.RebuildFieldCatalogue();
  }
  void SetSizeable(bool value) override { script_.sizeable = value; }
  void SetCaption(const std::string& caption) override { script_.caption = caption; }
  void FillFieldList(bool) override {}
  bool ShowModal() override {
    ++script_.shown;
    if (auto* busy = dynamic_cast<TConsoleBusyCursorService*>(&BusyCursorService()))
      script_.busyDepthWhileShown = busy->Depth();
    if (script_.edit) script_.edit(list_);
    return script_.ok;
  }
  bool Modified() const override { return script_.modified; }
  TsfFieldInfoList& FieldInfoList() override { return list_; }

private:
  Script& script_;
  TsfFieldInfoList list_;
};

std::unique_ptr<TsfFieldInfo> Info(const std::string& label, TsfFilterMatchType match, const std::string& value) {
  auto info = std::make_unique<TsfFieldInfo>();
  info->DisplayName = label;
  info->MatchType = match;
  info->FilterValue = value;
  return info;
}

class Component : public FilterTable {
protected:
  void SetUp() override {
    FilterTable::SetUp();
    oldBusy = SetBusyCursorService(&busy);
    old = TsfFilterDialog::SetFilterFormFactory(
        [this](TsfFilterDialog& d) { return std::make_unique<FakeForm>(d, script); });
    AddRows({{"alpha", 1, 1.5, D(2000, 1, 2), T(13, 5, 9), D(2000, 1, 2) + T(13, 5, 9), true},
             {"beta", 2, 2.5, D(2001, 2, 3), {}, {}, false},
             {"gamma", 3, {}, {}, {}, {}, {}}});
  }
  void TearDown() override {
    TsfFilterDialog::SetFilterFormFactory(std::move(old));
    SetBusyCursorService(oldBusy);
    FilterTable::TearDown();
  }
  void PickBeta() {
    script.edit = [](TsfFieldInfoList& list) {
      list.clear();
      list.push_back(Info("NAME", fdMatchStart, "b"));
    };
  }

  FakeForm::Script script;
  TsfFilterFormFactory old;
  TConsoleBusyCursorService busy;
  TBusyCursorService* oldBusy = nullptr;
};

TEST_F(Component, Defaults) {
  TsfFilterDialog d;
  EXPECT_EQ(d.Options(), (TsfFilterDialogOptions{fdShowCaseSensitive, fdShowOKCancel, fdShowViewSummary,
                                                 fdShowFieldOrder, fdShowValueRangeTab}));
  EXPECT_EQ(d.FilterMethod(), fdByFilter);
  EXPECT_EQ(d.DefaultMatchType(), fdMatchStart);
  EXPECT_EQ(d.DefaultFilterBy(), fdSmartFilter);
  EXPECT_EQ(d.FieldOperators().OrChar(), "or");
  EXPECT_EQ(d.FieldOperators().AndChar(), "and");
  EXPECT_EQ(d.FieldOperators().NullChar(), "null");
  EXPECT_DOUBLE_EQ(d.Rounding().Epsilon(), 0.0001);
  EXPECT_EQ(d.Rounding().RoundingMethod(), fdrmFixed);
  EXPECT_EQ(d.FilterPropertyOptions().DatasetFilterType, fdUseOnFilter);
  EXPECT_EQ(d.FilterPropertyOptions().LikeWildcardChar, "%");
  EXPECT_TRUE(d.FilterPropertyOptions().UseBracketsAroundFields);
  EXPECT_EQ(d.OnFilterPropertyOptions(), (TsfOnFilterPropertyOptions{fdClearWhenNoCriteria, fdClearWhenCloseDataSet}));
  EXPECT_EQ(d.UpperRangePadChar(), 122);
  EXPECT_EQ(d.QueryFormatDateMode(), qfdMonthDayYear);
  EXPECT_TRUE(d.ShowDialog());
  EXPECT_EQ(d.DlgHeight(), 267);
  d.SetDlgHeight(200);
  EXPECT_EQ(d.DlgHeight(), 267);
  d.SetDlgHeight(267);
  EXPECT_EQ(d.DlgHeight(), 267);
  d.SetDlgHeight(300);
  EXPECT_EQ(d.DlgHeight(), 300);
  TsfSQLTablesCollectionItem item;
  EXPECT_EQ(item.DisplayName(0), "0 - <Unassigned>");
  item.TableName = "ideas";
  EXPECT_EQ(item.DisplayName(1), "1 - ideas");
  item.TableAliasName = "i";
  EXPECT_EQ(item.DisplayName(2), "2 - i");
}

TEST_F(Component, ExecuteAppliesConfirmedCriteria) {
  PickBeta();
  dialog.SetCaption("Find");
  dialog.SetOptions(dialog.Options() | TsfFilterDialogOptions{fdSizeable});
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(script.caption, "Find");
  EXPECT_TRUE(script.sizeable);
  EXPECT_EQ(script.busyDepthWhileShown, 1);
  EXPECT_EQ(busy.Depth(), 0);
  EXPECT_TRUE(table.Filtered());
  EXPECT_EQ(Visible(), (Names{"beta"}));
  ASSERT_EQ(dialog.FieldInfo().size(), 1u);
  EXPECT_EQ(dialog.FieldInfo()[0]->FieldName, "Name");  // found from the label
  EXPECT_EQ(dialog.FieldCatalogue().size(), 9u);
  EXPECT_EQ(dialog.FieldCatalogue()[3]->FieldType, ftDate);
  EXPECT_EQ(dialog.FieldCatalogue()[0]->Size, 20);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Component, OkWithoutChangesWhileFilteredReappliesNothing) {
  PickBeta();
  ASSERT_TRUE(dialog.Execute());
  int tested = 0;
  dialog.OnAcceptFilterRecord = [&](TObject*, TDataSet*, bool&, bool&) { ++tested; };
  script.modified = false;
  script.edit = [](TsfFieldInfoList& list) { list.clear(); };
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(tested, 0);
  EXPECT_EQ(dialog.FieldInfo().size(), 1u);
  EXPECT_EQ(Visible(), (Names{"beta"}));
}

TEST_F(Component, OkWithoutChangesWhileUnfilteredApplies) {
  dialog.FieldInfo().push_back(Info("Name", fdMatchStart, "g"));
  script.modified = false;
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(Visible(), (Names{"gamma"}));
  // With no criteria, applying switches filtering off.
  table.SetFiltered(false);
  script.edit = [](TsfFieldInfoList& list) { list.clear(); };
  EXPECT_TRUE(dialog.Execute());
  EXPECT_FALSE(table.Filtered());
  EXPECT_FALSE(table.OnFilterRecord);
  EXPECT_TRUE(dialog.FieldInfo().empty());
}

TEST_F(Component, CancelChangesNothing) {
  PickBeta();
  ASSERT_TRUE(dialog.Execute());
  script.ok = false;
  script.edit = [](TsfFieldInfoList& list) { list.clear(); };
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FieldInfo().size(), 1u);
  EXPECT_TRUE(table.Filtered());
  EXPECT_EQ(Visible(), (Names{"beta"}));
  EXPECT_EQ(busy.Depth(), 0);
}

TEST_F(Component, RemoveFilterShowsEverythingAgain) {
  PickBeta();
  ASSERT_TRUE(dialog.Execute());
  dialog.ClearFilter();
  EXPECT_TRUE(table.Filtered());  // ClearFilter alone leaves the dataset alone
  dialog.ApplyFilter();
  EXPECT_EQ(script.shown, 1);
  EXPECT_TRUE(dialog.ShowDialog());
  EXPECT_FALSE(table.Filtered());
  EXPECT_FALSE(table.OnFilterRecord);
  EXPECT_EQ(Visible(), (Names{"alpha", "beta", "gamma"}));
  // Without fdClearWhenNoCriteria the handler goes in and accepts everything.
  dialog.SetOnFilterPropertyOptions({fdClearWhenCloseDataSet});
  dialog.ApplyFilter();
  EXPECT_TRUE(table.Filtered());
  EXPECT_TRUE(table.OnFilterRecord == dialog.FilterRecordHandler());
  EXPECT_EQ(Visible().size(), 3u);
}

TEST_F(Component, ClosedDatasetIsReportedAndNothingElseHappens) {
  table.Close();
  EXPECT_FALSE(dialog.Execute());
  dialog.ApplyFilter();
  EXPECT_EQ(script.shown, 0);
  const std::string box = "E:Dataset must be active to perform local filtering (FilterMethod=fdByFilter).";
  EXPECT_EQ(messages.shown, (std::vector<std::string>{box, box}));
  EXPECT_EQ(busy.Depth(), 0);
  EXPECT_FALSE(table.Active());
}

TEST_F(Component, NoSourceOrNoDatasetDoesNothing) {
  TsfFilterDialog lone;
  EXPECT_FALSE(lone.Execute());
  TDataSource empty;
  lone.SetDataSource(&empty);
  EXPECT_FALSE(lone.Execute());
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(script.shown, 0);
}

TEST_F(Component, EqualOperatorWordsAreReportedAndTheDialogOpensAnyway) {
  dialog.FieldOperators().SetAndChar("or");
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"W:Operators do not have a unique value."}));
  PickBeta();
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(messages.shown.back(), "W:And and Or Operators have the same value.");
  EXPECT_EQ(script.shown, 1);
}

TEST_F(Component, ClosingTheDatasetDiscardsTheCriteria) {
  BackByFile();
  PickBeta();
  ASSERT_TRUE(dialog.Execute());
  table.Close();
  EXPECT_TRUE(dialog.FieldInfo().empty());
  table.Open();
  // The handler stays and now accepts every record.
  EXPECT_TRUE(table.OnFilterRecord == dialog.FilterRecordHandler());
  EXPECT_EQ(Visible(), (Names{"alpha", "beta", "gamma"}));
  // Kept when the option is off.
  dialog.SetOnFilterPropertyOptions({fdClearWhenNoCriteria});
  ASSERT_TRUE(dialog.Execute());
  table.Close();
  table.Open();
  EXPECT_EQ(dialog.FieldInfo().size(), 1u);
  EXPECT_EQ(Visible(), (Names{"beta"}));
}

TEST_F(Component, FilterMethodRefusesQueryModifyOnTables) {
  dialog.SetFilterMethod(fdByQueryModify);
  EXPECT_EQ(dialog.FilterMethod(), fdByFilter);
  EXPECT_EQ(messages.shown, (std::vector<std::string>{
                                "W:Invalid FilterMethod for Dataset. \nOnly fdByFilter is supported for this type of Dataset"}));
  TsfFilterDialog lone;
  lone.SetFilterMethod(fdByQueryModify);
  EXPECT_EQ(lone.FilterMethod(), fdByQueryModify);
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(Component, DestroyedComponentTakesItsHandlerAlong) {
  {
    TsfFilterDialog temporary;
    temporary.SetDataSource(&source);
    temporary.FieldInfo().push_back(Info("Name", fdMatchStart, "a"));
    temporary.ApplyFilter();
    EXPECT_EQ(Visible(), (Names{"alpha"}));
  }
  EXPECT_FALSE(table.OnFilterRecord);
  table.SetFiltered(false);
  table.SetFiltered(true);
  EXPECT_EQ(Visible().size(), 3u);
}

TEST_F(Component, WithoutAFormNothingIsShownOrApplied) {
  TsfFilterDialog::SetFilterFormFactory(nullptr);
  dialog.FieldInfo().push_back(Info("Name", fdMatchStart, "a"));
  EXPECT_FALSE(dialog.Execute());
  EXPECT_FALSE(table.Filtered());
  EXPECT_EQ(busy.Depth(), 0);
  // Applying needs no form.
  dialog.ApplyFilter();
  EXPECT_EQ(Visible(), (Names{"alpha"}));
}

TEST_F(Component, ADatasetDestroyedFirstIsForgotten) {
  auto other = std::make_unique<TVelaTable>();
  other->FieldDefs().Add("Name", ftString, 10);
  other->Open();
  other->AppendRecord({TVariant("x")});
  TDataSource otherSource;
  otherSource.SetDataSet(other.get());
  TsfFilterDialog d;
  d.SetDataSource(&otherSource);
  d.FieldInfo().push_back(Info("Name", fdMatchStart, "y"));
  d.ApplyFilter();
  EXPECT_EQ(other->RecordCount(), 0);
  other.reset();
  EXPECT_TRUE(d.FieldInfo().empty());  // its source lost the dataset: as closed
  EXPECT_EQ(d.GetDataSet(), nullptr);
}

// ------------------------------------------------------------ filter text

std::string Joined(TsfFilterDialog& dialog) {
  std::vector<std::string> lines;
  if (!dialog.BuildFilterLines(lines)) return "<refused>";
  std::string text;
  for (const auto& line : lines) text += " " + line;
  return text;
}

TEST_F(Component, FilterTextForEachKindOfField) {
  auto add = [&](const std::string& field, TsfFilterMatchType match, const std::string& value) -> TsfFieldInfo& {
    return Criterion(field, match, value);
  };
  add("Name", fdMatchStart, "o'neil or null");
  EXPECT_EQ(Joined(dialog), " ([Name]='o''neil*' or [Name] is NULL)");
  dialog.ClearFilter();
  add("Name", fdMatchAny, "x");  // no condition without like
  add("Count", fdMatchExact, "7 or 8").NonMatching = true;
  add("Amount", fdMatchExact, "2.5");
  EXPECT_EQ(Joined(dialog), "   not ([Count]=7 or [Count]=8)  and ([Amount]=2.5)");
  dialog.ClearFilter();
  add("Day", fdMatchExact, "01/02/2000");
  add("Stamp", fdMatchExact, "1/2/2000 1:05:09 PM");
  add("At", fdMatchExact, "13:05:09");
  add("Flag", fdMatchExact, "True");
  EXPECT_EQ(Joined(dialog),
            " ([Day]='1/2/2000')  and (   [Stamp]='1/2/2000 13:5:9')  and (   [At]='13:5:9')  and ([Flag]=True)");
  dialog.SetQueryFormatDateMode(qfdYearMonthDay);
  dialog.FilterPropertyOptions().UseBracketsAroundFields = false;
  dialog.OnEncodeDateTime = [](double, TFieldType type, const std::string& name, std::string& text) {
    if (type == ftDate) text = "#" + text + "#" + name;
  };
  dialog.ClearFilter();
  add("Day", fdMatchExact, "1/2/2000");
  EXPECT_EQ(Joined(dialog), " (Day='#2000/1/2#Day')");
}

TEST_F(Component, FilterTextRangesLikeAndUpper) {
  Range("Name", "b", "c");
  Range("Count", "1", "");
  Range("Day", "", "2/3/2001");
  EXPECT_EQ(Joined(dialog), " ([Name] >= 'b')  and ([Name] <= 'c" + std::string(19, 'z') + "')  and ([Count] >= 1)  and ([Day] <= '2/3/2001')");
  dialog.ClearFilter();
  auto& p = dialog.FilterPropertyOptions();
  p.UseLikeOperator = true;
  p.LikeSupportsUpperKeyword = true;
  Criterion("Name", fdMatchAny, "ab and cd");
  Criterion("Count", fdMatchStart, "1");
  EXPECT_EQ(Joined(dialog), " (Upper([Name]) like '%AB%' and Upper([Name]) like '%CD%')  and ([Count]=1%)");
  dialog.SetSQLUpperString("UCASE");
  dialog.FieldInfo()[0]->CaseSensitive = true;
  dialog.OnEncodeValue = [](TFieldType, const std::string&, std::string& text) { text += "!"; };
  dialog.FieldInfo().pop_back();
  EXPECT_EQ(Joined(dialog), " ([Name] like '%ab%!' and [Name] like '%cd%!')");
}

TEST_F(Component, FilterTextWithAMissingFieldIsRefused) {
  Criterion("Nowhere", fdMatchExact, "1");
  EXPECT_EQ(Joined(dialog), "<refused>");
  EXPECT_EQ(messages.shown,
            (std::vector<std::string>{"W:Field Name not found in referenced tables. \n[Nowhere]"}));
}

TEST_F(Component, FilterTextModeHandsTheTextToTheDataset) {
  BackByFile();
  table.takeAnyFilterText = true;
  dialog.FilterPropertyOptions().DatasetFilterType = fdUseFilterProp;
  Criterion("Count", fdMatchExact, "2 or 3");
  dialog.ApplyFilter();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(table.Filter(), " ([Count]=2 or [Count]=3)");
  EXPECT_TRUE(table.Active());
  EXPECT_TRUE(table.Filtered());
  EXPECT_FALSE(table.OnFilterRecord);
  EXPECT_EQ(dialog.FieldInfo().size(), 1u);  // closing for the text kept them
  // Both: the text and the handler.
  dialog.FilterPropertyOptions().DatasetFilterType = fdUseBothFilterTypes;
  Criterion("Name", fdMatchStart, "g");
  dialog.ApplyFilter();
  EXPECT_TRUE(table.OnFilterRecord == dialog.FilterRecordHandler());
  EXPECT_EQ(table.Filter(), " ([Count]=2 or [Count]=3)  and ([Name]='g*')");
  EXPECT_EQ(Visible(), (Names{"gamma"}));  // the handler tests both criteria
}

TEST_F(Component, RefusedFilterTextSwitchesFilteringOff) {
  // The engine itself refuses the text (it knows no parentheses).
  BackByFile();
  dialog.FilterPropertyOptions().DatasetFilterType = fdUseFilterProp;
  Criterion("Name", fdMatchExact, "x");
  Criterion("Count", fdMatchExact, "1");
  dialog.OnEncodeValue = [](TFieldType type, const std::string&, std::string& text) {
    if (type == ftString) text = "'((";
  };
  dialog.ApplyFilter();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "W:Unable to Execute Filter:\n([Name]=''((')\n and\n([Count]=1)");
  EXPECT_TRUE(table.Active());
  EXPECT_FALSE(table.Filtered());
  EXPECT_EQ(table.Filter(), "");
  EXPECT_EQ(Visible().size(), 3u);
  EXPECT_EQ(busy.Depth(), 0);
}

}  // namespace
