// Reading and saving the registry file on disk.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

#include "platform/common/registry_file.h"

namespace plat::registry {
namespace {

long g_failWriteAfter = -1;
long g_writeCount = 0;
constexpr mode_t kNewFileMode = 0600;
constexpr int kMaxLinkDepth = 40;
constexpr int kMaxBackups = 10000;
// A file changed less than this before it was read may change again
// without its stamp showing it.
constexpr std::int64_t kRacyNs = 2000000000;

std::int64_t NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::size_t HashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }

std::string Reason(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

std::string Folder(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileStamp StampFrom(const struct stat& info) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}

// Follows symbolic links to the file that really holds the settings (which
// need not exist yet). False, with the reason, on a loop or an unreadable link.
bool ResolveLinks(const std::string& path, std::string& target, std::string* error) {
    target = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat info;
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        std::string link(std::size_t(info.st_size > 0 ? info.st_size : 256) + 1, '\0');
        ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) {
            if (error) *error = Reason("cannot follow the link", errno);
            return false;
        }
        link.resize(std::size_t(n));
        target = (!link.empty() && link[0] == '/') ? link : Folder(target) + "/" + link;
    }
    if (error) *error = Reason("cannot follow the link", ELOOP);
    return false;
}

// Reads the whole of an open file. False with errno set on an I/O error.
bool ReadAll(int fd, std::string& out, off_t sizeHint) {
    out.clear();
    if (sizeHint > 0) out.reserve(std::size_t(sizeHint));
    char buffer[65536];
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out.append(buffer, std::size_t(n));
    }
}

// The current content of the file. A missing file is empty; any other
// failure to open or read it is an error, so that the file is never taken
// for empty and replaced.
bool ReadCurrent(const std::string& path, std::string& text, FileStamp& stamp, mode_t& mode,
                 std::string* error) {
    text.clear();
    stamp = FileStamp{};
    mode = kNewFileMode;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        if (error) *error = Reason("cannot read it", errno);
        return false;
    }
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0;
    if (ok && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        ok = false;
    }
    if (ok) {
        stamp = StampFrom(info);
        mode = info.st_mode & 07777;
        ok = ReadAll(fd, text, info.st_size);
    }
    int saved = errno;
    ::close(fd);
    if (!ok && error) *error = Reason("cannot read it", saved);
    return ok;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t limit = text.size();
    bool cut = false;
    if (g_failWriteAfter >= 0 && std::size_t(g_failWriteAfter) < limit) {
        limit = std::size_t(g_failWriteAfter);
        cut = true;
    }
    std::size_t done = 0;
    while (done < limit) {
        ssize_t n = ::write(fd, text.data() + done, limit - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += std::size_t(n);
    }
    if (cut) {
        errno = ENOSPC;
        return false;
    }
    return true;
}

void MakeParentDirectories(const std::string& path) {
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        ::mkdir(path.substr(0, pos).c_str(), 0700);
    }
}

bool CopyToNewFile(const std::string& from, const std::string& to) {
    std::string text;
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    bool ok = ReadAll(in, text, 0);
    ::close(in);
    if (!ok) return false;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (out < 0) return false;
    ok = WriteAll(out, text) && ::fsync(out) == 0;
    ok = ::close(out) == 0 && ok;
    if (!ok) ::unlink(to.c_str());
    return ok;
}

// Keeps the file under the first free name of path.bad, path.bad.1, ...;
// an existing backup is never replaced.
bool KeepNumberedBackup(const std::string& path, std::string& backup) {
    for (int n = 0; n < kMaxBackups; ++n) {
        backup = path + ".bad";
        if (n > 0) {
            backup += '.';
            backup += std::to_string(n);
        }
        if (::link(path.c_str(), backup.c_str()) == 0) return true;
        if (errno == EEXIST) continue;
        // No hard links here: copy instead.
        struct stat info;
        if (::lstat(backup.c_str(), &info) == 0) continue;
        return CopyToNewFile(path, backup);
    }
    return false;
}

// Removes path.tmp.PID files whose process no longer runs (a save that was
// killed half-way). Called under the lock, so no live save is touched.
void RemoveStaleTemporaries(const std::string& path) {
    const std::string prefix = BaseName(path) + ".tmp.";
    const std::string folder = Folder(path);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
        std::string_view digits = name.substr(prefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
            continue;
        }
        pid_t pid = pid_t(std::atol(std::string(digits).c_str()));
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH) {
            ::unlink((folder + "/" + std::string(name)).c_str());
        }
    }
    ::closedir(dir);
}

void ApplyChanges(Document& document, const std::vector<Change>& changes) {
    for (const Change& change : changes) {
        Key& key = FindOrAddKey(document, change.keyPath);
        for (const Value& value : change.values) SetValue(key, value);
    }
}

