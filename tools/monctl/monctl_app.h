// The commands of monctl, run over a protocol client: what each asks the service and prints.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/event_texts.h"
#include "client/core/protocol_client.h"
#include "common/result_code.h"
#include "tools/monctl/monctl_options.h"

namespace gw {

class MonctlApp {
 public:
  // Results go to `out`, complaints to `err`; all three must outlive the app.
  MonctlApp(ProtocolClient& client, std::ostream& out, std::ostream& err)
      : client_(client), out_(out), err_(err) {}
  MonctlApp(const MonctlApp&) = delete;
  MonctlApp& operator=(const MonctlApp&) = delete;

  // Logs in and runs the command. Returns the exit status: 0, or the code of the first request
  // that failed (21 when the connection failed). Blocks for as long as the exchanges take.
  int run(const MonctlOptions& options);

 private:
  ResultCode status();
  ResultCode get(const MonctlOptions& options);
  ResultCode set(const MonctlOptions& options);
  ResultCode log(const MonctlOptions& options);
  ResultCode schedule();
  ResultCode selfTest(const MonctlOptions& options);

  // Fetches the policy's record texts of the codes in these records.
  [[nodiscard]] ResultCode loadEventTexts(const std::vector<std::string>& records,
                                          EventTexts* texts);

  // Writes "monctl: <what>: <meaning> (<code>)" and returns the code.
  ResultCode fail(std::string_view what, ResultCode code);

  ProtocolClient& client_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace gw
