#include "upload/sale_staging.h"

#include <cmath>
#include <initializer_list>
#include <vector>

#include "platform/text/big5.h"
#include "platform/text/calendar.h"
#include "platform/text/number_text.h"
#include "upload/statement_template.h"

namespace tavrix {

namespace {

enum class From { Row, Product, Type, Run };

enum class Rule {
  Text,       // the value as text
  Number,     // the text as a number, 0 when it is none
  NumberOr1,  // the same, 1 when it is none
  Date,       // ROC date text to AD
  DateIfAny,  // the same, but an empty text leaves the column empty
  First16,    // the first 16 characters of the text
  Float,      // the value read as a float (no row: 0)
  Quantity,   // |number|, negative when the text starts with "-"
  Cost,       // the line's price less the product's default profit margin
  Name,       // the text through the code page and back, as the tills store names
  TaxKind,    // the line's tax kind, else the product's
  StoreId,
  StockId,
  Empty,
  SaleFlag,  // the character meaning sale, for every variant
  Today,
};

constexpr unsigned kAll = kSales | kVoidedSales | kExchanges;
constexpr unsigned kNotExchanges = kSales | kVoidedSales;

struct SaleColumn {
  const char* staging;
  From from;
  const char* local;
  Rule rule;
  unsigned variants = kAll;
  bool whereHeld = false;  // staged only where the head-office table has the column
};

using F = From;
using R = Rule;

const std::vector<SaleColumn> kHeader = {
    {"SAL_DATE", F::Row, "SAL_DATE", R::Date},
    {"SAL_NO", F::Row, "SAL_NO", R::Text},
    // A head office that keeps no machine on its headers still takes the
    // sale; the foreign-sale guard says what that means.
    {"MCH_NO", F::Row, "MCH_NO", R::Text, kAll, true},
    {"CO_NO", F::Row, "CO_NO", R::Text},
    {"CO_CODE", F::Row, "CO_CODE", R::Text},
    {"SAL_TIME", F::Row, "SAL_TIME", R::Text},
    {"MEMBER_ID", F::Row, "CST_NO", R::Text},
    {"HU_PER", F::Row, "HU_PER", R::Text},
    {"CLASS_NO", F::Row, "CLASS_NO", R::Text},
    {"SALES_ID", F::Row, "MAN_CODE", R::Text},
    {"SAL_AMT", F::Row, "SAL_AMT", R::Number},
    {"DISCOUNT", F::Row, "DISCOUNT", R::Number},
    {"DIS_TTT", F::Row, "DIS_TTT", R::Number},
    {"REL_SAL", F::Row, "REL_SAL", R::Number},
    {"CASH", F::Row, "CASH", R::Number},
    {"CREDIT", F::Row, "VISA", R::Number},
    {"DISROL", F::Row, "DISROL", R::Number},
    {"GIVE", F::Row, "GIVE", R::Number},
    {"PDCSHET", F::Row, "PDCSHET", R::Number},
    {"REL_RCV", F::Row, "REL_RCV", R::Number},
    {"CHANGE", F::Row, "CHANGE", R::Number},
    {"CREDIT_ID", F::Row, "VISA_NO", R::First16},
    {"USE_TYPE", F::Row, "USE_TYPE", R::Text},
    {"TAB_NO", F::Row, "TAB_NO", R::Text},
    {"STORE_ID", F::Run, nullptr, R::StoreId, kSales},
    {"STORE_ID", F::Run, nullptr, R::Empty, kVoidedSales | kExchanges},
    {"STOCK_ID", F::Run, nullptr, R::StockId},
    {"FLAG", F::Run, nullptr, R::SaleFlag},
    {"I_POINT", F::Row, "I_POINT", R::Number},
    {"U_POINT", F::Row, "U_POINT", R::Number},
    {"CARD_ID", F::Run, nullptr, R::Empty},
    {"ICASH_GIVE", F::Row, "ICASH_GIVE", R::Number},
    {"VISA_MODE", F::Row, "VISA_MODE", R::Text},
    {"VISA_NO", F::Row, "VISA_NO", R::Text},
    {"CST_NO", F::Row, "CST_NO", R::Text},
    {"DIS_PRICE", F::Row, "DIS_PRICE", R::Number},
    {"DIS_NO", F::Row, "DIS_NO", R::Text},
    {"DIS_PER", F::Row, "DIS_PER", R::Number},
    {"MAN_SALE", F::Row, "MAN_SALE", R::Text},
    {"CR_FLAG", F::Row, "CR_FLAG", R::Text},
    {"IC_CARD", F::Row, "IC_CARD", R::Text},
    {"IC_AMT", F::Row, "IC_AMT", R::Number},
    {"N_RECAMT", F::Row, "N_RECAMT", R::Number},
    {"POINT_RATE", F::Row, "POINT_RATE", R::Number},
    {"POINT_CASH", F::Row, "POINT_CASH", R::Number},
    {"CONSUMER", F::Row, "CONSUMER", R::Number},
    {"THEA_AMT", F::Row, "THEA_AMT", R::Number},
    {"INV3_SW", F::Row, "INV3_SW", R::Text, kNotExchanges},
    {"INV3_MODE", F::Row, "INV3_MODE", R::Text, kNotExchanges},
    {"INVOICETYPE", F::Row, "INVOICETYPE", R::Text, kNotExchanges},
    {"DONATEMARK", F::Row, "DONATEMARK", R::Text, kNotExchanges},
    {"NPOBAN", F::Row, "NPOBAN", R::Text, kNotExchanges},
    {"CARRIERTYPE", F::Row, "CARRIERTYPE", R::Text, kNotExchanges},
    {"CARRIERID1", F::Row, "CARRIERID1", R::Text, kNotExchanges},
    {"CARRIERID2", F::Row, "CARRIERID2", R::Text, kNotExchanges},
    {"PRINTMARK", F::Row, "PRINTMARK", R::Text, kNotExchanges},
    {"RANDOMNUMBER", F::Row, "RANDOMNUMBER", R::Text, kNotExchanges},
    {"CHG_DATE", F::Run, nullptr, R::Today},
    {"SUBSIDY_AMT", F::Row, "SUBSIDY_AMT", R::Number, kNotExchanges},
    {"OPEN_DATE", F::Row, "OPEN_DATE", R::DateIfAny, kNotExchanges},
};

const std::vector<SaleColumn> kLine = {
    {"SAL_DATE", F::Row, "SAL_DATE", R::Date},
    {"SAL_NO", F::Row, "SAL_NO", R::Text},
    {"ORD_NO", F::Row, "ORD_NO", R::Text},
    {"PROD_ID", F::Product, "PROD_ID", R::Text},
    {"CO_NAME", F::Row, "CO_NAME", R::Text},
    {"RCO_NAME", F::Run, nullptr, R::Empty},
    {"SAL_QTY", F::Row, "SAL_QTY", R::Quantity},
    {"AMT", F::Row, "AMT", R::Number},
    {"U_PRICE", F::Row, "U_PRICE", R::Number},
    {"PER", F::Row, "PER", R::Text},
    {"SAL_CODE", F::Row, "SAL_CODE", R::Text},
    {"V_CODE", F::Row, "V_CODE", R::Text},
    {"TASTE", F::Row, "TASTE", R::Text},
    {"TEMP_NO", F::Row, "TEMP_NO", R::Text},
    {"BAR_CODE", F::Product, "BAR_CODE", R::Text},
    {"PROD_ID2", F::Product, "PROD_ID2", R::Text},
    {"PROD_NAME", F::Product, "PDC_Name", R::Name},
    {"PROD_SCALE", F::Product, "PROD_SCALE", R::Name},
    {"UNITNAME", F::Product, "PDC_UNIT", R::Text},
    {"STOCK_QTY", F::Product, "STOCK_QTY", R::Text},
    {"STOCK_ID", F::Run, nullptr, R::StockId},
    {"STORE_ID", F::Run, nullptr, R::Empty},
    {"PD_ITEMID", F::Product, "PDC_TYPE", R::Text},
    {"MID_ITEMID", F::Type, "MID_ITEMID", R::Text},
    {"TOP_ITEMID", F::Type, "TOP_ITEMID", R::Text},
    {"FLAG", F::Row, "SAL_CODE", R::Text},
    {"STD_COST", F::Run, nullptr, R::Cost},
    {"AVG_COST", F::Run, nullptr, R::Cost},
    {"MS", F::Product, "MS", R::Text},
    {"TAX_KIND", F::Run, nullptr, R::TaxKind},
    {"BAT_CODE", F::Row, "BAT_CODE", R::Text},
    {"V_BAR_CODE", F::Row, "V_BAR_CODE", R::Text},
    {"V_PDC_NO", F::Row, "V_PDC_NO", R::Text},
    {"PAK_QTY", F::Row, "PAK_QTY", R::NumberOr1},
    {"ORG_QTY", F::Row, "ORG_QTY", R::Number},
    {"ORG_PRICE", F::Row, "ORG_PRICE", R::Number},
    {"rdd_price", F::Row, "ORG_PRICE", R::Number},
    {"bill_no", F::Row, "billid_no", R::Text},
    {"tbar_code", F::Row, "tbar_code", R::Text},
    {"dis_per", F::Row, "dis_per", R::Number},
    {"dis_amt", F::Row, "dis_amt", R::Number},
    {"ttt_amt", F::Row, "ttt_amt", R::Number},
    {"ttt_amt_n", F::Row, "ttt_amt_n", R::Number},
    {"dis_share", F::Row, "dis_share", R::Number},
    {"ttt_share", F::Row, "ttt_share", R::Number},
    {"tempprodid", F::Row, "tempprodid", R::Text},
    {"free_tax", F::Product, "FREE_TAX", R::Number},
    {"PUT_ID", F::Product, "PUT_ID", R::Text},
    {"PSALE_PRICE", F::Product, "STD_PRICE", R::Float},
    {"HEA_TAX", F::Row, "HEA_TAX", R::Number},
    {"HEA_AMT", F::Row, "HEA_AMT", R::Number},
    {"CHG_DATE", F::Run, nullptr, R::Today},
    {"SUBSIDY", F::Row, "SUBSIDY", R::Number, kNotExchanges},
    {"SUBSIDY_AMT", F::Row, "SUBSIDY_AMT", R::Number, kNotExchanges},
};

double numberOr(const std::string& text, double fallback) {
  return text::parseFloat(text).value_or(fallback);
}

// Fills the staging record from `row` (and, for lines, the product and type
// rows the engine's lookups stand on).
void stage(RunContext& run, const std::vector<SaleColumn>& columns, SaleVariant variant,
           const localdb::SqlQuery& row, dataset::DataSet& staging) {
  auto source = [&](From from) -> const localdb::SqlQuery& {
    return from == From::Product ? run.local.product
           : from == From::Type  ? run.local.productType
                                 : row;
  };
  for (const SaleColumn& c : columns) {
    if (!(c.variants & variant)) continue;
    dataset::Field* held = c.whereHeld ? staging.findField(c.staging) : nullptr;
    if (c.whereHeld && !held) continue;
    dataset::Field& to = held ? *held : staging.fieldByName(c.staging);
    auto text = [&] { return source(c.from).fieldByName(c.local).asString(); };
    switch (c.rule) {
      case Rule::Text:
        to.setAsString(text());
        break;
      case Rule::Number:
        to.setAsFloat(numberOr(text(), 0));
        break;
      case Rule::NumberOr1:
        to.setAsFloat(numberOr(text(), 1));
        break;
      case Rule::Date:
        to.setAsString(ROCToDate(text()));
        break;
      case Rule::DateIfAny:
        if (std::string t = text(); !t.empty()) to.setAsString(ROCToDate(t));
        break;
      case Rule::First16:
        to.setAsString(text().substr(0, 16));
        break;
      case Rule::Float:
        to.setAsFloat(source(c.from).fieldByName(c.local).asFloat());
        break;
      case Rule::Quantity: {
        std::string t = text();
        double q = std::fabs(numberOr(t, 0));
        to.setAsFloat(!t.empty() && t.front() == '-' ? -q : q);
        break;
      }
      case Rule::Cost: {
        int64_t profit =
            text::parseInteger(run.local.product.fieldByName("DEF_PROFIT").asString()).value_or(0);
        to.setAsFloat(profit == 0 ? 0
                                  : row.fieldByName("U_PRICE").asFloat() *
                                        (100 - static_cast<double>(profit)) / 100);
        break;
      }
      case Rule::Name:
        to.setAsString(text::utf8ToBig5(text::big5ToUtf8(text())));
        break;
      case Rule::TaxKind: {
        std::string own = row.fieldByName("TAX_KIND").asString();
        to.setAsString(own.empty() ? run.local.product.fieldByName("TAX_KIND").asString() : own);
        break;
      }
      case Rule::StoreId:
        to.setAsString(run.values.storeId);
        break;
      case Rule::StockId:
        to.setAsString(run.values.stockId);
        break;
      case Rule::Empty:
        to.setAsString("");
        break;
      case Rule::SaleFlag:
        to.setAsString(text::B5("銷"));
        break;
      case Rule::Today:
        to.setAsString(text::formatDate(run.clock.now().date));
        break;
    }
  }
}

// A lookup statement built as lines, the value spliced between apostrophes.
void lookUp(localdb::SqlQuery& query, std::initializer_list<std::string> lines) {
  query.close();
  query.sql().clear();
  for (const std::string& line : lines) query.sql().add(line);
  query.open();
}

std::string quoted(std::string_view pattern, const std::string& value) {
  return expand(pattern, [&](std::string_view) { return value; });
}

}  // namespace

void StageSaleHeader(RunContext& run, const SaleShape& shape) {
  run.staging.saleHeader.emptyDataSet();
  run.staging.saleLines.emptyDataSet();
  run.staging.saleHeader.append();
  stage(run, kHeader, shape.variant, run.local.recordRows, run.staging.saleHeader);
  run.staging.saleHeader.post();
}

void StageSaleLines(RunContext& run, const SaleShape& shape, const std::string& rocDate,
                    const std::string& saleNo) {
  run.local.saleLines.close();
  run.local.saleLines.setSql(
      expand(std::string(shape.linesHead) + "{date}' AND     SAL_NO   = '{no}'",
             [&](std::string_view name) { return name == "date" ? rocDate : saleNo; }));
  run.local.saleLines.open();
  for (; !run.local.saleLines.eof(); run.local.saleLines.next()) {
    // Nothing checks that a product or type was found: no row reads as empty.
    std::string code = run.local.saleLines.fieldByName("PDC_NO").asString();
    lookUp(run.local.product, {shape.productHead, quoted(" Where  PROD_ID  = '{v}'", code),
                               quoted(" or     Bar_Code = '{v}'", code)});
    std::string type = run.local.product.fieldByName("PDC_TYPE").asString();
    lookUp(run.local.productType,
           {"select *  From LOC_TYPE ", quoted(" Where  TYPE_NO  = '{v}'", type)});
    run.staging.saleLines.append();
    stage(run, kLine, shape.variant, run.local.saleLines, run.staging.saleLines);
    run.staging.saleLines.post();
  }
}

}  // namespace tavrix
