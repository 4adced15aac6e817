#include "filterdialog/field_info.h"

#include "platform/codepage.h"
#include "platform/services.h"

namespace notarra {

TsfFieldInfoList CopyFieldInfoList(TsfFieldInfoList& source) {
  TsfFieldInfoList copy;
  copy.reserve(source.size());
  for (auto& info : source) {
    if (info->DisplayName.empty()) info->DisplayName = info->FieldName;
    copy.push_back(std::make_unique<TsfFieldInfo>(*info));
  }
  return copy;
}

namespace {

std::string TrimBlanksAndTabs(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

}  // namespace

bool TsfFieldOperators::Unique() const {
  return !AnsiSameText(orChar_, andChar_) && !AnsiSameText(orChar_, nullChar_) &&
         !AnsiSameText(andChar_, nullChar_);
}

void TsfFieldOperators::Assign(std::string& slot, const std::string& value) {
  if (value != slot) slot = TrimBlanksAndTabs(value);
  if (!Unique()) MessageService().Warning(kOperatorsNotUnique);
}

}  // namespace notarra
