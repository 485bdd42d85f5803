// A run's record as one line of JSON (see RunRecordJson.h).
#include "workflows/RunRecordJson.h"

#include "platform/JsonText.h"
#include "platform/TimeText.h"
#include "workflows/RunRecordNames.h"

namespace {

// The longest text field kept: names of files and versions are short.
constexpr size_t kMaxFieldBytes = 512;
constexpr size_t kMaxWrittenBack = 4;

std::string Field(const char* name, const std::string& value) {
  return std::string("\"") + name + "\":" + value;
}

std::string Number(int64_t value) {
  return std::to_string(value);
}

std::string StateJson(const std::optional<FirmwareState>& state) {
  if (!state) {
    return "null";
  }
  return "{" + Field("version", Number(state->version)) + "," + Field("mode", Number(state->mode)) +
         "}";
}

std::string ImageJson(const std::optional<RunImage>& image) {
  if (!image) {
    return "null";
  }
  return "{" + Field("name", JsonString(image->name)) + "," +
         Field("size", Number(static_cast<int64_t>(image->size))) + "," +
         Field("sha256", JsonString(image->sha256)) + "}";
}

std::string PowerJson(const std::optional<RunPower>& power) {
  if (!power) {
    return "null";
  }
  const std::string percent =
      power->chargePercent ? Number(*power->chargePercent) : std::string("null");
  return "{" + Field("percent", percent) + "," +
         Field("charger", power->externalPower ? "true" : "false") + "}";
}

std::string PhasesJson(const RunRecord& record) {
  std::string out = "{";
  for (size_t i = 0; i < kRunPhaseCount; ++i) {
    if (record.phaseMs[i]) {
      out += (out.size() > 1 ? "," : "") +
             Field(RunPhaseName(static_cast<RunPhase>(i)), Number(*record.phaseMs[i]));
    }
  }
  return out + "}";
}

std::string FailedAt(const RunRecord& record) {
  if (record.outcome == RunOutcome::kSucceeded || record.failedStep == RunStep::kNone) {
    return "null";
  }
  return JsonString(record.failedStep == RunStep::kPhase ? RunPhaseName(record.failedPhase)
                                                         : RunStepName(record.failedStep));
}

// ---- Reading ---------------------------------------------------------------------------

bool IsType(const JsonValue* value, JsonValue::Type type) {
  return value != nullptr && value->type == type;
}

bool IsNull(const JsonValue* value) {
  return value == nullptr || value->type == JsonValue::Type::kNull;
}

bool Text(const JsonValue* value, std::string* out) {
  if (!IsType(value, JsonValue::Type::kString) || value->text.size() > kMaxFieldBytes) {
    return false;
  }
  *out = value->text;
  return true;
}

bool Whole(const JsonValue* value, int64_t low, int64_t high, int64_t* out) {
  if (!IsType(value, JsonValue::Type::kInteger) || value->integer < low || value->integer > high) {
    return false;
  }
  *out = value->integer;
  return true;
}

bool ReadState(const JsonValue* value, std::optional<FirmwareState>* state) {
  if (IsNull(value)) {
    return true;
  }
  int64_t version = 0;
  int64_t mode = 0;
  if (!Whole(value->Find("version"), 0, 255, &version) ||
      !Whole(value->Find("mode"), 0, 255, &mode)) {
    return false;
  }
  *state = FirmwareState{static_cast<int>(version), static_cast<int>(mode)};
  return true;
}

bool ReadImage(const JsonValue* value, std::optional<RunImage>* image) {
  if (IsNull(value)) {
    return true;
  }
  RunImage read;
  int64_t size = 0;
  if (!Text(value->Find("name"), &read.name) || !Text(value->Find("sha256"), &read.sha256) ||
      !Whole(value->Find("size"), 0, INT64_MAX, &size)) {
    return false;
  }
  read.size = static_cast<uint64_t>(size);
  *image = read;
  return true;
}

bool ReadPower(const JsonValue* value, std::optional<RunPower>* power) {
  if (IsNull(value)) {
    return true;
  }
  RunPower read;
  const JsonValue* charger = value->Find("charger");
  const JsonValue* percent = value->Find("percent");
  int64_t charge = 0;
  if (!IsType(charger, JsonValue::Type::kBool) ||
      (!IsNull(percent) && !Whole(percent, 0, 100, &charge))) {
    return false;
  }
  read.externalPower = charger->boolean;
  if (!IsNull(percent)) {
    read.chargePercent = static_cast<int>(charge);
  }
  *power = read;
  return true;
}

bool ReadWrittenBack(const JsonValue* value, std::vector<std::string>* names) {
  if (!IsType(value, JsonValue::Type::kArray) || value->items.size() > kMaxWrittenBack) {
    return false;
  }
  for (const JsonValue& item : value->items) {
    std::string name;
    if (!Text(&item, &name)) {
      return false;
    }
    names->push_back(name);
  }
  return true;
}

bool ReadPhases(const JsonValue* value, RunRecord* record) {
  if (!IsType(value, JsonValue::Type::kObject)) {
    return false;
  }
  for (const auto& [name, ms] : value->members) {
    RunPhase phase;
    int64_t time = 0;
    if (!RunPhaseFromName(name, &phase) || !Whole(&ms, 0, UINT32_MAX, &time)) {
      return false;
    }
    record->phaseMs[static_cast<size_t>(phase)] = static_cast<uint32_t>(time);
  }
  return true;
}

bool ReadFailedAt(const JsonValue* value, RunRecord* record) {
  std::string name;
  if (IsNull(value)) {
    return true;
  }
  if (!Text(value, &name)) {
    return false;
  }
  if (RunPhaseFromName(name, &record->failedPhase)) {
    record->failedStep = RunStep::kPhase;
    return true;
  }
  return RunStepFromName(name, &record->failedStep);
}

bool ReadHead(const JsonValue& line, RunRecord* record) {
  std::string stamp;
  std::string kind;
  std::string outcome;
  int64_t total = 0;
  return Text(line.Find("time"), &stamp) && ParseUtcStamp(stamp, &record->utcMs) &&
         Text(line.Find("front_end"), &record->frontEnd) &&
         Text(line.Find("padwright"), &record->version) && Text(line.Find("kind"), &kind) &&
         RunKindFromName(kind, &record->kind) && Text(line.Find("outcome"), &outcome) &&
         RunOutcomeFromName(outcome, &record->outcome) &&
         Whole(line.Find("total_ms"), 0, UINT32_MAX, &total) &&
         (record->totalMs = static_cast<uint32_t>(total), true);
}

}  // namespace

