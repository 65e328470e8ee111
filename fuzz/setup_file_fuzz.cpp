// Feeds arbitrary bytes to the setup file reader, and to the list-field reader as one raw text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_file.h"
#include "setup/list_field.h"
#include "setup/setup_file.h"

namespace {

// The first fields of the text with the separators and limits the readers use, plus tiny limits.
// Reading field n rescans fields 1..n-1, so the count is bounded to keep the pace.
void ReadFields(std::string_view text) {
  constexpr int kMostFields = 100;
  using nephrax::GetListField;
  constexpr char kSeparators[] = {',', ')'};
  constexpr size_t kLimits[] = {1, 2, 20, 80};
  std::string field;
  for (const char separator : kSeparators) {
    for (const size_t limit : kLimits) {
      for (int n = 1; n <= kMostFields && GetListField(text, n, separator, limit, field) == n;
           ++n) {
        if (field.size() >= limit) __builtin_trap();
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ReadFields(text);

  const nephrax::fuzz::FuzzFile file(data, size);
  nephrax::Settings settings;
  nephrax::ChannelTable table = nephrax::BuiltInChannelTable();
  nephrax::ReadSetupFile(file.path(), nephrax::Language::kJapanese, settings, table);
  return 0;
}
