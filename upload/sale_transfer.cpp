#include "upload/sale_transfer.h"

#include "platform/text/big5.h"
#include "platform/text/calendar.h"
#include "platform/text/folders.h"
#include "service/insert_sql.h"
#include "upload/statement_template.h"
#include "upload/transfer_cycle.h"
#include "upload/upload_engine.h"

namespace tavrix {

const SaleKind kSalesKind = {
    .name = "sales",
    .shape = {kSales, "SELECT * FROM LOC_MAST  WHERE   SAL_DATE = '", "select *  From Loc_Pdc "},
    .headerLine = " 銷售資料上傳中..!",
    .probeHeader = "SELECT FIRST 1 * FROM POS_MASTER WHERE SAL_DATE = '0000/00/00' ",
    .probeLines = "SELECT FIRST 1 * FROM POS_SUB WHERE SAL_DATE = '0000/00/00' ",
    .pick = "select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .linesProgress = "...LOC_MAST",
    .deleteLines = {"DELETE FROM POS_MASTER   WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM POS_SUB      WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';"},
    .headerTable = "POS_MASTER",
    .lineTable = "POS_SUB",
    .copyFile = nullptr,
    .verifyHeader =
        "SELECT sal_date FROM POS_MASTER  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .verifyLines = "SELECT sal_date FROM POS_SUB  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .markHeader =
        "UPDATE LOC_MAIN SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .markLines =
        "UPDATE LOC_MAST SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .markedLine = nullptr,
};

// A void also withdraws the sale and its points from the head office.
const SaleKind kVoidedSalesKind = {
    .name = "voids",
    .shape = {kVoidedSales, "SELECT * FROM LOC_MASD  WHERE   SAL_DATE = '",
              "select *  From Loc_Pdc  "},
    .headerLine = " 銷售作廢上傳中..!",
    .probeHeader = "SELECT FIRST 1 * FROM POS_MASTERD WHERE SAL_DATE = '0000/00/00' ",
    .probeLines = "SELECT FIRST 1 * FROM POS_SUBD WHERE SAL_DATE = '0000/00/00' ",
    .pick = "select FIRST 1 * FROM LOC_MAID WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .linesProgress = nullptr,
    .deleteLines = {"DELETE FROM POS_MASTER   WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM POS_SUB      WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM POINT_MASTER WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM DECCASH_SUB  WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM POS_MASTERD WHERE SAL_DATE = '{ad}'",
                    "                          AND SAL_NO   = '{no}';",
                    "DELETE FROM POS_SUBD    WHERE SAL_DATE = '{ad}'",
                    "                          AND SAL_NO   = '{no}';"},
    .headerTable = "POS_MASTERD",
    .lineTable = "POS_SUBD",
    .copyFile = "SQL123D.TXT",
    .verifyHeader =
        "SELECT sal_date FROM POS_MASTERD  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .verifyLines = "SELECT sal_date FROM POS_SUBD  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .markHeader =
        "UPDATE LOC_MAID SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .markLines =
        "UPDATE LOC_MASD SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .markedLine = "{date} {no}..ok",
};

const SaleKind kExchangesKind = {
    .name = "exchanges",
    .shape = {kExchanges, "SELECT * FROM LOC_MAST_CHG  WHERE   SAL_DATE = '",
              "select *  From Loc_Pdc "},
    .headerLine = " 兌換資料上傳中..!",
    .probeHeader = "SELECT FIRST 1 * FROM POSCHANGE_MASTER WHERE SAL_DATE = '0000/00/00' ",
    .probeLines = "SELECT FIRST 1 * FROM POSCHANGE_SUB WHERE SAL_DATE = '0000/00/00' ",
    .pick = "select FIRST 1 * FROM LOC_MAIN_CHG WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .linesProgress = "...LOC_MAST_CHG",
    .deleteLines = {"DELETE FROM POSCHANGE_MASTER   WHERE SAL_DATE = '{ad}'",
                    "                                 AND SAL_NO   = '{no}';",
                    "DELETE FROM POSCHANGE_SUB      WHERE SAL_DATE = '{ad}'",
                    "                                 AND SAL_NO   = '{no}';"},
    .headerTable = "POSCHANGE_MASTER",
    .lineTable = "POSCHANGE_SUB",
    .copyFile = "SQL123.TXT",
    .verifyHeader =
        "SELECT sal_date FROM POSCHANGE_MASTER  WHERE SAL_DATE = '{ad}' AND   SAL_NO   "
        "= '{no}'",
    .verifyLines =
        "SELECT sal_date FROM POSCHANGE_SUB  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .markHeader =
        "UPDATE LOC_MAIN_CHG SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO  "
        " = '{no}'",
    .markLines =
        "UPDATE LOC_MAST_CHG SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO  "
        " = '{no}'",
    .markedLine = nullptr,
};

namespace {

// The sale in hand: its keys and the number of line INSERTs in its batch.
struct Sale {
  std::string date, ad, no;
  size_t lines = 0;

