#include "upload/column_copy.h"

#include <cmath>

#include "platform/errors.h"
#include "platform/text/big5.h"
#include "platform/text/calendar.h"
#include "platform/text/number_text.h"
#include "platform/text/regional.h"

namespace tavrix {

namespace {

double numberOr(const std::string& text, double fallback) {
  return text::parseFloat(text).value_or(fallback);
}

const localdb::SqlQuery& sourceOf(const CopySources& from, const ColumnCopy& c) {
  const localdb::SqlQuery* source = c.from == From::Product       ? from.product
                                    : c.from == From::ProductType ? from.productType
                                                                  : &from.row;
  if (!source) throw GeneralError(std::string("no product to stage ") + c.staging + " from");
  return *source;
}

// The rules that need more than the column's own value.
bool copyDerived(const CopySources& from, const ColumnCopy& c, dataset::Field& to) {
  switch (c.rule) {
    case Rule::Cost: {
      int64_t profit =
          text::parseInteger(from.product->fieldByName("DEF_PROFIT").asString()).value_or(0);
      to.setAsFloat(profit == 0 ? 0
                                : from.row.fieldByName("U_PRICE").asFloat() *
                                      (100 - static_cast<double>(profit)) / 100);
      return true;
    }
    case Rule::TaxKind: {
      std::string own = from.row.fieldByName("TAX_KIND").asString();
      to.setAsString(own.empty() ? from.product->fieldByName("TAX_KIND").asString() : own);
      return true;
    }
    case Rule::StoreId:
      to.setAsString(from.storeId);
      return true;
    case Rule::StockId:
      to.setAsString(from.stockId);
      return true;
    case Rule::Empty:
      to.setAsString("");
      return true;
    case Rule::SaleFlag:
      to.setAsString(text::B5("銷"));
      return true;
    case Rule::Today:
      to.setAsString(text::formatDate(from.clock.now().date));
      return true;
    default:
      return false;
  }
}

void copyValue(const localdb::LocalField& value, Rule rule, dataset::Field& to) {
  switch (rule) {
    case Rule::Text:
      to.setAsString(value.asString());
      break;
    case Rule::Number:
      to.setAsFloat(numberOr(value.asString(), 0));
      break;
    case Rule::NumberOr1:
      to.setAsFloat(numberOr(value.asString(), 1));
      break;
    case Rule::Date:
      to.setAsString(ROCToDate(value.asString()));
      break;
    case Rule::DateIfAny:
      if (std::string t = value.asString(); !t.empty()) to.setAsString(ROCToDate(t));
      break;
    case Rule::Value:
      to.setValue(value.value());
      break;
    case Rule::First16:
      to.setAsString(value.asString().substr(0, 16));
      break;
    case Rule::Float:
      to.setAsFloat(value.asFloat());
      break;
    case Rule::Quantity: {
      std::string t = value.asString();
      double q = std::fabs(numberOr(t, 0));
      to.setAsFloat(!t.empty() && t.front() == '-' ? -q : q);
      break;
    }
    case Rule::Name:
      to.setAsString(text::utf8ToBig5(text::big5ToUtf8(value.asString())));
      break;
    default:
      break;
  }
}

}  // namespace

void copyColumns(const CopySources& from, dataset::DataSet& staging,
                 const std::vector<ColumnCopy>& columns, unsigned variant) {
  for (const ColumnCopy& c : columns) {
    if (!(c.variants & variant)) continue;
    dataset::Field* to =
        c.whereHeld ? staging.findField(c.staging) : &staging.fieldByName(c.staging);
    if (!to) continue;
    if (copyDerived(from, c, *to)) continue;
    copyValue(sourceOf(from, c).fieldByName(c.local), c.rule, *to);
  }
}

}  // namespace tavrix
