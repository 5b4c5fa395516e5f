#include "kelto/data/PlantLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <optional>
#include <thread>

#include "kelto/data/File.h"
#include "kelto/data/FileContents.h"
#include "kelto/data/Limits.h"
#include "kelto/data/Loader.h"
#include "kelto/data/PcfReader.h"

namespace kelto::data {

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// The checks File::Load makes for a single file, made before anything is
// read: opening never waits (a FIFO has no writer), only a regular file is
// read (not a device such as /dev/zero behind a symlink, not a folder), and
// never more than the size limit nor more than fstat gave, so a file that
// grows meanwhile cannot run away either.
std::string ReadAll(const std::filesystem::path& path) {
  const std::string name = path.string();
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
  const int fd = file.fd;
  if (fd < 0)
    throw LoadError(name, "", std::string("cannot open the file (") + std::strerror(errno) + ")");
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    throw LoadError(name, "", "cannot read the file (not a regular file)");
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size > limits::kMaxFileBytes)
    throw LoadError(name, "", "file is too large (" + std::to_string(size) +
                                  " bytes; the limit is " +
                                  std::to_string(limits::kMaxFileBytes) + ")");
  std::string text(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, text.data() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      throw LoadError(name, "", std::string("cannot read the file (") + std::strerror(errno) + ")");
    if (n == 0) break;  // shrunk meanwhile: parse what is there
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  return text;
}

// One file of a plant, read on a worker thread.
struct Slot {
  std::optional<PlantDraft> draft;
  std::exception_ptr error;
};

PlantDraft ReadOne(const std::filesystem::path& path, const LoadOptions& options) {
  const std::string name = path.string();
  const std::string text = ReadAll(path);
  if (LooksLikePcf(text)) return ReadPcf(text, name, {options.keepGoing});
  File json;
  json.LoadText(text, name);
  return DraftOf(json);
}

}  // namespace

std::vector<std::filesystem::path> PlantFiles(std::span<const std::filesystem::path> paths) {
  std::vector<std::filesystem::path> files;
  for (const auto& path : paths) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) {
      if (!std::filesystem::exists(path, error))
        throw LoadError(path.string(), "", "cannot open the file (No such file or directory)");
      files.push_back(path);
      continue;
    }
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
      const std::string ext = Lower(entry.path().extension().string());
      // Not filtered on the kind of entry: one that cannot be read (a FIFO,
      // a folder, a broken link) fails the load by name or, with keepGoing,
      // is listed as skipped, rather than leaving the plant short unsaid.
      if (ext == ".pcf" || ext == ".json") found.push_back(entry.path());
    }
    if (error) throw LoadError(path.string(), "", "cannot read the folder (" + error.message() + ")");
    if (found.empty()) throw LoadError(path.string(), "", "the folder holds no .pcf or .json files");
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

PlantDraft DraftOf(const File& file) {
  PlantDraft draft;
  draft.path = file.Path();
  draft.description = std::string(file.Description());
  draft.warnings.assign(file.Warnings().begin(), file.Warnings().end());
  for (const Pipeline* p : file.Pipelines()) {
    DraftPipeline& dp = draft.pipelines.emplace_back();
    dp.id = std::string(p->Id());
    dp.description = std::string(p->Description());
    for (const Attribute& a : p->Attributes())
      dp.attributes.emplace_back(file.Text(a.name), file.Text(a.value));
    for (const Component* c : p->Components()) {
      DraftComponent& dc = dp.components.emplace_back();
      dc.id = std::string(c->Id());
      dc.type = std::string(c->TypeName());
      dc.group = std::string(c->GroupName());
      dc.itemCode = c->ItemCode();
      dc.symbolKey = std::string(c->SymbolKey());
      dc.shapeCode = std::string(c->ShapeCode());
      const std::uint32_t first = c->Points().empty() ? 0 : file.IndexOf(c->Points().front());
      for (const Point& pt : c->Points())
        dc.points.push_back({std::string(file.Text(pt.name)), pt.position, pt.bore, pt.boreUnits,
                             std::string(file.Text(pt.endType)), pt.internal});
      for (const Leg& leg : c->Legs()) {
        DraftLeg dl;
        dl.from = static_cast<std::uint16_t>(leg.from - first);
        dl.to = static_cast<std::uint16_t>(leg.to - first);
        if (leg.directionGiven) dl.direction = leg.direction;
        dc.legs.push_back(dl);
      }
      for (const Attribute& a : c->Attributes())
        dc.attributes.emplace_back(file.Text(a.name), file.Text(a.value));
      for (std::size_t i = 0; i < c->AttachmentCount(); ++i)
        dc.attachments.emplace_back(c->Attachment(i).Id());
    }
  }
  return draft;
}

void File::LoadPlant(std::span<const std::filesystem::path> paths) {
  const std::vector<std::filesystem::path> files = PlantFiles(paths);
  std::vector<Slot> slots(files.size());
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t workers =
      std::min<std::size_t>(files.size(), options_.threads ? options_.threads : cores);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < files.size();) {
      try {
        slots[i].draft = ReadOne(files[i], options_);
      } catch (...) {
        slots[i].error = std::current_exception();
      }
    }
  };
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < workers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();

  auto fresh = std::make_unique<FileContents>();
  fresh->path = paths.empty() ? std::string() : paths.front().string();
  for (const auto& p : paths) fresh->sources.push_back(p.string());
  std::vector<PlantDraft> drafts;
  for (Slot& slot : slots) {
    if (slot.error) {
      if (!options_.keepGoing) std::rethrow_exception(slot.error);
      try {
        std::rethrow_exception(slot.error);
      } catch (const std::exception& e) {
        fresh->warnings.push_back(std::string("skipped the file: ") + e.what());
      }
      continue;
    }
    drafts.push_back(std::move(*slot.draft));
  }
  Loader::LoadDrafts(*fresh, *this, drafts, *catalogue_);
  Adopt(std::move(fresh));
}

}  // namespace kelto::data
