#include "kelto/data/File.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "kelto/data/Catalogue.h"
#include "kelto/data/FileContents.h"
#include "kelto/data/Limits.h"
#include "kelto/data/Loader.h"
#include "kelto/data/PcfReader.h"
#include "kelto/data/PlantDraft.h"

namespace kelto::data {

namespace {

const FileContents& Empty() {
  static const FileContents empty;
  return empty;
}

// The file's bytes, mapped rather than copied: a large plant is read once by
// the parser, so the page cache serves it directly.
class MappedText {
 public:
  MappedText(const std::filesystem::path& path, const std::string& name) {
    // O_NONBLOCK: a FIFO is refused below instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
      throw LoadError(name, "", std::string("cannot open the file (") + std::strerror(errno) + ")");
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      throw LoadError(name, "", "cannot read the file (not a regular file)");
    }
    size_ = static_cast<std::size_t>(st.st_size);
    if (size_ > limits::kMaxFileBytes) {
      ::close(fd);
      throw LoadError(name, "",
                      "file is too large (" + std::to_string(size_) + " bytes; the limit is " +
                          std::to_string(limits::kMaxFileBytes) + ")");
    }
    if (size_ > 0) {
      // Pages are read as the parser reaches them (no MAP_POPULATE): a file
      // that is wrong from its first bytes fails without being read whole.
      void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
      if (p == MAP_FAILED) {
        const int error = errno;
        ::close(fd);
        throw LoadError(name, "",
                        std::string("cannot read the file (") + std::strerror(error) + ")");
      }
      ::madvise(p, size_, MADV_SEQUENTIAL);
      data_ = static_cast<const char*>(p);
    }
    ::close(fd);
  }
  ~MappedText() {
    if (data_) ::munmap(const_cast<char*>(data_), size_);
  }
  MappedText(const MappedText&) = delete;
  MappedText& operator=(const MappedText&) = delete;

  std::string_view Text() const { return {data_ ? data_ : "", size_}; }

