// The boot loader's checks of each transfer packet and the image it assembles.
#include "sim/BootLoaderModel.h"

namespace {

void Flag(std::vector<Violation>* violations, ViolationKind kind, uint8_t command,
          uint32_t detail) {
  violations->push_back(Violation{kind, SimDevice::BootLoader, command, detail});
}

}  // namespace

void BootLoaderModel::Begin() {
  image_.clear();
  packets_ = 0;
  nextIndex_ = 0;
  ended_ = false;
  clean_ = true;
}

void BootLoaderModel::Handle(const CommandReport& request, CommandReport* reply,
                             std::vector<Violation>* violations) {
  *reply = CommandReport::Request(static_cast<CommandCode>(request.Command()), request.Argument());
  const size_t before = violations->size();
  switch (static_cast<CommandCode>(request.Command())) {
    case CommandCode::DataPacket:
      TakeData(request, violations);
      break;
    case CommandCode::EndTransfer:
      if (request.Length() != 0 || request.ChecksumField() != 0) {
        Flag(violations, ViolationKind::BadLength, request.Command(), request.Length());
      }
      ended_ = true;
      break;
    default:
      Flag(violations, ViolationKind::UnknownCommand, request.Command(), request.Command());
      break;
  }
  const bool faulty = violations->size() != before;
  clean_ = clean_ && !faulty;
  reply->Payload()[0] = faulty ? 1 : 0;
}

void BootLoaderModel::TakeData(const CommandReport& request, std::vector<Violation>* violations) {
  const uint32_t number = packets_++;
  if (ended_) {
    Flag(violations, ViolationKind::AfterEnd, request.Command(), number);
  }
  const uint8_t len = request.Length();
  if (len == 0 || len > kMaxPayload) {
    Flag(violations, ViolationKind::BadLength, request.Command(), len);
    return;
  }
  if (request.ChecksumField() != Checksum(request.Payload(), len)) {
    Flag(violations, ViolationKind::BadChecksum, request.Command(), number);
  }
  if (request.Argument() != nextIndex_) {
    Flag(violations, ViolationKind::BadIndex, request.Command(), number);
  }
  nextIndex_ = static_cast<uint16_t>(request.Argument() + 1);  // follow the host from here
  image_.insert(image_.end(), request.Payload(), request.Payload() + len);
}
