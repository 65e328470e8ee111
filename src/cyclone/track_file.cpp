#include "cyclone/track_file.h"

#include <array>
#include <new>
#include <vector>

#include "core/messages.h"
#include "overlay/time_helpers.h"
#include "setup/list_field.h"
#include "setup/number_text.h"

namespace nephrax {

namespace {

constexpr char kSeparator = ',';
// Capacities of the field buffers, each holding one byte less.
constexpr size_t kFieldCapacity = 40;
constexpr size_t kLabelCapacity = 8;
constexpr size_t kNameCapacity = 16;
// Lines are read into a buffer of this size, so at most one byte less of each.
constexpr size_t kLineBufferSize = 10240;

// The early-analysis label "EDA%03d" has room for 7 bytes: numbers up to 9999. A larger number
// is refused rather than cut into another storm's label.
constexpr int32_t kLargestEarlyNumber = 9999;

// Field `n` of `line` in a buffer of `capacity`; none when the line ends before it.
std::optional<std::string> Field(std::string_view line, int n, size_t capacity = kFieldCapacity) {
  std::string field;
  if (GetListField(line, n, kSeparator, capacity, field) != n) return std::nullopt;
  return field;
}

std::optional<int32_t> IntField(std::string_view line, int n) {
  const std::optional<std::string> field = Field(line, n);
  if (!field) return std::nullopt;
  const auto number = ReadLeadingInt(*field);
  if (!number) return std::nullopt;
  return number->value;
}

std::optional<float> RealField(std::string_view line, int n) {
  const std::optional<std::string> field = Field(line, n);
  if (!field) return std::nullopt;
  const auto number = ReadLeadingReal(*field);
  if (!number) return std::nullopt;
  return number->value;
}

char ToUpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
  }
  return true;
}

std::string EarlyAnalysisLabel(std::string_view line) {
  const std::optional<int32_t> number = IntField(line, 6);
  if (!number || *number < 1 || *number > kLargestEarlyNumber) return {};
  std::string label = std::to_string(*number);
  if (label.size() < 3) label.insert(0, 3 - label.size(), '0');
  return "EDA" + label;
}

// "V2" gives 2; a field that does not start with "V" or "v", or none, gives 0.
int32_t FormatVersion(std::string_view line) {
  const std::optional<std::string> field = Field(line, 7);
  if (!field || field->empty() || ToUpperAscii(field->front()) != 'V') return 0;
  const auto number = ReadLeadingInt(std::string_view(*field).substr(1));
  return number ? number->value : 0;
}

// Reads "%d-%d-%d %d": year, month, day and hour, each number after optional blanks, the dashes
// directly after the number before them.
std::optional<TargetTime> ReadDateHour(std::string_view text) {
  std::array<int32_t, 4> numbers{};
  for (size_t i = 0; i < numbers.size(); ++i) {
    const auto number = ReadLeadingInt(text);
    if (!number) return std::nullopt;
    numbers[i] = number->value;
    text.remove_prefix(number->length);
    if (i < 2) {
      if (text.empty() || text.front() != '-') return std::nullopt;
      text.remove_prefix(1);
    }
  }
  return TargetTime{numbers[0], numbers[1], numbers[2], numbers[3]};
}

bool IsEarlyStage(std::string_view line, int32_t version) {
  const std::optional<std::string> status = Field(line, 8);
  if (version >= 1) return status == "Early Stage";
  return status == "Unknown" && Field(line, 22) == "UNDEFINE";
}

