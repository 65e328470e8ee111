// The program's one-line error messages and the single helper that prints them.
#pragma once

namespace nephrax::msg {

inline constexpr const char* kCommandParameter = "Command parameter error.";
inline constexpr const char* kFileOpen = "File open error.";
inline constexpr const char* kFileCreate = "File create error.";
inline constexpr const char* kDataWrite = "Data write error.";
inline constexpr const char* kMemoryAllocate = "Memory allocate error.";
inline constexpr const char* kImageDraw = "Image draw error.";
inline constexpr const char* kControlBlock = "Control block error.";
inline constexpr const char* kCalibrationBlock = "Calibration block error.";
inline constexpr const char* kImageBlock = "Image block error.";
inline constexpr const char* kSupport = "Support error.";

}  // namespace nephrax::msg

namespace nephrax {

// Writes the message and CR LF to standard error, as every failing operation does.
void PrintMessage(const char* message);

}  // namespace nephrax
