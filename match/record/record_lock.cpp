#include "record/record_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "record/record_json.h"

namespace match::record {

namespace {

std::string Failure(const std::string &what, const std::string &path)
{
    return "cannot " + what + " " + path + ": " + std::strerror(errno);
}

// The process holding a flock on the file of status, from the kernel's list
// of locks ("1: FLOCK  ADVISORY  WRITE 1234 fe:00:5678 0 EOF").
std::optional<long> LockHolder(const struct stat &status)
{
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        char kind[16] = "";
        long pid = 0;
        unsigned major = 0;
        unsigned minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(line.c_str(), "%*d: %15s %*s %*s %ld %x:%x:%lu", kind, &pid, &major, &minor, &inode) == 5 &&
            std::strcmp(kind, "FLOCK") == 0 && inode == status.st_ino && major == major(status.st_dev) &&
            minor == minor(status.st_dev))
            return pid;
    }
    return std::nullopt;
}

std::string HeldMessage(const std::string &path, int descriptor)
{
    struct stat status {};
    std::optional<long> holder;
    if (fstat(descriptor, &status) == 0)
        holder = LockHolder(status);
    return path + " is in use by another run" + (holder ? " (process " + std::to_string(*holder) + ")" : "") +
           "; one record takes one run at a time";
}

// An open descriptor of the file at path with the lock on it. A lock taken
// on a file that was renamed over meanwhile guards nothing, so it is taken
// again on the file that now has the name.
int LockedDescriptor(const std::string &path)
{
    for (;;) {
        int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor < 0)
            throw RecordError(Failure("write", path));
        if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            std::string message = errno == EWOULDBLOCK ? HeldMessage(path, descriptor) : Failure("lock", path);
            close(descriptor);
            throw RecordError(message);
        }
        struct stat locked {};
        struct stat named {};
        if (fstat(descriptor, &locked) == 0 && stat(path.c_str(), &named) == 0 && locked.st_ino == named.st_ino &&
            locked.st_dev == named.st_dev)
            return descriptor;
        close(descriptor);
    }
}

}  // namespace

RecordLock::RecordLock(const std::string &path) : path_(path), descriptor_(LockedDescriptor(path)) {}

RecordLock::~RecordLock()
{
    close(descriptor_);
}

void RecordLock::ReplaceWith(const std::string &replacement)
{
    int descriptor = open(replacement.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0 || flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        std::string message = Failure("lock", replacement);
        if (descriptor >= 0)
            close(descriptor);
        throw RecordError(message);
    }
    if (std::rename(replacement.c_str(), path_.c_str()) != 0) {
        std::string message = Failure("write", path_);
        close(descriptor);
        throw RecordError(message);
    }
    close(descriptor_);
    descriptor_ = descriptor;
}

}  // namespace match::record
