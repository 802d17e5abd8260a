#include "output_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace fileio {

namespace {

// As the kernel, which gives up on a path after 40 symlinks.
constexpr int kMostSymlinks = 40;

std::string Failure(const std::string& path, int error) {
  return "cannot write " + path + ": " + std::strerror(error);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

OutputTarget RegularFile(const struct stat& file) {
  OutputTarget target;
  target.kind = OutputTarget::Kind::kRegular;
  target.device = file.st_dev;
  target.inode = file.st_ino;
  // The set-id bits go, as they would if the file were written in place.
  target.mode = file.st_mode & 0777;
  target.links = file.st_nlink;
  return target;
}

// A file to be made at `path` (which names nothing), as `given` asked.
std::optional<OutputTarget> NewFileAt(const std::string& given, const std::string& path,
                                      std::string* error) {
  std::string name = NameOf(path);
  if (name.empty() || name == "." || name == "..") {
    *error = Failure(given, EISDIR);
    return std::nullopt;
  }
  struct stat folder;
  int fault = stat(FolderOf(path).c_str(), &folder) != 0 ? errno
              : S_ISDIR(folder.st_mode)                  ? 0
                                                         : ENOTDIR;
  if (fault != 0) {
    *error = Failure(given, fault);
    return std::nullopt;
  }
  OutputTarget target;
  target.path = path;
  target.device = folder.st_dev;
  target.inode = folder.st_ino;
  target.name = name;
  return target;
}

// `given` names no file: the dangling symlinks on the way are followed to
// the name the new file gets, so that a result written through a symlink
// lands where it points.
std::optional<OutputTarget> NewFile(const std::string& given, std::string* error) {
  std::string path = given;
  int fault = ELOOP;
  for (int hops = 0; hops <= kMostSymlinks && fault == ELOOP; ++hops) {
    struct stat link;
    if (lstat(path.c_str(), &link) != 0) {
      if (errno == ENOENT) return NewFileAt(given, path, error);
      fault = errno;
    } else if (!S_ISLNK(link.st_mode)) {
      fault = EEXIST;  // made meanwhile by someone else
    } else {
      char target[PATH_MAX];
      ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
      if (length < 0) fault = errno;
      target[std::max<ssize_t>(length, 0)] = '\0';
      path = target[0] == '/' ? std::string(target) : FolderOf(path) + "/" + target;
    }
  }
  *error = Failure(given, fault);
  return std::nullopt;
}

}  // namespace

bool OutputTarget::SameFileAs(const OutputTarget& other) const {
  if (kind == Kind::kInPlace || kind != other.kind) return false;
  return device == other.device && inode == other.inode && name == other.name;
}

std::optional<OutputTarget> ResolveOutput(const std::string& path, std::string* error) {
  struct stat file;
  if (stat(path.c_str(), &file) != 0) {
    if (errno == ENOENT && !path.empty()) return NewFile(path, error);
    *error = Failure(path, errno);
    return std::nullopt;
  }
  if (S_ISDIR(file.st_mode)) {
    *error = Failure(path, EISDIR);
    return std::nullopt;
  }
  if (!S_ISREG(file.st_mode)) {
    OutputTarget target;
    target.kind = OutputTarget::Kind::kInPlace;
    target.path = path;
    target.device = file.st_dev;
    target.inode = file.st_ino;
    return target;
  }
  OutputTarget target = RegularFile(file);
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) {
    *error = Failure(path, errno);
    return std::nullopt;
  }
  target.path = resolved;
  std::free(resolved);
  return target;
}

std::optional<Refusal> CheckOutputs(const RunFiles& files) {
  // What no output may replace, with the words that name it.
  std::vector<std::pair<std::string, OutputTarget>> kept;
  auto keep = [&kept](bool opened, const struct stat& file, std::string words) {
    if (opened && S_ISREG(file.st_mode)) kept.emplace_back(std::move(words), RegularFile(file));
  };
  struct stat file;
  if (files.standard_input) keep(fstat(STDIN_FILENO, &file) == 0, file, "the standard input");
  if (files.standard_output) keep(fstat(STDOUT_FILENO, &file) == 0, file, "the standard output");
  for (const std::string& input : files.inputs)
    keep(stat(input.c_str(), &file) == 0, file, "the input file " + input);
  const size_t inputs = kept.size();

  for (const auto& [option, path] : files.outputs) {
    if (path.empty()) continue;
    std::string error;
    std::optional<OutputTarget> target = ResolveOutput(path, &error);
    if (!target) return Refusal{false, error};
    std::string words = option + " " + path;
    for (size_t i = 0; i < kept.size(); ++i) {
      if (!target->SameFileAs(kept[i].second)) continue;
      if (i < inputs)
        return Refusal{true, words + " is " + kept[i].first + "; it is not overwritten"};
      return Refusal{true, kept[i].first + " and " + words + " name the same file"};
    }
    kept.emplace_back(std::move(words), *target);
  }
  return std::nullopt;
}

}  // namespace fileio
