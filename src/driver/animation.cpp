#include "driver/animation.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <utility>

#include "core/messages.h"
#include "driver/run.h"
#include "output/picture_writer.h"
#include "platform/atomic_file.h"
#include "source/source_reader.h"

namespace nephrax {

namespace {

// The next line of the list without its line break (LF, or the CR LF of lists written on Windows).
bool ReadListLine(std::istream& list, std::string& line) {
  if (!std::getline(list, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// Whether the line names a file that is there: an empty line or a directory does not.
bool NamesExistingFile(const std::string& line) {
  struct stat status {};
  return !line.empty() && stat(line.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

int32_t CountExistingFiles(std::istream& list) {
  int32_t count = 0;
  for (std::string line; ReadListLine(list, line);) count += NamesExistingFile(line) ? 1 : 0;
  return count;
}

// The frame delay: the Agif setting, tripled for the first and last frames.
int32_t FrameDelay(int32_t agif, int32_t frame, int32_t frames) {
  const int64_t delay = int64_t{agif} * (frame == 0 || frame == frames - 1 ? 3 : 1);
  return static_cast<int32_t>(std::clamp<int64_t>(delay, INT32_MIN, INT32_MAX));
}

// The animated GIF being written: opened with its first frame, at that frame's size, under a
// temporary name that replaces the destination once the library has completed the file.
class AnimatedGif {
 public:
  AnimatedGif(const ImageLibrary& library, std::string destination)
      : library_(library), destination_(std::move(destination)) {}
  // An animation left unfinished is closed, and its temporary file removed.
  ~AnimatedGif() {
    if (handle_ >= 0) library_.CloseAgif(0, handle_);
  }
  AnimatedGif(const AnimatedGif&) = delete;
  AnimatedGif& operator=(const AnimatedGif&) = delete;

  // Adds the surface as a frame shown for `delay` hundredths of a second; false when it could
  // not be written (the library has said why).
  bool AddFrame(const Surface& surface, int32_t delay) {
    if (handle_ < 0 && !Open(surface)) return false;
    return WriteAnimationFrame(surface, library_, handle_, delay);
  }

  // Completes the file and puts it in the destination's place; false when no frame was written
  // or the file could not be completed.
  bool Finish() {
    if (handle_ < 0) return false;
    if (library_.CloseAgif(0, std::exchange(handle_, -1)) == 0) return false;
    if (!file_->Commit()) {
      PrintMessage(msg::kFileCreate);
      return false;
    }
    return true;
  }

 private:
  bool Open(const Surface& surface) {
    file_.emplace(destination_);
    if (!file_->IsOpen()) {
      PrintMessage(msg::kFileCreate);
      return false;
    }
    handle_ =
        library_.OpenAgif(0, file_->temporary_path().c_str(), surface.height(), surface.width());
    return handle_ >= 0;
  }

  const ImageLibrary& library_;
  std::string destination_;
  std::optional<AtomicFile> file_;
  int32_t handle_ = -1;
};

}  // namespace

int RunAnimation(RunState& state) {
  const ImageLibrary& library = state.image_library;
  if (!library.HasAnimation()) {
    PrintMessage(msg::kSupport);
    return kExitNoPicture;
  }
  std::ifstream list(state.command_line.source_path);
  if (!list) {
    PrintMessage(msg::kFileOpen);
    return kExitNoPicture;
  }
  const int32_t frames = CountExistingFiles(list);
  if (frames == 0) return kExitNoPicture;
  list.clear();
  list.seekg(0);

  if (library.SetQntHiQt != nullptr) library.SetQntHiQt(state.settings.GifOpt ? 1 : 0);
  AnimatedGif gif(library, state.command_line.destination_path);
  int32_t frame = 0;  // counts the files read, drawn or not
  for (std::string line; ReadListLine(list, line);) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);  // so that each file's messages follow its name
    if (!ReadSourceFile(line, state.channels, state.settings, state.display, state.source)) {
      continue;
    }
    const int32_t delay = FrameDelay(state.settings.Agif, frame++, frames);
    const std::optional<Surface> surface = DrawSourcePicture(state);
    if (surface && !gif.AddFrame(*surface, delay)) return kExitNoPicture;
  }
  return gif.Finish() ? kExitWritten : kExitNoPicture;
}

}  // namespace nephrax
