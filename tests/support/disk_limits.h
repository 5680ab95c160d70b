// Real write failures for tests: a child process whose files may not grow
// past a size the test picks, and a tiny tmpfs that can be filled up.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>
#include <functional>

namespace testing_support {

// Runs `body` in a forked child whose files may not grow past `limit` bytes:
// SIGXFSZ is ignored there, so a write past the limit fails with EFBIG like
// a full disk. Returns the body's text, or "exception: " + what() when it
// threw. The parent's memory is untouched; check the files afterwards.
QString RunWithFileSizeLimit(off_t limit, const std::function<QString()>& body);

// A tmpfs of `bytes` mounted on a fresh folder for the life of the object.
// Mounting needs privileges: check Mounted() and skip otherwise.
class SmallTmpfs {
  public:
    explicit SmallTmpfs(size_t bytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool Mounted() const { return mounted_; }
    QString Reason() const { return reason_; }  // why mounting failed
    QString File(const QString& name) const { return dir_.path() + u'/' + name; }
    // Writes a filler file until the file system refuses; returns the errno
    // that stopped it (ENOSPC when the disk is full).
    int FillUp() const;

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString reason_;
};

}  // namespace testing_support
