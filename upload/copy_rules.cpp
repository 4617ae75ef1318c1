#include "upload/copy_rules.h"

#include "platform/text/calendar.h"
#include "platform/text/number_text.h"

namespace tavrix {

void copyColumns(const localdb::SqlQuery& local, dataset::DataSet& staging,
                 const std::vector<ColumnCopy>& columns) {
  for (const ColumnCopy& c : columns) {
    if (c.rule == CopyRule::Constant) {
      staging.fieldByName(c.staging).setAsString(c.constant);
      continue;
    }
    localdb::LocalField from = local.fieldByName(c.local);
    dataset::Field& to = staging.fieldByName(c.staging);
    switch (c.rule) {
      // Text and text-assign are one assignment here: a text field stores the
      // text, any other field converts it by its own type.
      case CopyRule::Text:
      case CopyRule::TextAssign:
        to.setAsString(from.asString());
        break;
      case CopyRule::Number:
        to.setAsFloat(text::parseFloat(from.asString()).value_or(0));
        break;
      case CopyRule::Date:
        to.setAsString(ROCToDate(from.asString()));
        break;
      case CopyRule::Value:
        to.setValue(from.value());
        break;
      case CopyRule::Constant:
        break;
    }
  }
}

}  // namespace tavrix
