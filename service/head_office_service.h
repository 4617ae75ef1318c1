// The head-office data service client: its settings from httpset.ini, the
// endpoint URLs, and the two exchanges every data kind goes through.
#pragma once

#include <string>
#include <string_view>

#include "platform/dataset/dataset.h"
#include "platform/text/clock.h"
#include "service/http_client.h"
#include "service/modal_box.h"
#include "service/multipart_form.h"
#include "service/statement_batch.h"

namespace tavrix {

class HeadOfficeService {
 public:
  // `settingsFolder` holds httpset.ini; `rootFolder` (the stand-in for C:\)
  // receives message.txt and messageerr.txt. Both end with "/".
  HeadOfficeService(const text::Clock& clock, ModalBox& box, std::string settingsFolder,
                    std::string rootFolder);

  // Reads httpset.ini (section "set") and builds the three URLs: "http://",
  // or "https://" with scheme=https (port 443 when there is no port key, the
  // authorities of ca_file, relative to the settings folder, or else the
  // system's); keep_alive=1 (the default with https) reuses the connection.
  // Until it has run the client is not created: nothing may use it. Raises
  // GeneralError for a scheme or keep_alive it does not know, leaving the
  // client as it was.
  void readSettings();
  bool created() const { return created_; }

  // One SELECT, sent upper-cased with CR LF pairs as blanks; the reply packet
  // replaces what `dataset` held. A failed request raises SilentAbort (the
  // dataset untouched; its reason names the statement); a "<RESULT>" refusal raises GeneralError
  // with the reply (dataset untouched); a reply that is no packet raises GeneralError with the
  // reply and leaves the dataset closed.
  void OpenRemote(dataset::DataSet& dataset, std::string_view statement);

  // As OpenRemote, for a question that the head office may not answer: its
  // refusal (a "<RESULT>" reply, a failing HTTP status, a reply that is no
  // packet) comes back in its own words, the dataset closed; empty when it
  // answered. A failed exchange raises SilentAbort, as for OpenRemote.
  std::string AskRemote(dataset::DataSet& dataset, std::string_view statement);

  // Posts the batch to the script endpoint. True when the reply holds
  // "success". A failed exchange shows "Connection problem!", writes
  // messageerr.txt and returns false; only a failure to write that file raises.
  bool ExecRemoteSQL(const StatementBatch& batch);

  // Settings, in the order they are read.
  std::string UserName, Password, Host, Driver, DataName, DataIP;
  std::string QueryURL, ScriptURL, TableUpdateURL;
  // The last script reply as lines each ending in CR LF, or the
  // connection-problem text.
  std::string LastMessage;
  // Why the last ExecRemoteSQL returned false: the exchange's own failure,
  // or the reply that lacked "success". For logs; the window shows none.
  std::string LastFailure;
  HttpClient httpClient;

 private:
  std::string post(const std::string& url, const std::vector<FormPart>& fields);
  std::string queryReply(std::string_view statement);

  const text::Clock& clock_;
  ModalBox& box_;
  std::string settingsFolder_;
  std::string rootFolder_;
  bool created_ = false;
};

}  // namespace tavrix
