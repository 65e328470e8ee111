#include "support/track_file_builder.h"

namespace nephrax::testing {

namespace {

// The first `count` of `fields` joined by commas; fields beyond the given ones are empty.
std::string JoinFields(std::vector<std::string> fields, size_t count) {
  fields.resize(count);
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += fields[i];
  }
  return line;
}

}  // namespace

std::string TrackHeaderLine(const TrackHeaderSpec& spec) {
  return JoinFields({spec.mark, spec.depression_label, spec.typhoon_label, spec.name, "",
                     spec.early_number, spec.version},
                    spec.field_count);
}

std::string TrackRecordLine(const TrackRecordSpec& spec) {
  std::vector<std::string> fields(31);
  fields[0] = spec.time;
  fields[1] = spec.stage;
  fields[2] = spec.lat;
  fields[3] = spec.lon;
  fields[5] = spec.ac;
  fields[6] = spec.wf;
  fields[7] = spec.status;
  fields[9] = spec.direction;
  fields[10] = spec.speed;
  fields[21] = spec.secondary_status;
  fields[23] = spec.at;
  fields[29] = spec.t_number;
  fields[30] = spec.ci_number;
  return JoinFields(std::move(fields), spec.field_count);
}

std::string BuildTrackFile(const TrackFileSpec& spec) {
  std::string text = TrackHeaderLine(spec.header) + spec.line_end + spec.headings + spec.line_end;
  for (const TrackRecordSpec& record : spec.records)
    text += TrackRecordLine(record) + spec.line_end;
  return text;
}

}  // namespace nephrax::testing
