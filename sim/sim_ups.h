// A simulated UPS at the end of its cable: the model, the responder of its protocol, the record
// of what it received, and the cable itself, which can be pulled.
//
// With the cable pulled, or with the UPS's electronics dead (output off while mains is absent),
// nothing the port sends arrives (and nothing is recorded), nothing comes back, and every input
// line reads low. Data-protocol UPSes present DSR, CTS and DCD while connected. Single-threaded;
// the clock must outlive the object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/clock.h"
#include "sim/command_log.h"
#include "sim/responder.h"
#include "sim/ups_model.h"
#include "sim/ups_profile.h"

namespace gw {

class ContactResponder;
class BinaryResponder;
class TextResponder;

class SimUps {
 public:
  // RC_BAD_VALUE when the kind has no model of that name; an empty name picks the default.
  [[nodiscard]] static ResultCode create(Clock& clock, UpsKind kind, const std::string& model,
                                         std::unique_ptr<SimUps>* ups);
  SimUps(const SimUps&) = delete;
  SimUps& operator=(const SimUps&) = delete;

  // Bytes from the port; the answer is appended to *answer.
  void receive(const uint8_t* bytes, size_t count, std::string* answer);
  // The port's whole output-line state (LC_* bits). Changes are recorded for a contact UPS.
  void setOutputLines(uint32_t lines);
  uint32_t outputLines() const { return output_lines_; }
  // LS_* bits.
  uint32_t inputLines();
  void tick();

  // A pulled cable also cuts the port's output lines off from the UPS.
  void setCablePulled(bool pulled);
  bool cablePulled() const { return pulled_; }
  // A noisy line: the last byte of every answer arrives corrupted (for the binary "D" answer
  // that is its final CR), so the port sees malformed answers.
  void setGarbled(bool on) { garbled_ = on; }
  // RC_BAD_VALUE when this kind has no such model (nothing changes then).
  [[nodiscard]] ResultCode changeModel(const std::string& name);

  UpsKind kind() const { return kind_; }
  UpsModel& model() { return *model_; }
  CommandLog& log() { return *log_; }
  Clock& clock() { return clock_; }
  // The responder as its concrete type; null when the kind differs.
  ContactResponder* contact();
  BinaryResponder* binary();
  TextResponder* text();

 private:
  SimUps(Clock& clock, UpsKind kind, const UpsProfile& profile);
  bool connected();

  Clock& clock_;
  UpsKind kind_;
  std::unique_ptr<CommandLog> log_;
  std::unique_ptr<UpsModel> model_;
  std::unique_ptr<Responder> responder_;
  uint32_t output_lines_ = 0;
  bool pulled_ = false;
  bool garbled_ = false;
};

}  // namespace gw
