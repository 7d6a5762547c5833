// Log records that could not be written, told to the error reporter of the run.
#pragma once

#include <atomic>
#include <string>

#include "service/core/error_reporter.h"
#include "service/logs/log_store.h"

namespace gw {

// Records lost before a reporter is attached go unreported; the log store's own rule makes a
// report of each run of failures, so a full disk is told once, not once per record. Called on
// any thread that appends.
class AppendFailureReport final : public AppendFailureSink {
 public:
  // `errors` (nullable, not owned) must outlive every append that may still fail.
  void attach(ErrorReporter* errors) { errors_.store(errors); }

  void appendFailed(const std::string& file_name, const std::string& record,
                    ResultCode rc) override {
    if (ErrorReporter* errors = errors_.load()) {
      errors->report(file_name + ": a record was lost (\"" + record + "\")", rc);
    }
  }

 private:
  std::atomic<ErrorReporter*> errors_{nullptr};
};

}  // namespace gw
