#include "filterdialog/field_info.h"

#include "platform/codepage.h"
#include "platform/services.h"
#include "platform/text.h"

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

bool TsfFieldOperators::Unique() const {
  return !AnsiSameText(orChar_, andChar_) && !AnsiSameText(orChar_, nullChar_) &&
         !AnsiSameText(andChar_, nullChar_);
}

void TsfFieldOperators::Assign(std::string& slot, const std::string& value) {
  if (value != slot) slot = std::string(Trim(value));
  if (!Unique()) MessageService().Warning(kOperatorsNotUnique);
}

}  // namespace notarra
