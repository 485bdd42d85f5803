// Answers of the normal-mode controller to the configuration commands.
#include "sim/NormalModeModel.h"

#include <cstring>

namespace {

void Flag(std::vector<Violation>* violations, ViolationKind kind, uint8_t command,
          uint32_t detail) {
  violations->push_back(Violation{kind, SimDevice::Controller, command, detail});
}

// A request's checksum must match its payload (0 for none).
void CheckSum(const CommandReport& request, std::vector<Violation>* violations) {
  const uint8_t len = request.Length() <= kMaxPayload ? request.Length() : kMaxPayload;
  if (request.ChecksumField() != Checksum(request.Payload(), len)) {
    Flag(violations, ViolationKind::BadChecksum, request.Command(), request.ChecksumField());
  }
}

}  // namespace

void NormalModeModel::Handle(const CommandReport& request, CommandReport* reply,
                             std::vector<Violation>* violations) {
  *reply = CommandReport::Request(static_cast<CommandCode>(request.Command()), request.Argument());
  CheckSum(request, violations);
  switch (static_cast<CommandCode>(request.Command())) {
    case CommandCode::SaveConfig:
      ++saveCount;
      savedGlobal = global;
      savedButtons = buttons;
      break;
    case CommandCode::ReadButtonBlock:
      ReadButtons(request, reply, violations);
      break;
    case CommandCode::WriteButtonBlock:
      WriteButtons(request, violations);
      break;
    case CommandCode::ReadGlobalConfig:
      reply->SetPayload(global.data(), static_cast<uint8_t>(global.size()));
      break;
    case CommandCode::WriteGlobalConfig:
      WriteGlobal(request, violations);
      break;
    case CommandCode::SetMode:
      // The mode set is what the global block reports from then on.
      modesSet.push_back(request.Argument());
      global[kModeByte] = static_cast<uint8_t>(request.Argument());
      break;
    default:
      Flag(violations, ViolationKind::UnknownCommand, request.Command(), request.Command());
      break;
  }
}

void NormalModeModel::ReadButtons(const CommandReport& request, CommandReport* reply,
                                  std::vector<Violation>* violations) {
  const uint16_t block = request.Argument();
  if (block >= kButtonBlockCount) {
    Flag(violations, ViolationKind::BadArgument, request.Command(), block);
    return;
  }
  reply->SetPayload(buttons.data() + kButtonBlockSize * block, kButtonBlockSize);
}

void NormalModeModel::WriteButtons(const CommandReport& request,
                                   std::vector<Violation>* violations) {
  const uint16_t block = request.Argument();
  if (block >= kButtonBlockCount) {
    Flag(violations, ViolationKind::BadArgument, request.Command(), block);
    return;
  }
  if (request.Length() != kButtonBlockSize) {
    Flag(violations, ViolationKind::BadLength, request.Command(), request.Length());
    return;
  }
  std::memcpy(buttons.data() + kButtonBlockSize * block, request.Payload(), kButtonBlockSize);
}

void NormalModeModel::WriteGlobal(const CommandReport& request,
                                  std::vector<Violation>* violations) {
  if (request.Length() != kGlobalConfigSize) {
    Flag(violations, ViolationKind::BadLength, request.Command(), request.Length());
    return;
  }
  // Byte 0 is the version of the firmware that runs; a restored block cannot change it.
  std::memcpy(global.data() + 1, request.Payload() + 1, kGlobalConfigSize - 1);
}