// Writes the document to a temporary file beside `target` with `mode` and
// renames it over the target. Fills `written` with the new file's stamp.
bool WriteAndReplace(const std::string& target, const std::string& text, mode_t mode,
                     FileStamp& written, std::string* error) {
    std::string temp = target + ".tmp." + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    if (fd < 0) {
        if (error) *error = Reason("cannot create a temporary file in its folder", errno);
        return false;
    }
    struct stat info;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0 &&
              ::fstat(fd, &info) == 0;
    int saved = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        saved = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        if (error) *error = Reason("cannot write it", saved);
        return false;
    }
    written = StampFrom(info);
    ++g_writeCount;
    return true;
}

class LockFile {
public:
    explicit LockFile(const std::string& target) {
        std::string lockPath = target + ".lock";
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kNewFileMode);
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~LockFile() {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_UN);
            ::close(fd_);
        }
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace

FileStamp StampOf(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return FileStamp{};
    return StampFrom(info);
}

bool IsCurrent(const Snapshot& snapshot, const std::string& path) {
    if (snapshot.document == nullptr || !snapshot.readable) return false;
    if (!(StampOf(path) == snapshot.stamp)) return false;
    if (!snapshot.stamp.exists || snapshot.readAtNs - snapshot.stamp.modifiedNs > kRacyNs) {
        return true;
    }
    std::string text;
    FileStamp stamp;
    mode_t mode = 0;
    return ReadCurrent(path, text, stamp, mode, nullptr) && stamp == snapshot.stamp &&
           HashOf(text) == snapshot.textHash;
}

Snapshot LoadSnapshot(const std::string& path) {
    Snapshot snapshot;
    std::string text;
    mode_t mode = 0;
    snapshot.readAtNs = NowNs();
    snapshot.readable = ReadCurrent(path, text, snapshot.stamp, mode, &snapshot.error);
    snapshot.textHash = HashOf(text);
    auto document = std::make_shared<Document>();
    if (snapshot.readable) *document = Parse(text);
    snapshot.document = std::move(document);
    return snapshot;
}

Document Load(const std::string& path) { return *LoadSnapshot(path).document; }

bool Save(const std::string& path, const std::vector<Change>& changes, std::string* error,
          Snapshot* cache) {
    std::string target;
    if (!ResolveLinks(path, target, error)) return false;
    MakeParentDirectories(target);
    LockFile lock(target);
    if (!lock.held()) {
        if (error) *error = Reason("cannot lock it", errno);
        return false;
    }
    RemoveStaleTemporaries(target);

    std::string text;
    FileStamp stamp;
    mode_t mode = kNewFileMode;
    Document document;
    bool useCache = false;
    if (cache != nullptr && IsCurrent(*cache, target)) {
        struct stat info;
        useCache = true;
        if (::stat(target.c_str(), &info) == 0) mode = info.st_mode & 07777;
    }
    if (useCache) {
        document = *cache->document;
    } else {
        if (!ReadCurrent(target, text, stamp, mode, error)) return false;
        document = Parse(text);
    }
    if (IsUnreadable(document)) {
        std::string backup;
        if (!KeepNumberedBackup(target, backup)) {
            if (error) *error = Reason("cannot keep its unreadable content aside", errno);
            return false;
        }
        std::fprintf(stderr, "tovanel: %s held nothing readable; it is kept as %s\n",
                     target.c_str(), backup.c_str());
        document = Document{};
    }
    ApplyChanges(document, changes);
    FileStamp written;
    const std::int64_t writtenAt = NowNs();
    const std::string out = Serialize(document);
    // A save that would write the very bytes the file holds leaves it as it
    // is: no temporary file, no disk sync, no rename.
    bool same = false;
    if (useCache) {
        same = HashOf(out) == cache->textHash && ReadCurrent(target, text, stamp, mode, nullptr) && text == out;
    } else {
        same = stamp.exists && text == out;
    }
    if (same) {
        written = stamp;
    } else if (!WriteAndReplace(target, out, mode, written, error)) {
        if (cache != nullptr) cache->document.reset();
        return false;
    }
    if (cache != nullptr) {
        cache->document = std::make_shared<const Document>(std::move(document));
        cache->stamp = written;
        cache->textHash = HashOf(out);
        cache->readAtNs = writtenAt;
        cache->readable = true;
        cache->error.clear();
    }
    return true;
}

namespace testing {
void FailWriteAfter(long bytes) { g_failWriteAfter = bytes; }
long WriteCount() { return g_writeCount; }
}  // namespace testing

}  // namespace plat::registry