  std::string operator()(std::string_view name) const {
    return name == "date" ? date : name == "ad" ? ad : no;
  }
  // As the progress line shows it, for the run log and status.json.
  std::string key() const { return date + "_" + no; }
  std::string progress(const std::string& suffix) const { return "   >>" + key() + suffix; }
};

void probe(UploadEngine& e, const SaleKind& kind) {
  e.http.OpenRemote(e.CDS_PosMaster, kind.probeHeader);
  e.http.OpenRemote(e.CDS_PosSub, kind.probeLines);
}

// The first pending header, or false when there is none.
bool pick(UploadEngine& e, const SaleKind& kind, Sale& sale) {
  e.openLocal(e.SQL_DataMain, kind.pick);
  if (e.SQL_DataMain.eof()) return false;
  sale.date = e.SQL_DataMain.fieldByName("SAL_DATE").asString();
  sale.no = e.SQL_DataMain.fieldByName("SAL_NO").asString();
  e.working(kind.name, sale.key());
  sale.ad = ROCToDate(sale.date);
  return true;
}

void stage(UploadEngine& e, const SaleKind& kind, const Sale& sale) {
  StageSaleHeader(e, kind.shape);
  if (kind.linesProgress) e.host.addProgressLine(sale.progress(kind.linesProgress));
  StageSaleLines(e, kind.shape, sale.date, sale.no);
}

// Every DELETE first, then the header, then the lines.
void buildBatch(UploadEngine& e, const SaleKind& kind, Sale& sale) {
  e.BatchList.clear();
  for (const char* line : kind.deleteLines) e.BatchList.push_back(expand(line, sale));
  e.CDS_PosMaster.first();
  e.BatchList.push_back(BuildInsertSQL(e.CDS_PosMaster, kind.headerTable) + ";");
  sale.lines = 0;
  for (e.CDS_PosSub.first(); !e.CDS_PosSub.eof(); e.CDS_PosSub.next(), ++sale.lines)
    e.BatchList.push_back(BuildInsertSQL(e.CDS_PosSub, kind.lineTable) + ";");
  if (kind.copyFile) text::writeFile(e.rootFolder + kind.copyFile, e.BatchList.text());
}

// Exactly one header and as many lines as were sent; both queries always go.
bool verify(UploadEngine& e, const SaleKind& kind, const Sale& sale, std::string& failure) {
  e.http.OpenRemote(e.remoteResult, expand(kind.verifyHeader, sale));
  int headers = e.remoteResult.recordCount();
  e.http.OpenRemote(e.remoteResult, expand(kind.verifyLines, sale));
  int lines = e.remoteResult.recordCount();
  if (headers != 1) failure = heldOfSent(headers, 1) + " (headers)";
  if (static_cast<size_t>(lines) != sale.lines)
    failure = heldOfSent(lines, static_cast<int>(sale.lines)) + " (lines)";
  return headers == 1 && static_cast<size_t>(lines) == sale.lines;
}

// Posts the batch and verifies it; on failure `failure` says why.
bool postAndVerify(UploadEngine& e, const SaleKind& kind, const Sale& sale, std::string& failure) {
  if (!e.http.ExecRemoteSQL(e.BatchList)) {
    failure = e.http.LastFailure;
    return false;
  }
  return verify(e, kind, sale, failure);
}

void mark(UploadEngine& e, const SaleKind& kind, const Sale& sale) {
  // Two statements, each committed by itself: the header's first.
  e.runLocal(expand(kind.markHeader, sale));
  e.runLocal(expand(kind.markLines, sale));
  e.confirmed(kind.name, 1);
}

void transferWithBudget(UploadEngine& e, const SaleKind& kind) {
  e.host.addProgressLine(text::B5(kind.headerLine));
  e.working(kind.name, "");
  probe(e, kind);
  Sale sale;
  std::string failure;
  int attempts = 0;
  while (attempts < kFailureBudget && pick(e, kind, sale)) {
    e.host.addProgressLine(sale.progress("..."));
    stage(e, kind, sale);
    buildBatch(e, kind, sale);
    if (!postAndVerify(e, kind, sale, failure)) {
      ++attempts;
      continue;
    }
    mark(e, kind, sale);
    if (kind.markedLine) e.host.addProgressLine(expand(kind.markedLine, sale));
    attempts = 0;
  }
  if (attempts >= kFailureBudget) e.stuck(kind.name, sale.key(), failure);
}

}  // namespace

void TransferSales(UploadEngine& e) {
  const SaleKind& kind = kSalesKind;
  e.host.addProgressLine(text::B5(kind.headerLine));
  e.working(kind.name, "");
  probe(e, kind);
  // One sale a run; with catch_up=1, one after another until none is left or
  // one fails, each sent, verified and marked on its own.
  Sale sale;
  std::string previous;
  while (pick(e, kind, sale) && sale.key() != previous) {
    e.host.addProgressLine(sale.progress("..."));
    stage(e, kind, sale);
    e.host.addProgressLine(sale.progress("..Remote"));
    buildBatch(e, kind, sale);
    e.host.addProgressLine(sale.progress("..Batch"));
    bool posted = e.http.ExecRemoteSQL(e.BatchList);
    // Its one attempt of the run: a failed sale is stuck until the next run.
    std::string failure = e.http.LastFailure;
    bool verified = false;
    if (posted) {
      verified = verify(e, kind, sale, failure);
      if (verified) mark(e, kind, sale);
      // The log says what happened: NG where the classic log said OK anyway.
      e.host.addProgressLine(sale.progress(verified ? "...>>>>>OK" : "...>>>>>NG"));
    }
    e.host.addProgressLine(sale.progress(posted ? "..Batch..OK" : "..Batch..NG"));
    if (!failure.empty()) e.stuck(kind.name, sale.key(), failure);
    if (!verified || !e.settings.catchUp) break;
    previous = sale.key();  // marked: should it still be picked, it ends the kind
  }
  e.host.addProgressLine("   >>All OK..");
}

void TransferVoidedSales(UploadEngine& e) {
  transferWithBudget(e, kVoidedSalesKind);
}

void TransferExchanges(UploadEngine& e) {
  transferWithBudget(e, kExchangesKind);
}

}  // namespace tavrix