std::string RunRecordLine(const RunRecord& record) {
  std::string written = "[";
  for (const std::string& name : record.writtenBack) {
    written += (written.size() > 1 ? "," : "") + JsonString(name);
  }
  written += "]";
  return "{" + Field("time", JsonString(UtcStamp(record.utcMs))) + "," +
         Field("front_end", JsonString(record.frontEnd)) + "," +
         Field("padwright", JsonString(record.version)) + "," +
         Field("kind", JsonString(RunKindName(record.kind))) + "," +
         Field("before", StateJson(record.before)) + "," + Field("after", StateJson(record.after)) +
         "," + Field("image", ImageJson(record.image)) + "," +
         Field("battery", PowerJson(record.power)) + "," + Field("written_back", written) + "," +
         Field("outcome", JsonString(RunOutcomeName(record.outcome))) + "," +
         Field("failed_at", FailedAt(record)) + "," + Field("total_ms", Number(record.totalMs)) +
         "," + Field("phases_ms", PhasesJson(record)) + "}";
}

bool ParseRunRecordLine(std::string_view line, RunRecord* record) {
  *record = RunRecord{};
  JsonValue value;
  if (line.size() > kMaxRunLineBytes || !ParseJson(line, &value) ||
      value.type != JsonValue::Type::kObject) {
    return false;
  }
  return ReadHead(value, record) && ReadState(value.Find("before"), &record->before) &&
         ReadState(value.Find("after"), &record->after) &&
         ReadImage(value.Find("image"), &record->image) &&
         ReadPower(value.Find("battery"), &record->power) &&
         ReadWrittenBack(value.Find("written_back"), &record->writtenBack) &&
         ReadPhases(value.Find("phases_ms"), record) &&
         ReadFailedAt(value.Find("failed_at"), record);
}