// The storm of `record` in the style the header allows for it, or none without a style.
std::optional<SelectedStorm> StyleStorm(const TrackHeader& header, const TrackRecord& record,
                                        const Settings& settings) {
  SelectedStorm storm{record, {}, header.name, {}, record.ci_number};
  bool styled = true;
  if (record.stage == 'T' && !header.typhoon_label.empty()) {
    storm.colour = settings.TypCol;
    storm.label = header.typhoon_label;
  } else if (record.stage == 'D' && !header.depression_label.empty()) {
    storm.colour = settings.TdpCol;
    storm.label = header.depression_label;
  } else {
    styled = false;
  }
  if (!header.early_label.empty() && record.early_stage) {
    storm.colour = settings.EdaCol;
    storm.label = header.early_label;
    storm.intensity = record.t_number;
    storm.record.wf = -1.0F;
    storm.record.at = -99.0F;
    styled = true;
  }
  if (!styled) return std::nullopt;
  return storm;
}

}  // namespace

TargetTime TargetTimeOf(const TimeRecord& observation, int32_t amin) {
  const ShortTime time = AddMinutes(ToShortTime(observation), amin);
  return {time.year, time.month, time.day, time.hour};
}

std::optional<TrackHeader> ReadTrackHeader(std::string_view line) {
  const std::optional<std::string> mark = Field(line, 1);
  if (!mark || !EqualsIgnoringCase(*mark, "DVORAK")) return std::nullopt;
  std::optional<std::string> depression = Field(line, 2, kLabelCapacity);
  std::optional<std::string> typhoon = Field(line, 3, kLabelCapacity);
  std::optional<std::string> name = Field(line, 4, kNameCapacity);
  if (!depression || !typhoon || !name) return std::nullopt;
  TrackHeader header{std::move(*depression), std::move(*typhoon), std::move(*name),
                     EarlyAnalysisLabel(line), FormatVersion(line)};
  if (header.depression_label.empty() && header.typhoon_label.empty() &&
      header.early_label.empty()) {
    return std::nullopt;
  }
  return header;
}

std::optional<TrackRecord> ReadTrackRecord(std::string_view line, int32_t version) {
  const std::optional<std::string> date = Field(line, 1);
  const std::optional<TargetTime> time = date ? ReadDateHour(*date) : std::nullopt;
  const std::optional<std::string> stage = Field(line, 2);
  const std::optional<float> lat = RealField(line, 3);
  const std::optional<float> lon = RealField(line, 4);
  if (!time || !stage || stage->empty() || !lat || !lon) return std::nullopt;
  const char letter = ToUpperAscii(stage->front());
  if (letter != 'T' && letter != 'D') return std::nullopt;

  TrackRecord record;
  record.time = *time;
  record.stage = letter;
  record.lat = *lat;
  record.lon = *lon;
  record.ac = RealField(line, 6).value_or(record.ac);
  record.wf = RealField(line, 7).value_or(record.wf);
  record.direction = IntField(line, 10).value_or(record.direction);
  record.speed = IntField(line, 11).value_or(record.speed);
  record.at = RealField(line, 24).value_or(record.at);
  record.t_number = RealField(line, 30).value_or(record.t_number);
  record.ci_number = RealField(line, 31).value_or(record.ci_number);
  record.early_stage = IsEarlyStage(line, version);
  return record;
}

std::optional<SelectedStorm> SelectStorm(std::FILE* file, const TargetTime& target,
                                         const Settings& settings) {
  std::vector<char> buffer;
  try {
    buffer.assign(kLineBufferSize, '\0');
  } catch (const std::bad_alloc&) {
    PrintMessage(msg::kMemoryAllocate);
    return std::nullopt;
  }
  std::optional<TrackHeader> header;
  for (size_t line_number = 0;
       std::fgets(buffer.data(), static_cast<int>(buffer.size()), file) != nullptr; ++line_number) {
    // The line ends at its first NUL byte, as the field rule reads it.
    const std::string_view line(buffer.data());
    if (line_number == 0) {
      header = ReadTrackHeader(line);
      if (!header) return std::nullopt;
      continue;
    }
    if (line_number == 1) continue;  // the column headings
    const std::optional<TrackRecord> record = ReadTrackRecord(line, header->version);
    if (!record || record->time != target) continue;
    return StyleStorm(*header, *record, settings);
  }
  return std::nullopt;
}

}  // namespace nephrax
