#pragma once

#include <string>

namespace match::record {

// An exclusive lock on a record for as long as the object lives, so that two
// runs never write one record. The kernel drops it when the process ends,
// however it ends. The file is created empty when there is none.
class RecordLock {
public:
    // Throws RecordError naming the record, and the process holding it when
    // the system says which, when another run has it.
    explicit RecordLock(const std::string &path);
    ~RecordLock();
    RecordLock(const RecordLock &) = delete;
    RecordLock &operator=(const RecordLock &) = delete;

    // Renames replacement over the record with the lock on both, so that
    // no moment leaves the record's name unlocked.
    void ReplaceWith(const std::string &replacement);

private:
    std::string path_;
    int descriptor_ = -1;
};

}  // namespace match::record
