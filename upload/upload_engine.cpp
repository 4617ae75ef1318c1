#include "upload/upload_engine.h"

#include <array>
#include <functional>

#include "app/calendar.h"
#include "platform/errors.h"
#include "platform/stop/stop.h"
#include "platform/text/big5.h"
#include "upload/sale_transfer.h"
#include "upload/statement_template.h"
#include "upload/transfer_cycle.h"

namespace tavrix {

namespace {

// The transfer of each check-list item, by index; item 8 has none.
const std::array<std::function<void(UploadEngine&)>, 9> kTransfers = {
    TransferSales,
    [](UploadEngine& e) {
      transferRecords(e, kPointRecords);
      transferRecords(e, kStoredValueRecords);
    },
    TransferVoidedSales,
    [](UploadEngine& e) { transferRecords(e, kCreditCardRecords); },
    [](UploadEngine& e) { transferByDate(e, kDeletionLog); },
    [](UploadEngine& e) { transferByDate(e, kKeyLog); },
    TransferExchanges,
    [](UploadEngine& e) { transferByDate(e, kClockInRecords); },
    nullptr,
};

const char kPendingSales[] =
    "select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ";

}  // namespace

UploadEngine::UploadEngine(UploadHost& h, TDataModHttp& service, const text::Clock& c,
                           std::string root)
    : host(h), http(service), clock(c), rootFolder(std::move(root)) {}

std::string UploadEngine::stamp() const {
  return text::formatStamp(clock.now());
}

void UploadEngine::SpeedButton1Click() {
  if (Busy == 1 || !http.created() || stop::requested()) return;
  Busy = 1;
  if (host.memo1LineCount() >= 30) host.memo1Clear();
  host.memo1Add(stamp());
  try {
    BatchList.clear();
    host.memo1Add(text::B5("位置: ") + http.Host + text::B5("  資料庫: ") + http.DataName +
                  " ....!");
    host.setCaption(text::B5("機號:") + MachineNo + "______" + stamp() + "  Ver: 2018-03-15");
    host.memo1Add(text::B5("機號:[") + MachineNo + text::B5("]倉庫代號比對(連線)中..!"));
    host.show(text::B5("機號:") + MachineNo);

    http.OpenRemote(ClientDataSet1,
                    expand("SELECT MCH_NO,STOCK_ID,STORE_ID FROM MCH_ITEM WHERE MCH_NO = '{no}'",
                           [&](std::string_view) { return MachineNo; }));
    StockId = ClientDataSet1.field(1).asString();
    StoreId = ClientDataSet1.field(2).asString();
    host.show(text::B5("倉庫代號") + StockId);
    host.memo1Add(text::B5("倉庫代號:") + StockId + text::B5("....(連線)ok"));

    if (StockId.empty()) {
      host.memo1Add(text::B5(" 倉庫代號空白,上傳終止..!"));
    } else {
      OneDayDate = DateToROC(text::formatDate(host.oneDayDate()));
      walkCheckList();
    }
    endOfRun();
    lastRunFailed = false;
  } catch (const stop::Stopped&) {
    // Stopped from outside: every row stays as it is at this moment, as after
    // a failure, and nothing is re-armed; the program is ending.
    Busy = 0;
  } catch (const std::exception& e) {
    // One handler for everything: the run ends here, silently but for Memo2.
    host.memo2Add(text::B5("錯誤的連線(主機)..") + stamp());
    Busy = 0;
    ++FailCount;
    if (FailCount < 3) host.armTimer1();
    lastRunFailed = true;
    lastFailure = e.what();
  }
}

void UploadEngine::walkCheckList() {
  // Every item is ticked and every kind runs, whatever the user ticked.
  for (int index = 0; index < host.checkItemCount(); ++index) {
    host.tickCheckItem(index);
    if (index < static_cast<int>(kTransfers.size()) && kTransfers[index]) kTransfers[index](*this);
  }
}

void UploadEngine::endOfRun() {
  host.memo1Add(stamp() + "...OK");
  Busy = 0;
  BatchList.clear();
  // The count covers every pending sale, not the one row FIRST 1 returns.
  openLocal(SQL_DataMain, kPendingSales);
  int64_t pending = SQL_DataMain.recordCount();
  if (pending > 0) host.armTimer1();
  host.memo1Add("Record:" + std::to_string(pending));
}

void UploadEngine::openLocal(localdb::SqlQuery& query, const std::string& statement) {
  stop::checkpoint();
  query.close();
  query.setSql(statement);
  query.open();
}

void UploadEngine::runLocal(const std::string& statement) {
  SQLQuery1.close();
  SQLQuery1.sql().clear();
  SQLQuery1.sql().add(statement);
  SQLQuery1.execute();
}

void UploadEngine::Timer1Tick() {
  host.memo1Add("Timer1...");
  if (host.mode() == 0) SpeedButton1Click();
}

}  // namespace tavrix
