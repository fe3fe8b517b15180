// Publishing the outputs of a run (see OutputTransaction.h).
#include "run/OutputTransaction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace kelvrant {

namespace {

// Outputs are written in large pieces: a day of 1-second epochs is tens of megabytes, and the
// default buffer of a few kilobytes would cost a system call every few epochs.
constexpr std::size_t kOutputBufferSize = std::size_t{256} << 10;

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes the written bytes of a directory entry change durable.
void SyncDirectory(const std::string& directory) {
    const int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void ForgetCachedPages(const std::string& finalName) {
    // Looked at before it is opened: opening a device can have effects of its own.
    struct stat st {};
    if (::lstat(finalName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    const int fd = ::open(finalName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

OutputFile::~OutputFile() {
    DiscardOutput(*this);
}

bool CreateOutput(OutputFile& out, const std::string& finalName, std::string& reason) {
    DiscardOutput(out);
    out.name = finalName;
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device entropy;
    std::mt19937 pick(entropy());
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    const std::string stem = DirectoryOf(finalName) + "." + FileNameOf(finalName) + ".kelvrant-";
    int fd = -1;
    std::string path;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        path = stem;
        for (int i = 0; i < 6; ++i)
            path += kLetters[letter(pick)];
        // Created exclusively: a name another run (or a killed one) holds is never reused.
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        reason = SystemReason(errno);
        return false;
    }
    out.file = ::fdopen(fd, "w+b");
    if (out.file == nullptr) {
        reason = SystemReason(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    out.temporary = path;
    out.buffer = std::make_unique<char[]>(kOutputBufferSize);
    if (std::setvbuf(out.file, out.buffer.get(), _IOFBF, kOutputBufferSize) != 0)
        out.buffer.reset();
    return true;
}

void DiscardOutput(OutputFile& out) {
    if (out.file != nullptr) std::fclose(out.file);
    out.file = nullptr;
    out.buffer.reset();
    if (!out.temporary.empty()) ::unlink(out.temporary.c_str());
    out.temporary.clear();
}

bool PublishOutputs(const std::vector<OutputFile*>& outputs, std::string& failedName,
                    std::string& reason) {
    const auto fail = [&](OutputFile& out, int error) {
        failedName = out.name;
        reason = SystemReason(error);
        for (OutputFile* o : outputs)
            DiscardOutput(*o);
        return false;
    };
    // Every file is complete on the disk before the first final name changes.
    for (OutputFile* out : outputs) {
        if (out->file == nullptr) continue;
        errno = 0;
        if (std::fflush(out->file) != 0 || std::ferror(out->file) != 0 ||
            ::fsync(::fileno(out->file)) != 0)
            return fail(*out, errno != 0 ? errno : EIO);
        const int closed = std::fclose(out->file);
        out->file = nullptr;
        out->buffer.reset();
        if (closed != 0) return fail(*out, errno);
    }
    for (OutputFile* out : outputs) {
        if (out->temporary.empty()) continue;
        // rename replaces whatever the final name is, a symlink included, in one step.
        if (::rename(out->temporary.c_str(), out->name.c_str()) != 0) return fail(*out, errno);
        out->temporary.clear();
        SyncDirectory(DirectoryOf(out->name));
    }
    return true;
}

}  // namespace kelvrant
