#pragma once
// Runs a write in a child process against a file system with no room left:
// a small tmpfs mounted in the child's own mount namespace (so nothing
// outside the child sees it), or, where mounting is not allowed, a file-size
// limit that makes every write past 4 KB fail as a full disk would.

#include <QString>
#include <functional>
#include <string>

namespace fd::test {

struct FullDisk {
    QString folder;  // where the files go; full once fill() has run
    // Takes the rest of the room (with the file-size limit: makes every
    // later write past 4 KB fail). Call it once the old files are in place.
    std::function<void()> fill;
};

// How the full disk is made in this run, for the test's output.
std::string fullDiskKind();

// Runs fn in a child with an empty folder on a small file system; returns
// fn's answer, or why the child failed.
std::string onFullDisk(const std::function<std::string(const FullDisk&)>& fn);

}  // namespace fd::test
