// Wires model, responder and command record, and plays the cable between them and the port.
#include "sim/sim_ups.h"

#include "sim/binary_responder.h"
#include "sim/contact_responder.h"
#include "sim/text_responder.h"

namespace gw {

ResultCode SimUps::create(Clock& clock, UpsKind kind, const std::string& model,
                          std::unique_ptr<SimUps>* ups) {
  UpsProfile profile = defaultUpsProfile(kind);
  if (!model.empty() && !findUpsProfile(kind, model, &profile)) return RC_BAD_VALUE;
  ups->reset(new SimUps(clock, kind, profile));
  return RC_OK;
}

SimUps::SimUps(Clock& clock, UpsKind kind, const UpsProfile& profile)
    : clock_(clock),
      kind_(kind),
      log_(std::make_unique<CommandLog>(clock)),
      model_(std::make_unique<UpsModel>(clock, profile)) {
  switch (kind) {
    case UpsKind::kBinary:
      responder_ = std::make_unique<BinaryResponder>(*model_, *log_, clock);
      break;
    case UpsKind::kText:
      responder_ = std::make_unique<TextResponder>(*model_, *log_, clock);
      break;
    case UpsKind::kContact:
      responder_ = std::make_unique<ContactResponder>(*model_, clock);
      break;
  }
}

bool SimUps::connected() { return !pulled_ && model_->alive(); }

void SimUps::receive(const uint8_t* bytes, size_t count, std::string* answer) {
  if (!connected()) return;
  size_t before = answer->size();
  responder_->receive(bytes, count, answer);
  if (garbled_ && answer->size() > before)
    answer->back() = static_cast<char>(answer->back() ^ 0x55);
}

void SimUps::setOutputLines(uint32_t lines) {
  if (lines == output_lines_) return;
  output_lines_ = lines;
  if (pulled_) return;
  if (kind_ == UpsKind::kContact) log_->recordLines(lines);
  responder_->setOutputLines(lines);
}

void SimUps::setCablePulled(bool pulled) {
  if (pulled == pulled_) return;
  pulled_ = pulled;
  responder_->setOutputLines(pulled ? 0 : output_lines_);
}

uint32_t SimUps::inputLines() {
  if (!connected()) return 0;
  return responder_->inputLines();
}

void SimUps::tick() { responder_->tick(); }

ResultCode SimUps::changeModel(const std::string& name) {
  UpsProfile profile;
  if (!findUpsProfile(kind_, name, &profile)) return RC_BAD_VALUE;
  model_->setProfile(profile);
  return RC_OK;
}

ContactResponder* SimUps::contact() {
  return kind_ == UpsKind::kContact ? static_cast<ContactResponder*>(responder_.get()) : nullptr;
}

BinaryResponder* SimUps::binary() {
  return kind_ == UpsKind::kBinary ? static_cast<BinaryResponder*>(responder_.get()) : nullptr;
}

TextResponder* SimUps::text() {
  return kind_ == UpsKind::kText ? static_cast<TextResponder*>(responder_.get()) : nullptr;
}

}  // namespace gw