 private:
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace

File::File() : catalogue_(&Catalogue::Default()) {}
File::~File() = default;

void File::Load(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    LoadPlant(std::span<const std::filesystem::path>(&path, 1));
    return;
  }
  const std::string name = path.string();
  const MappedText text(path, name);
  LoadText(text.Text(), name);
}

void File::LoadText(std::string_view text, const std::string& displayName) {
  auto fresh = std::make_unique<FileContents>();
  fresh->path = displayName;
  if (LooksLikePcf(text)) {
    std::vector<PlantDraft> drafts;
    drafts.push_back(ReadPcf(text, displayName, {options_.keepGoing}));
    Loader::LoadDrafts(*fresh, *this, drafts, *catalogue_);
  } else {
    Loader::Load(*fresh, *this, text, *catalogue_);
  }
  Adopt(std::move(fresh));
}

void File::Reload() {
  if (!contents_) throw std::logic_error("Reload before any successful Load");
  if (contents_->sources.size() > 1) {
    const std::vector<std::filesystem::path> paths(contents_->sources.begin(),
                                                   contents_->sources.end());
    LoadPlant(paths);
    return;
  }
  Load(std::filesystem::path(contents_->path));
}

std::span<const std::string> File::Warnings() const {
  return contents_ ? std::span<const std::string>(contents_->warnings)
                   : std::span<const std::string>();
}

// Gives pipelines and components of the fresh contents the objects of the old
// contents that carry the same id, so their addresses survive the reload.
// Nothing here can fail, so the swap is all-or-nothing.
void File::Adopt(std::unique_ptr<FileContents> fresh) {
  if (contents_) {
    FileContents& old = *contents_;
    for (std::size_t i = 0; i < fresh->pipelines.size(); ++i) {
      Pipeline& now = *fresh->pipelines[i];
      Pipeline* kept = FindPipeline(fresh->strings.View(now.id_));
      if (!kept) continue;
      const std::uint32_t oldIndex = kept->index_;
      kept->file_ = now.file_;
      kept->index_ = now.index_;
      kept->id_ = now.id_;
      kept->description_ = now.description_;
      kept->firstComponent_ = now.firstComponent_;
      kept->componentCount_ = now.componentCount_;
      kept->firstAttribute_ = now.firstAttribute_;
      kept->attributeCount_ = now.attributeCount_;
      kept->routes_.reset();
      std::swap(fresh->pipelineStore[i], old.pipelineStore[oldIndex]);
      fresh->pipelines[i] = kept;
    }
    for (std::size_t i = 0; i < fresh->components.size(); ++i) {
      Component& now = *fresh->components[i];
      Component* kept = FindComponent(fresh->strings.View(now.id_));
      if (!kept) continue;
      const std::uint32_t oldIndex = kept->index_;
      kept->index_ = now.index_;
      kept->indexInPipeline_ = now.indexInPipeline_;
      kept->id_ = now.id_;
      kept->type_ = now.type_;
      kept->group_ = now.group_;
      kept->symbolKey_ = now.symbolKey_;
      kept->shapeCode_ = now.shapeCode_;
      kept->itemCode_ = now.itemCode_;
      kept->firstPoint_ = now.firstPoint_;
      kept->firstLeg_ = now.firstLeg_;
      kept->firstAttribute_ = now.firstAttribute_;
      kept->firstAttachment_ = now.firstAttachment_;
      kept->pointCount_ = now.pointCount_;
      kept->legCount_ = now.legCount_;
      kept->attributeCount_ = now.attributeCount_;
      kept->attachmentCount_ = now.attachmentCount_;
      std::swap(fresh->componentStore[i], old.componentStore[oldIndex]);
      fresh->components[i] = kept;
    }
  }
  for (Pipeline* p : fresh->pipelines)
    for (std::uint32_t i = 0; i < p->componentCount_; ++i)
      fresh->components[p->firstComponent_ + i]->pipeline_ = p;
  contents_ = std::move(fresh);
  ++generation_;
}

bool File::IsLoaded() const { return contents_ != nullptr; }
const std::string& File::Path() const { return (contents_ ? *contents_ : Empty()).path; }
std::string_view File::Description() const { return Text(contents_ ? contents_->description : 0); }

std::span<Pipeline* const> File::Pipelines() const {
  return contents_ ? std::span<Pipeline* const>(contents_->pipelines)
                   : std::span<Pipeline* const>();
}

std::span<Component* const> File::Components() const {
  return contents_ ? std::span<Component* const>(contents_->components)
                   : std::span<Component* const>();
}

Pipeline* File::FindPipeline(std::string_view id) const {
  if (!contents_) return nullptr;
  const auto sid = contents_->strings.Find(id);
  if (!sid || *sid >= contents_->pipelineByString.size()) return nullptr;
  const std::uint32_t slot = contents_->pipelineByString[*sid];
  return slot ? contents_->pipelines[slot - 1] : nullptr;
}

Component* File::FindComponent(std::string_view id) const {
  if (!contents_) return nullptr;
  const auto sid = contents_->strings.Find(id);
  if (!sid || *sid >= contents_->componentByString.size()) return nullptr;
  const std::uint32_t slot = contents_->componentByString[*sid];
  return slot ? contents_->components[slot - 1] : nullptr;
}

std::span<const Point> File::AllPoints() const {
  return contents_ ? std::span<const Point>(contents_->points) : std::span<const Point>();
}

std::span<const Leg> File::AllLegs() const {
  return contents_ ? std::span<const Leg>(contents_->legs) : std::span<const Leg>();
}

std::span<const Attribute> File::AllAttributes() const {
  return contents_ ? std::span<const Attribute>(contents_->attributes)
                   : std::span<const Attribute>();
}

std::uint32_t File::IndexOf(const Point& point) const {
  return static_cast<std::uint32_t>(&point - contents_->points.data());
}

Component& File::OwnerOf(const Point& point) const {
  return *contents_->components[point.component];
}

const Point* File::ConnectedPoint(const Point& point) const {
  return point.connected == kNoIndex ? nullptr : &contents_->points[point.connected];
}

const Point& File::FromPoint(const Leg& leg) const { return contents_->points[leg.from]; }
const Point& File::ToPoint(const Leg& leg) const { return contents_->points[leg.to]; }

std::string_view File::Text(StringId id) const {
  return contents_ ? contents_->strings.View(id) : std::string_view();
}

std::optional<StringId> File::FindText(std::string_view text) const {
  if (!contents_) return std::nullopt;
  return contents_->strings.Find(text);
}

std::size_t File::MemoryUsed() const {
  if (!contents_) return 0;
  const FileContents& c = *contents_;
  // Per heap block, glibc adds 16 bytes of header; count it for the objects
  // allocated one by one.
  return c.strings.MemoryUsed() + c.pipelines.capacity() * sizeof(void*) * 2 +
         c.pipelines.size() * (sizeof(Pipeline) + 16) +
         c.components.capacity() * sizeof(void*) * 2 +
         c.components.size() * (sizeof(Component) + 16) + c.points.capacity() * sizeof(Point) +
         c.legs.capacity() * sizeof(Leg) + c.attributes.capacity() * sizeof(Attribute) +
         c.attachments.capacity() * sizeof(std::uint32_t) +
         (c.componentByString.capacity() + c.pipelineByString.capacity()) * sizeof(std::uint32_t);
}

}  // namespace kelto::data
